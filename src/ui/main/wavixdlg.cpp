#include "ui/main/wavixdlg.h"

#include "core/app/wavixcontroller.h"
#include "core/display/columnreduce.h"
#include "core/settings/datadirectory.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "ui/dialogs/dlgstartupoptions.h"
#include "ui/main/logchartsui.h"
#include "ui/panels/scopectrlchannel.h"
#include "ui/panels/scopectrlmeasure.h"
#include "ui/panels/scopectrltimebase.h"
#include "ui/panels/scopectrltrigger.h"
#include "ui/scope/cscope.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace wavix {

namespace {

constexpr int kPanelCount = 7;
constexpr int kRepaintMs = 200;
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

    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] {
        controller_->OnTimer(CWavixController::kRetryTimerId);
        session_->Rearm();
    });

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(2, 2, 2, 0);
    root->setSpacing(2);
    viewGrid_ = new QGridLayout;
    viewGrid_->setSpacing(2);
    const char* names[kViewCount] = {"Scope A", "Scope B", "Scope C", "Scope D"};
    for (int i = 0; i < kViewCount; ++i) {
        auto* view = new CScope(this);
        view->setObjectName(QString::fromLatin1(names[i]));
        view->SetMessageTarget(target_);
        view->setMinimumSize(200, 120);
        views_[static_cast<std::size_t>(i)] = view;
        viewGrid_->addWidget(view, i / 2, i % 2);
    }
    root->addLayout(viewGrid_, 1);
    createPanels();
    auto* strip = new QHBoxLayout;
    strip->setSpacing(2);
    auto* channels = new QGridLayout;
    channels->setSpacing(2);
    for (int i = 0; i < 4; ++i)
        channels->addWidget(panels_[static_cast<std::size_t>(i)], i / 2, i % 2);
    strip->addLayout(channels);
    auto* others = new QGridLayout;
    others->setSpacing(2);
    others->addWidget(panels_[4], 0, 0);
    others->addWidget(panels_[5], 0, 1);
    others->addWidget(panels_[6], 1, 0);
    strip->addLayout(others);
    root->addLayout(strip);
    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(true);
    root->addWidget(status_);
    resize(1024, 720);

    logCharts_ = std::make_unique<CLogChartsUi>(*this, *session_, target_);
    connect(logCharts_.get(), &CLogChartsUi::CloseAllowed, this, &CWavixDlg::reject);
}

CWavixDlg::~CWavixDlg() {
    retry_.stop();
    // Waits for a log worker and lets the views go of the log's channels.
    logCharts_.reset();
    for (CScope* view : views_)
        view->ClearChannels();
    for (ScopeCtrlBase* panel : panels_)
        panel->SetChannel(nullptr);
    session_->Close();
}

QString CWavixDlg::Title() {
    return QString::asprintf(" .: Wavix v%d.%d/vOE%d :: ", 3, 9999, 2) + QStringLiteral("DB.") +
           QStringLiteral(" (MBSC)") + QString::asprintf(" build %s - %s", __DATE__, __TIME__);
}

void CWavixDlg::createPanels() {
    for (int i = 0; i < 4; ++i)
        panels_[static_cast<std::size_t>(i)] = new ScopeCtrlChannel(this);
    panels_[4] = new ScopeCtrlTrigger(this);
    auto* timeBase = new ScopeCtrlTimeBase(this);
    timeBase->SetZoom([this] { return views_[0]->Zoom().Factor(); });
    panels_[5] = timeBase;
    auto* measure = new ScopeCtrlMeasure(this);
    measure->SetCursors([this] { return views_[0]->Cursors().Distance(); },
                        [this] { return views_[0]->Zoom().Factor(); });
    panels_[6] = measure;
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        panels_[i]->setObjectName(QStringLiteral("panel%1").arg(i));
        panels_[i]->SetTarget(target_);
    }
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
    logCharts_->SetFolders(dataDir, settings_.LangFilePath());

    if (!chooseStart())
        return false;
    controller_->SetStartMode(startModeOf(start_.choice), start_.timeBaseStep, start_.channelCount);

    createStatusBar();
    RefreshChannelPanels();
    controller_->ShowStartStatus();

    if (!openLink())
        return false;
    scopeData.SetMainWindow(target_);
    setUpViews();
    for (int ch = 1; ch <= 4; ++ch)
        scopeData.GetChannel(ch).LoadLanguageTexts(settings_.LangFilePath());
    RefreshChannelPanels();
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
    CDlgStartupOptions dlg(settings_.LangFilePath(), DefaultStartupChoice(settings_.HasStoredRecord()), this);
    if (dlg.exec() != QDialog::Accepted) {
        end(1);
        return false;
    }
    start_ = dlg.Result();
    return true;
}

