#pragma once
// The file link: carries the instrument protocol's datagrams and reports every
// datagram sent or received to its owner (UWM_COMM_ETH_MSG, link id in the
// high half of lParam). A CDatagramLink whose handler hands each whole datagram
// to the receiver; one that did not fit its buffer is reported and dropped.

#include "core/support/messagecodes.h"
#include "core/support/messages.h"
#include "platform/datagramlink.h"

#include <atomic>
#include <string>

namespace wavix {

class CLogTrace;

class CCommEth : public IDatagramSender, public IDatagramReceiver, private ILinkTraffic {
public:
    enum State { kNeverOpened = 0, kOpen = 1, kClosed = 2 };
    static constexpr std::uint32_t kDefaultPort = 10000;

    explicit CCommEth(IDatagramReceiver* receiver = nullptr, CLogTrace* log = nullptr);
    ~CCommEth() override;
    CCommEth(const CCommEth&) = delete;
    CCommEth& operator=(const CCommEth&) = delete;

    void SetReceiver(IDatagramReceiver* receiver) { receiver_ = receiver; }

    // An open link is closed first. `port` is both the tester's and our receive
    // port; with `ownReceivePort` false the port is read by another link, which
    // hands this one its datagrams (parseRecData).
    bool Open(const std::string& address, std::uint32_t port, IMessageTarget* owner, std::uint16_t linkId,
              bool ownReceivePort = true);
    bool IsOpen() const { return link_.IsOpen(); }
    int GetState() const;
    bool Close();

    bool Send(Packet packet) override;
    // A datagram the link reading the shared port took for this one: counted
    // and reported like one read here, then handed to the receiver.
    void parseRecData(PacketBuffer buffer, std::size_t length) override;

    std::uint32_t bytesSent() const { return bytesSent_.load(); }
    std::uint32_t bytesReceived() const { return bytesReceived_.load(); }
    std::uint32_t bytesReceivedTenth() const { return bytesReceivedTenth_.load(); }
    std::uint16_t linkId() const { return linkId_; }
    Endpoint peer() const { return link_.peer(); }
    std::uint64_t foreignDropped() const { return link_.foreignDropped(); }
    void SetLog(CLogTrace* log) {
        log_ = log;
        link_.SetLog(log);
    }
    std::uint16_t sendPort() const { return link_.sendPort(); }

private:
    void Sent(std::size_t bytes) override;
    void Received(std::size_t bytes) override;
    void onDatagram(PacketBuffer buffer, const CDatagramLink::Read& read);
    std::intptr_t notifyCode(FileLinkNotice notice) const;

    IDatagramReceiver* receiver_;
    CLogTrace* log_;
    IMessageTarget* owner_ = nullptr;
    std::uint16_t linkId_ = 0;
    std::atomic<std::uint32_t> bytesSent_{0};
    std::atomic<std::uint32_t> bytesReceived_{0};
    std::atomic<std::uint32_t> bytesReceivedTenth_{0};
    CDatagramLink link_;
};

} // namespace wavix
