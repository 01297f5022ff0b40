#include "ui/tools/dlgscopetoolbar.h"

#include "core/panels/paneltexts.h"
#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"
#include "ui/colorref.h"
#include "ui/panels/scopectrlarrow.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace wavix {
namespace {

constexpr int kIconSize = 28;
constexpr int kShowModeFirst = 3025;
constexpr int kShowModeLast = 3028;

struct ButtonDef {
    ToolbarCommand code;
    const char* tipKey;
    const char* labelKey;
};

// Tool tips and labels of the strip.
constexpr int kFirstText = 750;
constexpr int kLastText = 784;

// Order along the strip.
constexpr std::array<ButtonDef, CDlgScopeToolBar::kButtonCount> kButtons{{
    {ToolbarCommand::RunStop, "TXT_751", "TXT_770"},
    {ToolbarCommand::ViewMode, "TXT_753", "TXT_772"},
    {ToolbarCommand::Print, "TXT_754", "TXT_774"},
    {ToolbarCommand::Load, "TXT_755", "TXT_775"},
    {ToolbarCommand::Save, "TXT_756", "TXT_776"},
    {ToolbarCommand::ShowMode, "TXT_757", "TXT_777"},
    {ToolbarCommand::Configurator, "TXT_758", "TXT_778"},
    {ToolbarCommand::Connect, "TXT_759", "TXT_779"},
    {ToolbarCommand::SampleCharts, "TXT_760", "TXT_780"},
    {ToolbarCommand::LogCharts, "TXT_761", "TXT_781"},
    {ToolbarCommand::RollLog, "TXT_762", "TXT_782"},
}};

const QColor kInk(0xE6, 0xE6, 0xE6);
const QColor kAccent(0x39, 0x93, 0x24); // channel 2's green
const QColor kRecord(0xD0, 0x20, 0x20);

// Small line drawings in the look of the traces; state picks a variant.
QIcon drawIcon(ToolbarCommand code, int state) {
    QPixmap pm(kIconSize, kIconSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF r(4, 4, kIconSize - 8, kIconSize - 8);
    switch (code) {
    case ToolbarCommand::RunStop:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        if (state != 0) { // running: pause bars
            p.drawRect(QRectF(r.left() + 2, r.top(), 5, r.height()));
            p.drawRect(QRectF(r.right() - 7, r.top(), 5, r.height()));
        } else {
            p.setBrush(kAccent);
            p.drawPolygon(QPolygonF{r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()});
        }
        break;
    case ToolbarCommand::ViewMode: {
        const int bands = state != 0 ? 1 : 3;
        const double h = r.height() / bands;
        for (int i = 0; i < bands; ++i)
            p.drawRect(QRectF(r.left(), r.top() + i * h, r.width(), h - 1));
        break;
    }
    case ToolbarCommand::Print:
        p.drawRect(QRectF(r.left() + 4, r.top(), r.width() - 8, 6));
        p.drawRoundedRect(QRectF(r.left(), r.top() + 6, r.width(), 9), 2, 2);
        p.drawRect(QRectF(r.left() + 4, r.top() + 13, r.width() - 8, 7));
        break;
    case ToolbarCommand::Load:
    case ToolbarCommand::SampleCharts:
    case ToolbarCommand::LogCharts: {
        QPainterPath folder;
        folder.moveTo(r.left(), r.bottom());
        folder.lineTo(r.left(), r.top() + 3);
        folder.lineTo(r.left() + 7, r.top() + 3);
        folder.lineTo(r.left() + 9, r.top() + 6);
        folder.lineTo(r.right(), r.top() + 6);
        folder.lineTo(r.right(), r.bottom());
        folder.closeSubpath();
        p.drawPath(folder);
        p.setPen(QPen(code == ToolbarCommand::LogCharts ? kRecord : kAccent, 2.0));
        if (code == ToolbarCommand::Load) {
            p.drawLine(QPointF(r.center().x(), r.top() + 9), QPointF(r.center().x(), r.bottom() - 2));
            p.drawLine(QPointF(r.center().x() - 3, r.bottom() - 5), QPointF(r.center().x(), r.bottom() - 2));
            p.drawLine(QPointF(r.center().x() + 3, r.bottom() - 5), QPointF(r.center().x(), r.bottom() - 2));
        } else {
            QPainterPath wave;
            wave.moveTo(r.left() + 3, r.bottom() - 4);
            wave.cubicTo(r.left() + 7, r.top() + 6, r.center().x(), r.bottom(), r.right() - 3, r.top() + 10);
            p.drawPath(wave);
        }
        break;
    }
    case ToolbarCommand::Save:
        p.drawRoundedRect(r, 2, 2);
        p.drawRect(QRectF(r.left() + 4, r.top(), r.width() - 8, 6));
        p.drawRect(QRectF(r.left() + 3, r.center().y() + 1, r.width() - 6, r.height() / 2 - 3));
        break;
    case ToolbarCommand::ShowMode: {
        p.setPen(QPen(kAccent, 2.0));
        QPainterPath wave;
        wave.moveTo(r.left(), r.center().y());
        for (int i = 0; i < 4; ++i) {
            const double x = r.left() + i * r.width() / 4;
            wave.cubicTo(x + r.width() / 16, r.top(), x + r.width() / 8, r.top(), x + r.width() / 8,
                         r.center().y());
            wave.cubicTo(x + r.width() * 3 / 16, r.bottom(), x + r.width() / 4, r.bottom(), x + r.width() / 4,
                         r.center().y());
        }
        p.drawPath(wave);
        break;
    }
    case ToolbarCommand::Configurator:
        for (int i = 0; i < 3; ++i) {
            const double y = r.top() + 3 + i * 7;
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            p.setBrush(kInk);
            p.drawEllipse(QPointF(r.left() + 4 + i * 6, y), 2.5, 2.5);
            p.setBrush(Qt::NoBrush);
        }
        break;
    case ToolbarCommand::Connect:
        p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.left() + 7, r.center().y()));
        p.drawRect(QRectF(r.left() + 7, r.center().y() - 5, 5, 10));
        p.drawLine(QPointF(r.right(), r.center().y()), QPointF(r.right() - 5, r.center().y()));
        p.drawLine(QPointF(r.right() - 5, r.center().y() - 5), QPointF(r.right() - 5, r.center().y() + 5));
        break;
    case ToolbarCommand::RollLog:
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(state != 0 ? QColor(Qt::white) : kRecord);
        p.drawEllipse(r.center(), r.width() / 2 - 1, r.height() / 2 - 1);
        break;
    default:
        break;
    }
    return QIcon(pm);
}

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

