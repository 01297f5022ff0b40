#include "platform/datagramsockets.h"

#include "core/comm/packet.h"
#include "core/support/logtrace.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDatagram, "wavix.link")

namespace wavix {
namespace {

sockaddr_in toSockaddr(Endpoint e) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(e.ipv4);
    sa.sin_port = htons(e.port);
    return sa;
}

int closeQuietly(int fd) {
    if (fd >= 0) {
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
    return -1;
}

int boundSocket(std::uint16_t port, bool receiving) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        qCWarning(lcDatagram) << "socket() failed:" << std::strerror(errno);
        return -1;
    }
    if (receiving) {
        // Reuse must be set before bind or the shared port is refused.
        const int on = 1;
        if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
            qCWarning(lcDatagram) << "SO_REUSEADDR failed:" << std::strerror(errno);
        const int size = CDatagramSockets::kReceiveBufferBytes;
        if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) != 0)
            qCWarning(lcDatagram) << "SO_RCVBUF failed:" << std::strerror(errno);
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
    sa.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        qCWarning(lcDatagram) << "bind to port" << port << "failed:" << std::strerror(errno);
        return closeQuietly(fd);
    }
    return fd;
}

} // namespace

std::string Endpoint::addressText() const {
    return QHostAddress(ipv4).toString().toStdString();
}

std::optional<std::uint32_t> resolveIpv4(const std::string& address) {
    QHostAddress parsed;
    if (parsed.setAddress(QString::fromStdString(address))) {
        bool ok = false;
        const std::uint32_t v4 = parsed.toIPv4Address(&ok);
        return ok ? std::optional(v4) : std::nullopt;
    }
    const QHostInfo info = QHostInfo::fromName(QString::fromStdString(address));
    for (const QHostAddress& a : info.addresses()) {
        bool ok = false;
        const std::uint32_t v4 = a.toIPv4Address(&ok);
        if (ok)
            return v4;
    }
    return std::nullopt;
}

bool isTesterDatagram(const std::uint8_t* data, std::size_t len) {
    return len >= kPacketHeaderSize && hasStartBytes(data, len);
}

CDatagramSockets::CDatagramSockets() = default;

CDatagramSockets::~CDatagramSockets() {
    close();
}

bool CDatagramSockets::open(std::uint16_t localPort, std::function<void()> onReadable, bool receive) {
    close();
    sendOnly_ = !receive;
    if (receive) {
        receiveFd_ = boundSocket(localPort, true);
        if (receiveFd_ < 0)
            return false;
    }
    sendFd_ = boundSocket(0, false);
    if (sendFd_ < 0) {
        receiveFd_ = closeQuietly(receiveFd_);
        return false;
    }
    if (!receive)
        return true;
    onReadable_ = std::move(onReadable);
    notifier_ = std::make_unique<QSocketNotifier>(static_cast<qintptr>(receiveFd_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { notifyReadable(); });
    return true;
}

void CDatagramSockets::dropNotifier() {
    if (!notifier_)
        return;
    notifier_->setEnabled(false);
    // Deleting a notifier inside its own signal is not allowed; let the loop do it.
    if (inNotification_)
        notifier_.release()->deleteLater();
    else
        notifier_.reset();
}

void CDatagramSockets::close() {
    dropNotifier();
    receiveFd_ = closeQuietly(receiveFd_);
    sendFd_ = closeQuietly(sendFd_);
    sendOnly_ = false;
}

void CDatagramSockets::notifyReadable() {
    inNotification_ = true;
    if (onReadable_)
        onReadable_();
    inNotification_ = false;
}

void CDatagramSockets::setRemote(Endpoint remote) {
    const std::lock_guard lock(remoteMutex_);
    remote_ = remote;
}

Endpoint CDatagramSockets::remote() const {
    const std::lock_guard lock(remoteMutex_);
    return remote_;
}

std::uint16_t CDatagramSockets::sendPort() const {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (sendFd_ < 0 || ::getsockname(sendFd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

long CDatagramSockets::sendToRemote(const std::uint8_t* data, std::size_t len) {
    if (sendFd_ < 0 || (data == nullptr && len > 0))
        return -1;
    const sockaddr_in to = toSockaddr(remote());
    const ssize_t sent = ::sendto(sendFd_, data, len, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent < 0)
        qCWarning(lcDatagram) << "sendto failed:" << std::strerror(errno);
    return static_cast<long>(sent);
}

CDatagramSockets::ReadResult CDatagramSockets::readOne(std::uint8_t* buffer, std::size_t capacity) {
    ReadResult result;
    if (receiveFd_ < 0 || buffer == nullptr) {
        result.status = ReadStatus::Failed;
        return result;
    }
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    // MSG_TRUNC reports the datagram's real size, so a cut read is known for sure.
    const ssize_t n =
        ::recvfrom(receiveFd_, buffer, capacity, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return result;
        qCWarning(lcDatagram) << "recvfrom failed:" << std::strerror(errno);
        result.status = ReadStatus::Failed;
        return result;
    }
    result.status = ReadStatus::Read;
    result.fullLength = static_cast<std::size_t>(n);
    result.length = std::min(result.fullLength, capacity);
    result.from = {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
    if (result.from.ipv4 != remote().ipv4) {
        result.status = ReadStatus::Foreign;
        ++foreignDropped_;
        // A flooding stranger must not flood the log: 1st, 2nd, 4th, 8th, ...
        if ((foreignDropped_ & (foreignDropped_ - 1)) == 0)
            DebugTrace("link: dropped " + std::to_string(result.fullLength) + " bytes from " +
                           result.from.addressText() + ":" + std::to_string(result.from.port) +
                           ", not the tester (" + std::to_string(foreignDropped_) + " so far)",
                       log_);
    }
    return result;
}

bool CDatagramSockets::hasPending() const {
    if (receiveFd_ < 0)
        return false;
    std::uint8_t probe = 0;
    return ::recv(receiveFd_, &probe, 0, MSG_PEEK | MSG_DONTWAIT | MSG_TRUNC) >= 0;
}

} // namespace wavix