void CWavixDlg::createStatusBar() {
    // Fixed widths; the separator between the name and the rest takes what is left.
    const std::array<int, 4> widths = {340, 100, 190, 24};
    const std::array<const char*, 4> names = {"ModuleName", "ModuleType", "ModuleStatus", "ModuleSlider"};
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        auto* label = new QLabel(status_);
        label->setObjectName(QString::fromLatin1(names[i]));
        label->setFixedWidth(widths[i]);
        if (i < 3)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panes_[i] = label;
    }
    status_->addWidget(panes_[0]);
    auto* separator = new QLabel(status_);
    separator->setObjectName(QStringLiteral("ModuleSeparator"));
    status_->addWidget(separator, 1);
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
        view->SetDrawStyle(static_cast<int>(DrawStyle::Envelope));
        if (vs.showMode != 0)
            view->SetDrawStyle(static_cast<int>(vs.showMode));
        view->SetBackgroundColour(vs.bkgCol);
        view->SetGridColour(vs.gridCol);
        view->SetInfoTextColour(vs.infoTxtCol);
        view->SetHalfMode(vs.halfMode);
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
    // Converted sample groups are reported with code 8.
    if (msg == Msg::UWM_SCOPE_DATA && lParam == 8)
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
    for (ScopeCtrlBase* panel : panels_)
        panel->UpdateTexts();
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
    panels_[5]->UpdateTexts();
    panels_[6]->UpdateTexts();
}

void CWavixDlg::LayoutViews(int visibleViews) {
    const int n = std::clamp(visibleViews, 1, kViewCount);
    // One view fills the area; more share it in a two-by-two grid.
    for (int i = 0; i < kViewCount; ++i) {
        viewGrid_->removeWidget(views_[static_cast<std::size_t>(i)]);
        if (n == 1)
            viewGrid_->addWidget(views_[static_cast<std::size_t>(i)], 0, 0);
        else
            viewGrid_->addWidget(views_[static_cast<std::size_t>(i)], i / 2, i % 2);
    }
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
    for (CScope* view : views_)
        view->UpdateData();
}

void CWavixDlg::RefreshChannelPanels() {
    auto& scopeData = session_->protocol().GetScopeData();
    for (int i = 0; i < 4; ++i)
        panels_[static_cast<std::size_t>(i)]->SetChannel(&scopeData.GetChannel(i + 1));
    for (std::size_t i = 4; i < panels_.size(); ++i)
        panels_[i]->SetChannel(&scopeData.GetChannel(1));
    for (ScopeCtrlBase* panel : panels_) {
        panel->UpdateTexts();
        panel->update();
    }
}

void CWavixDlg::StartRetryTimer(std::uint32_t ms) {
    retry_.start(static_cast<int>(ms));
}

void CWavixDlg::StopRetryTimer() {
    retry_.stop();
}

void CWavixDlg::end(int code) {
    ended_ = true;
    endCode_ = code;
}

void CWavixDlg::EndDialog(int result) {
    end(result);
    retry_.stop();
    if (isVisible())
        done(result);
}

void CWavixDlg::Quit(int exitCode) {
    EndDialog(exitCode);
    QCoreApplication::exit(exitCode);
}

void CWavixDlg::SaveAllSettings() {
    if (!settings_.Save(CProgramSettings::SaveScope::All, session_->protocol().GetScopeData().GetSettings()))
        std::fprintf(stderr, "wavix: the settings could not be saved\n");
}

bool CWavixDlg::CloseLink() {
    session_->Close();
    return !session_->IsOpen();
}

void CWavixDlg::ReopenLink() {
    if (!openLink())
        EndDialog(1);
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

void CWavixDlg::PostToTool(ToolWindow, Msg, std::intptr_t, std::intptr_t) {
    // The settings strip is the only tool shown; it reads the record afresh.
    RefreshChannelPanels();
}

void CWavixDlg::SendToTool(ToolWindow, Msg, std::intptr_t, std::intptr_t) {
    RefreshChannelPanels();
}

void CWavixDlg::HandleInWindow(Msg msg, std::intptr_t, std::intptr_t lParam) {
    // Menus, charts and file transfer have no window here yet.
    switch (msg) {
    case Msg::UWM_DLG_SCOPE_TOOL_BAR:
        if (lParam == 12)
            OpenLogCharts();
        break;
    case Msg::UWM_DLG_CONTROL_LOG_CHART_MSG:
        logCharts_->OnControlMessage(lParam);
        break;
    default:
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

// --- stubs: replaced by their owners ---

void CWavixDlg::SetToolWindowVisible(ToolWindow, bool) {}

bool CWavixDlg::IsToolWindowVisible(ToolWindow) const {
    return false;
}

bool CWavixDlg::StartLogDownload() {
    return false;
}

} // namespace wavix
