#pragma once
// The log-download window's logic without the window: it lists the tester's
// log files (osclog01.sdf .. osclog10.sdf) by asking for each directory entry,
// then downloads the ones found into the log folder. It is driven by the
// instrument protocol's notifications and by the user's answers, and answers
// with the actions its owner must carry out (requests, questions, writes).
// The window only renders the texts and button states kept here.

#include "core/protocol/receivedfile.h"
#include "core/settings/builtintexts.h"
#include "core/settings/langtexts.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wavix {

class CLogTrace;

struct LogDownloadAction {
    enum class Kind {
        ResetReceivedFile, // empty the protocol's received-file state
        AskFileEntry,      // directory entry of `name`
        AskFileContents,   // contents of `name`
        WaitThenProbe,     // call OnProbeDelayElapsed() after `delayMs`
        AskOverwrite,      // Yes/No question; answer with OnOverwriteAnswer()
        ChooseFile,        // save chooser in `path` proposing `name`; answer with OnFileChosen()
        WriteFile,         // save the received file to `path` (`size` bytes); answer with OnFileWritten()
        ShowInfo,          // message box with the information icon
        ShowError,         // message box with the error icon
    };
    Kind kind;
    std::string name;
    std::filesystem::path path;
    std::string text;
    std::string caption;
    std::uint32_t size = 0;
    std::uint32_t delayMs = 0;
    bool operator==(const LogDownloadAction&) const = default;
};
using LogDownloadActions = std::vector<LogDownloadAction>;

class CLogListDownload {
public:
    static constexpr int kMaxLogFiles = 10;
    static constexpr std::uint32_t kProbeDelayMs = 100;

    enum class Phase {
        Idle,
        Listing,
        ProbeWait,
        Listed,
        Downloading,
        AskingOverwrite,
        ChoosingFile,
        Saving,
        Done
    };

    // Texts by key, TXT_1300 .. TXT_1322; index = key - 1300.
    enum Text {
        kTitle,
        kStatusLabel,
        kCountLabel,
        kDownloadButton,
        kCloseButton,
        kErrorLine1,
        kErrorLine2,
        kOverwrite1,
        kOverwrite2,
        kNotSaved,
        kFinished,
        kFile,
        kReceived,
        kFound,
        kNoFiles,
        kFoundPrefix,
        kFoundSuffix,
        kPressDownload,
        kWriteFailed,
        kSizeMismatch,
        kNoAnswer,
        kFinishedWithErrors,
        kCannotSendEntry,
        kTextCount
    };

    struct FoundFile {
        std::string name;
        std::uint8_t number = 0; // file number less one
        std::uint32_t size = 0;
        bool operator==(const FoundFile&) const = default;
    };

    using ExistsFn = std::function<bool(const std::filesystem::path&)>;

    explicit CLogListDownload(std::filesystem::path logFolder, ExistsFn exists = {});

    // Loads the texts from a language file; at the first missing key loading
    // stops and the texts already there stay.
    bool SetLanguage(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);
    const std::string& GetText(Text t) const { return texts_[static_cast<std::size_t>(t)]; }
    static std::string LogFileName(int number); // "osclog%02d.sdf", 1..10

    // The window's operations.
    void Reset();
    std::string CurrentProbeName() const { return LogFileName(probe_ + 1); }
    void AddProbeResult(bool present, std::uint32_t size);
    bool NextProbe();
    void EndOfListing();
    void StartDownload();
    std::string CurrentDownloadName() const;
    void PrepareCurrentFile();
    void BlockReceived();
    // Payload bytes of a stored data packet: the kilobytes follow the bytes, so
    // the count is right whatever the tester's block size.
    void PayloadReceived(std::uint32_t bytes);
    bool NextDownload();
    void FinishDownload();
    bool IsBusy() const { return busy_; }
    // Which of the files found the download fetches; all of them after listing.
    // Taken when Download is pressed; out-of-range indexes are ignored.
    void SetChosen(std::size_t index, bool on);
    bool IsChosen(std::size_t index) const { return index < chosen_.size() && chosen_[index]; }
    // Where the files of the last download went, in the order fetched.
    const std::vector<std::filesystem::path>& Saved() const { return saved_; }

    // Driving: each answers what the owner must do next.
    LogDownloadActions BeginListing();
    LogDownloadActions OnProbeDelayElapsed();
    // UWM_RECEIVED_FILE_MSG; `entrySize` is the received-file state's size.
    LogDownloadActions OnReceivedFile(std::intptr_t wParam, std::intptr_t lParam, std::uint32_t entrySize);
    // UWM_COMM_ETH_MSG of the file link.
    void OnLinkTraffic(std::intptr_t lParam);
    LogDownloadActions OnDownloadPressed();
    LogDownloadActions OnOverwriteAnswer(bool overwrite);
    LogDownloadActions OnFileChosen(const std::optional<std::filesystem::path>& path);
    LogDownloadActions OnFileWritten(CReceivedFile::SaveResult result);
    // The owner could not send the request the last actions asked for.
    LogDownloadActions OnRequestNotSent();

    Phase GetPhase() const { return phase_; }
    const std::vector<FoundFile>& Found() const { return found_; }
    int ProbeCounter() const { return probe_; }
    int DownloadIndex() const { return downloadIndex_; }
    std::uint32_t KilobytesTotal() const { return kbTotal_; }
    std::uint32_t KilobytesReceived() const { return kbReceived_; }
    const std::string& StatusText() const { return status_; }
    const std::string& FileCountText() const { return fileCount_; }
    const std::string& MessageText() const { return message_; }
    bool DownloadEnabled() const { return downloadEnabled_; }
    bool CloseEnabled() const { return closeEnabled_; }
    bool HadFailures() const { return failures_ > 0; }

private:
    LogDownloadActions probeCurrent();
    LogDownloadActions afterProbe();
    LogDownloadActions requestCurrentFile();
    LogDownloadActions placeFile(const std::filesystem::path& target);
    LogDownloadActions nextFile(LogDownloadActions actions);
    LogDownloadAction error(Text detail) const;
    std::string askingStatus(const std::string& name) const;
    std::string countText(std::size_t n) const;
    void showProgress();
    bool exists(const std::filesystem::path& p) const;

    std::filesystem::path logFolder_;
    ExistsFn exists_;
    CTextTable texts_{BuiltinTextRange(1300, 1322)};
    Phase phase_ = Phase::Idle;
    int probe_ = 0;
    std::vector<FoundFile> found_;
    std::vector<bool> chosen_; // parallel to found_
    std::vector<std::filesystem::path> saved_;
    int downloadIndex_ = 0;
    std::uint32_t kbTotal_ = 0;
    std::uint32_t kbReceived_ = 0;
    std::uint64_t bytesReceived_ = 0;
    bool bytesSeen_ = false;
    bool busy_ = false;
    int failures_ = 0;
    std::filesystem::path target_;
    std::string status_ = "--";
    std::string fileCount_ = "--";
    std::string message_;
    bool downloadEnabled_ = false;
    bool closeEnabled_ = true;
};

} // namespace wavix
