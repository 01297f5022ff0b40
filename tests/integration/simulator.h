#pragma once
// vexor-sim as a child process on 127.0.0.2 at a free port, stopped with the test.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <cstdint>

namespace wavix::test {

class Simulator {
public:
    static constexpr const char* kAddress = "127.0.0.2";

    Simulator() = default;
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // A UDP port free on both loopback addresses right now.
    static std::uint16_t freePort();

    // Starts and waits until the simulator listens; false (with output()) when it does not.
    bool start(std::uint16_t port, const QStringList& extraArgs = {});
    // Stops with SIGINT; true when it ended cleanly on it.
    bool stop();
    bool running() const { return process_.state() == QProcess::Running; }
    // Everything it printed so far.
    QByteArray output();

private:
    QProcess process_;
    QByteArray out_;
};

} // namespace wavix::test
