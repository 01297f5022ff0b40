#include "platform/communication.h"

#include "platform/qttick.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDatagram)

namespace wavix {
namespace {

bool validPort(std::uint32_t port) {
    return port > 0 && port <= 0xFFFF;
}

} // namespace

CCommunication::CCommunication(const ITickSource* ticks)
    : ownTicks_(ticks == nullptr ? std::make_unique<CQtTickSource>() : nullptr),
      ticks_(ticks != nullptr ? ticks : ownTicks_.get()), stats_(ticks_->tickMs()),
      link_(traffic_, [this](PacketBuffer buffer, const CDatagramLink::Read& read) {
          receiveOne(std::move(buffer), read);
      }) {
    // Statistics run from construction to destruction, also while closed.
    timer_ = std::make_unique<CDeadlineTimer>([this] { OnTimer(); }, [this] { return msUntilNextTimer(); });
    timer_->start();
}

CCommunication::~CCommunication() {
    timer_->stop();
    link_.Close();
    qCDebug(lcDatagram) << "Communication end";
}

bool CCommunication::SetAddress(const std::string& address, std::uint32_t port) {
    if (address.empty() || !validPort(port)) {
        qCWarning(lcDatagram) << "SetAddress: refused" << address.c_str() << port;
        return false;
    }
    address_ = address;
    port_ = port;
    return true;
}

void CCommunication::SetMainWnd(IMessageTarget* mainWnd) {
    if (mainWnd == nullptr)
        qCWarning(lcDatagram) << "hWndMainWindow";
    mainWnd_ = mainWnd;
}

bool CCommunication::SetProtocol(IDatagramReceiver* protocol) {
    protocol_ = protocol;
    return true;
}

void CCommunication::AttachSecondary(IDatagramReceiver* receiver,
                                     std::function<bool(std::uint16_t command)> wants) {
    secondary_ = receiver;
    secondaryWants_ = std::move(wants);
}

void CCommunication::DetachSecondary(const IDatagramReceiver* receiver) {
    if (secondary_ != receiver)
        return;
    secondary_ = nullptr;
    secondaryWants_ = nullptr;
}

bool CCommunication::Open() {
    if (protocol_ == nullptr) {
        qCWarning(lcDatagram) << "Open without a protocol (locGlobal_pIvoraProtocol)";
        return false;
    }
    return link_.Open(address_, port_);
}

void CCommunication::Close() {
    link_.Close();
}

int CCommunication::GetState() const {
    switch (link_.GetState()) {
    case CDatagramLink::State::Open:
        return kOpen;
    case CDatagramLink::State::Closed:
        return kClosed;
    default:
        return kCreated;
    }
}

bool CCommunication::Send(Packet packet) {
    return link_.Send(std::move(packet));
}

void CCommunication::OnTimer() {
    stats_.step(ticks_->tickMs(), mainWnd_);
}

std::uint32_t CCommunication::msUntilNextTimer() const {
    return stats_.msUntilNext(ticks_->tickMs());
}

void CCommunication::receiveOne(PacketBuffer buffer, const CDatagramLink::Read& read) {
    if (read.length == 0) {
        qCWarning(lcDatagram) << "Receive: empty datagram from" << read.from.addressText().c_str();
        return;
    }
    if (read.fullLength >= kPacketBufferSize)
        qCWarning(lcDatagram) << "Receive: datagram of" << read.fullLength << "bytes fills the buffer"
                              << "and may have been cut";
    // With no tester on this machine our own requests to a loopback address come
    // back to the port we listen on; read as replies they would end the session.
    if (read.from.port == link_.sendPort() && (read.from.ipv4 >> 24) == 127) {
        qCDebug(lcDatagram) << "Receive: dropped our own request of" << read.length << "bytes";
        return;
    }
    // The second link's packets may be as short as a bare header of four bytes.
    if (secondary_ != nullptr && read.length >= kRequestHeaderSize &&
        hasStartBytes(buffer.get(), read.length) &&
        secondaryWants_(readPacketHeader(buffer.get(), read.length).command)) {
        secondary_->parseRecData(std::move(buffer), read.length);
        return;
    }
    if (!isTesterDatagram(buffer.get(), read.length)) {
        qCWarning(lcDatagram) << "Receive: dropped" << read.length << "bytes that are no tester packet from"
                              << read.from.addressText().c_str() << read.from.port;
        return;
    }
    if (protocol_ == nullptr) {
        qCWarning(lcDatagram) << "Receive: no protocol (locGlobal_pIvoraProtocol)";
        return;
    }
    protocol_->parseRecData(std::move(buffer), read.length);
}

} // namespace wavix
