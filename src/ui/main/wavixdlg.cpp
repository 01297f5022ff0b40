#include "ui/main/wavixdlg.h"

#include "core/app/capturesave.h"
#include "core/app/wavixcontroller.h"
#include "core/app/windowlayout.h"
#include "core/display/columnreduce.h"
#include "core/files/scopebookload.h"
#include "core/files/scopefile.h"
#include "core/settings/datadirectory.h"
#include "platform/logdownloaddriver.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "ui/dialogs/dlgcalibration.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlggetlogfiles.h"
#include "ui/dialogs/dlgsavescope.h"
#include "ui/dialogs/dlgscopebook.h"
#include "ui/dialogs/dlgstartupoptions.h"
#include "ui/main/logchartsui.h"
#include "ui/print/printjob.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace wavix {

namespace {

constexpr int kRepaintMs = 200;
constexpr QSize kStartSize(1000, 680);
constexpr double kConverterTop = 1023.0;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

StartMode startModeOf(StartupChoice choice) {
    switch (choice) {
    case StartupChoice::LastOnPc:
        return StartMode::SendOwn;
    case StartupChoice::Custom:
        return StartMode::Custom;
    case StartupChoice::Tester:
    case StartupChoice::SampleChart:
        break;
    }
    return StartMode::AskModule;
}

} // namespace

CWavixDlg::CWavixDlg(WavixDlgOptions options, QWidget* parent)
    : QDialog(parent), options_(std::move(options)) {
    setWindowTitle(Title());
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);

    session_ = new ModuleSession(this);
    target_ =
        new QtMessageTarget([this](Msg m, std::intptr_t w, std::intptr_t l) { onMessage(m, w, l); }, this);
    controller_ = std::make_unique<CWavixController>(session_->protocol(), *this, texts_);
    rollLog_ = std::make_unique<CRollLogCommand>(
        *this, texts_, [this](const std::filesystem::path& folder) { return chooseSaveFile(folder, true); },
        [this](bool logging) {
            SetLoggingLook(logging);
            views_[0]->SetRollRecording(logging);
            views_[0]->update();
        });
    rollLog_->SetAutoConfirm(!options_.savePath.empty());

    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] {
        controller_->OnTimer(CWavixController::kRetryTimerId);
        session_->Rearm();
    });
    calibrationGuard_.setSingleShot(true);
    connect(&calibrationGuard_, &QTimer::timeout, this, [this] {
        controller_->OnTimer(CWavixController::kCalibrationGuardTimerId);
        session_->Rearm();
    });

    // Placed by relayout(): views above the tool strips, the status bar at the bottom.
    const char* names[kViewCount] = {"Scope A", "Scope B", "Scope C", "Scope D"};
    for (int i = 0; i < kViewCount; ++i) {
        auto* view = new CScope(this);
        view->setObjectName(QString::fromLatin1(names[i]));
        view->SetMessageTarget(target_);
        view->setMinimumSize(200, 120);
        views_[static_cast<std::size_t>(i)] = view;
    }
    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(true);
    createCommands();
    // Also the smallest size: it must fit a 1366 x 768 laptop screen below its desktop panel.
    resize(kStartSize);

    logCharts_ = std::make_unique<CLogChartsUi>(*this, *session_, target_);
    connect(logCharts_.get(), &CLogChartsUi::CloseAllowed, this, &CWavixDlg::reject);
}

CWavixDlg::~CWavixDlg() {
    retry_.stop();
    calibrationGuard_.stop();
    // Waits for a log worker and lets the views go of the log's channels.
    logCharts_.reset();
    for (CScope* view : views_)
        view->ClearChannels();
    if (settingsWindow_ != nullptr)
        settingsWindow_->BindChannels({});
    if (channelOptions_ != nullptr)
        channelOptions_->OnControl(0, Encode(ChannelOptionsNotice::Clear));
    session_->Close();
}

QString CWavixDlg::Title() {
    return QString::asprintf(" .: Wavix v%d.%d/vOE%d :: ", 3, 9999, 2) + QStringLiteral("DB.") +
           QStringLiteral(" (MBSC)") + QString::asprintf(" build %s - %s", __DATE__, __TIME__);
}

