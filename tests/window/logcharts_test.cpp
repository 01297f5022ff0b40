// The log chart viewer in the main window against vexor-sim: a log opened on the
// worker, the window stepped from the navigator, and Stop back to a live capture
// on a link that was closed on entry and is reopened without any question.

#include "core/files/scopefile.h"
#include "core/settings/datadirectory.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlgloadlogcharts.h"
#include "ui/dialogs/dlgprogressbar.h"
#include "ui/main/logchartsui.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace wavix::test {
namespace {

// A 4-channel roll log written by the program's own recorder: sines of different
// periods, a mark of each kind every 40 000 instants.
void writeLog(const std::filesystem::path& path, std::uint32_t instants, const std::string& text) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = 4;
    rec.time_base_ENUM = 11;
    rec.TR_mode = TM_FREE;
    std::vector<std::unique_ptr<CChannelData>> channels;
    std::vector<const CChannelData*> pointers;
    for (int ch = 1; ch <= 4; ++ch) {
        channels.push_back(std::make_unique<CChannelData>());
        channels.back()->ApplySettings(rec, ch);
        channels.back()->SetName("Kanál " + std::to_string(ch));
        pointers.push_back(channels.back().get());
    }
    CScopeFile file;
    file.SetHeaderText(text);
    ASSERT_TRUE(file.SaveLogHeader(path, pointers));
    constexpr std::uint32_t kChunk = 10000;
    for (std::uint32_t done = 0; done < instants; done += kChunk) {
        for (int c = 0; c < 4; ++c) {
            auto s = channels[static_cast<std::size_t>(c)]->WritableSamples(kChunk);
            for (std::uint32_t i = 0; i < kChunk; ++i)
                s[i] = static_cast<std::int32_t>(
                    300.0 * std::sin(static_cast<double>(done + i) / (700.0 * (c + 1))) / (c + 1));
            channels[static_cast<std::size_t>(c)]->SetSampleCount(kChunk);
            channels[static_cast<std::size_t>(c)]->SetCapacity(kChunk);
        }
        if (done % 40000 == 20000)
            file.RequestMark(done % 80000 == 20000 ? 1 : 2);
        ASSERT_TRUE(file.AppendLogSamples(kChunk));
    }
    file.CloseLog();
}

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

TEST_F(LogChartsWindow, ShowsALogWindowByWindowAndReturnsToTheLiveScope) {
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

    // Stop: the closed link is opened again, without the "busy" question, and capture resumes.
    const int groups = dlg.ConvertedGroups();
    charts.Control().PressStop();
    ASSERT_TRUE(run.capturing(groups + 3));
    EXPECT_TRUE(charts.LinkOpen());
    EXPECT_FALSE(charts.Control().isVisible());
    EXPECT_FALSE(charts.Viewer().IsShowing());
    EXPECT_TRUE(dlg.LastBoxText().empty()) << dlg.LastBoxText();
}

TEST_F(LogChartsWindow, ClosingWhileALogLoadsWaitsForTheWorker) {
    writeLog(logs / "long.sdf", 2000000, "long");
    ASSERT_TRUE(open());
    CWavixDlg& dlg = *run.dlg;
    CLogChartsUi& charts = dlg.LogCharts();
    charts.OpenFile(logs / "long.sdf");
    ASSERT_TRUE(charts.IsBusy());
    charts.OpenFile(logs / "volnobeh.sdf"); // refused while the first one loads
    dlg.reject();
    EXPECT_FALSE(dlg.HasEnded());
    ASSERT_TRUE(runUntil([&] { return dlg.HasEnded(); }, 10000));
    EXPECT_FALSE(charts.IsBusy());
    EXPECT_FALSE(charts.Viewer().IsShowing());
}

TEST_F(LogChartsWindow, TheWindowMayEndWhileAWorkerRuns) {
    writeLog(logs / "long.sdf", 2000000, "long");
    ASSERT_TRUE(open());
    auto& dlg = run.dlg;
    dlg->LogCharts().OpenFile(logs / "long.sdf");
    ASSERT_TRUE(dlg->LogCharts().IsBusy());
    dlg.reset(); // cancels, waits for the worker, frees its job
    QCoreApplication::processEvents();
}

} // namespace
} // namespace wavix::test
