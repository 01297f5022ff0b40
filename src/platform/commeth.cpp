#include "platform/commeth.h"

#include "core/support/logtrace.h"

namespace wavix {

CCommEth::CCommEth(IDatagramReceiver* receiver, CLogTrace* log)
    : receiver_(receiver), log_(log),
      link_(*this, [this](PacketBuffer buffer, const CDatagramLink::Read& read) {
          onDatagram(std::move(buffer), read);
      }) {
    link_.SetLog(log);
}

CCommEth::~CCommEth() = default;

bool CCommEth::Open(const std::string& address, std::uint32_t port, IMessageTarget* owner,
                    std::uint16_t linkId, bool ownReceivePort) {
    if (IsOpen())
        Close();
    owner_ = owner;
    linkId_ = linkId;
    return link_.Open(address, port, ownReceivePort);
}

int CCommEth::GetState() const {
    switch (link_.GetState()) {
    case CDatagramLink::State::Open:
        return kOpen;
    case CDatagramLink::State::Closed:
        return kClosed;
    default:
        return kNeverOpened;
    }
}

bool CCommEth::Close() {
    link_.Close();
    return true;
}

bool CCommEth::Send(Packet packet) {
    return link_.Send(std::move(packet));
}

std::intptr_t CCommEth::notifyCode(FileLinkNotice notice) const {
    return EncodeFileLink(linkId_, notice);
}

void CCommEth::Sent(std::size_t bytes) {
    bytesSent_ += static_cast<std::uint32_t>(bytes);
    postTo(owner_, Msg::UWM_COMM_ETH_MSG, static_cast<std::intptr_t>(bytes),
           notifyCode(FileLinkNotice::Sent));
}

void CCommEth::Received(std::size_t bytes) {
    bytesReceived_ += static_cast<std::uint32_t>(bytes);
    bytesReceivedTenth_ += static_cast<std::uint32_t>(bytes);
    postTo(owner_, Msg::UWM_COMM_ETH_MSG, static_cast<std::intptr_t>(bytes),
           notifyCode(FileLinkNotice::Received));
}

void CCommEth::onDatagram(PacketBuffer buffer, const CDatagramLink::Read& read) {
    if (read.fullLength > read.length) {
        InternalError("CVexorLink: datagram not read whole; dropped", log_);
        return;
    }
    if (receiver_ != nullptr)
        receiver_->parseRecData(std::move(buffer), read.length);
}

void CCommEth::parseRecData(PacketBuffer buffer, std::size_t length) {
    if (!IsOpen() || !buffer)
        return;
    Received(length);
    if (receiver_ != nullptr)
        receiver_->parseRecData(std::move(buffer), length);
}

} // namespace wavix