// Created once the language file is known; the strips follow their show flags.
void CWavixDlg::createToolWindows() {
    const std::filesystem::path lang = settings_.LangFilePath();
    toolbar_ = new CDlgScopeToolBar(lang, this);
    toolbar_->SetTarget(target_);
    settingsWindow_ = new CDlgScopeSettings(lang, settings_.DataDirectory(), this);
    settingsWindow_->SetTarget(target_);
    followView(reinterpret_cast<std::intptr_t>(&views_[0]->Zoom()));
    toolbar_->setVisible(settings_.ShowToolbar());
    settingsWindow_->setVisible(settings_.ShowSettingsWindow());
    channelOptions_ = new CDlgChannelOptions(settings_.DataDirectory(), this, settings_.LangFilePath());
    channelInfo_ = new CDlgChannelInfo(lang, this);
    channelOptions_->hide();
    channelInfo_->hide();
    relayout();
}

void CWavixDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    relayout();
}

void CWavixDlg::relayout() {
    const int statusHeight = status_->sizeHint().height();
    status_->setGeometry(0, height() - statusHeight, width(), statusHeight);
    int top = 2;
    if (menuBar_ != nullptr) {
        menuBar_->setGeometry(0, 0, width(), menuBar_->sizeHint().height());
        top += menuBar_->height();
    }
    const auto toQRect = [](const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); };
    const MainRegions regions = ComputeMainRegions(Rect{0, top, width(), height() - statusHeight},
                                                   IsToolWindowVisible(ToolWindow::Toolbar),
                                                   IsToolWindowVisible(ToolWindow::Settings));
    if (toolbar_ != nullptr)
        toolbar_->setGeometry(toQRect(regions.toolbar));
    if (settingsWindow_ != nullptr)
        settingsWindow_->setGeometry(toQRect(regions.settings));
    const Rect area{regions.views.left + 2, regions.views.top, regions.views.right - 2,
                    regions.views.bottom - 2};
    const auto bands = ArrangeViews(area, controller_->State().multiView, laidOutViews_);
    for (std::size_t i = 0; i < views_.size(); ++i)
        if (!bands[i].IsEmpty())
            views_[i]->setGeometry(toQRect(bands[i]));
}

void CWavixDlg::SetToolWindowVisible(ToolWindow tool, bool visible) {
    switch (tool) {
    case ToolWindow::Toolbar:
        settings_.SetShowToolbar(visible);
        if (toolbar_ != nullptr)
            toolbar_->setVisible(visible);
        relayout();
        break;
    case ToolWindow::Settings:
        settings_.SetShowSettingsWindow(visible);
        if (settingsWindow_ != nullptr)
            settingsWindow_->setVisible(visible);
        relayout();
        break;
    case ToolWindow::ChannelOptions:
    case ToolWindow::ChannelInfo: {
        QDialog* dlg = tool == ToolWindow::ChannelOptions ? static_cast<QDialog*>(channelOptions_)
                                                          : static_cast<QDialog*>(channelInfo_);
        if (dlg == nullptr)
            break;
        dlg->setVisible(visible);
        if (visible) {
            dlg->raise();
            dlg->activateWindow();
        }
        break;
    }
    case ToolWindow::LogChartControl:
    case ToolWindow::LogFiles:
        break;
    }
}

bool CWavixDlg::IsToolWindowVisible(ToolWindow tool) const {
    switch (tool) {
    case ToolWindow::Toolbar:
        return toolbar_ != nullptr && settings_.ShowToolbar();
    case ToolWindow::Settings:
        return settingsWindow_ != nullptr && settings_.ShowSettingsWindow();
    case ToolWindow::ChannelOptions:
        return channelOptions_ != nullptr && channelOptions_->isVisible();
    case ToolWindow::ChannelInfo:
        return channelInfo_ != nullptr && channelInfo_->isVisible();
    case ToolWindow::LogChartControl:
    case ToolWindow::LogFiles:
        break;
    }
    return false;
}

void CWavixDlg::ShowChannelInfo(const CChannelData& channel) {
    if (channelInfo_ == nullptr)
        return;
    channelInfo_->SetChannel(channel);
    SetToolWindowVisible(ToolWindow::ChannelInfo, true);
}

void CWavixDlg::SetLoggingLook(bool logging) {
    if (toolbar_ != nullptr)
        toolbar_->SetLoggingLook(logging);
    if (settingsWindow_ != nullptr)
        settingsWindow_->SetControlsEnabled(!logging);
    if (channelOptions_ != nullptr)
        channelOptions_->setEnabled(!logging);
}

