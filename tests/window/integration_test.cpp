// The main window as one program against vexor-sim, where features written
// apart meet: a scope book chart is a loaded capture like any other, the log
// viewer and the log download go back to the live scope the same way, and a
// view's measurement reaches the log navigator.

#include "core/app/wavixcontroller.h"
#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlggetlogfiles.h"
#include "ui/main/logchartsui.h"
#include "ui/main/wavixdlg.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "windowsupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

constexpr int kMenuLoadedInfo = 0x1A * 256;
constexpr int kMenuRemoveLoaded = 0x1B * 256;

class IntegratedWindow : public ::testing::Test {
protected:
    // Answer: what the message boxes answer without showing. Two channels at 2 ms/div.
    void open(BoxAnswer answer) {
        run.options.boxAnswer = answer;
        ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 5, 2}));
        // The start record must be in force: an answer still under way would undo a later change.
        ASSERT_TRUE(run.capturing(0, [&] { return dlg->Channel(1).GetTimeBaseStep() == 5; }, 10000));
        ASSERT_TRUE(run.moreGroups(2));
    }
    std::filesystem::path samples() const {
        return std::filesystem::path(run.dataDir()) / "Scope" / "SampleCharts";
    }
    std::unique_ptr<CScopeFile> chart(const char* name) const {
        auto file = std::make_unique<CScopeFile>();
        return file->Load(samples() / name) ? std::move(file) : nullptr;
    }
    int referencesShown() const {
        int n = 0;
        for (int v = 0; v < kViewCount; ++v)
            n += dlg->View(v).ReferenceCount();
        return n;
    }

    WindowRun run;
    std::unique_ptr<CWavixDlg>& dlg = run.dlg;
};

TEST_F(IntegratedWindow, ABookChartIsALoadedCaptureThatOutlivesTheRecordItBrings) {
    open(BoxAnswer::Yes);

    // Settings and waveforms (the book dialog itself is tested apart): the chart's record
    // goes out, and once it is in force (the views rearranged) its channels are still
    // drawn beside the live ones.
    std::unique_ptr<CScopeFile> hall = chart("Vackova_hridel_Hall.sdf");
    ASSERT_NE(hall, nullptr);
    const int channels = hall->GetChannelCount();
    const auto step = static_cast<std::uint32_t>(hall->GetChannel(0)->GetTimeBaseStep());
    const std::string firstName = hall->GetChannel(0)->GetName();
    ASSERT_NE(step, dlg->Record().time_base_ENUM);
    dlg->LoadBookChart(std::move(hall), true);
    // The channels take a record over only once the tester has answered it.
    ASSERT_TRUE(runUntil(
        [&] {
            return static_cast<std::uint32_t>(dlg->Channel(1).GetTimeBaseStep()) == step || dlg->HasEnded();
        },
        10000));
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_TRUE(dlg->HasLoadedTraces());
    EXPECT_EQ(dlg->View(0).ReferenceCount(), channels); // one view: all of them in A
    EXPECT_GT(dlg->View(0).LiveCount(), 0);
    EXPECT_TRUE(dlg->LastBoxText().empty()) << dlg->LastBoxText();
    shoot(*dlg, "book_chart_beside_live.png");

    // The view menu knows them as loaded channels.
    dlg->HandleViewCommand(0, kMenuLoadedInfo + 0);
    ASSERT_TRUE(dlg->IsToolWindowVisible(ToolWindow::ChannelInfo));
    EXPECT_EQ(dlg->ChannelInfoWindow()->FieldText(CDlgChannelInfo::kName).toStdString(), firstName);

    // A second chart asks first; Yes replaces the first one.
    std::unique_ptr<CScopeFile> lambda = chart("Lambda_sonda.sdf");
    ASSERT_NE(lambda, nullptr);
    const int lambdaChannels = lambda->GetChannelCount();
    dlg->LoadBookChart(std::move(lambda), true);
    EXPECT_EQ(dlg->LastBoxText(), BuiltinText("TXT_113"));
    EXPECT_FALSE(dlg->IsToolWindowVisible(ToolWindow::ChannelInfo));
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_EQ(referencesShown(), lambdaChannels);

    // Settings only: nothing loaded changes.
    dlg->LoadBookChart(chart("MAP_snimac.sdf"), false);
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_EQ(referencesShown(), lambdaChannels);

    // "Remove" in the view menu takes the book chart away for good.
    dlg->HandleViewCommand(0, kMenuRemoveLoaded);
    EXPECT_FALSE(dlg->HasLoadedTraces());
    EXPECT_EQ(referencesShown(), 0);
    dlg->PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0,
                    Encode(ToolbarCommand::ChannelsUp)); // one channel more: the views rearrange
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_EQ(referencesShown(), 0);
    shoot(*dlg, "book_chart_removed.png");
}