CDlgScopeToolBar::CDlgScopeToolBar(const std::filesystem::path& langFile, QWidget* parent)
    : QWidget(parent), texts_(BuiltinTextRange(kFirstText, kLastText)) {
    if (!langFile.empty())
        texts_.Load(langFile);
    setObjectName(QStringLiteral("ScopeToolBar"));
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral(
        "QToolButton { color: #e6e6e6; background: #2b2a2a; border: 1px solid #4a4a4a; border-radius: 3px;"
        " padding: 2px; min-width: 56px; }"
        "QToolButton:hover { background: #3a3939; }"
        "QToolButton:pressed { background: #f56610; }"
        "QToolButton:focus { border: 1px solid #4aa3ff; }"
        "QToolButton:disabled { color: #6a6a6a; background: #222121; }"
        "QToolButton[rec=\"true\"] { background: #c01818; color: white; font-weight: bold; }"
        "QLabel { color: #e6e6e6; }"
        "QLabel:disabled { color: #6a6a6a; }"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ButtonDef& def = kButtons[i];
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("toolButton%1").arg(Encode(def.code)));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(kIconSize, kIconSize));
        button->setFocusPolicy(Qt::StrongFocus);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        const ToolbarCommand code = def.code;
        connect(button, &QToolButton::clicked, this, [this, code] { send(code); });
        buttons_[i] = button;
        layout->addWidget(button);
        if (def.code == ToolbarCommand::ShowMode || def.code == ToolbarCommand::Connect)
            layout->addSpacing(10);
    }
    layout->addSpacing(14);
    fewerChannels_ = new CScopeCtrlArrow(kArrowLeft, this);
    moreChannels_ = new CScopeCtrlArrow(kArrowRight, this);
    fewerChannels_->setObjectName(QStringLiteral("channelsDown"));
    moreChannels_->setObjectName(QStringLiteral("channelsUp"));
    fewerChannels_->SetTarget(this);
    moreChannels_->SetTarget(this);
    fewerChannels_->setFixedSize(24, 24);
    moreChannels_->setFixedSize(24, 24);
    channelCount_ = new QLabel(this);
    channelCount_->setObjectName(QStringLiteral("channelCount"));
    channelCount_->setMinimumWidth(110);
    channelCount_->setAlignment(Qt::AlignCenter);
    layout->addWidget(fewerChannels_);
    layout->addWidget(channelCount_);
    layout->addWidget(moreChannels_);
    layout->addStretch(1);
    refresh();
}

QSize CDlgScopeToolBar::sizeHint() const {
    return {QWidget::sizeHint().width(), 80};
}

void CDlgScopeToolBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(kArrowBackground));
}

const std::string& CDlgScopeToolBar::text(std::string_view key) const {
    return texts_[static_cast<std::size_t>(
        std::max(TextIndex(BuiltinTextRange(kFirstText, kLastText), key), 0))];
}

QToolButton* CDlgScopeToolBar::Button(ToolbarCommand command) const {
    for (std::size_t i = 0; i < kButtons.size(); ++i)
        if (kButtons[i].code == command)
            return buttons_[i];
    return nullptr;
}

QString CDlgScopeToolBar::ChannelCountText() const {
    return channelCount_->text();
}