bool CWavixDlg::Initialise() {
    // The window may grow but never shrink below its start size.
    startSize_ = size();
    setMinimumSize(startSize_);

    const std::string dataDir = options_.dataDir.empty() ? FindDataDirectory() : options_.dataDir;
    std::error_code error;
    if (dataDir.empty() || !std::filesystem::is_directory(dataDir, error))
        return fail(" Data directory not found ... ");
    auto& scopeData = session_->protocol().GetScopeData();
    if (!settings_.Load(dataDir, scopeData.GetSettings()))
        return fail("Cann't load program settings ...");
    scopeData.SetSettings(settings_.LastRecord(), false);
    if (!settings_.LoadTexts())
        return fail("Cann't load program strings ...");
    texts_.Load(settings_.LangFilePath());
    createMenuBar();
    rollLog_->LoadTexts(settings_.LangFilePath());
    logCharts_->SetFolders(dataDir, settings_.LangFilePath());

    if (!chooseStart())
        return false;
    controller_->SetStartMode(startModeOf(start_.choice), start_.timeBaseStep, start_.channelCount);

    createStatusBar();
    createToolWindows();
    RefreshChannelPanels();
    controller_->ShowStartStatus();

    if (!openLink())
        return false;
    scopeData.SetMainWindow(target_);
    setUpViews();
    for (int ch = 1; ch <= 4; ++ch)
        scopeData.GetChannel(ch).LoadLanguageTexts(settings_.LangFilePath());
    RefreshChannelPanels();
    // The tool windows learn the start state.
    PostToTool(ToolWindow::Settings, Msg::UWM_DLG_SCOPE_SETTINGS, 0, 0);
    PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, controller_->State().multiView ? 0 : 1,
               Encode(ToolbarState::SingleView));
    PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, scopeData.IsRunning() ? 1 : 0,
               Encode(ToolbarState::Running));
    PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, views_[0]->GetDrawStyle(),
               Encode(ToolbarState::ShowMode));
    PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, scopeData.GetActiveChannelCount(),
               Encode(ToolbarState::ChannelCount));
    relayout();
    session_->Rearm();
    return !ended_;
}

bool CWavixDlg::fail(const char* text) {
    MessageBox(" .: ERROR ... ", text, BoxIcon::Error, BoxButtons::Ok);
    end(1);
    return false;
}

bool CWavixDlg::chooseStart() {
    if (options_.start) {
        start_ = *options_.start;
        return true;
    }
    // Enter keeps the tester's set-up: the PC's record is sent only when chosen.
    CDlgStartupOptions dlg(settings_.LangFilePath(), StartupChoice::Tester, this);
    if (dlg.exec() != QDialog::Accepted) {
        end(1);
        return false;
    }
    start_ = dlg.Result();
    return true;
}

void CWavixDlg::createStatusBar() {
    // The name pane carries the whole information line, so it takes what is left;
    // the others keep fixed widths.
    const std::array<int, 4> widths = {340, 100, 190, 24};
    const std::array<const char*, 4> names = {"ModuleName", "ModuleType", "ModuleStatus", "ModuleSlider"};
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        auto* label = new QLabel(status_);
        label->setObjectName(QString::fromLatin1(names[i]));
        if (i == 0)
            label->setMinimumWidth(widths[i]);
        else
            label->setFixedWidth(widths[i]);
        if (i < 3)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panes_[i] = label;
    }
    status_->addWidget(panes_[0], 1);
    for (std::size_t i = 1; i < panes_.size(); ++i)
        status_->addWidget(panes_[i]);
}

bool CWavixDlg::openLink() {
    const auto& general = settings_.General();
    for (;;) {
        if (session_->Open(general.ReaderAddress(), general.ReaderPort(), target_))
            return true;
        const BoxAnswer answer =
            MessageBox(" .: ERROR ... ", texts_.Get("TXT_101"), BoxIcon::Question, BoxButtons::YesNo);
        session_->Close();
        if (answer != BoxAnswer::Yes) {
            end(1);
            return false;
        }
    }
}

