#pragma once
// Pieces the benchmarks that talk to vexor-sim share: one QCoreApplication,
// a free port, and the simulator started from the folder of this program.

#include <QCoreApplication>
#include <QHostAddress>
#include <QProcess>
#include <QStringList>
#include <QUdpSocket>

#include <csignal>
#include <cstdint>
#include <filesystem>

namespace wavix::bench {

inline constexpr const char* kSimAddress = "127.0.0.2";

inline QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "wavix_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

inline std::uint16_t freePort() {
    QUdpSocket any;
    return any.bind(QHostAddress::AnyIPv4, 0) ? any.localPort() : 0;
}

// Runs quietly until destroyed; readiness shows in the first answer.
class Sim {
public:
    explicit Sim(std::uint16_t port, const QStringList& extraArgs = {}) {
        const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(QString::fromStdString((dir / "vexor-sim").string()),
                       QStringList{"--addr", kSimAddress, "--port", QString::number(port)} + extraArgs);
        ok_ = process_.waitForStarted(5000);
    }
    ~Sim() {
        if (process_.state() != QProcess::Running)
            return;
        ::kill(static_cast<pid_t>(process_.processId()), SIGINT);
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;
    bool ok() const { return ok_; }

private:
    QProcess process_;
    bool ok_ = false;
};

} // namespace wavix::bench
