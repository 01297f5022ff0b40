#include "platform/communication.h"

#include "platform/qttick.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDatagram)

namespace wavix {
namespace {

// Bounds the work of one notification; the level-triggered notifier calls again.
constexpr int kMaxDatagramsPerNotification = 256;

bool validPort(std::uint32_t port) {
    return port > 0 && port <= 0xFFFF;
}

} // namespace

CCommunication::CCommunication(const ITickSource* ticks)
    : ownTicks_(ticks == nullptr ? std::make_unique<QtTickSource>() : nullptr),
      ticks_(ticks != nullptr ? ticks : ownTicks_.get()), stats_(ticks_->tickMs()) {
    // Statistics run from construction to destruction, also while closed.
    timer_ = std::make_unique<DeadlineTimer>([this] { OnTimer(); }, [this] { return msUntilNextTimer(); });
    timer_->start();
}

CCommunication::~CCommunication() {
    timer_->stop();
    sockets_.close();
    qCDebug(lcDatagram) << "Communication end";
}

bool CCommunication::SetAddress(const std::string& address, std::uint32_t port) {
    if (address.empty() || !validPort(port)) {
        qCWarning(lcDatagram) << "SetAddress: refused" << address.c_str() << port;
        return false;
    }
    address_ = address;
    port_ = port;
    return true;
}

void CCommunication::SetMainWnd(IMessageTarget* mainWnd) {
    if (mainWnd == nullptr)
        qCWarning(lcDatagram) << "hWndMainWindow";
    mainWnd_ = mainWnd;
}

bool CCommunication::SetProtocol(IDatagramReceiver* protocol) {
    protocol_ = protocol;
    return true;
}

void CCommunication::AttachSecondary(IDatagramReceiver* receiver,
                                     std::function<bool(std::uint16_t command)> wants) {
    secondary_ = receiver;
    secondaryWants_ = std::move(wants);
}

void CCommunication::DetachSecondary(const IDatagramReceiver* receiver) {
    if (secondary_ != receiver)
        return;
    secondary_ = nullptr;
    secondaryWants_ = nullptr;
}

bool CCommunication::Open() {
    if (protocol_ == nullptr) {
        qCWarning(lcDatagram) << "Open without a protocol (locGlobal_pIvoraProtocol)";
        return false;
    }
    const auto ip = resolveIpv4(address_);
    if (!ip) {
        qCWarning(lcDatagram) << "Open: cannot resolve" << address_.c_str();
        return false;
    }
    const auto port = static_cast<std::uint16_t>(port_);
    if (!sockets_.open(port, [this] { receiveAll(); }))
        return false;
    sockets_.setRemote({*ip, port});
    state_ = kOpen;
    return true;
}

void CCommunication::Close() {
    state_ = kClosed;
    sockets_.close();
}

bool CCommunication::Send(Packet packet) {
    // The packet is ours in every case and freed on return.
    if (state_.load() != kOpen)
        return false;
    if (!packet.data || packet.size == 0 || packet.size > kPacketBufferSize) {
        qCWarning(lcDatagram) << "Send: refused a packet of" << packet.size << "bytes";
        return false;
    }
    const long sent = sockets_.sendToRemote(packet.data.get(), packet.size);
    if (sent < 0)
        return false;
    if (static_cast<std::size_t>(sent) != packet.size)
        qCWarning(lcDatagram) << "Send: only" << sent << "of" << packet.size << "bytes went out";
    stats_.addSent(static_cast<std::uint32_t>(sent));
    return true;
}

void CCommunication::OnTimer() {
    stats_.step(ticks_->tickMs(), mainWnd_);
}

std::uint32_t CCommunication::msUntilNextTimer() const {
    return stats_.msUntilNext(ticks_->tickMs());
}

void CCommunication::receiveAll() {
    for (int i = 0; i < kMaxDatagramsPerNotification && sockets_.isOpen(); ++i) {
        PacketBuffer buffer = allocatePacketBuffer();
        if (!buffer) {
            qCCritical(lcDatagram) << "CCommunication::Receive() ERROR";
            return;
        }
        const auto read = sockets_.readOne(buffer.get(), kPacketBufferSize);
        if (read.status == CDatagramSockets::ReadStatus::Foreign)
            continue;
        if (read.status != CDatagramSockets::ReadStatus::Read)
            return;
        receiveOne(std::move(buffer), read);
    }
}

void CCommunication::receiveOne(PacketBuffer buffer, const CDatagramSockets::ReadResult& read) {
    if (read.length == 0) {
        qCWarning(lcDatagram) << "Receive: empty datagram from" << read.from.addressText().c_str();
        return;
    }
    if (read.fullLength >= kPacketBufferSize)
        qCWarning(lcDatagram) << "Receive: datagram of" << read.fullLength << "bytes fills the buffer"
                              << "and may have been cut";
    stats_.addReceived(static_cast<std::uint32_t>(read.length));
    // With no tester on this machine our own requests to a loopback address come
    // back to the port we listen on; read as replies they would end the session.
    if (read.from.port == sockets_.sendPort() && (read.from.ipv4 >> 24) == 127) {
        qCDebug(lcDatagram) << "Receive: dropped our own request of" << read.length << "bytes";
        return;
    }
    // The second link's packets may be as short as a bare header of four bytes.
    if (secondary_ != nullptr && read.length >= kRequestHeaderSize &&
        hasStartBytes(buffer.get(), read.length) &&
        secondaryWants_(readPacketHeader(buffer.get(), read.length).command)) {
        secondary_->parseRecData(std::move(buffer), read.length);
        return;
    }
    if (!isTesterDatagram(buffer.get(), read.length)) {
        qCWarning(lcDatagram) << "Receive: dropped" << read.length << "bytes that are no tester packet from"
                              << read.from.addressText().c_str() << read.from.port;
        return;
    }
    if (protocol_ == nullptr) {
        qCWarning(lcDatagram) << "Receive: no protocol (locGlobal_pIvoraProtocol)";
        return;
    }
    protocol_->parseRecData(std::move(buffer), read.length);
}

} // namespace wavix