void CWavixDlg::setUpViews() {
    for (int i = 0; i < kViewCount; ++i) {
        CScope* view = views_[static_cast<std::size_t>(i)];
        const ViewSettings& vs = settings_.View(i);
        // The stored show mode is only kept for the file: every run starts in the envelope.
        view->SetDrawStyle(static_cast<int>(DrawStyle::Envelope));
        view->SetBackgroundColour(vs.bkgCol);
        view->SetGridColour(vs.gridCol);
        view->SetInfoTextColour(vs.infoTxtCol);
        view->SetHalfMode(vs.halfMode);
        view->SetZoomBar(vs.scrollBar);
        view->SetValueMin(0.0);
        view->SetValueMax(kConverterTop);
        view->SetHorizontalDivisions(kHorizontalDivisions);
        view->SetVerticalDivisions(view->IsHalfMode() ? 3 : 6);
        view->SetRefreshPeriod(kRepaintMs);
        view->setVisible(i == 0);
    }
    auto& scopeData = session_->protocol().GetScopeData();
    for (int ch = 1; ch <= 4; ++ch)
        scopeData.GetChannel(ch).SetColor(settings_.ChannelColour(ch));
    AttachChannels(false, 1, scopeData.GetActiveChannelCount());
}

void CWavixDlg::onMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (msg == Msg::UWM_SCOPE_DATA && Decode<ScopeDataNotice>(lParam) == ScopeDataNotice::NewSamples)
        ++convertedGroups_;
    controller_->OnMessage(msg, wParam, lParam);
    session_->Rearm();
}

const tOscilExchange& CWavixDlg::Record() const {
    return session_->protocol().GetScopeData().GetSettings();
}

const CChannelData& CWavixDlg::Channel(int ch) const {
    return session_->protocol().GetScopeData().GetChannel(ch);
}

QLabel* CWavixDlg::pane(Pane p) const {
    switch (p) {
    case Pane::ModuleName:
        return panes_[0];
    case Pane::ModuleType:
        return panes_[1];
    case Pane::ModuleStatus:
        return panes_[2];
    case Pane::ModuleSlider:
        return panes_[3];
    }
    return nullptr;
}

QString CWavixDlg::PaneText(Pane p) const {
    const QLabel* label = pane(p);
    return label != nullptr ? label->text() : QString();
}

