#pragma once
// One datagram link to the tester, the way both links are built: it owns the
// socket pair, opens and closes it, reads every waiting datagram whole into a
// packet buffer for its handler, sends packets to the tester, and tells its
// traffic observer the bytes of each datagram either way. The module link
// (CCommunication) and the file link (CCommEth) differ only in what their
// handler does with a datagram and in how they report the traffic.

#include "core/comm/datagram.h"
#include "platform/datagramsockets.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace wavix {

class ILinkTraffic {
public:
    virtual ~ILinkTraffic() = default;
    virtual void Sent(std::size_t bytes) = 0;
    virtual void Received(std::size_t bytes) = 0;
};

class CDatagramLink : public IDatagramSender {
public:
    enum class State { Created, Open, Closed };
    struct Read {
        std::size_t length = 0;     // bytes in the buffer
        std::size_t fullLength = 0; // size of the datagram; larger than length when cut
        Endpoint from;
    };
    // Takes each datagram read from the port, already counted as received.
    using Handler = std::function<void(PacketBuffer buffer, const Read& read)>;

    CDatagramLink(ILinkTraffic& traffic, Handler handler);
    ~CDatagramLink() override;
    CDatagramLink(const CDatagramLink&) = delete;
    CDatagramLink& operator=(const CDatagramLink&) = delete;

    // `port` is the tester's port and our receive port; without `receive`
    // another link reads that port and hands this one its datagrams.
    bool Open(const std::string& address, std::uint32_t port, bool receive = true);
    void Close();
    State GetState() const { return state_.load(); }
    bool IsOpen() const { return GetState() == State::Open; }

    // Takes the packet in every case; refused while not open.
    bool Send(Packet packet) override;

    Endpoint peer() const { return sockets_.remote(); }
    std::uint64_t foreignDropped() const { return sockets_.foreignDropped(); }
    void SetLog(CLogTrace* log) { sockets_.setLog(log); }
    std::uint16_t sendPort() const { return sockets_.sendPort(); }

private:
    void readAll();

    ILinkTraffic& traffic_;
    Handler handler_;
    CDatagramSockets sockets_;
    std::atomic<State> state_{State::Created};
};

} // namespace wavix
