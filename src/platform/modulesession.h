#pragma once
// The module protocol bound to the event loop: the link, the protocol and the
// clock they share, wired both ways, and one timer that wakes the protocol's
// timer step only when NextDeadlineMs() says something is due.
//
// The link and the protocol do not know about the timer, so the session sits
// between them: every datagram received and every packet sent passes through
// it and re-arms the timer once control is back in the event loop (the send
// happens under the protocol's queue lock, where asking for the deadline would
// deadlock). A controller that changes the timing without traffic (Reinit,
// SetReplyWatch) calls Rearm() itself.

#include "core/comm/datagram.h"
#include "core/protocol/ivoraprotocol.h"
#include "core/scope/capturesink.h"
#include "core/support/messages.h"
#include "platform/communication.h"
#include "platform/qttick.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace wavix {

class CModuleSession : public QObject, private IDatagramSender, private IDatagramReceiver {
    Q_OBJECT
public:
    // The protocol hands its samples to `capture`, which outlives the session.
    explicit CModuleSession(ICaptureSink& capture, QObject* parent = nullptr);
    ~CModuleSession() override;
    CModuleSession(const CModuleSession&) = delete;
    CModuleSession& operator=(const CModuleSession&) = delete;

    CIvoraProtocol& protocol() { return *protocol_; }
    const CIvoraProtocol& protocol() const { return *protocol_; }
    CCommunication& link() { return *link_; }
    const ITickSource& ticks() const { return ticks_; }

    // Opens the link to the tester and starts the protocol's session, which
    // reports to `mainWindow`. False when the link cannot be opened.
    bool Open(const std::string& address, std::uint32_t port, IMessageTarget* mainWindow);
    void Close();
    bool IsOpen() const { return link_->GetState() == CCommunication::kOpen; }

    // Asks the protocol for its next deadline once the current event is done.
    // Safe from any thread.
    void Rearm();

private:
    bool Send(Packet packet) override;
    void parseRecData(PacketBuffer buffer, std::size_t length) override;
    void rearmNow();

    CQtTickSource ticks_;
    std::unique_ptr<CCommunication> link_;
    std::unique_ptr<CIvoraProtocol> protocol_;
    std::unique_ptr<CDeadlineTimer> timer_;
    std::atomic<bool> rearmPending_{false};
};

} // namespace wavix
