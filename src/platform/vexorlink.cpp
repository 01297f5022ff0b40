#include "platform/vexorlink.h"

#include "core/support/logtrace.h"
#include "platform/communication.h"
#include "platform/qttick.h"

namespace wavix {

CVexorLink::CVexorLink(const ITickSource* ticks, LogTrace* log)
    : ownTicks_(ticks == nullptr ? std::make_unique<QtTickSource>() : nullptr),
      ticks_(ticks != nullptr ? ticks : ownTicks_.get()), log_(log), protocol_(sender_, *ticks_, log) {
    SetLog(log);
    timer_ = std::make_unique<DeadlineTimer>([this] { protocol_.OnTimer(); },
                                             [this] { return protocol_.msUntilNextTimer(); });
}

CVexorLink::~CVexorLink() {
    detach();
    timer_->stop();
}

void CVexorLink::ShareReceiveWith(CCommunication* moduleLink) {
    moduleLink_ = moduleLink;
}

void CVexorLink::detach() {
    if (attached_ != nullptr)
        attached_->DetachSecondary(this);
    attached_ = nullptr;
}

bool CVexorLink::Open(const std::string& address, std::uint32_t port, IMessageTarget* owner,
                      std::uint16_t linkId) {
    detach();
    const bool share = moduleLink_ != nullptr && moduleLink_->GetState() == CCommunication::kOpen;
    if (!CCommEth::Open(address, port, owner, linkId, !share))
        return false;
    if (share) {
        attached_ = moduleLink_;
        attached_->AttachSecondary(this, IsVexorProtocolCommand);
    }
    timer_->start();
    return true;
}

bool CVexorLink::Close() {
    detach();
    timer_->stop();
    return CCommEth::Close();
}

bool CVexorLink::Sender::Send(Packet packet) {
    // CCommEth keeps the caller's buffer; the packet frees it on return.
    if (!packet.data || packet.size == 0 || packet.size > kPacketBufferSize)
        return false;
    if (!link_.CCommEth::Send(packet.data.get(), packet.size))
        return false;
    link_.timer_->poke();
    return true;
}

void CVexorLink::OnReceive() {
    PacketBuffer buffer = allocatePacketBuffer();
    std::size_t length = kPacketBufferSize;
    const int result = Receive(buffer.get(), length);
    if (result == kReceivedForeign)
        return;
    if (result != kReceived) {
        InternalError("CVexorLink: datagram not read whole; dropped", log_);
        return;
    }
    protocol_.parseRecData(std::move(buffer), length);
    timer_->poke();
}

void CVexorLink::parseRecData(PacketBuffer buffer, std::size_t length) {
    if (!IsOpen() || !buffer)
        return;
    Delivered(length);
    protocol_.parseRecData(std::move(buffer), length);
    timer_->poke();
}

} // namespace wavix
