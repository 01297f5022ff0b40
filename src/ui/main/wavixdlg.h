#pragma once
// The main window: owns the link, the module protocol, the four views, the
// channel panels and the settings for the whole run, and hands every posted
// message to the controller, which decides what the window shows.

#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/settings/programsettings.h"
#include "core/settings/startupoptions.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QGridLayout;
class QStatusBar;

namespace wavix {

class CChannelData;
class CLogChartsUi;
class CScope;
class CWavixController;
class ModuleSession;
class QtMessageTarget;
class ScopeCtrlBase;

struct WavixDlgOptions {
    // Set: the startup choice is taken as given and the dialog is not shown.
    std::optional<StartupResult> start;
    // Empty: the data tree beside the program.
    std::string dataDir;
    // Set: message boxes are not shown, they answer this at once (scripted runs).
    std::optional<BoxAnswer> boxAnswer;
};

class CWavixDlg : public QDialog, public IMainView {
    Q_OBJECT
public:
    explicit CWavixDlg(WavixDlgOptions options = {}, QWidget* parent = nullptr);
    ~CWavixDlg() override;
    CWavixDlg(const CWavixDlg&) = delete;
    CWavixDlg& operator=(const CWavixDlg&) = delete;

    // The start-up sequence; false when it ended the dialog (the code is EndCode()).
    bool Initialise();
    bool HasEnded() const { return ended_; }
    int EndCode() const { return endCode_; }

    static QString Title();

    CScope& View(int index) { return *views_.at(static_cast<std::size_t>(index)); }
    QString PaneText(Pane pane) const;
    // The settings record in force and channel 1..4 of the sample data.
    const tOscilExchange& Record() const;
    const CChannelData& Channel(int ch) const;
    // Sample groups converted since start.
    int ConvertedGroups() const { return convertedGroups_; }
    // The last box shown (or answered without showing), for scripted runs.
    const std::string& LastBoxText() const { return lastBoxText_; }

    // IMainView
    BoxAnswer MessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                         BoxButtons buttons) override;
    void SetPaneText(Pane pane, std::string_view text) override;
    void ShowMessage(std::string_view text) override;
    void HideMessages() override;
    void RedrawTraces() override;
    void SetTriggerMarkerColor(std::uint32_t color) override;
    void SetTriggerLevel(int level) override;
    void SetInputRanges(const ViewRanges& ranges) override;
    void SetCaptureGeometry(std::uint32_t samplesPerCapture, std::uint32_t triggerPosition) override;
    void ResetScaleFactors() override;
    void LayoutViews(int visibleViews) override;
    void AttachChannels(bool multiView, int visibleViews, int activeChannels) override;
    void RefreshChannelPanels() override;
    void StartRetryTimer(std::uint32_t ms) override;
    void StopRetryTimer() override;
    void EndDialog(int result) override;
    void Quit(int exitCode) override;
    void SaveAllSettings() override;
    bool CloseLink() override;
    void ReopenLink() override;
    bool IsRollLogOpen() const override { return false; }
    void AppendLogSamples(std::uint32_t) override {}
    void EndRollLogSilently() override {}
    void SetSettingsChannelCount(int count) override;
    void CopyViewSettings() override;
    void PostToSelf(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void PostToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void SendToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void HandleInWindow(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;

    // Escape and the close box: the views let go of the channels first.
    void reject() override;

    // Log charts viewer (toolbar code 12).
    void OpenLogCharts();
    CLogChartsUi& LogCharts() { return *logCharts_; }

    // Owned by other features; stubs until they are merged.
    void SetToolWindowVisible(ToolWindow tool, bool visible);
    bool IsToolWindowVisible(ToolWindow tool) const;
    bool StartLogDownload();

protected:
    void accept() override {} // Enter does not close the window

private:
    void end(int code);
    bool fail(const char* text);
    bool chooseStart();
    void createStatusBar();
    void createPanels();
    bool openLink();
    void setUpViews();
    void onMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    QLabel* pane(Pane p) const;

    WavixDlgOptions options_;
    CProgramSettings settings_;
    CMainTexts texts_;
    ModuleSession* session_ = nullptr;
    QtMessageTarget* target_ = nullptr;
    std::unique_ptr<CWavixController> controller_;
    std::unique_ptr<CLogChartsUi> logCharts_;

    std::array<CScope*, kViewCount> views_{};
    QGridLayout* viewGrid_ = nullptr;
    std::array<ScopeCtrlBase*, 7> panels_{};
    QStatusBar* status_ = nullptr;
    std::array<QLabel*, 4> panes_{};
    QTimer retry_;

    StartupResult start_;
    bool ended_ = false;
    int endCode_ = 0;
    int convertedGroups_ = 0;
    std::string lastBoxText_;
    QSize startSize_;
};

} // namespace wavix
