// The log chart viewer in the main window against vexor-sim: a log opened on the
// worker on a link closed for it, the window stepped from the navigator. Stop
// back to the live scope is checked with the other ways back (integration_test).

#include "core/settings/datadirectory.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlgloadlogcharts.h"
#include "ui/dialogs/dlgprogressbar.h"
#include "ui/main/logchartsui.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

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

    charts.OpenFile(logs / "jizda_mesto.sdf");
    EXPECT_TRUE(charts.IsBusy());
    EXPECT_FALSE(charts.LinkOpen()); // let go before the log is read
    shoot(charts.Progress(), "progress.png");
    ASSERT_TRUE(runUntil([&] { return !charts.IsBusy(); }, 10000));

    CScope& a = dlg.View(0);
    EXPECT_EQ(a.LiveCount(), 4);
    EXPECT_EQ(a.SampleCount(), 50000);
    EXPECT_TRUE(charts.Control().isVisible());
    EXPECT_EQ(charts.Control().MarkCountLabel(), QString::fromUtf8("Počet značek: 5"));
    EXPECT_EQ(charts.Control().ChannelLines().size(), 8);
    const int before = charts.Control().PositionSliderMax();
    EXPECT_EQ(before, 150000);

    // Next mark twice: the window centres on the second mark (60 000).
    charts.Control().PressNextMark();
    charts.Control().PressNextMark();
    ASSERT_TRUE(runUntil([&] { return charts.Viewer().Navigator().Position() == 35000; }, 2000));
    QCoreApplication::processEvents();
    dlg.resize(1100, 700);
    QCoreApplication::processEvents();
    shoot(dlg, "log_window.png");
    shoot(charts.Control(), "navigator.png");

    charts.Control().PressDisplayMode();
    ASSERT_TRUE(runUntil([&] { return dlg.View(3).LiveCount() == 1; }, 2000));
    EXPECT_EQ(a.LiveCount(), 1);
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
