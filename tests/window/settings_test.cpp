// What the user sets stays: every stored setting changed through the window is
// in force after a restart on the same data tree. The time panels follow the
// view last zoomed or measured in, and the window starts as a laptop needs.

#include "core/app/viewmenu.h"
#include "core/panels/paneltexts.h"
#include "core/scope/channeldata.h"
#include "core/settings/ini.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

constexpr int kTimeBasePanel = 5;
constexpr int kMeasurePanel = 6;

void mouse(QWidget& w, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void drag(QWidget& w, QPoint from, QPoint to) {
    mouse(w, QEvent::MouseButtonPress, from);
    mouse(w, QEvent::MouseMove, to);
    mouse(w, QEvent::MouseButtonRelease, to);
}

TEST(WindowSettings, EverySettingChangedInTheWindowIsInForceAfterARestart) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 5, 4}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(1, [&] { return run.startRecordInForce(); }, 30000));

    // Each chooser answers its own colour.
    std::uint32_t nextColour = 0x00102030;
    const auto chooser = [&nextColour](std::uint32_t) { return std::optional(nextColour += 0x010101); };
    CommandHooks hooks;
    hooks.chooseColour = chooser;
    dlg.SetCommandHooks(hooks);
    ToolChoosers tools;
    tools.colour = [&](QWidget*, std::uint32_t from) { return chooser(from); };
    dlg.SettingsWindow()->SetChoosers(tools);
    dlg.ChannelOptions()->SetChoosers(tools);

    // View A's look and channel 1 from the view menu, channel 2 from the settings
    // strip's channel menu, channel 3 from the channel options window.
    for (const ViewAction a : {ViewAction::BackgroundColour, ViewAction::GridColour, ViewAction::HalfDisplay,
                               ViewAction::HideScrollBar})
        dlg.HandleViewCommand(0, ViewCommandId(a));
    dlg.HandleViewCommand(0, ViewCommandId(ViewAction::ChannelColour, 0));
    dlg.SettingsWindow()->RunChannelCommand(*dlg.SettingsWindow()->Panel(1)->GetChannel(),
                                            CDlgScopeSettings::kCmdColour);
    ASSERT_TRUE(runUntil([&] { return dlg.ChannelOptions()->List().Count() == 4; }, 5000));
    dlg.ChannelOptions()->OnControl(3, Encode(ChannelOptionsNotice::Show));
    dlg.ChannelOptions()->ChooseColour();
    CScope& a = dlg.View(0);
    const std::uint32_t bkg = a.GetBackgroundColour(), grid = a.GetGridColour();
    EXPECT_EQ(grid, bkg + 0x010101) << "both choosers reached view A";
    std::array<std::uint32_t, 5> colours{};
    for (int ch = 1; ch <= 4; ++ch)
        colours[static_cast<std::size_t>(ch)] = dlg.Channel(ch).GetColor();
    EXPECT_EQ(colours[3], nextColour) << "the channel options window set channel 3";

    // Show mode from the toolbar, both strips off from the menu, then a timebase
    // key: the record it changes comes back in force and everything is saved.
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::ShowMode));
    for (const char* id : {"cmd0xe800", "cmd0x8009"}) {
        auto* action = dlg.findChild<QAction*>(QString::fromLatin1(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }
    QKeyEvent slower(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(dlg.SettingsWindow()->Panel(kTimeBasePanel), &slower);
    const std::string ini = run.dataDir() + "Settings/Wavix.ini";
    ASSERT_TRUE(runUntil([&] { return CIni(ini).GetUnsigned("LastSettings", "time_base_ENUM", 0, 10) == 6; },
                         30000));
    EXPECT_EQ(CIni(ini).GetUnsigned("Scope1", "ShowMode", 0, 16), 3025u) << "the mode the views show";

    dlg.reject();
    run.dlg.reset();
    ASSERT_TRUE(run.open(StartupResult{StartupChoice::LastOnPc, 1, 1}));
    CWavixDlg& again = *run.dlg;
    CScope& a2 = again.View(0);
    EXPECT_EQ(a2.GetBackgroundColour(), bkg);
    EXPECT_EQ(a2.GetGridColour(), grid);
    EXPECT_TRUE(a2.IsHalfMode());
    EXPECT_FALSE(a2.HasZoomBar());
    EXPECT_EQ(a2.GetDrawStyle(), 3028) << "a run starts in the envelope whatever was stored";
    for (int ch = 1; ch <= 4; ++ch)
        EXPECT_EQ(again.Channel(ch).GetColor(), colours[static_cast<std::size_t>(ch)]) << "channel " << ch;
    EXPECT_FALSE(again.IsToolWindowVisible(ToolWindow::Toolbar));
    EXPECT_FALSE(again.IsToolWindowVisible(ToolWindow::Settings));
    EXPECT_EQ(again.Record().time_base_ENUM, 6u);
}

// Each view in turn is zoomed and measured in; the timebase panel was pressed before.
TEST(WindowPanels, TimePanelsFollowZoomAndCursorsOfEveryView) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 5, 4}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(1, [&] { return run.startRecordInForce(); }, 30000));
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::ViewMode));
    ASSERT_TRUE(runUntil([&] { return dlg.View(3).isVisible() && dlg.View(3).LiveCount() == 1; }, 15000));

    CScopeCtrlBase& timebase = *dlg.SettingsWindow()->Panel(kTimeBasePanel);
    CScopeCtrlBase& measure = *dlg.SettingsWindow()->Panel(kMeasurePanel);
    mouse(timebase, QEvent::MouseButtonPress, timebase.KeyRect(1).center());
    mouse(timebase, QEvent::MouseButtonRelease, timebase.KeyRect(1).center());
    // Saved once the new record has rearranged the views, which resets their zoom.
    const std::string ini = run.dataDir() + "Settings/Wavix.ini";
    ASSERT_TRUE(runUntil(
        [&] {
            return CIni(ini).GetUnsigned("LastSettings", "time_base_ENUM", 0, 10) == 6 &&
                   dlg.View(3).LiveCount() == 1;
        },
        30000));

    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE("view " + std::to_string(k));
        CScope& view = dlg.View(k);
        const Rect plot = view.CurrentLayout().plot;
        const int y = (plot.top + plot.bottom) / 2;
        drag(view, {plot.left + 40 + 10 * k, y}, {plot.left + 140 + 10 * k, y});
        ASSERT_TRUE(view.Zoom().IsZoomed());
        const std::string zoomed = QString::asprintf(" : Z %0.1fx", view.Zoom().Factor()).toStdString();
        EXPECT_TRUE(runUntil([&] { return timebase.GetText().find(zoomed) != std::string::npos; }, 5000))
            << timebase.GetText() << " lacks" << zoomed;
        const Rect box = view.Zoom().CloseBox();
        mouse(view, QEvent::MouseButtonPress, {box.left + 3, box.top + 3});
        mouse(view, QEvent::MouseButtonRelease, {box.left + 3, box.top + 3});
        ASSERT_FALSE(view.Zoom().IsZoomed());

        // The left cursor to a place of this view's own.
        drag(view, {view.Cursors().LeftX(), y}, {plot.left + plot.Width() * (k + 1) / 10, y});
        const MeasureTexts expected =
            MeasureText(dlg.Channel(1).GetMsPerDiv(), view.Cursors().Distance(), 1.0);
        EXPECT_TRUE(runUntil([&] { return measure.GetValues().size() == 2 && measure.GetValues()[0] == expected.dt; },
                             5000))
            << (measure.GetValues().empty() ? std::string() : measure.GetValues()[0]) << " for " << expected.dt;
    }
    // Pictures of a laptop screen and of the smallest window.
    if (shotsWanted())
        for (const QSize size : {QSize(1366, 768), dlg.minimumSize()}) {
            dlg.resize(size);
            runUntil([] { return false; }, 600);
            shoot(dlg, QStringLiteral("main-%1x%2.png").arg(size.width()).arg(size.height()).toStdString());
        }
}

