#include "ui/main/logchartsui.h"

#include "core/files/logloadjob.h"
#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "platform/modulesession.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlgloadlogcharts.h"
#include "ui/dialogs/dlgprogressbar.h"
#include "ui/main/wavixdlg.h"
#include "ui/scope/cscope.h"

#include <QScreen>
#include <QThread>

#include <algorithm>

#include <system_error>

namespace wavix {

namespace {

constexpr int kPollMs = 100;
constexpr int kMaxBars = 20;
constexpr int kLogRefreshMs = kLogDisplayRefreshMs;
constexpr int kFirstProgressText = 110;
constexpr int kLastProgressText = 115;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

CLogChartsUi::CLogChartsUi(CWavixDlg& window, CModuleSession& session, IMessageTarget* target)
    : window_(window), session_(session), viewer_(*this),
      progressTexts_(BuiltinTextRange(kFirstProgressText, kLastProgressText)) {
    control_ = std::make_unique<CDlgControlLogChart>(viewer_.Navigator(), target, &window);
    control_->setObjectName(QStringLiteral("logChartControl"));
    progress_ = std::make_unique<CDlgProgressBar>(&window);
    progress_->setObjectName(QStringLiteral("logProgress"));
    progress_->setModal(true);
    applyProgressTexts();
    connect(progress_.get(), &CDlgProgressBar::Cancelled, this, [this] {
        if (job_)
            job_->Cancel();
    });
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &CLogChartsUi::tick);
}

CLogChartsUi::~CLogChartsUi() {
    // The worker holds only its job; it is stopped early and waited for, so no
    // thread outlives the window.
    poll_.stop();
    if (worker_) {
        if (job_)
            job_->Cancel();
        worker_->disconnect(this);
        worker_->wait();
    }
    // The displays must not keep channels of a log that goes with the viewer.
    if (viewer_.IsShowing())
        ClearDisplays();
}

void CLogChartsUi::SetFolders(std::filesystem::path dataDir, std::filesystem::path langFile) {
    dataDir_ = std::move(dataDir);
    langFile_ = std::move(langFile);
    if (!langFile_.empty()) {
        viewer_.Navigator().SetLanguage(langFile_);
        control_->ApplyTexts();
        control_->Refresh();
        progressTexts_.Load(langFile_);
        applyProgressTexts();
    }
}

const std::string& CLogChartsUi::progressText(std::string_view key) const {
    const int i = TextIndex(BuiltinTextRange(kFirstProgressText, kLastProgressText), key);
    return progressTexts_[static_cast<std::size_t>(std::max(i, 0))];
}

void CLogChartsUi::applyProgressTexts() {
    progress_->setWindowTitle(qs(progressText("TXT_110")));
    progress_->SetCancelText(qs(progressText("TXT_115")));
}

void CLogChartsUi::Open() {
    if (!viewer_.CanOpen())
        return;
    const int result = chooseAndLoad();
    if (result == 0 || (result == CDlgLoadLogCharts::kCheckTester && !window_.StartLogDownload()))
        viewer_.Leave();
}

int CLogChartsUi::chooseAndLoad() {
    std::error_code ec;
    if (dataDir_.empty() || !std::filesystem::is_directory(dataDir_, ec)) {
        window_.MessageBox(" .: ERROR ... ", window_.Texts().Get("TXT_002"), BoxIcon::Error, BoxButtons::Ok);
        return 0;
    }
    CDlgLoadLogCharts chooser(&window_);
    chooser.setObjectName(QStringLiteral("logChooser"));
    if (!langFile_.empty())
        chooser.SetLanguage(langFile_);
    chooser.SetTesterReady(session_.IsOpen() && session_.protocol().IsAlive());
    const int result = chooser.Run(dataDir_ / kLogChartsFolder);
    if (result == CDlgLoadLogCharts::kCheckTester)
        return result;
    if (result != QDialog::Accepted)
        return 0;
    if (!chooser.IsChoiceValid()) {
        ShowError(kLogDataNotValid);
        return 0;
    }
    startLoad(chooser.ChosenPath());
    return 1;
}

void CLogChartsUi::OpenFile(const std::filesystem::path& path) {
    if (viewer_.CanOpen())
        startLoad(path);
}

void CLogChartsUi::startLoad(const std::filesystem::path& path) {
    if (!viewer_.BeginLoad())
        return;
    control_->hide();
    // The worker gets its own job: path, file object and marks; the window takes
    // the result over only after the thread has ended.
    job_ = std::make_shared<CLogLoadJob>(path);
    worker_.reset(QThread::create([job = job_] { job->Run(); }));
    connect(worker_.get(), &QThread::finished, this, &CLogChartsUi::finished, Qt::QueuedConnection);
    bars_ = 0;
    progress_->SetRange(0, 100);
    progress_->Begin(qs(progressText("TXT_114")));
    progress_->show();
    poll_.start();
    worker_->start();
}

void CLogChartsUi::tick() {
    if (!job_)
        return;
    if (++bars_ > kMaxBars)
        bars_ = 0;
    progress_->SetText(qs(progressText("TXT_114")) + QLatin1Char(' ') + QString(bars_, QLatin1Char('|')));
    progress_->SetPos(job_->Progress());
}

void CLogChartsUi::finished() {
    poll_.stop();
    if (worker_)
        worker_->wait();
    worker_.reset();
    LogLoadResult result = job_ ? job_->TakeResult() : LogLoadResult{};
    job_.reset();
    progress_->hide();
    const bool shown = viewer_.FinishLoad(std::move(result));
    if (!shown)
        viewer_.Leave();
    emit LoadFinished(shown);
    if (closePending_) {
        closePending_ = false;
        emit CloseAllowed();
    }
}

void CLogChartsUi::CloseWhenIdle() {
    if (!IsBusy())
        return;
    closePending_ = true;
    if (job_)
        job_->Cancel();
}

void CLogChartsUi::OnControlMessage(std::intptr_t code) {
    viewer_.OnNavigatorMessage(code);
}

void CLogChartsUi::SetMeasurement(float percent, float divisor) {
    control_->SetMeasurement(percent, divisor);
}

bool CLogChartsUi::IsLinkOpen() const {
    return session_.IsOpen();
}

void CLogChartsUi::DisconnectAndCloseLink() {
    // The module is told to let go before the socket closes; the session then
    // stands in the stopped state that the connect button reopens from.
    auto& protocol = session_.protocol();
    protocol.build_ScopeSafeDisconnect_packet();
    protocol.Stop();
    if (!window_.CloseLink())
        window_.MessageBox(" Socket ERROR ...", window_.Texts().Get("TXT_1503"), BoxIcon::Error,
                           BoxButtons::Ok);
}

void CLogChartsUi::ReopenLink() {
    window_.ReopenLink();
}

void CLogChartsUi::ShowError(std::string_view textKey) {
    window_.MessageBox(" .: ERROR ... ", window_.Texts().Get(textKey), BoxIcon::Error, BoxButtons::Ok);
}

void CLogChartsUi::ClearDisplays() {
    for (int i = 0; i < kViewCount; ++i) {
        CScope& view = window_.View(i);
        view.ClearChannels();
        view.ClearReferences();
        view.SetLogMarks({});
        view.SetLogTimeAxis(0.0, 0.0);
        view.SetMessage({});
    }
}

void CLogChartsUi::ShowLogWindow(CScopeFile& file, const std::vector<LogDisplayAssignment>& plan,
                                 const std::vector<LogMark>& marks) {
    const CLogChartNavigator& nav = viewer_.Navigator();
    const double period = nav.GetSamplePeriod();
    std::vector<DisplayMark> display;
    display.reserve(marks.size());
    for (const auto& m : marks)
        display.push_back({m.number, static_cast<std::int64_t>(m.position), m.kind});
    int shown = 0;
    for (const auto& assignment : plan) {
        CScope& view = window_.View(assignment.display);
        for (int c : assignment.channels) {
            CChannelData* channel = file.GetChannel(c);
            // A log's channel looks like the live channel it was recorded from.
            if (channel != nullptr) {
                const int live = channel->GetChannel() >= 1 && channel->GetChannel() <= kViewCount
                                     ? channel->GetChannel()
                                     : c + 1;
                channel->SetColor(window_.Channel(std::min(live, kViewCount)).GetColor());
            }
            view.AddChannel(channel);
        }
        view.SetRefreshPeriod(kLogRefreshMs);
        view.ResetZoom();
        view.SetLogTimeAxis(static_cast<double>(nav.Position()) * period, period);
        view.SetLogMarks(display);
        view.UpdateData();
        ++shown;
    }
    window_.LayoutLogViews(shown);
    for (int i = 0; i < kViewCount; ++i)
        window_.View(i).setVisible(i < std::max(shown, 1));
}

void CLogChartsUi::ShowNavigator(const std::vector<std::string>& channelLines) {
    window_.SetToolWindowVisible(ToolWindow::Settings, false);
    window_.SetToolWindowVisible(ToolWindow::Toolbar, false);
    control_->ShowLog(channelLines);
    control_->adjustSize();
    control_->show();
    // Beside the main window, where it hides no trace.
    const QRect owner = window_.frameGeometry();
    const QScreen* screen = window_.screen();
    const QRect free = screen != nullptr ? screen->availableGeometry() : owner;
    const QSize size = control_->frameGeometry().size();
    const Point at =
        PlaceBeside({owner.left(), owner.top(), owner.right() + 1, owner.bottom() + 1}, size.width(),
                    size.height(), {free.left(), free.top(), free.right() + 1, free.bottom() + 1});
    control_->move(at.x, at.y);
    control_->raise();
}

void CLogChartsUi::StepWindow(int direction) {
    // F7 and F8: half a window back or on, as the navigator's position buttons.
    if (!viewer_.IsShowing())
        return;
    if (direction == 1)
        control_->PressPositionBack();
    else if (direction == 2)
        control_->PressPositionForward();
}

void CLogChartsUi::RefreshNavigator() {
    control_->Refresh();
}

void CLogChartsUi::RestoreLiveScope() {
    // The same way back as from the log download.
    window_.ReturnToLiveScope();
}

} // namespace wavix
