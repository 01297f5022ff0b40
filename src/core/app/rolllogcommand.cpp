#include "core/app/rolllogcommand.h"

#include "core/scope/scopedata.h"
#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "core/support/strformat.h"

#include <system_error>
#include <vector>

namespace wavix {

CRollLogCommand::CRollLogCommand(IMainView& view, const CMainTexts& texts, SaveChooser chooser,
                                 std::function<void(bool)> showLogging, FileClock clock)
    : view_(view), texts_(texts), chooser_(std::move(chooser)), showLogging_(std::move(showLogging)),
      texts906_(BuiltinTextRange(906, 909)), recordingTexts_(BuiltinTextRange(1640, 1643)),
      log_(std::move(clock)) {}

namespace {
// Indexes into the texts TXT_1640 .. TXT_1643.
enum RecordingText : std::size_t { kRecording, kFile, kDuration, kSize };
} // namespace

bool CRollLogCommand::LoadTexts(const std::filesystem::path& langFile) {
    const bool recording = recordingTexts_.Load(langFile);
    return texts906_.Load(langFile) && recording;
}

std::string CRollLogCommand::recordedTime() const {
    // The samples in the file, not the wall clock: a pause of the link is not recorded time.
    const auto s = static_cast<std::uint64_t>(static_cast<double>(log_.InstantsWritten()) * samplePeriod_);
    return StrFormat("%02u:%02u:%02u", static_cast<unsigned>(s / 3600), static_cast<unsigned>(s / 60 % 60),
                     static_cast<unsigned>(s % 60));
}

std::string CRollLogCommand::fileSize() const {
    std::error_code ec;
    const std::uintmax_t bytes = std::filesystem::file_size(log_.Path(), ec);
    return FormatByteSize(ec ? 0 : bytes);
}

std::string CRollLogCommand::StatusText() const {
    if (!log_.IsOpen())
        return {};
    return recordingTexts_[kRecording] + " " + recordedTime() + ", " + fileSize();
}

void CRollLogCommand::Toggle(const CScopeData& data, const std::string& dataDir) {
    if (!data.IsRoll()) {
        view_.MessageBox(kCaptionInfo, texts_.Get("TXT_107"), BoxIcon::Information, BoxButtons::Ok);
        return;
    }
    if (log_.IsOpen())
        end(true);
    else
        start(data, dataDir);
}

void CRollLogCommand::start(const CScopeData& data, const std::string& dataDir) {
    if (!confirm(kCaptionQuestion, texts_.Get("TXT_108"), BoxIcon::Question))
        return;
    std::error_code ec;
    if (dataDir.empty() || !std::filesystem::is_directory(dataDir, ec)) {
        view_.MessageBox(kCaptionError, kNoDataDirectory, BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(dataDir) / kLogChartsFolder;
    // A data tree copied without its empty folders still takes logs.
    std::filesystem::create_directories(folder, ec);
    const std::optional<SaveChoice> choice = chooser_ ? chooser_(folder) : std::nullopt;
    if (!choice)
        return;
    if (std::filesystem::exists(choice->path, ec) &&
        !confirm(kCaptionOverwrite, texts_.Get("TXT_111"), BoxIcon::Information))
        return;

    std::vector<const CChannelData*> channels;
    for (int ch = 1; ch <= data.GetActiveChannelCount(); ++ch)
        channels.push_back(&data.GetChannel(ch));
    if (!log_.Start(choice->path, channels, choice->chartName)) {
        view_.MessageBox(kCaptionError, Text(SaveText::SaveFailed), BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    logRecord_ = data.GetSettings();
    samplePeriod_ = SamplePeriod(static_cast<int>(logRecord_.time_base_ENUM));
    if (showLogging_)
        showLogging_(true);
}

bool CRollLogCommand::confirm(std::string_view caption, const std::string& text, BoxIcon icon) {
    return autoConfirm_ || view_.MessageBox(caption, text, icon, BoxButtons::YesNo) == BoxAnswer::Yes;
}

void CRollLogCommand::Append(std::uint32_t count) {
    if (!log_.IsOpen() || log_.Append(count))
        return;
    // What was written so far stays readable; the user must know the rest is not there.
    end(false);
    view_.MessageBox(kCaptionError, Text(SaveText::LogWriteFailed), BoxIcon::Error, BoxButtons::Ok);
}

void CRollLogCommand::EndIfChanged(const tOscilExchange& inForce) {
    if (!log_.IsOpen())
        return;
    if (inForce != logRecord_)
        end(false);
    else
        log_.MarkSeam(); // the same record again: a new session after a gap
}

bool CRollLogCommand::Mark(int kind) {
    return log_.RequestMark(kind);
}

void CRollLogCommand::end(bool tell) {
    log_.End();
    if (tell)
        view_.MessageBox({},
                         texts_.Get("TXT_112") + "\n\n" + recordingTexts_[kFile] + " " +
                             log_.Path().string() + "\n" + recordingTexts_[kDuration] + " " + recordedTime() +
                             "\n" + recordingTexts_[kSize] + " " + fileSize(),
                         BoxIcon::None, BoxButtons::Ok);
    if (showLogging_)
        showLogging_(false);
}

} // namespace wavix