// The log viewer's Stop and the download window's close button lead back the same way.
class BackToTheLiveScope : public IntegratedWindow, public ::testing::WithParamInterface<bool> {};

TEST_P(BackToTheLiveScope, NoLoadedTracesLiveChannelsInViewAAndTheStripsBack) {
    const bool viaLogViewer = GetParam();
    open(BoxAnswer::No);
    dlg->LoadBookChart(chart("Alternator_zvlneni.sdf"), true);
    ASSERT_TRUE(run.moreGroups(3));
    ASSERT_GT(referencesShown(), 0);

    if (viaLogViewer) {
        const std::filesystem::path log =
            std::filesystem::path(run.dataDir()) / kLogChartsFolder / "integ_log.sdf";
        std::filesystem::create_directories(log.parent_path());
        writeLog(log, 120000, "log", 2);
        CLogChartsUi& charts = dlg->LogCharts();
        charts.OpenFile(log);
        ASSERT_TRUE(runUntil([&] { return !charts.IsBusy(); }, 10000));
        ASSERT_TRUE(charts.Viewer().IsShowing()) << dlg->LastBoxText();
        EXPECT_EQ(dlg->View(0).LiveCount(), 2);
        EXPECT_EQ(referencesShown(), 0); // nothing drawn over the log
        EXPECT_FALSE(dlg->IsToolWindowVisible(ToolWindow::Toolbar));

        // A measurement in the view: the navigator's line follows the cursors.
        CDlgControlLogChart& nav = charts.Control();
        EXPECT_EQ(nav.MeasurementLabel(), QStringLiteral("--"));
        dlg->View(0).Cursors().SetPositions(10.0, 60.0);
        dlg->Controller().OnMessage(Msg::UWM_SCOPE, reinterpret_cast<std::intptr_t>(&dlg->View(0).Cursors()),
                                    Encode(ViewNotice::Measure));
        ASSERT_TRUE(runUntil([&] { return nav.MeasurementLabel() != QStringLiteral("--"); }, 2000));
        const QString half = nav.MeasurementLabel();
        EXPECT_EQ(half.toStdString(), charts.Viewer().Navigator().MeasurementText());
        dlg->View(0).Cursors().SetPositions(10.0, 35.0);
        dlg->Controller().OnMessage(Msg::UWM_SCOPE, reinterpret_cast<std::intptr_t>(&dlg->View(0).Cursors()),
                                    Encode(ViewNotice::Measure));
        ASSERT_TRUE(runUntil([&] { return nav.MeasurementLabel() != half; }, 2000));
        shoot(*dlg, "log_viewer.png");
        nav.PressStop();
    } else {
        // What the log viewer leaves behind must go as well.
        dlg->SetToolWindowVisible(ToolWindow::Toolbar, false);
        dlg->SetToolWindowVisible(ToolWindow::Settings, false);
        dlg->View(0).SetLogMarks({{1, 100, 1}});
        for (int v = 0; v < kViewCount; ++v)
            dlg->View(v).SetRefreshPeriod(2000);
        ASSERT_TRUE(dlg->StartLogDownload());
        EXPECT_FALSE(dlg->IsModuleLinkOpen());
        // The simulator's three logs are listed before the window is closed.
        auto* download = dlg->LogFilesDialog()->findChild<QPushButton*>("downloadButton");
        ASSERT_NE(download, nullptr);
        ASSERT_TRUE(runUntil([&] { return download->isEnabled(); }, 20000));
        dlg->Controller().OnMessage(Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Close));
    }

    ASSERT_TRUE(runUntil([&] { return dlg->IsModuleLinkOpen(); }, 5000));
    ASSERT_TRUE(run.moreGroups(3)) << dlg->LastBoxText();
    EXPECT_FALSE(dlg->HasLoadedTraces());
    EXPECT_EQ(referencesShown(), 0);
    EXPECT_EQ(dlg->View(0).LiveCount(), static_cast<int>(dlg->Record().chann_num));
    for (int v = 0; v < kViewCount; ++v) {
        EXPECT_EQ(dlg->View(v).RefreshPeriod(), 200) << v;
        EXPECT_TRUE(dlg->View(v).LogMarks().empty()) << v;
    }
    EXPECT_TRUE(dlg->IsToolWindowVisible(ToolWindow::Toolbar));
    EXPECT_TRUE(dlg->IsToolWindowVisible(ToolWindow::Settings));
    EXPECT_FALSE(dlg->LogCharts().Control().isVisible());
    EXPECT_FALSE(dlg->LogCharts().Viewer().IsShowing());
    EXPECT_TRUE(dlg->LastBoxText().empty()) << dlg->LastBoxText();
}

INSTANTIATE_TEST_SUITE_P(Window, BackToTheLiveScope, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "LogViewer" : "LogDownload";
                         });

} // namespace
} // namespace wavix::test
