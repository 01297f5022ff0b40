#pragma once
// The log chart viewer inside the main window: the log chooser, the worker that
// opens the chosen log behind a progress window, the navigation window, and the
// main window's displays and link lent to CLogChartViewer.

#include "core/app/logcharthost.h"
#include "core/app/logchartviewer.h"
#include "core/app/windowparts.h"
#include "core/settings/langtexts.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <memory>

class QThread;

namespace wavix {

class CDlgControlLogChart;
class CDlgProgressBar;
class CLogLoadJob;
class CWavixDlg;
class IMessageTarget;
class CModuleSession;

class CLogChartsUi : public QObject, public ILogChartControl, private ILogChartHost {
    Q_OBJECT
public:
    CLogChartsUi(CWavixDlg& window, CModuleSession& session, IMessageTarget* target);
    ~CLogChartsUi() override;
    CLogChartsUi(const CLogChartsUi&) = delete;
    CLogChartsUi& operator=(const CLogChartsUi&) = delete;

    void SetFolders(std::filesystem::path dataDir, std::filesystem::path langFile);

    // Toolbar code 12: choose a log and show it, or ask for the tester's files.
    void Open();
    // Opens the given log without the chooser (scripted runs, tests).
    void OpenFile(const std::filesystem::path& path);
    // UWM_DLG_CONTROL_LOG_CHART_MSG.
    void OnControlMessage(std::intptr_t code) override;
    // The display's measured span, as percent of the window and the scale divisor.
    void SetMeasurement(float percent, float divisor);
    // The view's mark buttons (F7 / F8) while a log is shown: 1 back, 2 on.
    void StepWindow(int direction);

    // While a worker reads a log, nothing may open another or close the window.
    bool IsBusy() const { return viewer_.IsLoading(); }
    // Cancels a running load; the window is closed once the worker has finished.
    void CloseWhenIdle();

    bool LinkOpen() const { return IsLinkOpen(); }
    CLogChartViewer& Viewer() { return viewer_; }
    CDlgControlLogChart& Control() { return *control_; }
    CDlgProgressBar& Progress() { return *progress_; }

signals:
    // The worker finished and its result was taken over (shown or refused).
    void LoadFinished(bool shown);
    // A closed window was asked for while loading; it can close now.
    void CloseAllowed();

private:
    int chooseAndLoad();
    void startLoad(const std::filesystem::path& path);
    void tick();
    void finished();
    const std::string& progressText(std::string_view key) const;
    void applyProgressTexts();

    // ILogChartHost
    bool IsLinkOpen() const override;
    void DisconnectAndCloseLink() override;
    void ReopenLink() override;
    void ShowError(std::string_view textKey) override;
    void ClearDisplays() override;
    void ShowLogWindow(CScopeFile& file, const std::vector<LogDisplayAssignment>& plan,
                       const std::vector<LogMark>& marks) override;
    void ShowNavigator(const std::vector<std::string>& channelLines) override;
    void RefreshNavigator() override;
    void RestoreLiveScope() override;

    CWavixDlg& window_;
    CModuleSession& session_;
    CLogChartViewer viewer_;
    std::filesystem::path dataDir_;
    std::filesystem::path langFile_;
    // Windows of the main window, but owned here: they show this object's state,
    // so they go with it (the main window ends this object first).
    std::unique_ptr<CDlgControlLogChart> control_;
    std::unique_ptr<CDlgProgressBar> progress_;
    std::shared_ptr<CLogLoadJob> job_;
    std::unique_ptr<QThread> worker_;
    QTimer poll_;
    // The progress window's title, running text and cancel button.
    CTextTable progressTexts_;
    int bars_ = 0;
    bool closePending_ = false;
};

} // namespace wavix
