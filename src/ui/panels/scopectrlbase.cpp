#include "ui/panels/scopectrlbase.h"

#include "core/panels/paneltexts.h"
#include "core/scope/channeldata.h"
#include "ui/colorref.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace wavix {
namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QRect toQRect(const PanelRect& r) {
    return {r.x, r.y, r.w, r.h};
}

// Caption colour that stays legible on any key face.
QColor captionOn(std::uint32_t face) {
    const QColor c = ToQColor(face);
    return c.lightness() > 140 ? QColor(Qt::black) : QColor(Qt::white);
}

QFont panelFont(int pixelHeight) {
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(6, pixelHeight));
    f.setWeight(QFont::Normal);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

} // namespace

CScopeCtrlBase::CScopeCtrlBase(QWidget* parent) : QWidget(parent), text_(kLabelInitial) {
    setObjectName(QString::fromLatin1(kClassName));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    labelTimer_.setSingleShot(true);
    keyTimer_.setSingleShot(true);
    connect(&labelTimer_, &QTimer::timeout, this, &CScopeCtrlBase::EndLabelFlash);
    connect(&keyTimer_, &QTimer::timeout, this, &CScopeCtrlBase::EndKeyFlash);
}

CScopeCtrlBase::~CScopeCtrlBase() = default;

void CScopeCtrlBase::SetChannel(CChannelData* channel) {
    channel_ = channel;
    UpdateTexts();
}

CChannelData* CScopeCtrlBase::BoundChannelOrShowUnbound() {
    if (channel_ != nullptr && channel_->GetChannel() >= 0)
        return channel_;
    SetText(std::string(kLabelUnbound));
    SetValues({});
    return nullptr;
}

bool CScopeCtrlBase::HasRecord() const {
    return channel_ != nullptr && channel_->GetChannel() >= 0 && channel_->IsValid();
}

void CScopeCtrlBase::UpdateTexts() {
    textColor_ = channel_ != nullptr ? channel_->GetColor() : kPanelInitialTextColor;
    if (!customText_) {
        text_ = channel_ != nullptr ? ChannelSummaryText(channel_->GetChannel(), channel_->CouplingText(),
                                                         channel_->RangeText(1.0))
                                    : std::string(kLabelUnbound);
    }
    update();
}

void CScopeCtrlBase::SetTitle(std::string title) {
    title_ = std::move(title);
    UpdateTexts();
}

void CScopeCtrlBase::SetText(std::string text) {
    text_ = std::move(text);
    update();
}

void CScopeCtrlBase::SetValues(std::vector<std::string> values) {
    values_ = std::move(values);
    update();
}

void CScopeCtrlBase::SetBackground(std::uint32_t colour) {
    savedBackground_ = colour;
    if (!labelTimer_.isActive())
        background_ = colour;
    update();
}

QRect CScopeCtrlBase::KeyRect(int i) const {
    return toQRect(keys_.At(i).rect);
}

QSize CScopeCtrlBase::sizeHint() const {
    return customText_ ? QSize(240, 44) : QSize(200, 24);
}

QSize CScopeCtrlBase::minimumSizeHint() const {
    return customText_ ? QSize(160, 36) : QSize(80, 16);
}

int CScopeCtrlBase::AddKey(std::uint32_t face, std::string caption) {
    const int k = keys_.Add(face, std::move(caption));
    Relayout();
    return k;
}

bool CScopeCtrlBase::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int key = keys_.HitTest(help->pos().x(), help->pos().y());
    if (key >= 0 && !keys_.At(key).tip.empty())
        QToolTip::showText(help->globalPos(), QString::fromStdString(keys_.At(key).tip), this, KeyRect(key));
    else
        QToolTip::hideText();
    return true;
}

void CScopeCtrlBase::SetKeyCaption(int key, std::string caption) {
    if (keys_.At(key).caption == caption)
        return;
    keys_.SetCaption(key, std::move(caption));
    Relayout();
}

// The title row is tight: the font must fit with its accents (the caron of "Č" sits above the capitals).
QFont CScopeCtrlBase::TitleFont() const {
    QFont f = panelFont(layout_.title.h);
    while (f.pixelSize() > 6 && QFontMetrics(f).height() > layout_.title.h + 1)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

QFont CScopeCtrlBase::ValueFont() const {
    return panelFont(std::min(layout_.value.h - 6, 16));
}

void CScopeCtrlBase::Relayout() {
    // Key widths follow their captions, so the fonts come from a first pass without keys.
    layout_ = LayoutPanel(width(), height(), {});
    const QFontMetrics fm(ValueFont());
    std::vector<int> widths;
    for (int i = 0; i < keys_.Count(); ++i)
        widths.push_back(std::max(layout_.value.h, fm.horizontalAdvance(qs(keys_.At(i).caption)) + 10));
    layout_ = LayoutPanel(width(), height(), widths);
    for (int i = 0; i < keys_.Count(); ++i)
        keys_.SetRect(i, layout_.keys[static_cast<std::size_t>(i)]);
    update();
}

void CScopeCtrlBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void CScopeCtrlBase::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CScopeCtrlBase::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CScopeCtrlBase::Post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) const {
    postTo(target_, msg, wParam, lParam);
}

