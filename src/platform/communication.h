#pragma once
// The module link: carries the module protocol's datagrams to and from the
// tester and reports the traffic to the main window once a second and ten
// times a second (UWM_COMMUNICATION). A CDatagramLink whose handler hands each
// tester packet to the module protocol (or to the file link sharing the port).

#include "core/comm/datagram.h"
#include "core/comm/trafficstats.h"
#include "core/support/messages.h"
#include "core/support/ticksource.h"
#include "platform/datagramlink.h"

#include <functional>
#include <memory>
#include <string>

namespace wavix {

class CDeadlineTimer;
class CQtTickSource;

class CCommunication : public IDatagramSender {
public:
    enum State { kCreated = 1, kOpen = 2, kClosed = 3 };
    static constexpr std::uint32_t kDefaultPort = 10000;
    static constexpr const char* kDefaultAddress = "127.0.0.1";

    // Without a tick source the link keeps its own monotonic clock.
    explicit CCommunication(const ITickSource* ticks = nullptr);
    ~CCommunication() override;
    CCommunication(const CCommunication&) = delete;
    CCommunication& operator=(const CCommunication&) = delete;

    // The tester's address; the port is also the local port of the receive socket.
    bool SetAddress(const std::string& address, std::uint32_t port);
    void SetMainWnd(IMessageTarget* mainWnd);
    bool SetProtocol(IDatagramReceiver* protocol);
    // A second link on the same port (see CVexorLink) takes the datagrams whose
    // command `wants`; everything else still goes to the protocol.
    void AttachSecondary(IDatagramReceiver* receiver, std::function<bool(std::uint16_t command)> wants);
    void DetachSecondary(const IDatagramReceiver* receiver);

    bool Open();
    void Close();
    int GetState() const;

    bool Send(Packet packet) override;

    // The statistics step; the link's own timer calls it at each deadline.
    void OnTimer();
    std::uint32_t msUntilNextTimer() const;

    const CTrafficStats& stats() const { return stats_; }
    // Where every request goes: the configured tester.
    Endpoint peer() const { return link_.peer(); }
    std::uint64_t foreignDropped() const { return link_.foreignDropped(); }
    void SetLog(CLogTrace* log) { link_.SetLog(log); }
    std::uint16_t sendPort() const { return link_.sendPort(); }

private:
    class Traffic : public ILinkTraffic {
    public:
        explicit Traffic(CTrafficStats& stats) : stats_(stats) {}
        void Sent(std::size_t bytes) override { stats_.addSent(static_cast<std::uint32_t>(bytes)); }
        void Received(std::size_t bytes) override { stats_.addReceived(static_cast<std::uint32_t>(bytes)); }

    private:
        CTrafficStats& stats_;
    };

    void receiveOne(PacketBuffer buffer, const CDatagramLink::Read& read);

    std::unique_ptr<CQtTickSource> ownTicks_;
    const ITickSource* ticks_;
    CTrafficStats stats_;
    Traffic traffic_{stats_};
    std::unique_ptr<CDeadlineTimer> timer_;
    CDatagramLink link_;
    IMessageTarget* mainWnd_ = nullptr;
    IDatagramReceiver* protocol_ = nullptr;
    IDatagramReceiver* secondary_ = nullptr;
    std::function<bool(std::uint16_t)> secondaryWants_;
    std::string address_ = kDefaultAddress;
    std::uint32_t port_ = kDefaultPort;
};

} // namespace wavix
