// Nothing recorded is lost: the wavix program records a roll-mode log for 30 s
// against vexor-sim (run as `wavix --start pc --data DIR --roll-log FILE
// --roll-seconds 30`, which starts and ends the log with the toolbar command),
// and the file must be one unbroken stretch of the very samples the simulator
// generated for its seed: no instant missing, none twice.

#include "core/files/scopefile.h"
#include "core/scope/scopedata.h"
#include "integration/datatree.h"
#include "integration/simulator.h"
#include "platform/qtsupport.h"
#include "sim/simmodule.h"
#include "sim/simscope.h"
#include "sim/unitcalibration.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace wavix::test {
namespace {

constexpr int kSeed = 7;
constexpr int kStep = 10; // 100 ms/div: 20 000 samples a second, a capture holds one second
constexpr int kSeconds = 30;

// The words the program must have written for sample index idx of the simulator.
class GeneratedStream {
public:
    explicit GeneratedStream(const CScopeFile& log)
        : hardware_(UnitCalibration(SimModuleOptions{}.moduleNum, SimModuleOptions{}.calibratedOn)),
          scope_(CSignalGenerator(kSeed), hardware_) {
        tOscilExchange rec;
        log.BuildSettings(rec);
        scope_.apply(CSimScope::SettleRecord(rec), 0);
        channels_ = log.GetChannelCount();
    }
    std::uint16_t word(int ch, std::int64_t idx) const {
        const int range = scope_.record().mux(ch);
        return static_cast<std::uint16_t>(
            ConvertSample(scope_.sampleRaw(ch, idx), hardware_.entryForRange(ch, range), range) + 512);
    }
    // True when the log's instants first.. match the stream from idx on.
    bool matches(const std::vector<std::uint16_t>& words, std::size_t first, std::size_t count,
                 std::int64_t idx) const {
        for (std::size_t i = first; i < first + count; ++i)
            for (int ch = 1; ch <= channels_; ++ch)
                if (words[i * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(ch - 1)] !=
                    word(ch, idx + static_cast<std::int64_t>(i)))
                    return false;
        return true;
    }

private:
    SOscil_EEPROM hardware_;
    CSimScope scope_;
    int channels_ = 0;
};

class RollLogRecording : public QtFixture {};

TEST_F(RollLogRecording, ThirtySecondsOfRollModeReachTheFileWithoutAGapOrARepeat) {
    Simulator sim;
    const std::uint16_t port = Simulator::freePort();
    ASSERT_NE(port, 0);
    QElapsedTimer sinceSimStart;
    sinceSimStart.start();
    ASSERT_TRUE(sim.start(port, {"--seed", QString::number(kSeed)})) << sim.output().toStdString();
    QTemporaryDir dir;
    // The last settings in roll mode on four channels.
    ASSERT_TRUE(copyDataTree(dir.path() + "/Data", port, lastSettings(kStep, 4, TM_FREE)));
    const QString logPath = dir.path() + "/Data/Scope/LogCharts/run.sdf";

    QProcess wavix;
    startWavix(wavix, dir.path(),
               {"--start", "pc", "--data", dir.path() + "/Data", "--roll-log", logPath, "--roll-seconds",
                QString::number(kSeconds)});
    ASSERT_TRUE(wavix.waitForStarted(10000));
    ASSERT_TRUE(waitUntil([&] { return wavix.state() == QProcess::NotRunning; }, (kSeconds + 60) * 1000))
        << wavix.readAll().toStdString();
    const std::string out = wavix.readAll().toStdString();
    ASSERT_EQ(wavix.exitStatus(), QProcess::NormalExit) << out;
    ASSERT_EQ(wavix.exitCode(), 0) << out;
    const std::int64_t elapsedMs = sinceSimStart.elapsed();
    sim.stop();

    CScopeFile log;
    std::vector<LogMark> marks;
    ASSERT_TRUE(log.Load(logPath.toStdString(), &marks)) << out;
    ASSERT_EQ(log.GetChannelCount(), 4);
    EXPECT_TRUE(marks.empty()) << "a seam was marked at instant " << marks.front().position;
    const std::uint32_t instants = log.GetLogSamplesPerChannel();
    const std::int64_t rate = kSampleClockHz / TimeBaseDivider(kStep);
    // Whole seconds of recording, give or take the groups in flight at both ends.
    EXPECT_GE(instants, (kSeconds - 1) * rate) << out;
    EXPECT_LE(instants, (kSeconds + 2) * rate) << out;
    std::vector<std::uint16_t> words;
    ASSERT_TRUE(log.ReadLogWords(0, instants, words));

    // Where in the simulator's stream the log begins: at most the whole run after its start.
    const GeneratedStream stream(log);
    const std::int64_t lastIdx = (elapsedMs / 1000 + 2) * rate;
    std::optional<std::int64_t> start;
    for (std::int64_t idx = 0; idx <= lastIdx && !start; ++idx)
        if (stream.matches(words, 0, 8, idx))
            start = idx;
    ASSERT_TRUE(start.has_value()) << "the log's first instants are not in the simulator's stream";

    // Every instant in turn: the first one that differs is where data went missing or came twice.
    std::size_t firstBad = instants;
    for (std::size_t i = 0; i < instants && firstBad == instants; ++i)
        if (!stream.matches(words, i, 1, *start))
            firstBad = i;
    EXPECT_EQ(firstBad, instants) << "instant " << firstBad << " of " << instants << " (sample index "
                                  << *start + static_cast<std::int64_t>(firstBad) << ") differs";
}

} // namespace
} // namespace wavix::test
