// The program's log download against the vexor-sim process on loopback: the
// listing finds exactly the files the simulated tester keeps, and the download
// brings each one home byte for byte.

#include "core/files/loglistdownload.h"
#include "platform/qtmessagetarget.h"
#include "platform/qtsupport.h"
#include "platform/vexorlink.h"
#include "sim/testerlogcheck.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

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

// A port nobody on this machine holds just now.
quint16 freePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress("127.0.0.1"), 0);
    return probe.localPort();
}

class SimProcess {
public:
    bool start(const QStringList& extra, quint16 port) {
        const QString dir = qEnvironmentVariable("WAVIX_BIN_DIR");
        const QString exe = dir + "/vexor-sim";
        if (dir.isEmpty() || !QFileInfo(exe).isExecutable())
            return false;
        process_.start(
            exe, QStringList{"--addr", "127.0.0.2", "--port", QString::number(port), "--link-rate", "1000"} +
                     extra);
        if (!process_.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(30000);
        while (!output_.contains("listening") && !deadline.hasExpired() &&
               process_.state() == QProcess::Running)
            if (process_.waitForReadyRead(200))
                output_ += process_.readAllStandardOutput();
        return output_.contains("listening");
    }
    ~SimProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
    }
    QString why() { return QString::fromUtf8(output_ + process_.readAllStandardError()); }

private:
    QProcess process_;
    QByteArray output_;
};

// Carries out what the download logic asks for, as the main window does.
class Downloader {
public:
    explicit Downloader(const std::filesystem::path& logFolder) : download_(logFolder) {
        window_.setHandler([this](Msg msg, std::intptr_t w, std::intptr_t l) {
            if (msg == Msg::UWM_RECEIVED_FILE_MSG)
                run(download_.OnReceivedFile(w, l, link_.Protocol().GetReceivedFile().GetSize()));
        });
        owner_.setHandler([this](Msg msg, std::intptr_t, std::intptr_t l) {
            if (msg == Msg::UWM_COMM_ETH_MSG)
                download_.OnLinkTraffic(l);
        });
        link_.SetNotifyWindow(&window_);
    }

    bool open(quint16 port) { return link_.Open("127.0.0.2", port, &owner_, 1); }

    bool list() {
        run(download_.BeginListing());
        return test::waitUntil([&] { return download_.GetPhase() == CLogListDownload::Phase::Listed; },
                               30000);
    }
    bool fetch() {
        run(download_.OnDownloadPressed());
        return test::waitUntil([&] { return download_.GetPhase() == CLogListDownload::Phase::Done; }, 120000);
    }

    const CLogListDownload& state() const { return download_; }
    std::vector<std::string> shown;     // message boxes
    std::vector<std::string> overwrite; // names asked about

private:
    void run(const LogDownloadActions& actions) {
        for (const LogDownloadAction& a : actions) {
            switch (a.kind) {
            case Kind::ResetReceivedFile:
                link_.Protocol().ResetReceivedFile();
                break;
            case Kind::AskFileEntry:
                if (!link_.Protocol().AskForFileEntry(a.name))
                    run(download_.OnRequestNotSent());
                break;
            case Kind::AskFileContents:
                if (!link_.Protocol().AskForFileContents(a.name))
                    run(download_.OnRequestNotSent());
                break;
            case Kind::WaitThenProbe:
                QTimer::singleShot(static_cast<int>(a.delayMs), &window_,
                                   [this] { run(download_.OnProbeDelayElapsed()); });
                break;
            case Kind::AskOverwrite:
                overwrite.push_back(a.path.filename().string());
                run(download_.OnOverwriteAnswer(true));
                break;
            case Kind::ChooseFile:
                run(download_.OnFileChosen(std::nullopt));
                break;
            case Kind::WriteFile:
                run(download_.OnFileWritten(link_.Protocol().GetReceivedFile().Save(a.path, a.size)));
                break;
            case Kind::ShowInfo:
            case Kind::ShowError:
                shown.push_back(a.text);
                break;
            }
        }
    }

    QtMessageTarget window_;
    QtMessageTarget owner_;
    CVexorLink link_;
    CLogListDownload download_;
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

    QTemporaryDir testerDir;
    QTemporaryDir logDir;
    quint16 port = freePort();
};

TEST_F(LogDownloadFromSim, ListsTheThreeKeptFilesAndDownloadsThemByteForByte) {
    // Gaps in the numbering, a file of exactly two packets and one already on the PC.
    const std::map<std::string, std::vector<std::uint8_t>> kept{
        {"osclog02.sdf", randomBytes(4078, 2)},
        {"osclog05.sdf", randomBytes(777, 5)},
        {"osclog10.sdf", randomBytes(50000, 10)},
    };
    for (const auto& [name, bytes] : kept)
        writeAll(tester() / name, bytes);
    writeAll(logs() / "osclog05.sdf", randomBytes(99, 99));

    SimProcess sim;
    ASSERT_TRUE(sim.start({"--files", testerDir.path()}, port)) << sim.why().toStdString();
    Downloader d(logs());
    ASSERT_TRUE(d.open(port));

    ASSERT_TRUE(d.list());
    std::vector<CLogListDownload::FoundFile> expected;
    for (const auto& [name, bytes] : kept)
        expected.push_back({name, static_cast<std::uint8_t>(std::stoi(name.substr(6, 2)) - 1),
                            static_cast<std::uint32_t>(bytes.size())});
    EXPECT_EQ(d.state().Found(), expected);
    EXPECT_TRUE(d.state().DownloadEnabled());
    EXPECT_TRUE(d.shown.empty());

    ASSERT_TRUE(d.fetch());
    EXPECT_FALSE(d.state().HadFailures());
    EXPECT_EQ(d.overwrite, std::vector<std::string>{"osclog05.sdf"});
    for (const auto& [name, bytes] : kept)
        EXPECT_EQ(readAll(logs() / name), bytes) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(logs()), {}), 3);
}

TEST_F(LogDownloadFromSim, GeneratedLogsArriveWholeInTheTestersFormat) {
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--seed", "3"}, port)) << sim.why().toStdString();
    Downloader d(logs());
    ASSERT_TRUE(d.open(port));

    ASSERT_TRUE(d.list());
    std::vector<std::string> names;
    for (const auto& f : d.state().Found())
        names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string>{"osclog01.sdf", "osclog02.sdf", "osclog04.sdf"}));

    ASSERT_TRUE(d.fetch());
    EXPECT_FALSE(d.state().HadFailures());
    for (const auto& f : d.state().Found()) {
        SCOPED_TRACE(f.name);
        const std::vector<std::uint8_t> bytes = readAll(logs() / f.name);
        EXPECT_EQ(bytes.size(), f.size);
        const simtest::CheckedLog log = simtest::checkTesterLog(bytes);
        EXPECT_EQ(log.error, "");
        EXPECT_EQ(log.mode, 3); // roll mode
        EXPECT_GT(log.instants, 0u);
        EXPECT_GT(log.marksFirst + log.marksSecond, 0u);
    }
}

} // namespace
} // namespace wavix
