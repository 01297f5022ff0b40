// The main window's commands: menu bar, view context menu, toolbar codes the
// controller leaves to the window, view notices and loading captures.

#include "core/app/mainmenu.h"
#include "core/app/viewmenu.h"
#include "core/app/wavixcontroller.h"
#include "core/files/scopefile.h"
#include "core/protocol/ivoraprotocol.h"
#include "core/settings/builtintexts.h"
#include "platform/modulesession.h"
#include "ui/colorref.h"
#include "ui/dialogs/chartchooser.h"
#include "ui/dialogs/dlgabout.h"
#include "ui/dialogs/dlgchangetimebase.h"
#include "ui/dialogs/dlgconnection.h"
#include "ui/main/exportui.h"
#include "ui/main/menubuilder.h"
#include "ui/main/rolllogui.h"
#include "ui/main/toolwindows.h"
#include "ui/main/wavixdlg.h"

#include "core/app/logchartviewer.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgscopesettings.h"

#include <QAction>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTime>

#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

namespace wavix {

namespace {

// The views as the view notices see them.
class NoticeViews : public IViewNoticeTarget {
public:
    // updatePanel(i) redraws the texts of settings panel i (5 timebase, 6 measurement).
    NoticeViews(std::array<CScope*, kViewCount>& views, std::function<void(int)> updatePanel,
                IMainView& window, const CWavixController& controller, CRollLogCommand& rollLog)
        : views_(views), updatePanel_(std::move(updatePanel)), window_(window), controller_(controller),
          rollLog_(rollLog) {}

    int ViewOf(std::intptr_t handle) const override {
        for (std::size_t i = 0; i < views_.size(); ++i)
            if (reinterpret_cast<std::intptr_t>(views_[i]) == handle)
                return static_cast<int>(i);
        return -1;
    }
    int TriggerLevelOf(int view) const override { return at(view).GetTriggerLevel(0, 1023); }
    std::uint32_t TriggerPositionOf(int view) const override {
        return at(view).TriggerPosition().TriggerPositionValue();
    }
    void SelectView(int view) override {
        // A frame tells the views apart only when there are several.
        const bool several = controller_.State().multiView;
        for (std::size_t i = 0; i < views_.size(); ++i)
            views_[i]->SetHighlightFrame(several && static_cast<int>(i) == view);
    }
    void PassToSettings(std::intptr_t wParam, ViewNotice notice) override {
        window_.PostToTool(ToolWindow::Settings, Msg::UWM_SCOPE, wParam, Encode(notice));
        if (notice == ViewNotice::Measure || notice == ViewNotice::ZoomInfo)
            window_.PostToTool(ToolWindow::LogChartControl, Msg::UWM_SCOPE, wParam, Encode(notice));
    }
    void ShareMeasurement(std::intptr_t) override { updatePanel_(6); }
    void ApplyZoom(std::intptr_t zoom) override {
        const CScope* from = nullptr;
        for (const CScope* v : views_)
            if (reinterpret_cast<std::intptr_t>(&v->Zoom()) == zoom)
                from = v;
        if (from == nullptr)
            return;
        for (CScope* v : views_)
            if (v != from)
                v->CopyZoomFrom(from->Zoom());
        updatePanel_(5);
        updatePanel_(6);
    }
    void ResetZoom() override {
        for (CScope* v : views_)
            v->ResetZoom();
        updatePanel_(5);
        updatePanel_(6);
    }
    void StepLoadedFile(int direction) override {
        window_.PostToTool(ToolWindow::LogChartControl, Msg::UWM_SCOPE, direction,
                           Encode(direction == 1 ? ViewNotice::Button1 : ViewNotice::Button2));
    }
    bool MarkRollLog(int kind) override { return rollLog_.Mark(kind); }

private:
    CScope& at(int view) const { return *views_[static_cast<std::size_t>(view)]; }