TEST(WindowStart, EnterInTheStartupDialogKeepsTheTestersSetUp) {
    WindowRun run;
    ASSERT_TRUE(run.prepare());
    ModalWatcher watcher([](QDialog& d) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&d, &enter);
    });
    run.dlg = std::make_unique<CWavixDlg>(run.options);
    ASSERT_TRUE(run.dlg->Initialise());
    EXPECT_EQ(run.dlg->Start().choice, StartupChoice::Tester);

    // The smallest window fits a 1366 x 768 screen below a desktop panel, with
    // the strips and a view still whole.
    CWavixDlg& dlg = *run.dlg;
    dlg.show();
    EXPECT_LE(dlg.minimumWidth(), 1000);
    EXPECT_LE(dlg.minimumHeight(), 680);
    dlg.resize(dlg.minimumSize());
    QCoreApplication::processEvents();
    for (QWidget* w : {static_cast<QWidget*>(dlg.ToolBar()), static_cast<QWidget*>(dlg.SettingsWindow()),
                       static_cast<QWidget*>(&dlg.View(0))})
        EXPECT_TRUE(dlg.rect().contains(w->geometry())) << w->objectName().toStdString();
    EXPECT_GE(dlg.View(0).height(), dlg.View(0).minimumHeight());
}

} // namespace
} // namespace wavix::test
