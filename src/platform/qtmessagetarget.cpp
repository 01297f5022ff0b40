#include "platform/qtmessagetarget.h"

#include <QCoreApplication>

#include <memory>

namespace wavix {

MessageEvent::MessageEvent(Msg msg, std::intptr_t wParam, std::intptr_t lParam)
    : QEvent(eventType()), msg_(msg), wParam_(wParam), lParam_(lParam) {}

QEvent::Type MessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QtMessageTarget::QtMessageTarget(QObject* parent) : QObject(parent) {}

QtMessageTarget::QtMessageTarget(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void QtMessageTarget::post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    // The event queue takes ownership; it drops pending events of a destroyed target.
    auto event = std::make_unique<MessageEvent>(msg, wParam, lParam);
    QCoreApplication::postEvent(this, event.release());
}

void QtMessageTarget::customEvent(QEvent* event) {
    if (event->type() != MessageEvent::eventType()) {
        QObject::customEvent(event);
        return;
    }
    const auto* message = static_cast<const MessageEvent*>(event);
    if (handler_)
        handler_(message->msg(), message->wParam(), message->lParam());
    emit messagePosted(message->msg(), message->wParam(), message->lParam());
}

} // namespace wavix
