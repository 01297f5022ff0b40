#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QElapsedTimer>

namespace wavix::test {
namespace {

const StartupResult kTester{StartupChoice::Tester, 1, 1};

TEST(WindowLink, NoTesterAtTheAddressIsSaidWithinThreeSeconds) {
    WindowRun run;
    const std::uint16_t port = Simulator::freePort(); // nobody listens there
    ASSERT_TRUE(copyDataTree(run.dir.path(), port));
    run.options.dataDir = run.dataDir();
    QElapsedTimer since;
    since.start();
    ASSERT_TRUE(run.open(kTester));
    const std::string endpoint = std::string(Simulator::kAddress) + ":" + std::to_string(port);
    const std::string said = "Tester na adrese " + endpoint + " neodpovídá, zkouším to znovu ...";
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::ModuleStatus).toStdString() == said; }, 3500))
        << run.dlg->PaneText(Pane::ModuleStatus).toStdString();
    EXPECT_LT(since.elapsed(), 3000);
    EXPECT_EQ(run.dlg->View(0).GetMessage(), said);
    EXPECT_EQ(run.dlg->PaneText(Pane::Link).toStdString(), endpoint + ": neodpovídá");
    if (shotsWanted())
        run.dlg->grab().save(QString::fromLocal8Bit(std::getenv("WAVIX_SHOT_DIR")) + "/no-tester.png");

    // A tester that comes up later is found without a click.
    ASSERT_TRUE(run.sim.start(port));
    EXPECT_TRUE(run.capturing(3));
    EXPECT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("běží")); }, 3000))
        << run.dlg->PaneText(Pane::Link).toStdString();
}

TEST(WindowLink, ThePaneShowsTheRunAndALossMarksTheLastCapture) {
    WindowRun run;
    ASSERT_TRUE(run.start(kTester));
    ASSERT_TRUE(run.capturing(5));
    // Captures per second are counted over a whole second.
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral(" záznamů/s")) &&
                                      !run.dlg->PaneText(Pane::Link).contains(QStringLiteral(" 0 záznamů/s")); },
                         4000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    EXPECT_TRUE(run.dlg->PaneText(Pane::Link).startsWith(QStringLiteral("127.0.0.2:")));
    if (shotsWanted())
        run.dlg->grab().save(QString::fromLocal8Bit(std::getenv("WAVIX_SHOT_DIR")) + "/link-running.png");

    ASSERT_TRUE(run.sim.stop());
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("ztraceno")); }, 5000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    EXPECT_NE(run.dlg->View(0).GetMessage().find("Poslední záznam "), std::string::npos)
        << run.dlg->View(0).GetMessage();
    EXPECT_FALSE(run.dlg->HasEnded());
}

} // namespace
} // namespace wavix::test
