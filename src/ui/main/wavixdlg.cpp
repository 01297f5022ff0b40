#include "ui/main/wavixdlg.h"

#include "core/support/version.h"

#include "core/app/capturesave.h"
#include "core/app/wavixcontroller.h"
#include "core/app/windowlayout.h"
#include "core/display/columnreduce.h"
#include "core/files/scopefile.h"
#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "core/settings/langtexts.h"
#include "core/support/programfolder.h"
#include "core/support/strformat.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "ui/dialogs/dlgcalibration.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlgstartupoptions.h"
#include "ui/main/exportui.h"
#include "ui/main/logchartsui.h"
#include "ui/main/logdownloadui.h"
#include "ui/main/mainviews.h"
#include "ui/main/printui.h"
#include "ui/main/rolllogui.h"
#include "ui/main/scopebookui.h"
#include "ui/main/statuspanes.h"
#include "ui/main/toolwindows.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"

#include <QCoreApplication>
#include <QKeyEvent>
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

constexpr QSize kStartSize(1000, 680);

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

    session_ = new CModuleSession(capture_, this);
    target_ =
        new CQtMessageTarget([this](Msg m, std::intptr_t w, std::intptr_t l) { onMessage(m, w, l); }, this);
    controller_ = std::make_unique<CWavixController>(session_->protocol(), capture_, *this, texts_);
    capture_.AddListener(*this);
    rollLog_ = std::make_unique<CRollLogUi>(*this, *this, texts_, settings_, capture_, [this](bool logging) {
        SetLoggingLook(logging);
        views_[0]->SetRollRecording(logging);
        views_[0]->update();
    });
    rollLog_->Command().SetAutoConfirm(!options_.savePath.empty());
    rollLog_->SetScriptedPath(options_.savePath);

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
    tools_ =
        std::make_unique<CToolWindows>(*this, settings_, capture_.Data(), views_, [this] { relayout(); });
    status_ = new QStatusBar(this);
    status_->setSizeGripEnabled(true);
    createCommands();
    // Also the smallest size: it must fit a 1366 x 768 laptop screen below its desktop panel.
    resize(kStartSize);

    createParts();
}

CWavixDlg::~CWavixDlg() {
    retry_.stop();
    calibrationGuard_.stop();
    capture_.RemoveListener(*this);
    // Waits for a log worker and lets the views go of the log's channels.
    logCharts_.reset();
    for (CScope* view : views_)
        view->ClearChannels();
    tools_->Release();
    session_->Close();
}

QString CWavixDlg::Title() {
    return QStringLiteral(" .: Wavix v") + QString::fromLatin1(WavixVersion()) +
           QStringLiteral(" :: DB. (MBSC)");
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
    if (tools_->ToolBar() != nullptr)
        tools_->ToolBar()->setGeometry(toQRect(regions.toolbar));
    if (tools_->SettingsWindow() != nullptr)
        tools_->SettingsWindow()->setGeometry(toQRect(regions.settings));
    const Rect area{regions.views.left + 2, regions.views.top, regions.views.right - 2,
                    regions.views.bottom - 2};
    const auto bands = logViews_ > 0 ? ArrangeViews(area, logViews_ > 1, logViews_)
                                     : ArrangeViews(area, controller_->State().multiView, laidOutViews_);
    for (std::size_t i = 0; i < views_.size(); ++i)
        if (!bands[i].IsEmpty())
            views_[i]->setGeometry(toQRect(bands[i]));
}

