#include "platform/modulesession.h"

#include <QMetaObject>

namespace wavix {

CModuleSession::CModuleSession(ICaptureSink& capture, QObject* parent)
    : QObject(parent), link_(std::make_unique<CCommunication>(&ticks_)),
      protocol_(std::make_unique<CIvoraProtocol>(ticks_, capture)),
      timer_(std::make_unique<CDeadlineTimer>([this] { protocol_->OnTimer(); },
                                              [this] { return protocol_->NextDeadlineMs(); }, this)) {
    link_->SetProtocol(this);
    protocol_->SetCommunication(this);
}

CModuleSession::~CModuleSession() {
    timer_->stop();
    link_->Close();
}

bool CModuleSession::Open(const std::string& address, std::uint32_t port, IMessageTarget* mainWindow) {
    if (mainWindow == nullptr || !link_->SetAddress(address, port))
        return false;
    link_->SetMainWnd(mainWindow);
    if (!link_->Open())
        return false;
    if (!protocol_->Init(mainWindow)) {
        link_->Close();
        return false;
    }
    // Init makes the first echo due at once.
    timer_->start();
    return true;
}

void CModuleSession::Close() {
    timer_->stop();
    link_->Close();
}

void CModuleSession::Rearm() {
    // One pending re-arm covers a whole burst of datagrams.
    if (rearmPending_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this, [this] { rearmNow(); }, Qt::QueuedConnection);
}

void CModuleSession::rearmNow() {
    rearmPending_ = false;
    timer_->poke();
}

bool CModuleSession::Send(Packet packet) {
    const bool sent = link_->Send(std::move(packet));
    Rearm();
    return sent;
}

void CModuleSession::parseRecData(PacketBuffer buffer, std::size_t length) {
    protocol_->parseRecData(std::move(buffer), length);
    Rearm();
}

} // namespace wavix