    std::array<CScope*, kViewCount>& views_;
    std::function<void(int)> updatePanel_;
    IMainView& window_;
    const CWavixController& controller_;
    CRollLogCommand& rollLog_;
};

} // namespace

void CWavixDlg::createCommands() {
    noticeViews_ = std::make_unique<NoticeViews>(
        views_,
        [this](int panel) {
            if (CDlgScopeSettings* strip = tools_->SettingsWindow())
                strip->Panel(panel)->UpdateTexts();
        },
        *this, *controller_, rollLog_->Command());

    // The two mark buttons of view A: a mark while recording, a step through a loaded log otherwise.
    for (const int button : {0, 1}) {
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(button == 0 ? Qt::Key_F7 : Qt::Key_F8));
        connect(action, &QAction::triggered, this, [this, button] {
            views_[0]->FlashButton(button);
            controller_->OnMessage(Msg::UWM_SCOPE, 0,
                                   button == 0 ? Encode(ViewNotice::Button1) : Encode(ViewNotice::Button2));
            session_->Rearm();
        });
        addAction(action);
    }
}

// --- the tester's address

void CWavixDlg::watchLink() {
    const auto& general = settings_.General();
    controller_->WatchLink(session_->ticks(), general.ReaderAddress(), general.ReaderPort(),
                           [](std::uint32_t ageMs) {
                               return QTime::currentTime()
                                   .addMSecs(-static_cast<int>(ageMs))
                                   .toString(QStringLiteral("HH:mm:ss"))
                                   .toStdString();
                           });
}

