#pragma once
// The socket pair behind both tester links: a receive socket bound to every
// local address at the link's port (address reuse, so a simulator on another
// loopback address may share the port) and a send socket on a free port.
// Readable notifications arrive on the thread that opened the pair; sending is
// safe from any thread. Requests always go to the tester's configured address
// and port; it may answer from any port, but a datagram from any other host is
// read and dropped (on a workshop network another tester must not feed this
// session).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QSocketNotifier;

namespace wavix {

class CLogTrace;

struct Endpoint {
    std::uint32_t ipv4 = 0; // host byte order
    std::uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
    std::string addressText() const;
};

// Numeric IPv4 addresses, or a host name resolved to its first IPv4 address.
std::optional<std::uint32_t> resolveIpv4(const std::string& address);

// A datagram that may be handed on to a protocol.
bool isTesterDatagram(const std::uint8_t* data, std::size_t len);

class CDatagramSockets {
public:
    static constexpr int kReceiveBufferBytes = 204800;

    enum class ReadStatus { Read, Nothing, Failed, Foreign };
    struct ReadResult {
        ReadStatus status = ReadStatus::Nothing;
        std::size_t length = 0;     // bytes stored in the buffer
        std::size_t fullLength = 0; // size of the datagram; larger than length when cut
        Endpoint from;
    };

    CDatagramSockets();
    ~CDatagramSockets();
    CDatagramSockets(const CDatagramSockets&) = delete;
    CDatagramSockets& operator=(const CDatagramSockets&) = delete;

    // `onReadable` runs on this thread's event loop while datagrams wait.
    // Without `receive` only the send socket is made: another link reads the
    // port for this one.
    bool open(std::uint16_t localPort, std::function<void()> onReadable, bool receive = true);
    void close();
    bool isOpen() const { return sendFd_ >= 0 && (receiveFd_ >= 0 || sendOnly_); }
    bool isReceiving() const { return receiveFd_ >= 0; }

    void setRemote(Endpoint remote);
    Endpoint remote() const;
    // Datagrams dropped because they came from another host than the remote.
    std::uint64_t foreignDropped() const { return foreignDropped_; }
    void setLog(CLogTrace* log) { log_ = log; }
    std::uint16_t sendPort() const;

    // Bytes sent, or -1.
    long sendToRemote(const std::uint8_t* data, std::size_t len);
    // Reads one waiting datagram without blocking; one from another host than
    // the remote is consumed and answered Foreign.
    ReadResult readOne(std::uint8_t* buffer, std::size_t capacity);
    bool hasPending() const;

private:
    void dropNotifier();
    void notifyReadable();

    int receiveFd_ = -1;
    int sendFd_ = -1;
    bool sendOnly_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> onReadable_;
    bool inNotification_ = false;
    mutable std::mutex remoteMutex_;
    Endpoint remote_;
    std::uint64_t foreignDropped_ = 0;
    CLogTrace* log_ = nullptr;
};

} // namespace wavix