void CScopeCtrlBase::NotifyClick() const {
    if (channel_ != nullptr)
        Post(Msg::UWM_SCOPE_CTRL_BASE, channel_->GetChannel(), Encode(PanelNotice::ChannelClicked));
}

void CScopeCtrlBase::RunKey(int) {}
void CScopeCtrlBase::OnKeyFlashEnd(int) {}
void CScopeCtrlBase::OnCtrlBase(std::intptr_t, std::intptr_t) {}
void CScopeCtrlBase::RightClick(const QPoint&) {}

int CScopeCtrlBase::KeyForShortcut(int) const {
    return -1;
}

// A key is handled first, then the same click as a click on the label.
void CScopeCtrlBase::Click(int key, const QPoint& pos) {
    if (key >= 0)
        KeyClick(key);
    LabelClick(pos);
}

void CScopeCtrlBase::KeyClick(int key) {
    if (!HasRecord() || !keys_.Press(key))
        return;
    RunKey(key);
    NotifyClick();
    update();
    keyTimer_.start(flashMs_);
}

void CScopeCtrlBase::LabelClick(const QPoint& pos) {
    if (!rect().contains(pos))
        return;
    // A second click inside the flash must not save the pressed colour as the one to restore.
    if (!labelTimer_.isActive())
        savedBackground_ = background_;
    background_ = kPanelPressedBackground;
    NotifyClick();
    OnCtrlBase(0, Encode(PanelNotice::LabelClicked));
    update();
    labelTimer_.start(flashMs_);
}

void CScopeCtrlBase::EndKeyFlash() {
    const int key = keys_.Release();
    OnKeyFlashEnd(key);
    update();
}

void CScopeCtrlBase::EndLabelFlash() {
    background_ = savedBackground_;
    update();
}

void CScopeCtrlBase::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        Click(keys_.HitTest(pos.x(), pos.y()), pos);
        event->accept();
    } else if (event->button() == Qt::RightButton) {
        RightClick(event->globalPosition().toPoint());
        event->accept();
    } else {
        QWidget::mousePressEvent(event);
    }
}

void CScopeCtrlBase::keyPressEvent(QKeyEvent* event) {
    const int qtKey = event->key();
    const int key = keys_.Count() > 0 ? KeyForShortcut(qtKey) : -1;
    const QPoint centre = rect().center();
    if (key >= 0) {
        Click(key, centre);
    } else if (qtKey == Qt::Key_Space || qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) {
        Click(-1, centre);
    } else if (qtKey == Qt::Key_Menu ||
               (qtKey == Qt::Key_F10 && event->modifiers().testFlag(Qt::ShiftModifier))) {
        RightClick(mapToGlobal(centre));
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CScopeCtrlBase::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void CScopeCtrlBase::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(background_));
    if (customText_)
        DrawPanel(p);
    else
        DrawLabel(p);
    if (!isEnabled()) {
        // Painted by hand, so Qt's greying never reaches it: a veil of the window colour instead.
        QColor veil = palette().color(QPalette::Disabled, QPalette::Window);
        veil.setAlpha(170);
        p.fillRect(rect(), veil);
    }
    if (hasFocus()) {
        QPen pen(ToQColor(textColor_));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CScopeCtrlBase::DrawLabel(QPainter& p) const {
    p.setFont(panelFont(height() - 2 * kPanelMargin));
    p.setPen(ToQColor(textColor_));
    const QRect r = rect().adjusted(kPanelMargin, kPanelMargin, 0, 0);
    p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               QFontMetrics(p.font()).elidedText(qs(text_), Qt::ElideRight, r.width()));
}

void CScopeCtrlBase::DrawPanel(QPainter& p) const {
    const QColor ink = ToQColor(textColor_);
    p.setPen(ink);

    // Both ends of a title carry news (the channel, the zoom factor), so a long one loses its middle.
    p.setFont(TitleFont());
    const QRect title = toQRect(layout_.title);
    p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QFontMetrics(p.font()).elidedText(qs(text_), Qt::ElideMiddle, title.width()));

    const QFont valueFont = ValueFont();
    p.setFont(valueFont);
    const QFontMetrics fm(valueFont);
    const QRect value = toQRect(layout_.value);
    int x = value.left() + 2;
    for (const std::string& v : values_) {
        const int room = value.right() - x;
        if (room <= 0)
            break;
        const QString shown = fm.elidedText(qs(v), Qt::ElideRight, room);
        p.drawText(QRect(x, value.top(), room, value.height()), Qt::AlignLeft | Qt::AlignVCenter, shown);
        x += fm.horizontalAdvance(shown) + 12;
    }

    for (int i = 0; i < keys_.Count(); ++i) {
        const CPanelKeys::Key& k = keys_.At(i);
        const QRect r = toQRect(k.rect);
        if (r.isEmpty())
            continue;
        // A thin darker edge keeps a key visible on the pressed label background, which has the same grey.
        p.fillRect(r, ToQColor(k.face).darker(160));
        p.fillRect(r.adjusted(1, 1, -1, -1), ToQColor(k.face));
        p.setPen(captionOn(k.face));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine,
                   fm.elidedText(qs(k.caption), Qt::ElideRight, r.width()));
    }
}

} // namespace wavix
