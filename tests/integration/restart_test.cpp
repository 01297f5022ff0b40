// A tester that restarts while the technician measures: the wavix program runs
// against vexor-sim --restart-every with a set-up of its own, and after the
// power cycle the simulator must be given that set-up again, not keep its
// power-up record.

#include "core/scope/oscilexchange.h"
#include "integration/datatree.h"
#include "integration/simulator.h"
#include "platform/qtsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

class TesterRestart : public QtFixture {};

TEST_F(TesterRestart, TheSetUpGoesBackToTheTesterAfterItsPowerCycle) {
    constexpr int kStep = 6; // 5 ms/div
    Simulator sim;
    const std::uint16_t port = Simulator::freePort();
    ASSERT_NE(port, 0);
    // One power cycle within the run; the reply time-out finds it 3 s later.
    ASSERT_TRUE(sim.start(port, {"--restart-every", "5"})) << sim.output().toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(copyDataTree(dir.path() + "/Data", port, lastSettings(kStep, 2, TM_AUTO)));
    QProcess wavix;
    startWavix(wavix, dir.path(), {"--start", "pc", "--data", dir.path() + "/Data", "--quit-after", "11"});
    ASSERT_TRUE(wavix.waitForStarted(10000));
    ASSERT_TRUE(waitUntil([&] { return wavix.state() == QProcess::NotRunning; }, 40000));
    const std::string out = wavix.readAll().toStdString();
    EXPECT_EQ(wavix.exitStatus(), QProcess::NormalExit) << out;
    const QByteArray log = sim.output();
    sim.stop();

    const QByteArray setUp = "settings applied: 2 ch, 5 ms/div, AUTO";
    const qsizetype cycle = log.indexOf("power cycle");
    ASSERT_GE(cycle, 0) << log.toStdString();
    EXPECT_GE(log.indexOf(setUp), 0) << "the set-up never reached the tester\n" << log.toStdString();
    EXPECT_GT(log.indexOf(setUp, cycle), cycle) << "not given back after the power cycle\n"
                                                << log.toStdString() << out;
}

} // namespace
} // namespace wavix::test
