#pragma once
// vexor-sim on the network: one UDP socket, the module model behind it, the
// link faults, and a sender that paces datagrams at the configured link rate so
// the program's receive buffer is never flooded by a long sample group.

#include "sim/faultinjector.h"
#include "sim/simfileserver.h"
#include "sim/simmodule.h"
#include "sim/simoptions.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace wavix {

class CSimServer : public QObject {
    Q_OBJECT
public:
    using LogSink = std::function<void(const std::string&)>;

    CSimServer(const SimOptions& options, LogSink log, QObject* parent = nullptr);

    // Loads or generates the log files, then binds the socket (address reuse
    // set before the bind); false with a reason.
    bool start(QString& error);

private:
    struct Outgoing {
        Datagram datagram;
        QHostAddress to;
    };

    void onReadyRead();
    void onRequest(const QByteArray& bytes, const QHostAddress& from, quint16 fromPort);
    void powerCycle();
    void pump();
    std::uint64_t nowUs() const;
    void log(const std::string& line) const;

    SimOptions opt_;
    LogSink log_;
    QUdpSocket socket_;
    QUdpSocket replySocket_; // bound only for --reply-port
    QTimer paceTimer_;
    QTimer restartTimer_;
    QElapsedTimer clock_;
    std::unique_ptr<CSimModule> module_;
    std::unique_ptr<CSimFileServer> files_;
    CFaultInjector faults_;
    std::deque<Outgoing> queue_;
    std::uint64_t linkFreeUs_ = 0;
    std::uint64_t quietUntilUs_ = 0;
    std::uint64_t requests_ = 0;
    bool silentLogged_ = false;
    bool quietLogged_ = false;
};

} // namespace wavix