bool CWavixDlg::Initialise() {
    // The window may grow but never shrink below its start size.
    startSize_ = size();
    setMinimumSize(startSize_);

    if (!chooseDataTree())
        return false;
    const std::string& dataDir = dataTree_.dataDir;
    auto& scopeData = capture_.Data();
    if (!settings_.Load(dataDir, scopeData.GetSettings()))
        return fail("Cann't load program settings ...");
    scopeData.SetSettings(settings_.LastRecord(), false);
    if (!settings_.LoadTexts())
        return fail("Cann't load program strings ...");
    texts_.Load(settings_.LangFilePath());
    createMenuBar();
    autoSetup_->LoadTexts(settings_.LangFilePath());
    autoSetup_->BindMenu(*menuBar_);
    rollLog_->Command().LoadTexts(settings_.LangFilePath());
    logCharts_->SetFolders(dataDir, settings_.LangFilePath());

    if (!chooseStart())
        return false;
    controller_->SetStartMode(startModeOf(start_.choice), start_.timeBaseStep, start_.channelCount);

    panes_.Create(*status_, [this] { OpenConnection(); });
    rollLog_->AttachStatus(*status_, status_->findChild<QWidget*>(QStringLiteral("ModuleName")));
    tools_->Create(target_);
    measures_->Create(dataDir, settings_.LangFilePath());
    RefreshChannelPanels();
    controller_->ShowStartStatus();

    watchLink();
    if (!openLink())
        return false;
    capture_.SetNoticeTarget(target_);
    setUpViews();
    for (CScope* view : views_)
        view->SetLegendWord(texts_.Get("TXT_1580"));
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
    tellDataTree();
    session_->Rearm();
    return !ended_;
}

bool CWavixDlg::chooseDataTree() {
    if (options_.dataDir.empty()) {
        dataTree_ =
            SetUpDataDirectory(options_.programFolder.empty() ? ProgramFolder() : options_.programFolder,
                               options_.environment.value_or(ProcessDataTreeEnvironment()));
    } else {
        dataTree_ = {};
        dataTree_.state = DataTreeState::Given;
        dataTree_.dataDir = options_.dataDir;
    }
    if (IsDataTreeNews(dataTree_))
        std::fprintf(stderr, "wavix: %s\n", DataTreeReport(dataTree_).c_str());
    std::error_code error;
    if (!dataTree_.dataDir.empty() && std::filesystem::is_directory(dataTree_.dataDir, error))
        return true;
    std::string text = " Data directory not found ... ";
    if (dataTree_.state == DataTreeState::Failed) {
        // Two appends: GCC 12 takes `"\n" + string` for an overlapping copy (-Wrestrict).
        text += '\n';
        text += DataTreeReport(dataTree_);
    }
    return fail(text.c_str());
}

// A tree made or changed by this start is told once in the status line; the
// about box names it always.
void CWavixDlg::tellDataTree() {
    const DataTreeResult& tree = dataTree_;
    std::string line;
    if (!tree.problem.empty())
        line = StrFormat(langText("TXT_1783").c_str(), tree.dataDir.c_str(), tree.problem.c_str());
    else if (tree.state == DataTreeState::Created)
        line = StrFormat(langText("TXT_1780").c_str(), tree.dataDir.c_str(), tree.shippedDir.c_str());
    else if (tree.state == DataTreeState::Added)
        line = StrFormat(langText("TXT_1781").c_str(), tree.dataDir.c_str(), tree.shippedDir.c_str(),
                         static_cast<int>(tree.filesAdded));
    // Shown once the window is: before, the bar cannot hide its panes and the
    // line would sit under them.
    startLine_ = QString::fromStdString(line);
    if (isVisible())
        showStartLine();
}

void CWavixDlg::showStartLine() {
    constexpr int kShownMs = 30000;
    if (!startLine_.isEmpty())
        status_->showMessage(startLine_, kShownMs);
    startLine_.clear();
}

void CWavixDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showStartLine();
}

std::string CWavixDlg::langText(std::string_view key) const {
    return LangText(CIni(settings_.LangFilePath()), key, BuiltinText(key));
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
    viewSet_.SetUp(settings_);
    auto& scopeData = capture_.Data();
    for (int ch = 1; ch <= 4; ++ch)
        scopeData.GetChannel(ch).SetColor(settings_.ChannelColour(ch));
    AttachChannels(false, 1, scopeData.GetActiveChannelCount());
}

void CWavixDlg::onMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    controller_->OnMessage(msg, wParam, lParam);
    session_->Rearm();
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

void CWavixDlg::RedrawTraces() {
    // Groups may come faster than the screen refreshes: draw the newest only.
    redraw_.Request();
}

