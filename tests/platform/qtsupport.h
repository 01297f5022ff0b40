#pragma once
// Shared pieces of the platform tests: one QCoreApplication per program,
// event-loop waiting without fixed sleeps, and a tester stand-in on loopback.

#include "core/comm/datagram.h"
#include "core/comm/packet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace wavix::test {

inline QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

class QtFixture : public ::testing::Test {
protected:
    QtFixture() { app(); }
};

// Generous default timeout for loaded CI machines; returns as soon as `done` holds.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Runs the loop a while so that anything wrongly delivered shows up.
inline void settle(int ms = 50) {
    waitUntil([] { return false; }, ms);
}

inline const QHostAddress kLocal{QStringLiteral("127.0.0.1")};
inline const QHostAddress kTester{QStringLiteral("127.0.0.2")};
inline const QHostAddress kStranger{QStringLiteral("127.0.0.3")};

// Binds with address reuse, as the tester beside the program does.
class Peer {
public:
    explicit Peer(const QHostAddress& address, quint16 port = 0) {
        ok = socket.bind(address, port, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams())
                received.push_back(socket.receiveDatagram());
        });
    }
    quint16 port() const { return socket.localPort(); }
    void sendTo(const QByteArray& bytes, quint16 toPort) { socket.writeDatagram(bytes, kLocal, toPort); }
    bool waitFor(std::size_t count) {
        return waitUntil([&] { return received.size() >= count; });
    }

    bool ok = false;
    QUdpSocket socket;
    std::vector<QNetworkDatagram> received;
};

// A protocol stand-in that keeps every datagram the link hands it.
class RecordingReceiver : public IDatagramReceiver {
public:
    void parseRecData(PacketBuffer buffer, std::size_t length) override {
        got.emplace_back(reinterpret_cast<const char*>(buffer.get()), static_cast<qsizetype>(length));
    }
    std::vector<QByteArray> got;
};

// Start bytes, command, module 0, status, then `payloadBytes` counting bytes.
inline QByteArray testerPacket(std::uint16_t command, int payloadBytes = 0, std::uint16_t status = 0) {
    QByteArray bytes;
    for (int b : {0x10, 0x02, command >> 8, command & 0xFF, 0, 0, status >> 8, status & 0xFF})
        bytes.append(static_cast<char>(b));
    for (int i = 0; i < payloadBytes; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

} // namespace wavix::test
