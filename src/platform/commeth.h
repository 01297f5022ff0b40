#pragma once
// The instrument link: one datagram per Receive, and a notification to the
// owner (UWM_COMM_ETH_MSG, link id in the high half of lParam) for every
// datagram sent or received. A protocol derives from it and reads in OnReceive().

#include "core/support/messagecodes.h"
#include "core/support/messages.h"
#include "platform/datagramsockets.h"

#include <atomic>
#include <string>

namespace wavix {

class CCommEth {
public:
    enum State { kNeverOpened = 0, kOpen = 1, kClosed = 2 };
    enum ReceiveResult { kReceived = 0, kReceivedCut = 1, kReceivedForeign = 2, kReceiveFailed = 3 };
    static constexpr std::uint32_t kDefaultPort = 10000;

    CCommEth();
    virtual ~CCommEth();
    CCommEth(const CCommEth&) = delete;
    CCommEth& operator=(const CCommEth&) = delete;

    // An open link is closed first. `port` is both the tester's and our receive
    // port; with `ownReceivePort` false the port is read by another link, which
    // hands this one its datagrams (Delivered()).
    bool Open(const std::string& address, std::uint32_t port, IMessageTarget* owner, std::uint16_t linkId,
              bool ownReceivePort = true);
    bool IsOpen() const { return state_.load() == kOpen; }
    int GetState() const { return state_.load(); }
    bool Close();

    // Reads one waiting datagram into `buffer` of `length` bytes; `length`
    // returns the bytes stored. kReceivedCut: the datagram did not fit;
    // kReceivedForeign: it came from another host and was dropped unreported.
    int Receive(std::uint8_t* buffer, std::size_t& length);
    // The caller keeps the buffer.
    bool Send(const std::uint8_t* data, std::size_t length);

    std::uint32_t bytesSent() const { return bytesSent_.load(); }
    std::uint32_t bytesReceived() const { return bytesReceived_.load(); }
    std::uint32_t bytesReceivedTenth() const { return bytesReceivedTenth_.load(); }
    std::uint16_t linkId() const { return linkId_; }
    Endpoint peer() const { return sockets_.remote(); }
    std::uint64_t foreignDropped() const { return sockets_.foreignDropped(); }
    void SetLog(LogTrace* log) { sockets_.setLog(log); }
    std::uint16_t sendPort() const { return sockets_.sendPort(); }

protected:
    // Counts and reports a datagram this link received, by itself or through
    // the link that reads the shared port.
    void Delivered(std::size_t length);

    // Called while a datagram waits; an override reads it with Receive(). The
    // base reads and drops it.
    virtual void OnReceive();

private:
    void notified();
    std::intptr_t notifyCode(FileLinkNotice notice) const;

    CDatagramSockets sockets_;
    IMessageTarget* owner_ = nullptr;
    std::uint16_t linkId_ = 0;
    std::atomic<int> state_{kNeverOpened};
    std::atomic<std::uint32_t> bytesSent_{0};
    std::atomic<std::uint32_t> bytesReceived_{0};
    std::atomic<std::uint32_t> bytesReceivedTenth_{0};
    unsigned receiveCalls_ = 0;
};

} // namespace wavix
