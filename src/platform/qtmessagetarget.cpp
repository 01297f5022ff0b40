#include "platform/qtmessagetarget.h"

#include <QCoreApplication>

#include <memory>

namespace wavix {

CMessageEvent::CMessageEvent(Msg msg, std::intptr_t wParam, std::intptr_t lParam)
    : QEvent(eventType()), msg_(msg), wParam_(wParam), lParam_(lParam) {}

QEvent::Type CMessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CQtMessageTarget::CQtMessageTarget(QObject* parent) : QObject(parent) {}

CQtMessageTarget::CQtMessageTarget(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void CQtMessageTarget::post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    // The event queue takes ownership; it drops pending events of a destroyed target.
    auto event = std::make_unique<CMessageEvent>(msg, wParam, lParam);
    QCoreApplication::postEvent(this, event.release());
}

void CQtMessageTarget::customEvent(QEvent* event) {
    if (event->type() != CMessageEvent::eventType()) {
        QObject::customEvent(event);
        return;
    }
    const auto* message = static_cast<const CMessageEvent*>(event);
    if (handler_)
        handler_(message->msg(), message->wParam(), message->lParam());
    emit messagePosted(message->msg(), message->wParam(), message->lParam());
}

} // namespace wavix