BoxAnswer CWavixDlg::MessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                                BoxButtons buttons) {
    lastBoxText_ = std::string(text);
    if (options_.boxAnswer) {
        std::fprintf(stderr, "wavix: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        return buttons == BoxButtons::Ok ? BoxAnswer::Ok : *options_.boxAnswer;
    }
    QMessageBox box(qtIcon(icon), qs(caption), qs(text),
                    buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    isVisible() ? this : nullptr);
    const int answer = box.exec();
    if (buttons == BoxButtons::Ok)
        return BoxAnswer::Ok;
    return answer == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

void CWavixDlg::SetPaneText(Pane p, std::string_view text) {
    if (QLabel* label = pane(p))
        label->setText(qs(text));
}

void CWavixDlg::ShowMessage(std::string_view text) {
    for (CScope* view : views_)
        view->SetMessage(std::string(text));
}

void CWavixDlg::HideMessages() {
    for (CScope* view : views_)
        view->SetMessage({});
}

void CWavixDlg::RedrawTraces() {
    for (CScope* view : views_) {
        view->UpdateData();
        view->update();
    }
    if (settingsWindow_ != nullptr)
        settingsWindow_->RefreshPanels();
}

void CWavixDlg::SetTriggerMarkerColor(std::uint32_t color) {
    for (CScope* view : views_) {
        view->TriggerLevel().SetOutlineColour(color);
        view->Invalidate();
    }
}

void CWavixDlg::SetTriggerLevel(int level) {
    for (CScope* view : views_)
        view->SetTriggerLevel(0, static_cast<int>(kConverterTop), std::clamp(level, 0, 1023));
}

void CWavixDlg::SetInputRanges(const ViewRanges& ranges) {
    for (std::size_t k = 0; k < views_.size(); ++k)
        views_[k]->SetRangeIndex(ranges[k]);
}

void CWavixDlg::SetCaptureGeometry(std::uint32_t samplesPerCapture, std::uint32_t triggerPosition) {
    for (CScope* view : views_) {
        view->TriggerPosition().SetRange(0, samplesPerCapture);
        // A capture of no samples (or a position past its end) has no place for the marker.
        if (samplesPerCapture > 0 && triggerPosition <= samplesPerCapture)
            view->TriggerPosition().SetPosition(100.0 * triggerPosition / samplesPerCapture);
        view->Invalidate();
    }
}

void CWavixDlg::ResetScaleFactors() {
    for (CScope* view : views_) {
        view->ResetZoom();
        view->Invalidate();
    }
    if (settingsWindow_ != nullptr)
        settingsWindow_->RefreshPanels();
}

void CWavixDlg::LayoutViews(int visibleViews) {
    laidOutViews_ = std::clamp(visibleViews, 1, kViewCount);
    relayout();
}

void CWavixDlg::AttachChannels(bool multiView, int visibleViews, int activeChannels) {
    auto& scopeData = session_->protocol().GetScopeData();
    for (CScope* view : views_) {
        view->ClearChannels();
        view->hide();
    }
    if (!multiView) {
        for (int ch = 1; ch <= std::clamp(activeChannels, 1, 4); ++ch)
            views_[0]->AddChannel(&scopeData.GetChannel(ch));
        views_[0]->show();
    } else {
        for (int k = std::clamp(visibleViews, 1, kViewCount); k >= 1; --k) {
            views_[static_cast<std::size_t>(k - 1)]->AddChannel(&scopeData.GetChannel(k));
            views_[static_cast<std::size_t>(k - 1)]->show();
        }
    }
    reattachLoaded();
    relayout();
    for (CScope* view : views_)
        view->UpdateData();
}

void CWavixDlg::RefreshChannelPanels() {
    if (settingsWindow_ == nullptr)
        return;
    auto& scopeData = session_->protocol().GetScopeData();
    settingsWindow_->BindChannels({&scopeData.GetChannel(1), &scopeData.GetChannel(2),
                                   &scopeData.GetChannel(3), &scopeData.GetChannel(4)});
}

void CWavixDlg::StartRetryTimer(std::uint32_t ms) {
    retry_.start(static_cast<int>(ms));
}

void CWavixDlg::StopRetryTimer() {
    retry_.stop();
}

// --- calibration ---
void CWavixDlg::StartCalibrationGuard(std::uint32_t ms) {
    calibrationGuard_.start(static_cast<int>(ms));
}

void CWavixDlg::StopCalibrationGuard() {
    calibrationGuard_.stop();
}

void CWavixDlg::RunCalibration() {
    if (!session_->protocol().GetScopeData().IsRunning()) {
        MessageBox(".: Info ...", texts_.Get("TXT_1411"), BoxIcon::Information, BoxButtons::Ok);
        return;
    }
    CDlgCalibration dlg(this);
    dlg.SetLanguage(settings_.LangFilePath());
    if (dlg.exec() != QDialog::Accepted)
        return;
    controller_->StartCalibration(dlg.Record());
    session_->Rearm();
}
// --- end calibration ---

void CWavixDlg::end(int code) {
    ended_ = true;
    endCode_ = code;
}

void CWavixDlg::EndDialog(int result) {
    end(result);
    retry_.stop();
    calibrationGuard_.stop();
    if (isVisible())
        done(result);
}

void CWavixDlg::Quit(int exitCode) {
    EndDialog(exitCode);
    QCoreApplication::exit(exitCode);
}

void CWavixDlg::SaveAllSettings() {
    // The views and channels hold what is in force, however it was changed.
    for (int i = 0; i < kViewCount; ++i) {
        const CScope& v = *views_[static_cast<std::size_t>(i)];
        ViewSettings look;
        look.showMode = static_cast<std::uint32_t>(v.GetDrawStyle());
        look.bkgCol = v.GetBackgroundColour();
        look.gridCol = v.GetGridColour();
        look.infoTxtCol = v.GetInfoTextColour();
        look.halfMode = v.IsHalfMode();
        look.scrollBar = v.HasZoomBar();
        settings_.SetView(i, look);
    }
    for (int ch = 1; ch <= 4; ++ch)
        settings_.SetChannelColour(ch, Channel(ch).GetColor());
    if (!settings_.Save(CProgramSettings::SaveScope::All, session_->protocol().GetScopeData().GetSettings()))
        std::fprintf(stderr, "wavix: the settings could not be saved\n");
}

bool CWavixDlg::CloseLink() {
    session_->Close();
    return !session_->IsOpen();
}

void CWavixDlg::ReopenLink() {
    if (!openLink()) {
        EndDialog(1);
        return;
    }
    // A new session: the one let go still counts as connected, so the first
    // echo answer would not start the module again and capture would never resume.
    session_->protocol().Reinit();
}

void CWavixDlg::SetSettingsChannelCount(int) {
    RefreshChannelPanels();
}

void CWavixDlg::CopyViewSettings() {
    const CScope& a = *views_[0];
    for (std::size_t k = 1; k < views_.size(); ++k) {
        CScope& v = *views_[k];
        v.SetBackgroundColour(a.GetBackgroundColour());
        v.SetGridColour(a.GetGridColour());
        v.SetDrawStyle(a.GetDrawStyle());
        v.SetHalfMode(a.IsHalfMode());
        v.SetVerticalDivisions(a.GetVerticalDivisions());
    }
}

void CWavixDlg::PostToSelf(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    target_->post(msg, wParam, lParam);
}

void CWavixDlg::PostToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    // Taken after the current message, in the order posted; dropped with the window.
    QMetaObject::invokeMethod(
        this, [this, tool, msg, wParam, lParam] { SendToTool(tool, msg, wParam, lParam); },
        Qt::QueuedConnection);
}

void CWavixDlg::SendToTool(ToolWindow tool, Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    switch (tool) {
    case ToolWindow::Toolbar:
        if (toolbar_ != nullptr && msg == Msg::UWM_DLG_SCOPE_TOOL_BAR)
            toolbar_->OnStateMessage(wParam, lParam);
        break;
    case ToolWindow::Settings:
        if (settingsWindow_ == nullptr)
            break;
        if (msg == Msg::UWM_SCOPE)
            followView(wParam);
        settingsWindow_->OnMessage(msg, wParam, lParam);
        break;
    case ToolWindow::ChannelOptions:
        deliverToChannelOptions(msg, wParam, lParam);
        break;
    case ToolWindow::LogChartControl:
        if (msg == Msg::UWM_SCOPE && (Decode<ViewNotice>(lParam) == ViewNotice::Measure ||
                                      Decode<ViewNotice>(lParam) == ViewNotice::ZoomInfo))
            shareMeasurementWithLog(wParam);
        break;
    case ToolWindow::ChannelInfo: // shows a snapshot, nothing to follow
    case ToolWindow::LogFiles:
        break;
    }
}

void CWavixDlg::followView(std::intptr_t zoomOrCursors) {
    // The time panels describe the view whose zoom or cursors the user touched last.
    for (CScope* view : views_) {
        if (reinterpret_cast<std::intptr_t>(&view->Zoom()) != zoomOrCursors &&
            reinterpret_cast<std::intptr_t>(&view->Cursors()) != zoomOrCursors)
            continue;
        settingsWindow_->SetDisplaySources([view] { return view->Zoom().Factor(); },
                                           [view] { return view->Cursors().Distance(); });
        return;
    }
}

void CWavixDlg::deliverToChannelOptions(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (channelOptions_ == nullptr)
        return;
    if (msg == Msg::UWM_CHANNEL_DATA_CTRL) {
        channelOptions_->OnControl(0, Encode(ChannelOptionsNotice::Refresh));
        return;
    }
    if (msg != Msg::UWM_CHANNEL_OPTIONS_CTRL)
        return;
    if (Decode<ChannelOptionsNotice>(lParam) == ChannelOptionsNotice::Append) {
        // The message carries a bare address: only a channel of the sample data is taken.
        const auto& scopeData = session_->protocol().GetScopeData();
        std::intptr_t known = 0;
        for (int ch = 1; ch <= 4; ++ch)
            if (reinterpret_cast<std::intptr_t>(&scopeData.GetChannel(ch)) == wParam)
                known = wParam;
        wParam = known;
    }
    channelOptions_->OnControl(wParam, lParam);
}

void CWavixDlg::HandleInWindow(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    switch (msg) {
    case Msg::UWM_DLG_SCOPE_TOOL_BAR:
        onToolbarCommand(lParam);
        break;
    case Msg::UWM_SCOPE:
        notices_->OnNotice(wParam, lParam);
        break;
    case Msg::UWM_SCOPE_CTRL_BASE:
        // The timebase panel let go of the zoom: a zoomed window would not match the new timebase.
        if (Decode<PanelNotice>(lParam) == PanelNotice::TimeBaseReleased)
            noticeViews_->ResetZoom();
        break;
    case Msg::UWM_SCOPE_RBUTTON: {
        // Screen point packed as two signed 16-bit halves.
        const auto x = static_cast<std::int16_t>(lParam & 0xFFFF);
        const auto y = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
        openViewMenu(viewOf(wParam), QPoint(x, y));
        break;
    }
    case Msg::UWM_DLG_CONTROL_LOG_CHART_MSG:
        logCharts_->OnControlMessage(lParam);
        break;
    default:
        handleLogDownload(msg, wParam, lParam);
        break;
    }
}

void CWavixDlg::OpenLogCharts() {
    logCharts_->Open();
}

void CWavixDlg::reject() {
    // A log being read keeps the window until its worker has finished.
    if (logCharts_->IsBusy()) {
        logCharts_->CloseWhenIdle();
        return;
    }
    for (CScope* view : views_)
        view->ClearChannels();
    end(0);
    QDialog::reject();
}

// --- printing ---
void CWavixDlg::PrintCapture() {
    auto& scopeData = session_->protocol().GetScopeData();
    PrintSources sources;
    sources.langFile = settings_.LangFilePath();
    sources.dataDir = settings_.DataDirectory();
    sources.displays.assign(views_.begin(), views_.end());
    sources.perChannel = controller_->State().multiView;
    sources.channelCount = scopeData.GetActiveChannelCount();
    sources.triggerChannel = &scopeData.GetChannel(std::clamp<int>(scopeData.GetSettings().TR_channel, 1, 4));
    for (int ch = 1; ch <= std::min(sources.channelCount, 4); ++ch)
        sources.channels.push_back(&scopeData.GetChannel(ch));
    CPrintJob job(this, [this](const std::string& text) {
        MessageBox(texts_.Get("TXT_1526"), text, BoxIcon::Error, BoxButtons::Ok);
    });
    job.Run(sources);
}

} // namespace wavix

