#include "platform/datagramlink.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDatagram)

namespace wavix {
namespace {

// Bounds the work of one notification; the level-triggered notifier calls again.
constexpr int kMaxDatagramsPerNotification = 256;

} // namespace

CDatagramLink::CDatagramLink(ILinkTraffic& traffic, Handler handler)
    : traffic_(traffic), handler_(std::move(handler)) {}

CDatagramLink::~CDatagramLink() {
    sockets_.close();
}

bool CDatagramLink::Open(const std::string& address, std::uint32_t port, bool receive) {
    if (port == 0 || port > 0xFFFF) {
        qCWarning(lcDatagram) << "Open: port out of range" << port;
        return false;
    }
    const auto ip = resolveIpv4(address);
    if (!ip) {
        qCWarning(lcDatagram) << "Open: cannot resolve" << address.c_str();
        return false;
    }
    const auto p = static_cast<std::uint16_t>(port);
    if (!sockets_.open(
            p, [this] { readAll(); }, receive))
        return false;
    sockets_.setRemote({*ip, p});
    state_ = State::Open;
    return true;
}

void CDatagramLink::Close() {
    state_ = State::Closed;
    sockets_.close();
}

bool CDatagramLink::Send(Packet packet) {
    // The packet is ours in every case and freed on return.
    if (!IsOpen())
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
    traffic_.Sent(static_cast<std::size_t>(sent));
    return true;
}

void CDatagramLink::readAll() {
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
        traffic_.Received(read.length);
        handler_(std::move(buffer), {read.length, read.fullLength, read.from});
    }
}

} // namespace wavix
