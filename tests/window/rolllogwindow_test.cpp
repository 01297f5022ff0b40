// The roll-mode log in the main window against vexor-sim in roll mode: the
// recording dot on view A while the log runs, the box at its end, the
// calibration locked for the rest of the run, the user's marks, and the toolbar
// lock from the keyboard. The refusal outside roll mode is in toolwindows_test.

#include "core/app/mainmenu.h"
#include "core/app/rolllogcommand.h"
#include "core/app/viewmenu.h"
#include "core/files/scopefile.h"
#include "ui/main/logchartsui.h"
#include "ui/main/menubuilder.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

// The window on the last record of the PC in the given trigger mode, its boxes shown.
bool startIn(WindowRun& run, int trMode) {
    run.options.boxAnswer.reset();
    run.options.savePath = (run.dir.path() + "/Scope/LogCharts/window.sdf").toStdString();
    // Code 8 also comes with channel edits: roll mode is only certain once the record is in force,
    // and the tester has only answered once its calibration record is on the information line.
    const bool roll = trMode == TM_FREE;
    return run.start(StartupResult{StartupChoice::LastOnPc, 1, 1}, {},
                     {{"TR_mode", QByteArray::number(trMode)}}) &&
           run.capturing(3, [&] {
               return run.dlg->IsRollMode() == roll &&
                      run.dlg->PaneText(Pane::ModuleName).contains(QStringLiteral("CAL"));
           });
}

// Runs the command and answers the box it opens, keeping its text.
QString toggleAnsweringBox(CWavixDlg& dlg, const char* shot) {
    QString text;
    QTimer::singleShot(200, [&text, shot] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            shoot(*box, shot);
            box->accept();
        }
    });
    dlg.ToggleRollLog();
    return text;
}

// The window's action for a key, as the keyboard would trigger it.
void pressKey(CWavixDlg& dlg, Qt::Key key) {
    for (QAction* a : dlg.actions())
        if (a->shortcut() == QKeySequence(key)) {
            a->trigger();
            return;
        }
    ADD_FAILURE() << "no action for key " << key;
}

// From the first command to the second: view A records and shows the mark
// buttons, the toolbar and settings are locked, and the calibration stays
// locked after the log.
TEST(RollLogWindow, ARecordingTakesMarksWhereTheyWerePressedAndRefusesLockedCommands) {
    WindowRun run;
    ASSERT_TRUE(startIn(run, TM_FREE));
    CWavixDlg& dlg = *run.dlg;
    CScope& viewA = dlg.View(0);
    EXPECT_FALSE(viewA.Button(0).IsVisible());
    EXPECT_FALSE(dlg.IsCalibrationLocked());
    dlg.ToggleRollLog();
    ASSERT_TRUE(dlg.IsRollLogOpen()) << dlg.LastBoxText();
    EXPECT_TRUE(viewA.IsRollRecording());
    EXPECT_TRUE(dlg.ToolBar()->IsLoggingLook());
    EXPECT_FALSE(dlg.SettingsWindow()->Panel(0)->isEnabled());
    ASSERT_TRUE(viewA.Button(0).IsVisible());
    EXPECT_EQ(viewA.Button(0).Text(), "Marker1");
    EXPECT_EQ(viewA.Button(1).Text(), "Marker2");
    ASSERT_TRUE(run.moreGroups(3));

    // Each mark lies between the instants written at the press and one group later.
    const CRollLog& log = dlg.RollLog().Log();
    struct Press {
        std::uint64_t from = 0;
        std::uint64_t to = 0;
    };
    std::vector<Press> presses;
    const auto pressed = [&](const std::function<void()>& press) {
        Press p{log.InstantsWritten(), 0};
        press();
        ASSERT_TRUE(run.moreGroups(2));
        p.to = log.InstantsWritten();
        presses.push_back(p);
    };
    // Pressed for half a second: checked at once, two groups may take longer.
    pressed([&] {
        pressKey(dlg, Qt::Key_F7);
        EXPECT_TRUE(viewA.Button(0).IsPressed());
    });
    ASSERT_TRUE(run.moreGroups(2));
    pressed([&] {
        const Rect r = viewA.Button(1).GetRect();
        const QPointF at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        QMouseEvent click(QEvent::MouseButtonPress, at, viewA.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&viewA, &click);
    });

    shoot(dlg, "logging.png");

    // F5 (run/stop), F6 (show mode) and a posted channel change are locked with the toolbar.
    const int style = viewA.GetDrawStyle();
    const std::string box = dlg.LastBoxText();
    const tOscilExchange record = dlg.Record();
    pressKey(dlg, Qt::Key_F5);
    pressKey(dlg, Qt::Key_F6);
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::ChannelsDown));
    // So are the view menu's load and the channel options from the main menu.
    int chooserOpened = 0;
    CommandHooks hooks;
    hooks.chooseFile = [&](const std::string&) {
        ++chooserOpened;
        return std::string();
    };
    dlg.SetCommandHooks(hooks);
    dlg.HandleViewCommand(0, ViewCommandId(ViewAction::LoadCapture));
    for (QAction* a : dlg.findChild<QMenuBar*>()->findChildren<QAction*>())
        if (CommandIdOf(a) == static_cast<int>(MainCommand::ChannelOptions))
            a->trigger();
    EXPECT_EQ(chooserOpened, 0);
    EXPECT_FALSE(dlg.IsToolWindowVisible(ToolWindow::ChannelOptions));
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_TRUE(dlg.IsRollLogOpen()) << "F5 stopped the capture and so ended the log";
    EXPECT_EQ(viewA.GetDrawStyle(), style);
    EXPECT_EQ(dlg.Record(), record);
    EXPECT_EQ(dlg.LastBoxText(), box);

    const std::filesystem::path path = log.Path();
    EXPECT_EQ(toggleAnsweringBox(dlg, "logended.png"),
              QStringLiteral("Logování v Roll režimu bylo ukončeno."));
    ASSERT_FALSE(dlg.IsRollLogOpen());
    EXPECT_FALSE(viewA.IsRollRecording());
    EXPECT_FALSE(viewA.Button(0).IsVisible());
    EXPECT_FALSE(dlg.ToolBar()->IsLoggingLook());
    EXPECT_TRUE(dlg.SettingsWindow()->Panel(0)->isEnabled());
    EXPECT_TRUE(dlg.IsCalibrationLocked());

    CScopeFile file;
    std::vector<LogMark> marks;
    ASSERT_TRUE(file.Load(path, &marks));
    ASSERT_EQ(marks.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(marks[i].kind, static_cast<int>(i) + 1);
        EXPECT_GE(marks[i].position, presses[i].from) << "mark " << i;
        EXPECT_LE(marks[i].position, presses[i].to + 1) << "mark " << i;
    }

    // The log viewer lists both and draws on view A those of the window shown (a
    // slow run may record more than a window before the first press).
    dlg.LogCharts().OpenFile(path);
    const auto& navigator = dlg.LogCharts().Viewer().Navigator();
    ASSERT_TRUE(runUntil(
        [&] {
            return !dlg.LogCharts().IsBusy() && navigator.HasLog() &&
                   viewA.LogMarks().size() == navigator.MarksInWindow().size();
        },
        10000));
    EXPECT_EQ(navigator.Marks().size(), 2u);
    shoot(dlg, "log-two-marks.png");
}

} // namespace
} // namespace wavix::test