namespace wavix {

// --- scope book and log download

void CWavixDlg::OpenScopeBook() {
    CDlgScopeBook book(this);
    book.SetLanguage(settings_.LangFilePath());
    const int answer = book.Run(std::filesystem::path(settings_.DataDirectory()) / "Scope" / "SampleCharts");
    ChartRecord* chosen = book.SelectedRecord();
    const ScopeBookStep step = AfterScopeBook(answer, chosen != nullptr && chosen->file != nullptr);
    if (!step.caption.empty())
        MessageBox(LangKeyNumber(step.caption) >= 0 ? texts_.Get(step.caption) : std::string(step.caption),
                   texts_.Get(step.textKey), step.errorIcon ? BoxIcon::Error : BoxIcon::Information,
                   BoxButtons::Ok);
    if (step.applySettings)
        LoadBookChart(std::move(chosen->file), step.loadTraces);
    views_[0]->SetMessage({});
}

void CWavixDlg::LoadBookChart(std::unique_ptr<CScopeFile> chart, bool traces) {
    if (!chart)
        return;
    auto& scopeData = session_->protocol().GetScopeData();
    tOscilExchange rec = scopeData.GetSettings();
    // Sent with the next exchange, as every record change is.
    if (chart->BuildSettings(rec))
        scopeData.SetSettings(rec, true);
    if (!traces)
        return;
    // A book chart is a loaded capture like any other: the same question, the
    // same removal, and it comes back after every rearrangement of the views.
    if (HasLoadedTraces() && MessageBox(" .: Error ...", texts_.Get("TXT_113"), BoxIcon::Question,
                                        BoxButtons::YesNo) == BoxAnswer::Yes)
        RemoveLoadedTraces();
    const std::vector<int> displays =
        ScopeBookDisplays(chart->GetChannelCount(), controller_->State().multiView, kViewCount);
    loaded_.Add(std::move(chart), displays);
    reattachLoaded();
    for (CScope* view : views_)
        view->update();
    session_->Rearm();
}

bool CWavixDlg::IsModuleLinkOpen() const {
    return session_->IsOpen();
}

bool CWavixDlg::StartLogDownload() {
    if (!logFiles_) {
        logFiles_ = new CDlgGetLogFiles(target_, this);
        logFiles_->setObjectName(QStringLiteral("logFiles"));
        if (options_.boxAnswer)
            logFiles_->SetAutoAnswer(*options_.boxAnswer == BoxAnswer::Yes);
        ModuleLinkControl module;
        module.isOpen = [this] { return session_->IsOpen(); };
        module.disconnectAndClose = [this] {
            // The tester stops the scope before the port changes hands.
            session_->protocol().build_ScopeSafeDisconnect_packet();
            session_->protocol().Stop();
            session_->Close();
        };
        module.reopen = [this] { ReopenLink(); };
        logDownload_ = std::make_unique<CLogDownloadDriver>(std::filesystem::path(settings_.DataDirectory()) /
                                                                "Scope" / "LogCharts",
                                                            *target_, *logFiles_, std::move(module));
    }
    logDownload_->SetLanguage(settings_.LangFilePath());
    logFiles_->SetTexts(logDownload_->State());
    logFiles_->show();
    logFiles_->raise();
    const auto& general = settings_.General();
    if (!logDownload_->Start(general.ReaderAddress(), general.ReaderPort())) {
        // The module link was shut for the file link; leaving gives it back.
        leaveLogDownload();
        return false;
    }
    return true;
}

bool CWavixDlg::handleLogDownload(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (!logDownload_)
        return false;
    if (msg == Msg::UWM_DLG_GET_LOG_FILES_MSG) {
        if (Decode<LogFilesNotice>(lParam) == LogFilesNotice::Download)
            logDownload_->OnDownloadPressed();
        else if (Decode<LogFilesNotice>(lParam) == LogFilesNotice::Close)
            leaveLogDownload();
        return true;
    }
    return logDownload_->OnMessage(msg, wParam, lParam);
}

void CWavixDlg::leaveLogDownload() {
    logFiles_->hide();
    logDownload_->Leave();
    if (!ended_)
        ReturnToLiveScope();
}

void CWavixDlg::ReturnToLiveScope() {
    // Nothing may keep pointing at a log's or a loaded file's channels.
    RemoveLoadedTraces();
    views_[0]->ClearChannels();
    for (CScope* view : views_) {
        view->SetLogMarks({});
        view->SetRefreshPeriod(kRepaintMs);
    }
    SetToolWindowVisible(ToolWindow::Settings, true);
    SetToolWindowVisible(ToolWindow::Toolbar, true);
    logCharts_->Control().hide();
    // Opening a link that is open fails with the "interface busy" question.
    if (!session_->IsOpen())
        ReopenLink();
    if (ended_)
        return;
    // The live channels at once; the next record arranges the views again anyway.
    const ControllerState& state = controller_->State();
    LayoutViews(state.visibleViews);
    AttachChannels(state.multiView, state.visibleViews,
                   session_->protocol().GetScopeData().GetActiveChannelCount());
    session_->Rearm();
}

void CWavixDlg::shareMeasurementWithLog(std::intptr_t id) {
    // The notice names the cursors (code 3) or the zoom (code 4) of one view.
    for (const CScope* view : views_) {
        if (reinterpret_cast<std::intptr_t>(&view->Cursors()) != id &&
            reinterpret_cast<std::intptr_t>(&view->Zoom()) != id)
            continue;
        logCharts_->SetMeasurement(static_cast<float>(std::abs(view->Cursors().Distance())),
                                   static_cast<float>(view->Zoom().Factor()));
        return;
    }
}

// --- saving captures and the roll-mode log ---

std::optional<SaveChoice> CWavixDlg::chooseSaveFile(const std::filesystem::path& folder, bool log) {
    if (!options_.savePath.empty())
        return SaveChoice{std::filesystem::path(options_.savePath).stem().string(), options_.savePath};
    CDlgSaveScope dlg(this, folder);
    dlg.SetLanguage(settings_.LangFilePath());
    dlg.SetSaveAll(log);
    if (dlg.Run() != QDialog::Accepted)
        return std::nullopt;
    return SaveChoice{dlg.ChartName(), dlg.FullPath()};
}

void CWavixDlg::SaveCapture(int view) {
    const CScope& scope = *views_.at(static_cast<std::size_t>(std::clamp(view, 0, kViewCount - 1)));
    std::vector<const CChannelData*> channels;
    for (int slot = 0; slot < scope.LiveCount(); ++slot)
        if (const CChannelData* ch = scope.LiveChannel(slot))
            channels.push_back(ch);
    SaveCaptureAsChart(
        *this, [this](const std::filesystem::path& folder) { return chooseSaveFile(folder, false); },
        settings_.DataDirectory(), channels, {texts_.Get("TXT_111"), rollLog_->Text(SaveText::SaveFailed)});
    views_[0]->SetMessage({});
}

void CWavixDlg::ToggleRollLog() {
    if (session_->protocol().IsAlive())
        rollLog_->Toggle(session_->protocol().GetScopeData(), settings_.DataDirectory());
}

bool CWavixDlg::IsRollMode() const {
    return session_->protocol().GetScopeData().IsRoll();
}

bool CWavixDlg::IsCalibrationLocked() const {
    return rollLog_->IsCalibrationLocked();
}

bool CWavixDlg::IsRollLogOpen() const {
    return rollLog_->IsOpen();
}

void CWavixDlg::AppendLogSamples(std::uint32_t count) {
    rollLog_->Append(count);
}

void CWavixDlg::EndRollLogIfChanged(const tOscilExchange& inForce) {
    rollLog_->EndIfChanged(inForce);
}

} // namespace wavix
