#include "sim/simserver.h"

#include "core/support/bytes.h"
#include "sim/simlogs.h"

#include <QDate>
#include <QNetworkDatagram>

#include <algorithm>
#include <cmath>

namespace wavix {

namespace {
// Ethernet, IP and UDP framing around each datagram.
constexpr std::uint64_t kFrameOverheadBytes = 66;
constexpr std::uint64_t kPowerUpQuietUs = 1000000;

SimDate Today() {
    const QDate d = QDate::currentDate();
    return {d.year(), d.month(), d.day()};
}
} // namespace

CSimServer::CSimServer(const SimOptions& options, LogSink log, QObject* parent)
    : QObject(parent), opt_(options), log_(std::move(log)),
      module_(std::make_unique<CSimModule>(options.module)), faults_(options.faults, options.seed) {
    clock_.start();
    paceTimer_.setTimerType(Qt::PreciseTimer);
    paceTimer_.setInterval(1);
    connect(&paceTimer_, &QTimer::timeout, this, &CSimServer::pump);
    connect(&socket_, &QUdpSocket::readyRead, this, &CSimServer::onReadyRead);
    if (opt_.restartEverySeconds > 0) {
        restartTimer_.setInterval(static_cast<int>(std::lround(opt_.restartEverySeconds * 1000)));
        connect(&restartTimer_, &QTimer::timeout, this, &CSimServer::powerCycle);
    }
}

bool CSimServer::start(QString& error) {
    SimFileMap files;
    std::string where = "generated";
    if (opt_.filesDir) {
        std::string why;
        if (!LoadLogFolder(*opt_.filesDir, files, why)) {
            error = QString::fromStdString(why);
            return false;
        }
        where = "from " + *opt_.filesDir;
    } else {
        files = GenerateTesterLogs(opt_.seed, opt_.module.rpm);
    }
    files_ = std::make_unique<CSimFileServer>(opt_.module.moduleNum, std::move(files));
    std::string list;
    for (const auto& name : files_->names())
        list += " " + name + " (" + std::to_string(files_->entry(name)->size) + " bytes)";
    log("log files " + where + ":" + (list.empty() ? std::string(" none") : list));

    const QHostAddress address(QString::fromStdString(opt_.address));
    // ShareAddress sets SO_REUSEADDR before the bind, so the program can hold the same port.
    if (!socket_.bind(address, opt_.port,
                      QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        error = socket_.errorString();
        return false;
    }
    if (opt_.replyPort && *opt_.replyPort != opt_.port &&
        !replySocket_.bind(address, *opt_.replyPort,
                           QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        error = "reply port " + QString::number(*opt_.replyPort) + ": " + replySocket_.errorString();
        return false;
    }
    if (opt_.restartEverySeconds > 0)
        restartTimer_.start();
    char line[128];
    std::snprintf(line, sizeof line, "listening on %s:%u, module 0x%04X", opt_.address.c_str(),
                  unsigned{opt_.port}, unsigned{opt_.module.moduleNum});
    log(line);
    if (replySocket_.state() == QAbstractSocket::BoundState)
        log("answering from port " + std::to_string(*opt_.replyPort));
    return true;
}

std::uint64_t CSimServer::nowUs() const {
    return static_cast<std::uint64_t>(clock_.nsecsElapsed() / 1000);
}

void CSimServer::log(const std::string& line) const {
    if (log_)
        log_(line);
}

void CSimServer::onReadyRead() {
    while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram d = socket_.receiveDatagram();
        if (!d.isValid())
            break;
        onRequest(d.data(), d.senderAddress(), static_cast<quint16>(d.senderPort()));
    }
}

void CSimServer::onRequest(const QByteArray& bytes, const QHostAddress& from, quint16 fromPort) {
    const std::uint64_t now = nowUs();
    if (now < quietUntilUs_) {
        if (!quietLogged_)
            log("starting up: requests ignored");
        quietLogged_ = true;
        return;
    }
    ++requests_;
    if (opt_.silentAfter && requests_ > *opt_.silentAfter) {
        if (!silentLogged_)
            log("silent from now on, after " + std::to_string(*opt_.silentAfter) + " requests");
        silentLogged_ = true;
        return;
    }
    const std::span<const std::uint8_t> request(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                static_cast<std::size_t>(bytes.size()));
    if (request.size() >= kRequestHeaderSize && hasStartBytes(request.data(), request.size()) &&
        readBE16(&request[2]) == 0x0000)
        log("echo from " + from.toString().toStdString() + ":" + std::to_string(fromPort));
    std::vector<Packet> packets;
    std::vector<std::string> lines;
    if (files_ && request.size() >= kRequestHeaderSize && hasStartBytes(request.data(), request.size()) &&
        IsSimFileCommand(readBE16(&request[2]))) {
        CSimFileServer::Response response = files_->handle(request);
        packets = std::move(response.packets);
        lines = std::move(response.log);
    } else {
        CSimModule::Response response = module_->handle(request, now, Today());
        packets = std::move(response.packets);
        lines = std::move(response.log);
    }
    for (const auto& line : lines)
        log(line);
    std::vector<std::string> faultLog;
    std::vector<Datagram> datagrams = ToDatagrams(std::move(packets));
    if (opt_.faults.any())
        datagrams = faults_.apply(std::move(datagrams), faultLog);
    for (const auto& line : faultLog)
        log(line);
    for (auto& d : datagrams)
        queue_.push_back({std::move(d), from});
    pump();
}

void CSimServer::powerCycle() {
    module_ = std::make_unique<CSimModule>(opt_.module);
    if (files_)
        files_->abortTransfer();
    queue_.clear();
    paceTimer_.stop();
    quietUntilUs_ = nowUs() + kPowerUpQuietUs;
    quietLogged_ = false;
    log("power cycle: state forgotten, quiet for 1 s");
}

void CSimServer::pump() {
    const std::uint64_t now = nowUs();
    while (!queue_.empty()) {
        if (!opt_.noPacing && linkFreeUs_ > now)
            break;
        Outgoing& o = queue_.front();
        const auto& b = o.datagram.bytes;
        QUdpSocket& out = replySocket_.state() == QAbstractSocket::BoundState ? replySocket_ : socket_;
        out.writeDatagram(reinterpret_cast<const char*>(b.data()), static_cast<qint64>(b.size()), o.to,
                          opt_.port);
        // The wire stays busy for the frame's length; an idle link starts counting now.
        const std::uint64_t bits = (b.size() + kFrameOverheadBytes) * 8;
        const auto busyUs = static_cast<std::uint64_t>(std::ceil(bits * 1e6 / opt_.linkRateBitsPerSecond));
        linkFreeUs_ = std::max(linkFreeUs_, now) + busyUs;
        queue_.pop_front();
    }
    if (queue_.empty())
        paceTimer_.stop();
    else if (!paceTimer_.isActive())
        paceTimer_.start();
}

} // namespace wavix
