// The log chart viewer in the main window against vexor-sim: a log opened on the
// worker on a link closed for it, the window stepped from the navigator, which
// opens beside the main window. Stop
// back to the live scope is checked with the other ways back (integration_test).

#include "core/settings/datadirectory.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlgloadlogcharts.h"
#include "ui/dialogs/dlgprogressbar.h"
#include "ui/main/logchartsui.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QScreen>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

class LogChartsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(run.prepare());
        logs = std::filesystem::path(run.dataDir()) / kLogChartsFolder;
        std::filesystem::create_directories(logs);
        writeLog(logs / "jizda_mesto.sdf", 200000, "Zapalování, jízda městem");
        writeLog(logs / "volnobeh.sdf", 60000, "Volnoběh, studený motor");
    }
    bool open() { return run.open(StartupResult{StartupChoice::Custom, 5, 2}); }

    WindowRun run;
    std::filesystem::path logs;
};

TEST_F(LogChartsWindow, ShowsALogWindowByWindow) {
    ASSERT_TRUE(open());
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(2, {}, 10000));
    CLogChartsUi& charts = dlg.LogCharts();
    ASSERT_TRUE(charts.LinkOpen());

    // The chooser lists both logs with their four columns.
    {
        CDlgLoadLogCharts chooser(&dlg);
        chooser.SetTesterReady(true);
        ASSERT_TRUE(chooser.List(logs));
        EXPECT_EQ(chooser.RowNames(), (QStringList{"jizda_mesto", "volnobeh"}));
        chooser.show();
        shoot(chooser, "log_chooser.png");
        EXPECT_EQ(chooser.Run(logs / "missing"), CDlgLoadLogCharts::kFolderMissing);
    }

    // Room on the right, whatever the test screen's size: the navigator opens there, off the traces.
    const QRect screen = dlg.screen()->availableGeometry();
    dlg.move(screen.left() - dlg.frameGeometry().width() + 100, screen.top());
    QCoreApplication::processEvents();
    charts.OpenFile(logs / "jizda_mesto.sdf");
    EXPECT_TRUE(charts.IsBusy());
    EXPECT_FALSE(charts.LinkOpen()); // let go before the log is read
    shoot(charts.Progress(), "progress.png");
    ASSERT_TRUE(runUntil([&] { return !charts.IsBusy(); }, 10000));

    CScope& a = dlg.View(0);
    EXPECT_EQ(a.LiveCount(), 4);
    EXPECT_EQ(a.SampleCount(), 50000);
    EXPECT_TRUE(charts.Control().isVisible());
    QCoreApplication::processEvents();
    const QRect navigator = charts.Control().frameGeometry();
    EXPECT_FALSE(navigator.intersects(dlg.frameGeometry())) << navigator.x() << "," << navigator.y();
    EXPECT_TRUE(screen.contains(navigator.topLeft()));
    EXPECT_EQ(charts.Control().MarkCountLabel(), QString::fromUtf8("Počet značek: 5"));
    EXPECT_EQ(charts.Control().ChannelLines().size(), 8);
    const int before = charts.Control().PositionSliderMax();
    EXPECT_EQ(before, 150000);

    // Next mark twice: the window centres on the second mark (60 000).
    CDlgControlLogChart& nav = charts.Control();
    nav.PressNextMark();
    nav.PressNextMark();
    const auto positionIs = [&](std::int64_t at) {
        return runUntil([&] { return charts.Viewer().Navigator().Position() == at; }, 5000);
    };
    ASSERT_TRUE(positionIs(35000));
    QCoreApplication::processEvents();

    // 500 ms/div at 100 us an instant: the labels give the window's place in the
    // log, 3.5 s to 8.5 s, not five divisions either side; its length in seconds too.
    EXPECT_EQ(a.TimeLabelText(false), "3.50 s");
    EXPECT_EQ(a.TimeLabelText(true), "8.50 s");
    EXPECT_TRUE(nav.WindowLabel().endsWith(" = 5.00 s")) << nav.WindowLabel().toStdString();
    for (int slot = 0; slot < 4; ++slot) {
        const CChannelData* channel = a.LiveChannel(slot);
        ASSERT_NE(channel, nullptr);
        EXPECT_EQ(channel->GetColor(), dlg.Channel(slot + 1).GetColor()) << slot;
    }

    // The mark list: time in the log and kind; the active mark is the one selected.
    ASSERT_EQ(nav.MarkRows(), 5);
    EXPECT_EQ(nav.MarkCell(1, CLogChartNavigator::kMarkTime), "6.00 s");
    EXPECT_EQ(nav.MarkCell(1, CLogChartNavigator::kMarkKind), "2");
    EXPECT_EQ(nav.MarkCell(4, CLogChartNavigator::kMarkTime), "18.00 s");
    EXPECT_EQ(nav.SelectedMarkRow(), 1);
    nav.ActivateMarkRow(2); // 100 000
    ASSERT_TRUE(positionIs(75000));
    EXPECT_EQ(nav.SelectedMarkRow(), 2);

    // F8 and F7 (the view's mark buttons) step half a window on and back.
    const auto pressKey = [&](Qt::Key key) {
        for (QAction* action : dlg.actions())
            if (action->shortcut() == QKeySequence(key))
                action->trigger();
    };
    pressKey(Qt::Key_F8);
    ASSERT_TRUE(positionIs(100000));
    pressKey(Qt::Key_F7);
    ASSERT_TRUE(positionIs(75000));
    nav.ActivateMarkRow(1);
    ASSERT_TRUE(positionIs(35000));

    dlg.resize(1100, 700);
    QCoreApplication::processEvents();
    shoot(dlg, "log_window.png");
    shoot(nav, "navigator.png");

    // One display per channel: four equal bands, view A no longer behind the
    // others, each with its channel, its time labels and the mark as a line.
    nav.PressDisplayMode();
    ASSERT_TRUE(runUntil([&] { return dlg.View(3).LiveCount() == 1; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(a.LiveCount(), 1);
    for (int i = 0; i < 4; ++i) {
        const CScope& view = dlg.View(i);
        EXPECT_TRUE(view.isVisible()) << i;
        EXPECT_NEAR(view.height(), dlg.View(0).height(), 1) << i;
        if (i > 0) {
            EXPECT_LE(dlg.View(i - 1).geometry().bottom(), view.geometry().top()) << i;
        }
        EXPECT_EQ(dlg.View(i).TimeLabelText(true), "8.50 s") << i;
        ASSERT_EQ(view.LogMarks().size(), 1u) << i;
        EXPECT_EQ(view.LogMarks()[0].position, 25000) << i;
    }
    shoot(dlg, "log_window_per_channel.png");
}

// Closing waits for the worker; destroying the window cancels it and frees its job.
TEST_F(LogChartsWindow, TheWindowMayCloseOrEndWhileALogLoads) {
    writeLog(logs / "long.sdf", 2000000, "long");
    ASSERT_TRUE(open());
    CLogChartsUi* charts = &run.dlg->LogCharts();
    charts->OpenFile(logs / "long.sdf");
    ASSERT_TRUE(charts->IsBusy());
    charts->OpenFile(logs / "volnobeh.sdf"); // refused while the first one loads
    run.dlg->reject();
    EXPECT_FALSE(run.dlg->HasEnded());
    ASSERT_TRUE(runUntil([&] { return run.dlg->HasEnded(); }, 10000));
    EXPECT_FALSE(charts->IsBusy());
    EXPECT_FALSE(charts->Viewer().IsShowing());

    run.dlg.reset();
    ASSERT_TRUE(open());
    run.dlg->LogCharts().OpenFile(logs / "long.sdf");
    ASSERT_TRUE(run.dlg->LogCharts().IsBusy());
    run.dlg.reset();
    QCoreApplication::processEvents();
}

} // namespace
} // namespace wavix::test
