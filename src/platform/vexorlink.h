#pragma once
// The file link: the instrument protocol over its own CCommEth link, which
// hands it every datagram and sends its requests.
//
// The program runs it beside the module link (CCommunication), both at the
// configured port of all local addresses. With SO_REUSEADDR, Linux hands a
// unicast datagram to only one of two sockets bound to the same port, so two
// receive sockets would steal each other's replies: the module protocol would
// meet file replies it does not know, or starve. Moving the file link to a
// port of its own does not help, because the tester answers to the request's
// source address at the configured port. So while the module link is open
// the file link binds no receive socket: the module link reads the port for
// both and hands over the instrument protocol's codes (IsVexorProtocolCommand).
// Opened alone, the file link reads the port itself. The module link must
// outlive the file link that shares with it.

#include "core/comm/datagram.h"
#include "core/protocol/vexorprotocol.h"
#include "platform/commeth.h"

#include <memory>

namespace wavix {

class CCommunication;
class CDeadlineTimer;
class CLogTrace;
class CQtTickSource;

class CVexorLink : private IDatagramReceiver {
public:
    // Without a tick source the link keeps its own monotonic clock.
    explicit CVexorLink(const ITickSource* ticks = nullptr, CLogTrace* log = nullptr);
    ~CVexorLink() override;
    CVexorLink(const CVexorLink&) = delete;
    CVexorLink& operator=(const CVexorLink&) = delete;

    // The module link to read through while it is open; null reads alone.
    void ShareReceiveWith(CCommunication* moduleLink);

    bool Open(const std::string& address, std::uint32_t port, IMessageTarget* owner,
              std::uint16_t linkId = 1);
    bool Close();
    bool IsOpen() const { return link_.IsOpen(); }
    bool IsSharingPort() const { return attached_ != nullptr; }

    void SetNotifyWindow(IMessageTarget* window) { protocol_.SetNotifyWindow(window); }
    CVexorProtocol& Protocol() { return protocol_; }
    const CCommEth& Link() const { return link_; }

private:
    // Every datagram of the link, read by itself or by the module link.
    void parseRecData(PacketBuffer buffer, std::size_t length) override;

    class Sender : public IDatagramSender {
    public:
        explicit Sender(CVexorLink& link) : link_(link) {}
        bool Send(Packet packet) override;

    private:
        CVexorLink& link_;
    };

    void detach();

    std::unique_ptr<CQtTickSource> ownTicks_;
    const ITickSource* ticks_;
    CCommEth link_;
    Sender sender_{*this};
    CVexorProtocol protocol_;
    std::unique_ptr<CDeadlineTimer> timer_;
    CCommunication* moduleLink_ = nullptr;
    CCommunication* attached_ = nullptr;
};

} // namespace wavix