void CDlgScopeToolBar::send(ToolbarCommand command) const {
    postTo(target_, Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(command));
}

// The channel count arrows: right (up) for one channel more, left for one fewer.
void CDlgScopeToolBar::post(Msg msg, std::intptr_t, std::intptr_t lParam) {
    if (msg != Msg::UWM_SCOPE_CTRL_LEFT_RIGHT || logging_)
        return;
    send(lParam == kArrowRight ? ToolbarCommand::ChannelsUp : ToolbarCommand::ChannelsDown);
}

void CDlgScopeToolBar::OnStateMessage(std::intptr_t wParam, std::intptr_t code) {
    switch (Decode<ToolbarState>(code)) {
    case ToolbarState::SingleView:
        singleView_ = wParam == 1;
        break;
    case ToolbarState::Running:
        running_ = wParam == static_cast<std::intptr_t>(RunState::Running);
        shotTaken_ = wParam == static_cast<std::intptr_t>(RunState::ShotTaken);
        break;
    case ToolbarState::Connected:
        connected_ = wParam != 0;
        break;
    case ToolbarState::ShowMode:
        showMode_ = static_cast<int>(std::clamp<std::intptr_t>(wParam, 0, 0xFFFF));
        break;
    case ToolbarState::ChannelCount:
        channels_ = static_cast<int>(std::clamp<std::intptr_t>(wParam, 0, 4));
        break;
    default:
        return;
    }
    refresh();
}

void CDlgScopeToolBar::SetLoggingLook(bool logging) {
    logging_ = logging;
    refresh();
}

const QIcon& CDlgScopeToolBar::icon(ToolbarCommand command, int state) {
    const int key = static_cast<int>(Encode(command)) * 2 + (state != 0 ? 1 : 0);
    auto it = icons_.find(key);
    if (it == icons_.end())
        it = icons_.emplace(key, drawIcon(command, state)).first;
    return it->second;
}

void CDlgScopeToolBar::refresh() {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ButtonDef& def = kButtons[i];
        QToolButton* b = buttons_[i];
        b->setToolTip(qs(text(def.tipKey)));
        b->setText(qs(text(def.labelKey)));
        b->setEnabled(!logging_ || def.code == ToolbarCommand::RollLog);
        switch (def.code) {
        case ToolbarCommand::RunStop:
            b->setToolTip(qs(text(running_ ? "TXT_751" : shotTaken_ ? "TXT_763" : "TXT_752")));
            b->setText(qs(text(running_ ? "TXT_770" : "TXT_771")));
            b->setIcon(icon(def.code, running_ ? 1 : 0));
            break;
        case ToolbarCommand::Connect:
            b->setIcon(icon(def.code, 0));
            b->setToolTip(qs(text(connected_ ? def.tipKey : "TXT_764")));
            b->setText(qs(text(connected_ ? def.labelKey : "TXT_784")));
            break;
        case ToolbarCommand::ViewMode:
            b->setIcon(icon(def.code, singleView_ ? 1 : 0));
            b->setText(qs(text(singleView_ ? "TXT_773" : "TXT_772")));
            break;
        case ToolbarCommand::ShowMode:
            b->setIcon(icon(def.code, 0));
            b->setText(
                qs(StrFormat(text(def.labelKey).c_str(),
                             std::clamp(showMode_, kShowModeFirst, kShowModeLast) - kShowModeFirst + 1)));
            break;
        case ToolbarCommand::RollLog:
            b->setIcon(icon(def.code, logging_ ? 1 : 0));
            b->setText(qs(text(logging_ ? "TXT_783" : def.labelKey)));
            // The style sheet reads the property only when the button is polished again.
            if (b->property("rec").toBool() != logging_) {
                b->setProperty("rec", logging_);
                b->style()->unpolish(b);
                b->style()->polish(b);
            }
            break;
        default:
            b->setIcon(icon(def.code, 0));
            break;
        }
        b->setAccessibleName(b->toolTip());
    }
    // The arrows draw themselves alike in both states; dimmed, they look as unusable as they are.
    for (CScopeCtrlArrow* arrow : {fewerChannels_, moreChannels_}) {
        arrow->setEnabled(!logging_);
        if (logging_) {
            auto* dim = new QGraphicsOpacityEffect(arrow);
            dim->setOpacity(0.35);
            arrow->setGraphicsEffect(dim);
        } else {
            arrow->setGraphicsEffect(nullptr);
        }
    }
    channelCount_->setEnabled(!logging_);
    // Before the tester has confirmed a record there is no count to show.
    std::string count = text("TXT_750");
    if (channels_ > 0)
        count = StrFormat(count.c_str(), channels_);
    else if (const auto at = count.find("%d"); at != std::string::npos)
        count.replace(at, 2, kNoValue);
    channelCount_->setText(qs(count));
    fewerChannels_->setToolTip(channelCount_->text());
    moreChannels_->setToolTip(channelCount_->text());
}

} // namespace wavix