void CWavixDlg::OpenConnection() {
    // A log being recorded or viewed keeps the link it has.
    if (IsRollLogOpen() || !session_->IsOpen())
        return;
    const auto& general = settings_.General();
    CDlgConnection dlg(settings_.LangFilePath(), general.ReaderAddress(), general.ReaderPort(), this);
    if (connectionHook_)
        connectionHook_(dlg);
    else
        dlg.exec();
    if (dlg.result() != QDialog::Accepted)
        return;
    if (!settings_.SaveReader(dlg.Address(), dlg.Port())) {
        MessageBox(" .: ERROR ... ", texts_.Get("TXT_1552"), BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    session_->Close();
    watchLink();
    ReopenLink();
    session_->Rearm();
}

void CWavixDlg::onMainCommand(int id) {
    switch (static_cast<MainCommand>(id)) {
    case MainCommand::Connection:
        OpenConnection();
        break;
    case MainCommand::SaveSettings:
        if (!settings_.Save(CProgramSettings::SaveScope::LastSettingsOnly, capture_.Data().GetSettings()))
            MessageBox(" .: ERROR ... ", " The settings could not be saved ... ", BoxIcon::Error,
                       BoxButtons::Ok);
        break;
    case MainCommand::End:
        reject();
        break;
    case MainCommand::Calibration:
        // Once a roll log was started, the calibration stays unavailable for the run.
        if (!IsCalibrationLocked())
            RunCalibration();
        break;
    case MainCommand::Toolbar:
        SetToolWindowVisible(ToolWindow::Toolbar, !IsToolWindowVisible(ToolWindow::Toolbar));
        break;
    case MainCommand::ScopeSettings:
        SetToolWindowVisible(ToolWindow::Settings, !IsToolWindowVisible(ToolWindow::Settings));
        break;
    case MainCommand::ExportCsv:
        export_->Export(*views_[0], ExportFormat::Csv);
        break;
    case MainCommand::ExportPicture:
        export_->Export(*views_[0], ExportFormat::Picture);
        break;
    case MainCommand::ChannelOptions:
        // Its edits change the record, which would end the log.
        if (session_->protocol().IsAlive() && !IsRollLogOpen())
            SetToolWindowVisible(ToolWindow::ChannelOptions, true);
        break;
    case MainCommand::About: {
        CDlgAbout about(settings_.General().Owner(), QString::fromStdString(langText("TXT_1782")),
                        QString::fromStdString(settings_.DataDirectory()), this);
        about.exec();
        break;
    }
    }
    session_->Rearm();
}

void CWavixDlg::OnPrint() {
    PrintCapture();
}

void CWavixDlg::OnSaveCapture() {
    SaveCapture(0);
    views_[0]->SetMessage({});
}

void CWavixDlg::OnLoadCapture() {
    LoadCapture();
    views_[0]->SetMessage({});
}

void CWavixDlg::OnNextDrawStyle() {
    const int mode = NextShowMode(views_[0]->GetDrawStyle());
    for (CScope* view : views_)
        view->SetDrawStyle(mode);
    PostToTool(ToolWindow::Toolbar, Msg::UWM_DLG_SCOPE_TOOL_BAR, mode, Encode(ToolbarState::ShowMode));
}

void CWavixDlg::OnScopeBook() {
    OpenScopeBook();
    views_[0]->SetMessage({});
}

void CWavixDlg::OnLogCharts() {
    OpenLogCharts();
}

void CWavixDlg::OnRollLog() {
    ToggleRollLog();
}

std::vector<CChannelData*> CWavixDlg::liveChannels(int view) {
    // The channels AttachChannels gave the view.
    auto& scope = capture_.Data();
    std::vector<CChannelData*> out;
    const CScope& v = *views_[static_cast<std::size_t>(view)];
    if (!controller_->State().multiView) {
        if (view == 0)
            for (int ch = 1; ch <= v.LiveCount() && ch <= 4; ++ch)
                out.push_back(&scope.GetChannel(ch));
    } else if (v.LiveCount() > 0) {
        out.push_back(&scope.GetChannel(view + 1));
    }
    return out;
}

QMenu* CWavixDlg::CreateViewMenu(int view) {
    ViewMenuState state;
    state.view = view;
    state.anyLoaded = HasLoadedTraces();
    state.rollLog = IsRollLogOpen();
    if (view >= 0 && view < kViewCount) {
        const CScope& v = *views_[static_cast<std::size_t>(view)];
        state.halfMode = v.IsHalfMode();
        state.scrollBar = v.HasZoomBar();
        state.limits = limits_[static_cast<std::size_t>(view)];
        for (CChannelData* ch : liveChannels(view))
            state.live.push_back({ch->GetChannel(), ch->GetChannel() - 1, ch->IsShown()});
        const auto& loaded = loaded_.ForView(view);
        for (std::size_t i = 0; i < loaded.size(); ++i)
            state.loaded.push_back({loaded[i]->GetChannel(), static_cast<int>(i), loaded[i]->IsShown()});
    }
    const CTextTable& table = settings_.ViewMenuTable();
    const TextLookup text = [&table](std::string_view key) {
        const int i = TextIndex(ViewMenuTexts(), key);
        return i >= 0 && static_cast<std::size_t>(i) < table.size() ? table[static_cast<std::size_t>(i)]
                                                                    : std::string(BuiltinText(key));
    };
    auto* menu = new QMenu(this);
    FillViewMenu(*menu, BuildViewMenu(state, text));
    return menu;
}

void CWavixDlg::OpenViewMenu(int view, int x, int y) {
    std::unique_ptr<QMenu> menu(CreateViewMenu(view));
    QAction* chosen = menu->exec(QPoint(x, y));
    if (chosen != nullptr) {
        const int id = CommandIdOf(chosen);
        menu.reset();
        HandleViewCommand(view, id);
    }
    session_->Rearm();
}

std::optional<std::uint32_t> CWavixDlg::chooseColour(std::uint32_t from) {
    if (hooks_.chooseColour)
        return hooks_.chooseColour(from);
    const QColor c = QColorDialog::getColor(ToQColor(from), this);
    if (!c.isValid())
        return std::nullopt;
    return FromQColor(c);
}

void CWavixDlg::HandleViewCommand(int view, int commandId) {
    ViewCommand c;
    if (view < 0 || view >= kViewCount || !DecodeViewCommand(commandId, c))
        return;
    if (IsLockedByRollLog(c.action) && IsRollLogOpen())
        return;
    CScope& v = *views_[static_cast<std::size_t>(view)];
    const auto liveAt = [&](int index) -> CChannelData* {
        for (CChannelData* ch : liveChannels(view))
            if (ch->GetChannel() == index + 1)
                return ch;
        return nullptr;
    };
    const auto redrawAll = [this] {
        for (CScope* each : views_)
            each->Invalidate();
    };
    switch (c.action) {
    case ViewAction::BackgroundColour:
        if (const auto col = chooseColour(v.GetBackgroundColour())) {
            v.SetBackgroundColour(*col);
        }
        break;
    case ViewAction::GridColour:
        if (const auto col = chooseColour(v.GetGridColour())) {
            v.SetGridColour(*col);
        }
        break;
    case ViewAction::FullDisplay:
    case ViewAction::HalfDisplay:
        v.ToggleHalfMode();
        break;
    case ViewAction::LoadCapture:
        LoadCapture();
        break;
    case ViewAction::SaveCapture:
        SaveCapture(view);
        break;
    case ViewAction::HideScrollBar:
    case ViewAction::ShowScrollBar:
        v.SetZoomBar(c.action == ViewAction::ShowScrollBar);
        v.update();
        break;
    case ViewAction::ChannelInfo:
        if (CChannelData* ch = liveAt(c.index))
            ShowChannelInfo(*ch);
        break;
    case ViewAction::LoadedInfo:
        if (CChannelData* ch = loaded_.Find(view, c.index))
            ShowChannelInfo(*ch);
        break;
    case ViewAction::RemoveLoaded:
        if (HasLoadedTraces() && MessageBox(" .: Error ...", texts_.Get("TXT_113"), BoxIcon::Question,
                                            BoxButtons::YesNo) == BoxAnswer::Yes)
            RemoveLoadedTraces();
        break;
    case ViewAction::ChannelColour:
        if (CChannelData* ch = liveAt(c.index))
            if (const auto col = chooseColour(ch->GetColor())) {
                ch->SetColor(*col);
                redrawAll();
                RefreshChannelPanels();
            }
        break;
    case ViewAction::LoadedColour:
        if (CChannelData* ch = loaded_.Find(view, c.index))
            if (const auto col = chooseColour(ch->GetColor())) {
                ch->SetColor(*col);
                redrawAll();
            }
        break;
    case ViewAction::DrawChannel:
        if (CChannelData* ch = liveAt(c.index)) {
            ch->SetShown(!ch->IsShown());
            redrawAll();
        }
        break;
    case ViewAction::DrawLoaded:
        if (CChannelData* ch = loaded_.Find(view, c.index)) {
            ch->SetShown(!ch->IsShown());
            redrawAll();
        }
        break;
    case ViewAction::DrawLimits:
        limits_[static_cast<std::size_t>(view)] = !limits_[static_cast<std::size_t>(view)];
        v.Invalidate();
        break;
    }
}

bool CWavixDlg::HasLoadedTraces() const {
    return loaded_.HasAny();
}

void CWavixDlg::RemoveLoadedTraces() {
    // Nothing may keep pointing at the channels about to go.
    SetToolWindowVisible(ToolWindow::ChannelInfo, false);
    viewSet_.ClearLoaded();
    loaded_.Clear();
}

void CWavixDlg::reattachLoaded() {
    viewSet_.AttachLoaded(loaded_);
}

void CWavixDlg::LoadCapture() {
    const std::string& dataDir = settings_.DataDirectory();
    std::error_code error;
    if (dataDir.empty() || !std::filesystem::is_directory(dataDir, error)) {
        MessageBox(" .: ERROR ... ", " Data directory not found ... ", BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    const std::string folder = (std::filesystem::path(dataDir) / "Scope" / "UserCharts").string();
    std::string path;
    if (hooks_.chooseFile) {
        path = hooks_.chooseFile(folder);
    } else {
        path = ChooseChartToOpen(this, folder, settings_.LangFilePath()).toStdString();
    }
    if (path.empty())
        return;

    std::unique_ptr<CScopeFile> file;
    if (CLoadedTraces::Read(std::filesystem::path(path), file) != CaptureLoadResult::Loaded) {
        MessageBox(" .: ERROR ... ", texts_.Get(kLoadFailed), BoxIcon::Error, BoxButtons::Ok);
        return;
    }
    if (HasLoadedTraces() && MessageBox(" .: Error ...", texts_.Get("TXT_113"), BoxIcon::Question,
                                        BoxButtons::YesNo) == BoxAnswer::Yes)
        RemoveLoadedTraces();
    auto& protocol = session_->protocol();
    if (const int step = CLoadedTraces::TimeBaseToOffer(*file, Record(), protocol.IsAlive()); step != 0) {
        const int current = static_cast<int>(Record().time_base_ENUM);
        bool adopt = false;
        if (hooks_.changeTimeBase) {
            adopt = hooks_.changeTimeBase(current, step);
        } else {
            CDlgChangeTimeBase prompt(settings_.LangFilePath(), current, step, this);
            adopt = prompt.exec() == QDialog::Accepted;
        }
        if (adopt)
            CLoadedTraces::AdoptTimeBase(protocol, capture_.Data(), step);
    }
    loaded_.Add(std::move(file));
    reattachLoaded();
    session_->Rearm();
}

} // namespace wavix
