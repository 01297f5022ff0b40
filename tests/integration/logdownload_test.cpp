// The program's log download against the vexor-sim process on loopback: the
// listing finds exactly the files the simulated tester keeps, and the download
// brings each one home byte for byte.

#include "core/files/loglistdownload.h"
#include "core/settings/builtintexts.h"
#include "integration/simulator.h"
#include "platform/logdownloaddriver.h"
#include "platform/qtmessagetarget.h"
#include "platform/qtsupport.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>

namespace wavix {
namespace {

using Kind = LogDownloadAction::Kind;

std::vector<std::uint8_t> readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The download window's answers, recorded: overwrite yes, no file chosen.
class RecordingUi : public ILogDownloadUi {
public:
    void Refresh(const CLogListDownload&) override {}
    bool AskOverwrite(const std::string&, const std::string& text) override {
        overwrite.push_back(text);
        return true;
    }
    std::optional<std::filesystem::path> ChooseFile(const std::filesystem::path&,
                                                    const std::string&) override {
        return std::nullopt;
    }
    void ShowBox(const std::string&, const std::string& text, bool) override { shown.push_back(text); }

    std::vector<std::string> overwrite;
    std::vector<std::string> shown;
};

// The download as the main window runs it, with a stand-in for the module link.
class Downloader {
public:
    explicit Downloader(const std::filesystem::path& logFolder)
        : driver_(logFolder, window_, ui,
                  {[this] { return moduleOpen; },
                   [this] {
                       moduleOpen = false;
                       ++moduleCloses;
                   },
                   [this] {
                       moduleOpen = true;
                       ++moduleReopens;
                   }}) {
        window_.setHandler(
            [this](Msg msg, std::intptr_t w, std::intptr_t l) { driver_.OnMessage(msg, w, l); });
    }

    bool start(quint16 port) { return driver_.Start("127.0.0.2", port); }
    bool listed() {
        return test::waitUntil([&] { return state().GetPhase() == CLogListDownload::Phase::Listed; }, 30000);
    }
    bool fetch() {
        driver_.OnDownloadPressed();
        return test::waitUntil([&] { return state().GetPhase() == CLogListDownload::Phase::Done; }, 120000);
    }
    void leave() { driver_.Leave(); }

    const CLogListDownload& state() const { return driver_.State(); }
    RecordingUi ui;
    bool moduleOpen = true;
    int moduleCloses = 0;
    int moduleReopens = 0;

private:
    CQtMessageTarget window_;
    CLogDownloadDriver driver_;
};

std::vector<std::uint8_t> randomBytes(std::size_t n, quint32 seed) {
    QRandomGenerator rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng.bounded(256));
    return v;
}

class LogDownloadFromSim : public test::QtFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(testerDir.isValid() && logDir.isValid());
        if (qEnvironmentVariable("WAVIX_BIN_DIR").isEmpty())
            GTEST_SKIP() << "WAVIX_BIN_DIR not set";
    }
    std::filesystem::path tester() const { return testerDir.path().toStdString(); }
    std::filesystem::path logs() const { return logDir.path().toStdString(); }

    // The simulated tester on a fast link, so the downloads take little time.
    bool startSim(const QStringList& extra) {
        return sim.start(port, QStringList{"--link-rate", "1000"} + extra);
    }

    // Counts the files in the log folder; each must be one of the tester's, whole.
    std::size_t wholeFiles(const std::map<std::string, std::vector<std::uint8_t>>& kept) const {
        std::size_t whole = 0;
        for (const auto& entry : std::filesystem::directory_iterator(logs())) {
            const auto it = kept.find(entry.path().filename().string());
            EXPECT_TRUE(it != kept.end() && readAll(entry.path()) == it->second)
                << "stray or cut file " << entry.path();
            ++whole;
        }
        return whole;
    }

    QTemporaryDir testerDir;
    QTemporaryDir logDir;
    quint16 port = test::Simulator::freePort();
    test::Simulator sim;
};

// Without a folder the tester keeps its generated logs; what they hold is
// checked with the generator, their transfer with the files below.
TEST_F(LogDownloadFromSim, ListsTheGeneratedLogsWithoutAFolder) {
    ASSERT_TRUE(startSim({"--seed", "3"})) << sim.output().toStdString();
    Downloader d(logs());
    ASSERT_TRUE(d.start(port));
    ASSERT_TRUE(d.listed());
    std::vector<std::string> names;
    for (const auto& f : d.state().Found())
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"osclog01.sdf", "osclog02.sdf", "osclog04.sdf"}));
}

