// vexor-sim as a process on the loopback: answers an echo from its reply port,
// stops cleanly on SIGINT.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QProcess>
#include <QUdpSocket>

#include <csignal>

namespace {

TEST(SimProcess, AnswersAnEchoFromItsReplyPortAndStopsOnSigint) {
    const QString dir = qEnvironmentVariable("WAVIX_BIN_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "WAVIX_BIN_DIR not set";
    const QString exe = dir + "/vexor-sim";
    ASSERT_TRUE(QFileInfo(exe).isExecutable()) << exe.toStdString();
    int argc = 1;
    char name[] = "sim_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    // The answer goes to the request's source address at the simulator's port, so
    // we listen on 127.0.0.1 at a free port and let the simulator take 127.0.0.2 there.
    QUdpSocket us;
    ASSERT_TRUE(us.bind(QHostAddress("127.0.0.1"), 0, QAbstractSocket::ShareAddress));
    const quint16 port = us.localPort();
    quint16 replyPort = 0;
    {
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress("127.0.0.2"), 0));
        replyPort = probe.localPort();
    }

    QProcess sim;
    sim.start(exe, {"--addr", "127.0.0.2", "--port", QString::number(port), "--module", "0x0022",
                    "--reply-port", QString::number(replyPort)});
    ASSERT_TRUE(sim.waitForStarted(5000));
    QByteArray out;
    const QDeadlineTimer listening(10000);
    while (!out.contains("listening") && !listening.hasExpired() && sim.state() == QProcess::Running)
        if (sim.waitForReadyRead(200))
            out += sim.readAllStandardOutput();
    ASSERT_TRUE(out.contains("listening")) << sim.readAllStandardError().toStdString();

    const QByteArray echo("\x10\x02\x00\x00", 4);
    QNetworkDatagram reply;
    for (int attempt = 0; attempt < 5 && reply.data().isEmpty(); ++attempt) {
        us.writeDatagram(echo, QHostAddress("127.0.0.2"), port);
        if (us.waitForReadyRead(1000))
            reply = us.receiveDatagram();
    }
    ASSERT_EQ(reply.data(), QByteArray("\x10\x02\x80\x00\x00\x22\x00\x00", 8));
    EXPECT_EQ(reply.senderPort(), replyPort);

    ::kill(static_cast<pid_t>(sim.processId()), SIGINT);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    out += sim.readAllStandardOutput();
    EXPECT_TRUE(out.contains("echo from 127.0.0.1:" + QByteArray::number(port))) << out.toStdString();
    EXPECT_TRUE(out.contains("stopped"));
}

} // namespace
