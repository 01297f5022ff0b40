#pragma once
// The main window: owns the link, the module protocol, the four views, the
// channel panels and the settings for the whole run, and hands every posted
// message to the controller, which decides what the window shows.

#include "core/app/loadedtraces.h"
#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/app/rolllogcommand.h"
#include "core/app/viewnotices.h"
#include "core/app/windowparts.h"
#include "core/scope/capturestore.h"
#include "core/settings/programsettings.h"
#include "core/settings/startupoptions.h"
#include "core/settings/userdatatree.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "ui/main/autosetupui.h"
#include "ui/main/logchartsui.h"
#include "ui/main/logdownloadui.h"
#include "ui/main/mainviews.h"
#include "ui/main/measuretableui.h"
#include "ui/main/rolllogui.h"
#include "ui/main/scopebookui.h"
#include "ui/main/statuspanes.h"
#include "ui/main/toolwindows.h"

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QMenuBar;
class QStatusBar;

namespace wavix {

class CChannelData;
class CDlgGetLogFiles;
class CDlgHelpKeys;
class CLogDownloadUi;
class CPrintUi;
class CExportUi;
class CRollLogUi;
class CScopeBookUi;
class CToolWindows;
class CLogChartsUi;
class CScope;
class CScopeFile;
class CWavixController;
class CDlgChannelInfo;
class CDlgChannelOptions;
class CDlgScopeSettings;
class CDlgScopeToolBar;
class CModuleSession;
class CQtMessageTarget;

struct WavixDlgOptions {
    // Set: the startup choice is taken as given and the dialog is not shown.
    std::optional<StartupResult> start;
    // Empty: the data tree beside the program, or the per-user one of an
    // installed program.
    std::string dataDir;
    // Where that search starts (a folder ending in '/') and the environment it
    // reads; empty and unset: the running program's.
    std::string programFolder;
    std::optional<DataTreeEnvironment> environment;
    // Set: message boxes are not shown, they answer this at once (scripted runs).
    std::optional<BoxAnswer> boxAnswer;
    // Set: the save dialog is not shown, it answers this path, and the roll-log
    // questions are answered Yes (scripted runs).
    std::string savePath;
    // Told every change of the link state (trace name, "address:port").
    std::function<void(std::string_view state, std::string_view endpoint)> linkObserver;
};

// Stand-ins for the choosers the commands open; unset ones open the real dialog.
struct CommandHooks {
    // The file to load; empty when cancelled.
    std::function<std::string(const std::string& startFolder)> chooseFile;
    // The colour chosen from the given one; empty when cancelled.
    std::function<std::optional<std::uint32_t>(std::uint32_t)> chooseColour;
    // The change-timebase prompt: true for Yes.
    std::function<bool(int currentStep, int fileStep)> changeTimeBase;
};

class CWavixDlg : public QDialog,
                  public IMainView,
                  private ICaptureListener,
                  private IToolbarCommands,
                  private IViewMenuHost {
    Q_OBJECT
public:
    explicit CWavixDlg(WavixDlgOptions options = {}, QWidget* parent = nullptr);
    ~CWavixDlg() override;
    CWavixDlg(const CWavixDlg&) = delete;
    CWavixDlg& operator=(const CWavixDlg&) = delete;

    // The start-up sequence; false when it ended the dialog (the code is EndCode()).
    bool Initialise();
    bool HasEnded() const { return ended_; }
    // How the first settings of this run were obtained.
    const StartupResult& Start() const { return start_; }
    int EndCode() const { return endCode_; }

    static QString Title();

    // Main menu "Kalibrace": the calibration dialog, then the run with the next exchange.
    void RunCalibration();

    CScope& View(int index) { return *views_.at(static_cast<std::size_t>(index)); }
    CExportUi& Exports() { return *export_; }
    QString PaneText(Pane pane) const { return panes_.Text(pane); }
    // The settings record in force and channel 1..4 of the sample data.
    const tOscilExchange& Record() const { return capture_.Data().GetSettings(); }
    const CChannelData& Channel(int ch) const { return capture_.Data().GetChannel(ch); }
    // Sample groups converted since start.
    int ConvertedGroups() const { return convertedGroups_; }
    // The last box shown (or answered without showing), for scripted runs.
    const std::string& LastBoxText() const { return lastBoxText_; }

    // Tool windows. Toolbar and Settings: the show flag (saved with all
    // settings), shown or hidden, laid out again; the others show or hide.
    void SetToolWindowVisible(ToolWindow tool, bool visible) { tools_->SetVisible(tool, visible); }
    bool IsToolWindowVisible(ToolWindow tool) const { return tools_->IsVisible(tool); }
    void ShowChannelInfo(const CChannelData& channel) { tools_->ShowChannelInfo(channel); }
    // Toolbar in its logging look, toolbar and settings controls off (true) or back to normal.
    void SetLoggingLook(bool logging) { tools_->SetLoggingLook(logging); }
    // Null before Initialise created them.
    CDlgScopeToolBar* ToolBar() const { return tools_->ToolBar(); }
    CDlgScopeSettings* SettingsWindow() const { return tools_->SettingsWindow(); }
    CDlgChannelOptions* ChannelOptions() const { return tools_->ChannelOptions(); }
    CDlgChannelInfo* ChannelInfoWindow() const { return tools_->ChannelInfo(); }
    CMeasureTableUi& MeasureTable() { return *measures_; }
    // Saving captures and the roll-mode log.
    void SaveCapture(int view);
    void ToggleRollLog() { rollLog_->Toggle(session_->protocol().IsAlive()); }
    // The record in force runs in roll mode (FREE).
    bool IsRollMode() const { return capture_.Data().IsRoll(); }
    // Once a roll log was started the calibration stays unavailable for the run.
    bool IsCalibrationLocked() const { return rollLog_->Command().IsCalibrationLocked(); }
    const CRollLogCommand& RollLog() const { return rollLog_->Command(); }
    // Scripted runs: the file the next save or log goes to, without the dialog.
    void SetScriptedSavePath(std::string path) { rollLog_->SetScriptedPath(std::move(path)); }

    // File menu "Připojení ...", and a double-click on the status panes: the
    // tester's address and port edited, stored in General.ini, and the link
    // opened to them at once.
    void OpenConnection();
    // Tests: runs the connection dialog instead of exec().
    void SetConnectionHook(std::function<void(QDialog&)> hook) { connectionHook_ = std::move(hook); }

    // Samples per channel of the live capture.
    std::uint32_t CaptureSamples() const { return capture_.Data().GetChannel(1).GetSampleCount(); }

    // IMainView
    BoxAnswer MessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                         BoxButtons buttons) override;
    void SetPaneText(Pane pane, std::string_view text) override { panes_.SetText(pane, text); }
    void LinkStateChanged(std::string_view state, std::string_view endpoint) override {
        if (options_.linkObserver)
            options_.linkObserver(state, endpoint);
    }
    void ShowMessage(std::string_view text) override { viewSet_.ShowMessage(text); }
    void HideMessages() override { viewSet_.ShowMessage({}); }
    void RedrawTraces() override;
    void SetTriggerMarkerColor(std::uint32_t color) override { viewSet_.SetTriggerMarkerColor(color); }
    void SetTriggerLevel(int level) override { viewSet_.SetTriggerLevel(level); }
    void SetInputRanges(const ViewRanges& ranges) override { viewSet_.SetInputRanges(ranges); }
    void SetCaptureGeometry(std::uint32_t samplesPerCapture, std::uint32_t triggerPosition) override {
        viewSet_.SetCaptureGeometry(samplesPerCapture, triggerPosition);
    }
    void ResetScaleFactors() override;
    void LayoutViews(int visibleViews) override;
    // A log's views: one band each for 2 to 4, or view A alone; until LayoutViews.
    void LayoutLogViews(int views);
    void AttachChannels(bool multiView, int visibleViews, int activeChannels) override;
    void RefreshChannelPanels() override { tools_->RefreshChannelPanels(); }
    void StartRetryTimer(std::uint32_t ms) override { retry_.start(static_cast<int>(ms)); }
    void StopRetryTimer() override { retry_.stop(); }
    void StartCalibrationGuard(std::uint32_t ms) override { calibrationGuard_.start(static_cast<int>(ms)); }
    void StopCalibrationGuard() override { calibrationGuard_.stop(); }
    void EndDialog(int result) override;
    void Quit(int exitCode) override;
    void SaveAllSettings() override;
    bool CloseLink() override;
    void ReopenLink() override;
    bool IsRollLogOpen() const override { return rollLog_->Command().IsOpen(); }
    void EndRollLogIfChanged(const tOscilExchange& inForce) override {
        rollLog_->Command().EndIfChanged(inForce);
    }
    void SetSettingsChannelCount(int) override { RefreshChannelPanels(); }
    void CopyViewSettings() override { viewSet_.CopyViewA(); }
    void PostToSelf(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override {
        target_->post(msg, wParam, lParam);
    }
    void PostToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) override {
        tools_->Post(tool, msg, wParam, lParam);
    }
    void SendToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) override {
        tools_->Send(tool, msg, wParam, lParam);
    }

    // Escape and the close box: the views let go of the channels first.
    void reject() override;

    // Commands: the view context menu (action * 256 + index), loaded captures.
    void HandleViewCommand(int view, int commandId);
    void LoadCapture();
    bool HasLoadedTraces() const;
    void RemoveLoadedTraces();
    // The context menu of view 0..3 as it would open now; the caller owns it.
    QMenu* CreateViewMenu(int view);
    void SetCommandHooks(CommandHooks hooks) { hooks_ = std::move(hooks); }
    bool IsDrawingLimits(int view) const { return limits_.at(static_cast<std::size_t>(view)); }

    // F1: the page of keys and mouse actions (modeless); null until first shown.
    void ShowKeysHelp();
    CDlgHelpKeys* KeysHelp() const { return help_; }
    // Language menu: name, one of the language files, is the language of the next start.
    void ChooseLanguage(const std::string& name);

    // Toolbar code 2: one page with the visible views and the details asked for.
    void PrintCapture();

    // --- scope book and log download
    // The sample chart library (toolbar 11): settings only, or settings and waveforms.
    void OpenScopeBook() { book_->Open(settings_.DataDirectory(), settings_.LangFilePath()); }
    // A chart chosen in the book: its record goes out with the next exchange; with
    // traces its channels become loaded traces (all in view A, or one per view).
    void LoadBookChart(std::unique_ptr<CScopeFile> chart, bool traces);
    // A file's channels as loaded traces on the given views; they come back after every rearrangement.
    void AddLoadedTraces(std::unique_ptr<CScopeFile> file, const std::vector<int>& displays);
    // Lists the tester's logs in the download window. The module link is shut
    // first; it comes back when the window closes. False when the file link
    // could not be opened; the window has then gone back to the live scope.
    bool StartLogDownload();
    CDlgGetLogFiles* LogFilesDialog() const { return logDownload_->Dialog(); }
    bool IsModuleLinkOpen() const { return session_->IsOpen(); }
    // Log charts viewer (toolbar code 12).
    void OpenLogCharts() { logCharts_->Open(); }
    CLogChartsUi& LogCharts() { return *logCharts_; }
    const CMainTexts& Texts() const { return texts_; }
    // Where the data tree came from and whether this start made or topped it up.
    const DataTreeResult& DataTree() const { return dataTree_; }
    // View menu F9 / Shift+F9: auto set-up from live captures and its undo.
    CAutoSetupUi& AutoSetup() { return *autoSetup_; }
    // The one dispatcher of the window's messages (scripted presses, tests).
    CWavixController& Controller() { return *controller_; }
    // Leaving the log viewer or the log download: no loaded traces, view A
    // without channels, settings strip and toolbar shown, the log navigator
    // hidden, the link reopened when it is shut, live repaint periods and no
    // marks; the live channels are attached again.
    void ReturnToLiveScope();

