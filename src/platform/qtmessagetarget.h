#pragma once
// Qt binding of the registered messages: post() queues an event to a QObject,
// so the handler runs later, on the thread that owns the target, never inside
// the poster. post() may be called from any thread.

#include "core/support/messages.h"

#include <QEvent>
#include <QObject>
#include <QtGlobal>

#include <functional>

Q_DECLARE_METATYPE(wavix::Msg)

namespace wavix {

class CMessageEvent : public QEvent {
public:
    CMessageEvent(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    static QEvent::Type eventType();

    Msg msg() const { return msg_; }
    std::intptr_t wParam() const { return wParam_; }
    std::intptr_t lParam() const { return lParam_; }

private:
    Msg msg_;
    std::intptr_t wParam_;
    std::intptr_t lParam_;
};

class CQtMessageTarget : public QObject, public IMessageTarget {
    Q_OBJECT
public:
    using Handler = std::function<void(Msg, std::intptr_t, std::intptr_t)>;

    explicit CQtMessageTarget(QObject* parent = nullptr);
    explicit CQtMessageTarget(Handler handler, QObject* parent = nullptr);

    void post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void setHandler(Handler handler) { handler_ = std::move(handler); }

signals:
    void messagePosted(wavix::Msg msg, qintptr wParam, qintptr lParam);

protected:
    void customEvent(QEvent* event) override;

private:
    Handler handler_;
};

} // namespace wavix
