#include "platform/commeth.h"

#include "core/comm/packet.h"

#include <QLoggingCategory>

#include <array>

Q_DECLARE_LOGGING_CATEGORY(lcDatagram)

namespace wavix {
namespace {

constexpr int kMaxDatagramsPerNotification = 256;

} // namespace

CCommEth::CCommEth() = default;

CCommEth::~CCommEth() {
    sockets_.close();
}

bool CCommEth::Open(const std::string& address, std::uint32_t port, IMessageTarget* owner,
                    std::uint16_t linkId, bool ownReceivePort) {
    if (IsOpen())
        Close();
    owner_ = owner;
    linkId_ = linkId;
    if (port == 0 || port > 0xFFFF) {
        qCWarning(lcDatagram) << "CCommEth::Open: port out of range" << port;
        return false;
    }
    const auto ip = resolveIpv4(address);
    if (!ip) {
        qCWarning(lcDatagram) << "CCommEth::Open: cannot resolve" << address.c_str();
        return false;
    }
    const auto p = static_cast<std::uint16_t>(port);
    if (!sockets_.open(
            p, [this] { notified(); }, ownReceivePort))
        return false;
    sockets_.setRemote({*ip, p});
    state_ = kOpen;
    return true;
}

bool CCommEth::Close() {
    state_ = kClosed;
    sockets_.close();
    return true;
}

std::intptr_t CCommEth::notifyCode(FileLinkNotice notice) const {
    return EncodeFileLink(linkId_, notice);
}

int CCommEth::Receive(std::uint8_t* buffer, std::size_t& length) {
    ++receiveCalls_;
    if (!IsOpen() || buffer == nullptr || length == 0) {
        length = 0;
        return kReceiveFailed;
    }
    const auto read = sockets_.readOne(buffer, length);
    if (read.status == CDatagramSockets::ReadStatus::Foreign) {
        length = 0;
        return kReceivedForeign;
    }
    if (read.status != CDatagramSockets::ReadStatus::Read) {
        length = 0;
        return kReceiveFailed;
    }
    length = read.length;
    Delivered(read.length);
    return read.fullLength > read.length ? kReceivedCut : kReceived;
}

void CCommEth::Delivered(std::size_t length) {
    bytesReceived_ += static_cast<std::uint32_t>(length);
    bytesReceivedTenth_ += static_cast<std::uint32_t>(length);
    postTo(owner_, Msg::UWM_COMM_ETH_MSG, static_cast<std::intptr_t>(length),
           notifyCode(FileLinkNotice::Received));
}

bool CCommEth::Send(const std::uint8_t* data, std::size_t length) {
    if (!IsOpen() || (data == nullptr && length > 0))
        return false;
    const long sent = sockets_.sendToRemote(data, length);
    if (sent < 0)
        return false;
    if (static_cast<std::size_t>(sent) != length)
        qCWarning(lcDatagram) << "CCommEth::Send: only" << sent << "of" << length << "bytes went out";
    bytesSent_ += static_cast<std::uint32_t>(sent);
    postTo(owner_, Msg::UWM_COMM_ETH_MSG, static_cast<std::intptr_t>(sent), notifyCode(FileLinkNotice::Sent));
    return true;
}

void CCommEth::OnReceive() {
    std::array<std::uint8_t, kPacketBufferSize> scratch{};
    std::size_t length = scratch.size();
    Receive(scratch.data(), length);
}

void CCommEth::notified() {
    for (int i = 0; i < kMaxDatagramsPerNotification && IsOpen() && sockets_.hasPending(); ++i) {
        const unsigned before = receiveCalls_;
        OnReceive();
        if (receiveCalls_ == before) {
            // An override that does not read would spin the event loop forever.
            qCWarning(lcDatagram) << "CCommEth: OnReceive read nothing; datagram dropped";
            std::array<std::uint8_t, kPacketBufferSize> scratch{};
            sockets_.readOne(scratch.data(), scratch.size());
        }
    }
}

} // namespace wavix
