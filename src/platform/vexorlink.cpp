#include "platform/vexorlink.h"

#include "platform/communication.h"
#include "platform/qttick.h"

namespace wavix {

CVexorLink::CVexorLink(const ITickSource* ticks, CLogTrace* log)
    : ownTicks_(ticks == nullptr ? std::make_unique<CQtTickSource>() : nullptr),
      ticks_(ticks != nullptr ? ticks : ownTicks_.get()), link_(this, log), protocol_(sender_, *ticks_, log) {
    timer_ = std::make_unique<CDeadlineTimer>([this] { protocol_.OnTimer(); },
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
        attached_->DetachSecondary(&link_);
    attached_ = nullptr;
}

bool CVexorLink::Open(const std::string& address, std::uint32_t port, IMessageTarget* owner,
                      std::uint16_t linkId) {
    detach();
    const bool share = moduleLink_ != nullptr && moduleLink_->GetState() == CCommunication::kOpen;
    if (!link_.Open(address, port, owner, linkId, !share))
        return false;
    if (share) {
        attached_ = moduleLink_;
        attached_->AttachSecondary(&link_, IsVexorProtocolCommand);
    }
    timer_->start();
    return true;
}

bool CVexorLink::Close() {
    detach();
    timer_->stop();
    return link_.Close();
}

bool CVexorLink::Sender::Send(Packet packet) {
    if (!link_.link_.Send(std::move(packet)))
        return false;
    link_.timer_->poke();
    return true;
}

void CVexorLink::parseRecData(PacketBuffer buffer, std::size_t length) {
    protocol_.parseRecData(std::move(buffer), length);
    timer_->poke();
}

} // namespace wavix