void CWavixDlg::redrawNow() {
    viewSet_.Redraw();
    if (tools_->SettingsWindow() != nullptr)
        tools_->SettingsWindow()->RefreshPanels();
}

void CWavixDlg::ResetScaleFactors() {
    viewSet_.ResetScale();
    if (tools_->SettingsWindow() != nullptr)
        tools_->SettingsWindow()->RefreshPanels();
}

void CWavixDlg::LayoutViews(int visibleViews) {
    laidOutViews_ = std::clamp(visibleViews, 1, kViewCount);
    logViews_ = 0;
    relayout();
}

void CWavixDlg::LayoutLogViews(int views) {
    logViews_ = std::clamp(views, 1, kViewCount);
    relayout();
}

void CWavixDlg::AttachChannels(bool multiView, int visibleViews, int activeChannels) {
    viewSet_.AttachChannels(capture_.Data(), multiView, visibleViews, activeChannels);
    reattachLoaded();
    relayout();
    viewSet_.RecomputeAll();
}

// --- calibration ---

void CWavixDlg::RunCalibration() {
    if (!capture_.Data().IsRunning()) {
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
    viewSet_.StoreLooks(settings_);
    for (int ch = 1; ch <= 4; ++ch)
        settings_.SetChannelColour(ch, Channel(ch).GetColor());
    if (!settings_.Save(CProgramSettings::SaveScope::All, capture_.Data().GetSettings()))
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
    print_->Print(std::vector<CScope*>(views_.begin(), views_.end()), controller_->State().multiView,
                  settings_.LangFilePath(), settings_.DataDirectory());
}

} // namespace wavix

namespace wavix {

// --- scope book and log download

void CWavixDlg::LoadBookChart(std::unique_ptr<CScopeFile> chart, bool traces) {
    book_->Load(std::move(chart), traces, controller_->State().multiView);
}

void CWavixDlg::AddLoadedTraces(std::unique_ptr<CScopeFile> file, const std::vector<int>& displays) {
    loaded_.Add(std::move(file), displays);
    reattachLoaded();
    for (CScope* view : views_)
        view->update();
    session_->Rearm();
}

bool CWavixDlg::StartLogDownload() {
    const auto& general = settings_.General();
    return logDownload_->Start(std::filesystem::path(settings_.DataDirectory()) / "Scope" / "LogCharts",
                               settings_.LangFilePath(), general.ReaderAddress(), general.ReaderPort());
}

void CWavixDlg::ReturnToLiveScope() {
    // Nothing may keep pointing at a log's or a loaded file's channels.
    RemoveLoadedTraces();
    views_[0]->ClearChannels();
    viewSet_.BackToLive();
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
    AttachChannels(state.multiView, state.visibleViews, capture_.Data().GetActiveChannelCount());
    session_->Rearm();
}

// --- saving captures and the roll-mode log ---

void CWavixDlg::SaveCapture(int view) {
    const CScope& scope = *views_.at(static_cast<std::size_t>(std::clamp(view, 0, kViewCount - 1)));
    std::vector<const CChannelData*> channels;
    for (int slot = 0; slot < scope.LiveCount(); ++slot)
        if (const CChannelData* ch = scope.LiveChannel(slot))
            channels.push_back(ch);
    std::filesystem::path chosen;
    const CaptureSaveResult saved =
        SaveCaptureAsChart(*this,
                           [this, &chosen](const std::filesystem::path& folder) {
                               auto choice = rollLog_->ChooseFile(folder, false);
                               chosen = choice ? choice->path : std::filesystem::path();
                               return choice;
                           },
                           settings_.DataDirectory(), channels,
                           {texts_.Get("TXT_111"), rollLog_->Command().Text(SaveText::SaveFailed)});
    views_[0]->SetMessage({});
    // Where the chart went, for a while; the panes come back afterwards.
    if (saved == CaptureSaveResult::Saved) {
        std::string text = texts_.Get("TXT_1594");
        if (const auto at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, chosen.string());
        status_->showMessage(QString::fromStdString(text), 15000);
    }
}

} // namespace wavix
