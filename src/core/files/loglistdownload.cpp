#include "core/files/loglistdownload.h"

#include "core/settings/langtexts.h"

#include "core/settings/builtintexts.h"
#include "core/support/messagecodes.h"
#include <algorithm>
#include <array>
#include <cstdio>

namespace wavix {
namespace {

using Kind = LogDownloadAction::Kind;

// TXT_1318 .. TXT_1321 name the failures that must never look like success.

// No datagram of the tester carries more.
constexpr std::uint32_t kMaxPayload = 2048;

constexpr const char* kInfoCaption = " .: Info ... ";
constexpr const char* kErrorCaption = ".: Error ...";

LogDownloadAction action(Kind kind) {
    return LogDownloadAction{kind, {}, {}, {}, {}, 0, 0};
}

} // namespace

CLogListDownload::CLogListDownload(std::filesystem::path logFolder, ExistsFn exists)
    : logFolder_(std::move(logFolder)), exists_(std::move(exists)) {}

bool CLogListDownload::SetLanguage(const std::filesystem::path& langFile, CLogTrace* trace) {
    return texts_.Load(langFile, trace);
}

std::string CLogListDownload::LogFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "osclog%02d.sdf", number);
    return name;
}

bool CLogListDownload::exists(const std::filesystem::path& p) const {
    if (exists_)
        return exists_(p);
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

std::string CLogListDownload::askingStatus(const std::string& name) const {
    return GetText(kFile) + " " + name + "?";
}

std::string CLogListDownload::countText(std::size_t n) const {
    return GetText(kFound) + " " + std::to_string(n);
}

void CLogListDownload::Reset() {
    status_ = "--";
    fileCount_ = "--";
    message_.clear();
    found_.clear();
    chosen_.clear();
    saved_.clear();
    downloadEnabled_ = false;
    closeEnabled_ = true;
    busy_ = false;
    probe_ = 0;
    downloadIndex_ = 0;
    kbTotal_ = 0;
    kbReceived_ = 0;
    failures_ = 0;
    phase_ = Phase::Idle;
}

void CLogListDownload::AddProbeResult(bool present, std::uint32_t size) {
    if (present) {
        found_.push_back({CurrentProbeName(), static_cast<std::uint8_t>(probe_), size});
        chosen_.push_back(true);
    }
}

void CLogListDownload::SetChosen(std::size_t index, bool on) {
    if (index < chosen_.size())
        chosen_[index] = on;
}

bool CLogListDownload::NextProbe() {
    if (probe_ + 1 >= kMaxLogFiles)
        return false;
    ++probe_;
    status_ = askingStatus(CurrentProbeName());
    fileCount_ = countText(found_.size());
    return true;
}

void CLogListDownload::EndOfListing() {
    fileCount_ = countText(found_.size());
    if (found_.empty()) {
        message_ = GetText(kNoFiles);
        return;
    }
    message_ = GetText(kFoundPrefix) + " " + std::to_string(found_.size()) + " " + GetText(kFoundSuffix) +
               "\n" + GetText(kPressDownload);
    downloadEnabled_ = true;
}

void CLogListDownload::StartDownload() {
    downloadIndex_ = 0;
    fileCount_ = "--";
    status_ = "--";
    message_.clear();
    kbTotal_ = 0;
    kbReceived_ = 0;
    failures_ = 0;
    saved_.clear();
    status_ = askingStatus(CurrentDownloadName());
    busy_ = true;
    closeEnabled_ = false;
}

std::string CLogListDownload::CurrentDownloadName() const {
    // The recorded name, so gaps in the tester's numbering fetch the right files.
    const auto i = static_cast<std::size_t>(downloadIndex_);
    return i < found_.size() ? found_[i].name : LogFileName(downloadIndex_ + 1);
}

void CLogListDownload::PrepareCurrentFile() {
    kbReceived_ = 0;
    bytesReceived_ = 0;
    bytesSeen_ = false;
    const auto i = static_cast<std::size_t>(downloadIndex_);
    const std::uint64_t size = i < found_.size() ? found_[i].size : 0;
    kbTotal_ = static_cast<std::uint32_t>((size + 1023) / 1024);
}

void CLogListDownload::BlockReceived() {
    ++kbReceived_;
    showProgress();
}

void CLogListDownload::PayloadReceived(std::uint32_t bytes) {
    bytesSeen_ = true;
    bytesReceived_ += std::min(bytes, kMaxPayload);
    kbReceived_ =
        static_cast<std::uint32_t>(std::min<std::uint64_t>((bytesReceived_ + 1023) / 1024, 0xFFFFFFFFu));
    showProgress();
}

void CLogListDownload::showProgress() {
    status_ = GetText(kFile) + " " + CurrentDownloadName() + " (" + std::to_string(downloadIndex_ + 1) + "/" +
              std::to_string(found_.size()) + "), " + GetText(kReceived) + " " + std::to_string(kbReceived_) +
              "/" + std::to_string(kbTotal_) + ".";
}

bool CLogListDownload::NextDownload() {
    if (static_cast<std::size_t>(downloadIndex_) + 1 >= found_.size())
        return false;
    ++downloadIndex_;
    status_ = askingStatus(CurrentDownloadName());
    fileCount_ = countText(found_.size());
    return true;
}

void CLogListDownload::FinishDownload() {
    message_ = GetText(failures_ > 0 ? kFinishedWithErrors : kFinished);
    closeEnabled_ = true;
    busy_ = false;
}

LogDownloadActions CLogListDownload::probeCurrent() {
    phase_ = Phase::Listing;
    LogDownloadAction ask = action(Kind::AskFileEntry);
    ask.name = CurrentProbeName();
    return {action(Kind::ResetReceivedFile), ask};
}

LogDownloadActions CLogListDownload::BeginListing() {
    Reset();
    return probeCurrent();
}

LogDownloadActions CLogListDownload::afterProbe() {
    if (NextProbe()) {
        phase_ = Phase::ProbeWait;
        LogDownloadAction wait = action(Kind::WaitThenProbe);
        wait.delayMs = kProbeDelayMs;
        return {wait};
    }
    EndOfListing();
    phase_ = Phase::Listed;
    return {};
}

LogDownloadActions CLogListDownload::OnProbeDelayElapsed() {
    if (phase_ != Phase::ProbeWait)
        return {};
    return probeCurrent();
}

LogDownloadAction CLogListDownload::error(Text detail) const {
    LogDownloadAction box = action(Kind::ShowError);
    box.text = GetText(kErrorLine1) + "\n" + GetText(detail);
    box.caption = kErrorCaption;
    return box;
}

LogDownloadActions CLogListDownload::OnReceivedFile(std::intptr_t wParam, std::intptr_t lParam,
                                                    std::uint32_t entrySize) {
    if (phase_ == Phase::Listing) {
        switch (Decode<ReceivedFileNotice>(lParam)) {
        case ReceivedFileNotice::EntryRead:
            AddProbeResult(true, entrySize);
            return afterProbe();
        case ReceivedFileNotice::EntryFailed:
        case ReceivedFileNotice::NoSuchFile: // no such file: nothing to record, the next name follows
            AddProbeResult(false, 0);
            return afterProbe();
        case ReceivedFileNotice::ReplyTimedOut: {
            // A silent tester would cost every remaining name a time-out.
            EndOfListing();
            phase_ = Phase::Listed;
            return {error(kNoAnswer)};
        }
        default:
            return {};
        }
    }
    if (phase_ == Phase::Downloading) {
        const ReceivedFileNotice notice = Decode<ReceivedFileNotice>(lParam);
        if (notice == ReceivedFileNotice::PacketStored && wParam > 0) {
            PayloadReceived(static_cast<std::uint32_t>(std::min<std::intptr_t>(wParam, kMaxPayload)));
            return {};
        }
        if (notice == ReceivedFileNotice::FileComplete)
            return placeFile(logFolder_ / CurrentDownloadName());
        if (notice == ReceivedFileNotice::ReplyTimedOut) {
            ++failures_;
            return nextFile({error(kNoAnswer)});
        }
    }
    return {};
}

void CLogListDownload::OnLinkTraffic(std::intptr_t lParam) {
    // Once the payload sizes come, they count instead of the datagrams.
    if (busy_ && phase_ == Phase::Downloading && DecodeFileLink(lParam).notice == FileLinkNotice::Received &&
        !bytesSeen_)
        BlockReceived();
}

LogDownloadActions CLogListDownload::requestCurrentFile() {
    PrepareCurrentFile();
    phase_ = Phase::Downloading;
    LogDownloadAction ask = action(Kind::AskFileContents);
    ask.name = CurrentDownloadName();
    return {action(Kind::ResetReceivedFile), ask};
}

LogDownloadActions CLogListDownload::OnDownloadPressed() {
    if (phase_ != Phase::Listed || std::find(chosen_.begin(), chosen_.end(), true) == chosen_.end())
        return {};
    // From here on the download knows only the files chosen; their names and sizes go with them.
    std::vector<FoundFile> fetch;
    for (std::size_t i = 0; i < found_.size(); ++i)
        if (IsChosen(i))
            fetch.push_back(found_[i]);
    found_ = std::move(fetch);
    chosen_.assign(found_.size(), true);
    downloadEnabled_ = false;
    StartDownload();
    return requestCurrentFile();
}

LogDownloadActions CLogListDownload::placeFile(const std::filesystem::path& target) {
    target_ = target;
    if (exists(target)) {
        phase_ = Phase::AskingOverwrite;
        LogDownloadAction ask = action(Kind::AskOverwrite);
        ask.path = target;
        ask.text = GetText(kOverwrite1) + " " + GetText(kOverwrite2);
        ask.caption = kInfoCaption;
        return {ask};
    }
    phase_ = Phase::Saving;
    LogDownloadAction write = action(Kind::WriteFile);
    write.path = target;
    write.size = found_[static_cast<std::size_t>(downloadIndex_)].size;
    return {write};
}

LogDownloadActions CLogListDownload::OnOverwriteAnswer(bool overwrite) {
    if (phase_ != Phase::AskingOverwrite)
        return {};
    if (overwrite) {
        phase_ = Phase::Saving;
        LogDownloadAction write = action(Kind::WriteFile);
        write.path = target_;
        write.size = found_[static_cast<std::size_t>(downloadIndex_)].size;
        return {write};
    }
    phase_ = Phase::ChoosingFile;
    LogDownloadAction choose = action(Kind::ChooseFile);
    choose.path = logFolder_;
    choose.name = CurrentDownloadName();
    return {choose};
}

LogDownloadActions CLogListDownload::OnFileChosen(const std::optional<std::filesystem::path>& path) {
    if (phase_ != Phase::ChoosingFile)
        return {};
    if (path)
        return placeFile(*path);
    LogDownloadAction box = action(Kind::ShowInfo);
    box.text = GetText(kNotSaved);
    box.caption = kInfoCaption;
    return nextFile({box});
}

LogDownloadActions CLogListDownload::OnFileWritten(CReceivedFile::SaveResult result) {
    if (phase_ != Phase::Saving)
        return {};
    if (result == CReceivedFile::SaveResult::kSaved) {
        saved_.push_back(target_);
        return nextFile({});
    }
    ++failures_;
    return nextFile(
        {error(result == CReceivedFile::SaveResult::kSizeMismatch ? kSizeMismatch : kWriteFailed)});
}

LogDownloadActions CLogListDownload::nextFile(LogDownloadActions actions) {
    if (NextDownload()) {
        auto request = requestCurrentFile();
        actions.insert(actions.end(), request.begin(), request.end());
        return actions;
    }
    // The last file's data is no longer needed.
    actions.push_back(action(Kind::ResetReceivedFile));
    FinishDownload();
    phase_ = Phase::Done;
    return actions;
}

LogDownloadActions CLogListDownload::OnRequestNotSent() {
    if (phase_ == Phase::Listing || phase_ == Phase::ProbeWait) {
        EndOfListing();
        phase_ = Phase::Listed;
    } else if (phase_ == Phase::Downloading) {
        ++failures_;
        FinishDownload();
        phase_ = Phase::Done;
    }
    return {};
}

} // namespace wavix
