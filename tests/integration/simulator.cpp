#include "integration/simulator.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QUdpSocket>

#include <csignal>

namespace wavix::test {

Simulator::~Simulator() {
    stop();
}

std::uint16_t Simulator::freePort() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        QUdpSocket any;
        if (!any.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::ShareAddress))
            continue;
        const quint16 port = any.localPort();
        QUdpSocket sim;
        if (sim.bind(QHostAddress(kAddress), port, QAbstractSocket::ShareAddress))
            return port;
    }
    return 0;
}

bool Simulator::start(std::uint16_t port, const QStringList& extraArgs) {
    const QString exe = qEnvironmentVariable("WAVIX_BIN_DIR") + "/vexor-sim";
    if (!QFileInfo(exe).isExecutable()) {
        out_ = "no simulator at " + exe.toUtf8();
        return false;
    }
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(exe, QStringList{"--addr", kAddress, "--port", QString::number(port)} + extraArgs);
    if (!process_.waitForStarted(5000))
        return false;
    const QDeadlineTimer listening(10000);
    while (!out_.contains("listening") && !listening.hasExpired() && running())
        if (process_.waitForReadyRead(200))
            out_ += process_.readAll();
    return out_.contains("listening");
}

bool Simulator::stop() {
    if (!running())
        return false;
    ::kill(static_cast<pid_t>(process_.processId()), SIGINT);
    const bool ended = process_.waitForFinished(5000);
    if (!ended) {
        process_.kill();
        process_.waitForFinished(2000);
    }
    out_ += process_.readAll();
    return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0 &&
           out_.contains("stopped");
}

QByteArray Simulator::output() {
    out_ += process_.readAll();
    return out_;
}

} // namespace wavix::test
