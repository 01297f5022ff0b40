#pragma once
// The main window's roll-mode log command: refused outside roll mode, ends a
// running log, or asks, lets the user choose the file and starts one. While a
// log is open every converted group is appended; a record change ends it
// without a word. Once a log has been started the calibration stays locked
// for the rest of the run: a calibration would change the samples mid-record.

#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/files/rolllog.h"
#include "core/scope/capturestore.h"
#include "core/scope/oscilexchange.h"
#include "core/settings/langtexts.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace wavix {

class CScopeData;

// What the save dialog answered: the chart's name and the file's full path.
struct SaveChoice {
    std::string chartName;
    std::filesystem::path path;
};
// Runs the save dialog on a folder; nothing when the user cancelled.
using SaveChooser = std::function<std::optional<SaveChoice>(const std::filesystem::path& folder)>;

// Texts TXT_906 .. TXT_909 of the save dialog and of failed writes.
enum class SaveText { InvalidPath, BrowseTitle, SaveFailed, LogWriteFailed };

// Listens to the capture store: while a log is open every converted group is appended.
class CRollLogCommand : public ICaptureListener {
public:
    inline static constexpr std::string_view kCaptionQuestion = ".: Roll capture ...";
    inline static constexpr std::string_view kCaptionInfo = ".: Info ...";
    inline static constexpr std::string_view kCaptionOverwrite = " .: Info ... ";
    inline static constexpr std::string_view kCaptionError = " .: ERROR ... ";
    inline static constexpr std::string_view kNoDataDirectory = " Data directory not found ... ";

    // showLogging: the logging look of the toolbar and settings window and
    // view A's recording state (true), or the normal look (false).
    CRollLogCommand(IMainView& view, const CMainTexts& texts, SaveChooser chooser,
                    std::function<void(bool)> showLogging, FileClock clock = CurrentUtcFileTime);

    bool LoadTexts(const std::filesystem::path& langFile);
    // Scripted runs: the questions count as answered Yes and are not shown.
    void SetAutoConfirm(bool on) { autoConfirm_ = on; }
    const std::string& Text(SaveText t) const { return texts906_[static_cast<std::size_t>(t)]; }

    // Toolbar command 13; the caller checks that the link is alive.
    void Toggle(const CScopeData& data, const std::string& dataDir);
    // A converted group brought count new instants.
    void Append(std::uint32_t count);
    void OnSamplesConverted(std::uint32_t count) override { Append(count); }
    // A record came into force. Another record ends the log without a word: the
    // recording would no longer match its header. The log's own record coming
    // back (the link was restarted) lets it go on, with the gap marked.
    void EndIfChanged(const tOscilExchange& inForce);
    // The user's mark (Marker1 kind 1, Marker2 kind 2) on the next instant
    // written; false when no log is open.
    bool Mark(int kind);

    // While a log is open: the time recorded and the file's size, for the status
    // line; empty otherwise.
    std::string StatusText() const;

    bool IsOpen() const { return log_.IsOpen(); }
    bool IsCalibrationLocked() const { return log_.WasStarted(); }
    const CRollLog& Log() const { return log_; }

private:
    void start(const CScopeData& data, const std::string& dataDir);
    void end(bool tell);
    bool confirm(std::string_view caption, const std::string& text, BoxIcon icon);
    std::string recordedTime() const;
    std::string fileSize() const;

    IMainView& view_;
    const CMainTexts& texts_;
    SaveChooser chooser_;
    std::function<void(bool)> showLogging_;
    CTextTable texts906_;
    CTextTable recordingTexts_;
    CRollLog log_;
    tOscilExchange logRecord_{};
    double samplePeriod_ = 0.0; // seconds per instant of the open log
    bool autoConfirm_ = false;
};

} // namespace wavix