protected:
    void accept() override {} // Enter does not close the window
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void end(int code);
    bool fail(const char* text);
    bool chooseDataTree();
    void tellDataTree();
    void showStartLine();
    // A text of the language file in use, else its built-in one.
    std::string langText(std::string_view key) const;
    bool chooseStart();
    void relayout();
    bool openLink();
    void setUpViews();
    void onMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    // ICaptureListener: counts what the views were told to show.
    void OnSamplesConverted(std::uint32_t) override { ++convertedGroups_; }
    void OnChannelsChanged() override { ++convertedGroups_; }

    // Commands (wavixdlgcommands.cpp).
    void createCommands();
    void createParts();
    void onMainCommand(int id);
    // The menu bar (wavixdlgmenu.cpp).
    void createMenuBar();
    void onMenuCommand(int id);
    void fillLanguageMenu(QMenu& menu);
    void watchLink();
    // IToolbarCommands
    void OnPrint() override;
    void OnSaveCapture() override;
    void OnLoadCapture() override;
    void OnNextDrawStyle() override;
    void OnScopeBook() override;
    void OnLogCharts() override;
    void OnRollLog() override;
    void OnChannelOptions() override;
    // IViewMenuHost
    void OpenViewMenu(int view, int x, int y) override;
    void reattachLoaded();
    std::vector<CChannelData*> liveChannels(int view);
    std::optional<std::uint32_t> chooseColour(std::uint32_t from);

    WavixDlgOptions options_;
    DataTreeResult dataTree_;
    QString startLine_; // told in the status line once the window shows
    CProgramSettings settings_;
    CMainTexts texts_;
    // The run's samples; the session (a child, closed by the destructor) hands them over.
    CCaptureStore capture_;
    std::function<void(QDialog&)> connectionHook_;
    CModuleSession* session_ = nullptr;
    CQtMessageTarget* target_ = nullptr;
    std::unique_ptr<CWavixController> controller_;
    std::unique_ptr<CRollLogUi> rollLog_;
    std::unique_ptr<CLogChartsUi> logCharts_;
    std::unique_ptr<CAutoSetupUi> autoSetup_;

    std::array<CScope*, kViewCount> views_{};
    CMainViews viewSet_{views_};
    int laidOutViews_ = 1;
    int logViews_ = 0; // 0: the live arrangement
    std::unique_ptr<CToolWindows> tools_;
    QStatusBar* status_ = nullptr;
    CStatusPanes panes_;
    QTimer retry_;
    QTimer calibrationGuard_;

    StartupResult start_;
    bool ended_ = false;
    int endCode_ = 0;
    int convertedGroups_ = 0;
    std::string lastBoxText_;
    QSize startSize_;

    CommandHooks hooks_;
    CLoadedTraces loaded_;
    std::unique_ptr<IViewNoticeTarget> noticeViews_;
    std::array<bool, kViewCount> limits_{};
    QMenuBar* menuBar_ = nullptr;
    std::unique_ptr<CLogDownloadUi> logDownload_;
    std::unique_ptr<CScopeBookUi> book_;
    std::unique_ptr<CPrintUi> print_;
    std::unique_ptr<CExportUi> export_;
    CDlgHelpKeys* help_ = nullptr;
    std::unique_ptr<CMeasureTableUi> measures_;
    void redrawNow();
    CPacedCall redraw_{[this] { redrawNow(); }};
};

} // namespace wavix