// A tester that falls silent in the middle of a file: every
// file on the PC is then either whole or absent, never cut, and the failure is told.
TEST_F(LogDownloadFromSim, SilenceMidFileLeavesNoFileCutAndTheFailureIsShown) {
    const std::map<std::string, std::vector<std::uint8_t>> kept{
        {"osclog01.sdf", randomBytes(30000, 1)},
        {"osclog02.sdf", randomBytes(30000, 2)},
    };
    for (const auto& [name, bytes] : kept)
        writeAll(tester() / name, bytes);
    ASSERT_TRUE(startSim({"--files", testerDir.path(), "--silent-after", "30"}))
        << sim.output().toStdString();
    Downloader d(logs());
    ASSERT_TRUE(d.start(port));
    ASSERT_TRUE(d.listed());
    if (!d.state().Found().empty()) {
        ASSERT_TRUE(d.fetch());
    }

    const std::size_t whole = wholeFiles(kept);
    EXPECT_LT(whole, 2u);
    EXPECT_TRUE(d.state().HadFailures() || d.state().Found().size() < kept.size());
    ASSERT_FALSE(d.ui.shown.empty());
    EXPECT_NE(d.ui.shown.back().find(BuiltinText("TXT_1320")), std::string::npos) << d.ui.shown.back();
    EXPECT_NE(d.state().MessageText(), BuiltinText("TXT_1310"));
}

// Datagrams doubled, swapped and lost, answered from another port: every file
// the listing found arrives byte for byte or is told as failed, none half-written.
// Copies alone cost no file: the listing then has the gaps in the numbering, a
// file of exactly two packets, and one already on the PC written over.
struct LossyLink {
    const char* name;
    QStringList faults;
    bool allArrive;
    friend void PrintTo(const LossyLink& l, std::ostream* os) { *os << l.name; }
};

class LogDownloadLossy : public LogDownloadFromSim, public ::testing::WithParamInterface<LossyLink> {};

TEST_P(LogDownloadLossy, EachFileArrivesWholeOrIsToldAsFailed) {
    std::map<std::string, std::vector<std::uint8_t>> kept;
    for (int n : {1, 2, 3, 5, 6, 7, 8, 10})
        kept[CLogListDownload::LogFileName(n)] =
            randomBytes(n == 2 ? 4078 : 6000 + 2500 * static_cast<std::size_t>(n), static_cast<quint32>(n));
    for (const auto& [name, bytes] : kept)
        writeAll(tester() / name, bytes);
    if (GetParam().allArrive)
        writeAll(logs() / "osclog05.sdf", randomBytes(99, 99));
    std::uint16_t replyPort = test::Simulator::freePort();
    while (replyPort == port)
        replyPort = test::Simulator::freePort();
    ASSERT_TRUE(startSim(
        QStringList{"--files", testerDir.path(), "--seed", "1", "--reply-port", QString::number(replyPort)} +
        GetParam().faults))
        << sim.output().toStdString();
    Downloader d(logs());
    ASSERT_TRUE(d.start(port));
    ASSERT_TRUE(d.listed()) << sim.output().toStdString();
    const std::size_t found = d.state().Found().size();
    const std::size_t boxesBefore = d.ui.shown.size();
    ASSERT_GT(found, 0u) << sim.output().toStdString();
    ASSERT_TRUE(d.fetch()) << sim.output().toStdString();

    const std::size_t whole = wholeFiles(kept);
    // One error box per file that did not arrive.
    EXPECT_EQ(d.ui.shown.size() - boxesBefore, found - whole) << sim.output().toStdString();
    EXPECT_EQ(d.state().HadFailures(), whole < found);
    EXPECT_GT(whole, 0u) << sim.output().toStdString();
    if (GetParam().allArrive) {
        std::vector<CLogListDownload::FoundFile> expected;
        for (const auto& [name, bytes] : kept)
            expected.push_back({name, static_cast<std::uint8_t>(std::stoi(name.substr(6, 2)) - 1),
                                static_cast<std::uint32_t>(bytes.size())});
        EXPECT_EQ(d.state().Found(), expected);
        EXPECT_EQ(d.ui.overwrite.size(), 1u);
        EXPECT_EQ(whole, found) << sim.output().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tester, LogDownloadLossy,
    ::testing::Values(
        LossyLink{"Copies", {"--duplicate", "0.05", "--reorder", "0.05"}, true},
        LossyLink{"CopiesAndLoss", {"--duplicate", "0.05", "--reorder", "0.05", "--loss", "0.02"}, false}),
    [](const auto& p) { return std::string(p.param.name); });

// The module link comes back on leaving only when it is still shut: opening an
// open link again would end in the "interface busy" question.
TEST(LogDownloadModuleLink, ReopenedOnLeavingOnlyWhenStillClosed) {
    test::app();
    struct Case {
        bool openAtStart;
        bool openedMeanwhile;
        int closes;
        int reopens;
    };
    for (const Case c : {Case{true, false, 1, 1}, Case{true, true, 1, 0}, Case{false, false, 0, 1}}) {
        QTemporaryDir logDir;
        Downloader d(logDir.path().toStdString());
        d.moduleOpen = c.openAtStart;
        // Nobody answers on this port; only the link handling matters here.
        ASSERT_TRUE(d.start(test::Simulator::freePort()));
        d.moduleOpen = d.moduleOpen || c.openedMeanwhile;
        d.leave();
        EXPECT_EQ(d.moduleCloses, c.closes) << c.openAtStart << c.openedMeanwhile;
        EXPECT_EQ(d.moduleReopens, c.reopens) << c.openAtStart << c.openedMeanwhile;
        EXPECT_TRUE(d.moduleOpen);
    }
}

} // namespace
} // namespace wavix
