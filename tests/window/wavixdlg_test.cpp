// The main window against vexor-sim: the start-up sequence with a preset
// choice, the capture loop reaching the views and the status bar, and the
// start-ups that must end the window. An edit finding its way between roll-mode
// answers is the controller tests' (AnEditReachesAModuleThatAlwaysHasSamples).

#include "core/scope/channeldata.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <ostream>

namespace wavix::test {
namespace {

struct StartCase {
    const char* name;
    StartupResult start;
    int channelsInViewA; // 0: as many as the tester's record runs
};

std::ostream& operator<<(std::ostream& os, const StartCase& c) {
    return os << c.name;
}

class CaptureStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(CaptureStart, TenGroupsReachViewAAndTheStatusBar) {
    const StartCase& c = GetParam();
    WindowRun run;
    ASSERT_TRUE(run.prepare());
    CProgramSettings stored;
    ASSERT_TRUE(stored.Load(run.dataDir(), DefaultOscilExchange()));
    ASSERT_TRUE(run.open(c.start));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(10));

    // Polling shows " Zero length ... " on every answer without samples, until the next record exchange.
    const QString status = dlg.PaneText(Pane::ModuleStatus);
    EXPECT_TRUE(status == " Scope OK " || status == " Settings ok " || status == " Zero length ... ")
        << status.toStdString();
    CScope& a = dlg.View(0);
    EXPECT_TRUE(a.isVisible());
    const int channels = c.channelsInViewA != 0 ? c.channelsInViewA : dlg.Record().chann_num;
    EXPECT_EQ(a.LiveCount(), channels);
    if (c.start.choice == StartupChoice::Custom) {
        EXPECT_EQ(dlg.Record().time_base_ENUM, static_cast<std::uint32_t>(c.start.timeBaseStep));
    }
    if (c.start.choice == StartupChoice::LastOnPc) { // the stored record is what the tester runs
        EXPECT_EQ(dlg.Record().time_base_ENUM, stored.LastRecord().time_base_ENUM);
        for (int ch = 1; ch <= 4; ++ch)
            EXPECT_EQ(dlg.Record().mux(ch), stored.LastRecord().mux(ch)) << "channel " << ch;
    }
    EXPECT_TRUE(a.HasData());
    EXPECT_GT(a.SampleCount(), 0);
    for (int v = 1; v < 4; ++v)
        EXPECT_FALSE(dlg.View(v).isVisible()) << "view " << v;

    // Escape closes the window; the views let go of the channels.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &escape);
    EXPECT_TRUE(dlg.HasEnded());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(a.LiveCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Window, CaptureStart,
                         ::testing::Values(StartCase{"tester", {StartupChoice::Tester, 1, 1}, 0},
                                           StartCase{"pc", {StartupChoice::LastOnPc, 1, 1}, 4},
                                           StartCase{"custom", {StartupChoice::Custom, 8, 3}, 3}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(WindowStart, EndsWithABoxWhenTheDataTreeIsMissingOrBroken) {
    QTemporaryDir empty;
    QTemporaryDir noLang;
    ASSERT_TRUE(copyDataTree(noLang.path(), 10000));
    ASSERT_TRUE(QDir(noLang.path() + "/Lang").removeRecursively());
    QTemporaryDir keyless;
    ASSERT_TRUE(copyDataTree(keyless.path(), 10000));
    for (const QString& lang : QDir(keyless.path() + "/Lang").entryList(QDir::Files)) {
        QFile file(keyless.path() + "/Lang/" + lang);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[LANG]\nTXT_003=Start\n");
    }
    struct Case {
        std::string dataDir;
        const char* box;
    };
    const Case cases[] = {
        {(empty.path() + "/nowhere/").toStdString(), " Data directory not found ... "},
        {(empty.path() + "/").toStdString(), "Cann't load program settings ..."},
        {(noLang.path() + "/").toStdString(), "Cann't load program settings ..."},
        {(keyless.path() + "/").toStdString(), "Cann't load program strings ..."},
    };
    for (const Case& c : cases) {
        WavixDlgOptions options;
        options.start = StartupResult{};
        options.dataDir = c.dataDir;
        options.boxAnswer = BoxAnswer::No;
        CWavixDlg dlg(options);
        EXPECT_FALSE(dlg.Initialise()) << c.dataDir;
        EXPECT_EQ(dlg.EndCode(), 1);
        EXPECT_EQ(dlg.LastBoxText(), c.box) << c.dataDir;
    }
}

} // namespace
} // namespace wavix::test
