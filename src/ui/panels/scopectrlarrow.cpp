#include "ui/panels/scopectrlarrow.h"

#include "core/panels/panelkeys.h"
#include "ui/colorref.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace wavix {

CScopeCtrlArrow::CScopeCtrlArrow(int direction, QWidget* parent)
    : QWidget(parent), direction_(direction == kArrowRight ? kArrowRight : kArrowLeft) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    flash_.setSingleShot(true);
    connect(&flash_, &QTimer::timeout, this, &CScopeCtrlArrow::Release);
}

void CScopeCtrlArrow::Press() {
    pressed_ = true;
    postTo(target_, Msg::UWM_SCOPE_CTRL_LEFT_RIGHT, 0, direction_);
    update();
}

void CScopeCtrlArrow::Release() {
    pressed_ = false;
    update();
}

void CScopeCtrlArrow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    Press();
    event->accept();
}

void CScopeCtrlArrow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !flash_.isActive())
        Release();
    QWidget::mouseReleaseEvent(event);
}

void CScopeCtrlArrow::keyPressEvent(QKeyEvent* event) {
    const int k = event->key();
    const bool own =
        (direction_ == kArrowLeft && k == Qt::Key_Left) || (direction_ == kArrowRight && k == Qt::Key_Right);
    if (k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter || own) {
        Press();
        flash_.start(kPanelFlashMs);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CScopeCtrlArrow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(kArrowBackground));
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(ToQColor(kArrowPressedFace), 1.0));
    p.setBrush(ToQColor(pressed_ ? kArrowPressedFace : kArrowFace));
    p.drawRoundedRect(face, 3.0, 3.0);

    // A triangle in the middle third, pointing the key's way.
    const double s = std::min(face.width(), face.height()) / 3.0;
    const QPointF c = face.center();
    const double dx = direction_ == kArrowLeft ? -s : s;
    const QPolygonF tri{{c.x() + dx, c.y()}, {c.x() - dx, c.y() - s}, {c.x() - dx, c.y() + s}};
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(kArrowInk));
    p.drawPolygon(tri);

    if (hasFocus()) {
        QPen pen(ToQColor(kArrowInk));
        pen.setStyle(Qt::DotLine);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace wavix
