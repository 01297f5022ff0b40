#pragma once
// Shared pieces of the platform tests: one QCoreApplication for the whole
// program, event-loop waiting without fixed sleeps, and a loopback peer.

#include "core/comm/packet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
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

// Runs the event loop until `done` holds; generous default for loaded CI machines.
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

// Lets the loop run for a while so that anything wrongly delivered shows up.
inline void settle(int ms = 100) {
    waitUntil([] { return false; }, ms);
}

inline const QHostAddress kLocal{QStringLiteral("127.0.0.1")};
inline const QHostAddress kTester{QStringLiteral("127.0.0.2")};

// A tester stand-in on its own loopback address, sharing the link's port.
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
    void sendTo(const QByteArray& bytes, const QHostAddress& to, quint16 toPort) {
        socket.writeDatagram(bytes, to, toPort);
    }
    bool waitFor(std::size_t count, int timeoutMs = 5000) {
        return waitUntil([&] { return received.size() >= count; }, timeoutMs);
    }

    bool ok = false;
    QUdpSocket socket;
    std::vector<QNetworkDatagram> received;
};

// A tester reply with the full header: start bytes, command, module, status, payload.
inline QByteArray testerPacket(std::uint16_t command, int payloadBytes = 0, std::uint16_t status = 0) {
    QByteArray bytes(static_cast<qsizetype>(kPacketHeaderSize) + payloadBytes, '\0');
    bytes[0] = static_cast<char>(kStartByte1);
    bytes[1] = static_cast<char>(kStartByte2);
    bytes[2] = static_cast<char>(command >> 8);
    bytes[3] = static_cast<char>(command & 0xFF);
    bytes[6] = static_cast<char>(status >> 8);
    bytes[7] = static_cast<char>(status & 0xFF);
    for (int i = 0; i < payloadBytes; ++i)
        bytes[static_cast<qsizetype>(kPacketHeaderSize) + i] = static_cast<char>(i);
    return bytes;
}

} // namespace wavix::test
