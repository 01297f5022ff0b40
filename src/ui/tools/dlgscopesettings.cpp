#include "ui/tools/dlgscopesettings.h"

#include "core/scope/channeldata.h"
#include "core/settings/builtintexts.h"
#include "core/support/messagecodes.h"
#include "core/support/strformat.h"
#include "ui/colorref.h"
#include "ui/panels/scopectrlarrow.h"
#include "ui/panels/scopectrlchannel.h"
#include "ui/panels/scopectrlmeasure.h"
#include "ui/panels/scopectrltimebase.h"
#include "ui/panels/scopectrltrigger.h"

#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>

#include <cstdio>

namespace wavix {
namespace {

constexpr int kFirstKey = 800;
constexpr int kLastKey = 806;
constexpr int kTrigger = 4;
constexpr int kTimeBase = 5;
constexpr int kMeasure = 6;
// Tool tips of the panel keys.
constexpr int kFirstTip = 1631;
constexpr int kLastTip = 1638;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QPoint unpackPoint(std::intptr_t packed) {
    const auto v = static_cast<std::uint32_t>(packed);
    return {static_cast<std::int16_t>(v & 0xFFFFu), static_cast<std::int16_t>(v >> 16)};
}

} // namespace

CDlgScopeSettings::CDlgScopeSettings(const std::filesystem::path& langFile, std::string dataDir,
                                     QWidget* parent)
    : QWidget(parent), texts_(BuiltinTextRange(kFirstKey, kLastKey)),
      keyTips_(BuiltinTextRange(kFirstTip, kLastTip)), dataDir_(std::move(dataDir)),
      choosers_(ToolChoosers::Standard(langFile)) {
    if (!langFile.empty()) {
        texts_.Load(langFile);
        keyTips_.Load(langFile);
    }
    setObjectName(QStringLiteral("ScopeSettings"));

    for (int i = 0; i < 4; ++i)
        panels_[static_cast<std::size_t>(i)] = new CScopeCtrlChannel(this);
    panels_[kTrigger] = new CScopeCtrlTrigger(this);
    panels_[kTimeBase] = new CScopeCtrlTimeBase(this);
    panels_[kMeasure] = new CScopeCtrlMeasure(this);
    for (int i = 0; i < 4; ++i)
        panels_[static_cast<std::size_t>(i)]->SetTitle(text("TXT_803"));
    panels_[kTrigger]->SetTitle(text("TXT_801"));
    panels_[kTimeBase]->SetTitle(text("TXT_800"));
    panels_[kMeasure]->SetTitle(text("TXT_802"));
    // Key order of the panels: range down, range up, coupling, trigger; mode,
    // edge; timebase down, up.
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            panels_[static_cast<std::size_t>(i)]->SetKeyTip(k, keyTips_[static_cast<std::size_t>(k)]);
    for (int k = 0; k < 2; ++k) {
        panels_[kTrigger]->SetKeyTip(k, keyTips_[static_cast<std::size_t>(4 + k)]);
        panels_[kTimeBase]->SetKeyTip(k, keyTips_[static_cast<std::size_t>(6 + k)]);
    }

    // Channels two by two on the left; timebase, trigger and measurement on the right.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 1, 2, 1);
    grid->setSpacing(2);
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        panels_[i]->setObjectName(QStringLiteral("panel%1").arg(i));
        panels_[i]->SetTarget(this);
    }
    for (int i = 0; i < 4; ++i)
        grid->addWidget(panels_[static_cast<std::size_t>(i)], i / 2, i % 2);
    grid->addWidget(panels_[kTimeBase], 0, 2);
    grid->addWidget(panels_[kTrigger], 0, 3);
    grid->addWidget(panels_[kMeasure], 1, 2);
    // The channel and trigger panels carry keys beside their longest values
    // ("100.00 V/dílek"): they take a little more of a narrow window.
    for (int c = 0; c < 4; ++c)
        grid->setColumnStretch(c, c == 2 ? 5 : 6);
    // Keyboard order follows the strip: channels, then the time panels.
    for (int i = 0; i + 1 < kPanelCount; ++i)
        setTabOrder(panels_[static_cast<std::size_t>(i)], panels_[static_cast<std::size_t>(i + 1)]);
}

void CDlgScopeSettings::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ToQColor(kArrowBackground));
}

const std::string& CDlgScopeSettings::text(std::string_view key) const {
    return texts_[static_cast<std::size_t>(
        std::max(TextIndex(BuiltinTextRange(kFirstKey, kLastKey), key), 0))];
}

void CDlgScopeSettings::SetDisplaySources(std::function<double()> zoom,
                                          std::function<double()> cursorDistance) {
    static_cast<CScopeCtrlTimeBase*>(panels_[kTimeBase])->SetZoom(zoom);
    static_cast<CScopeCtrlMeasure*>(panels_[kMeasure])
        ->SetCursors(std::move(cursorDistance), std::move(zoom));
}

void CDlgScopeSettings::BindChannels(const std::array<CChannelData*, 4>& channels) {
    for (std::size_t i = 0; i < 4; ++i)
        panels_[i]->SetChannel(channels[i]);
    for (std::size_t i = 4; i < panels_.size(); ++i)
        panels_[i]->SetChannel(channels[0]);
    RefreshPanels();
}

void CDlgScopeSettings::RefreshPanels() {
    for (CScopeCtrlBase* panel : panels_) {
        panel->UpdateTexts();
        panel->update();
    }
}

void CDlgScopeSettings::OnMessage(Msg msg, std::intptr_t, std::intptr_t lParam) {
    switch (msg) {
    case Msg::UWM_DLG_SCOPE_SETTINGS:
    case Msg::UWM_CHANNEL_DATA_CTRL:
        RefreshPanels();
        break;
    case Msg::UWM_SCOPE:
        // Zoom and cursors of view A changed: the time panels describe them.
        if (const ViewNotice notice = Decode<ViewNotice>(lParam); notice == ViewNotice::ZoomSelected ||
                                                                  notice == ViewNotice::Measure ||
                                                                  notice == ViewNotice::ZoomInfo) {
            for (const int i : {kTimeBase, kMeasure}) {
                panels_[static_cast<std::size_t>(i)]->UpdateTexts();
                panels_[static_cast<std::size_t>(i)]->update();
            }
        }
        break;
    default:
        break;
    }
}

void CDlgScopeSettings::SetControlsEnabled(bool enabled) {
    for (CScopeCtrlBase* panel : panels_)
        panel->setEnabled(enabled);
}

void CDlgScopeSettings::post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (msg == Msg::UWM_CHANNEL_RIGHT_BUTTON_DOWN) {
        // Posted, like the panel meant it: the menu opens after the click is handled.
        QMetaObject::invokeMethod(
            this, [this, wParam, lParam] { openChannelMenu(wParam, lParam); }, Qt::QueuedConnection);
        return;
    }
    postTo(target_, msg, wParam, lParam);
}

CChannelData* CDlgScopeSettings::boundChannel(std::intptr_t channel) const {
    for (int i = 0; i < 4; ++i)
        if (CChannelData* ch = panels_[static_cast<std::size_t>(i)]->GetChannel();
            ch != nullptr && reinterpret_cast<std::intptr_t>(ch) == channel)
            return ch;
    return nullptr;
}

QString CDlgScopeSettings::ChannelMenuTitle(const CChannelData& channel) const {
    return qs(StrFormat(" .: %s %d ", text("TXT_803").c_str(), channel.GetChannel()));
}

std::vector<CDlgScopeSettings::MenuItem>
CDlgScopeSettings::ChannelMenuItems(const CChannelData& channel) const {
    const auto item = [this](int command, std::string_view key) {
        return MenuItem{command, qs(StrFormat(" %s ", text(key).c_str()))};
    };
    std::vector<MenuItem> items{item(kCmdColour, "TXT_804")};
    if (channel.GetProbe().IsLoaded())
        items.push_back(item(kCmdUnloadProbe, "TXT_805"));
    else
        items.push_back(item(kCmdLoadProbe, "TXT_806"));
    return items;
}

std::unique_ptr<QMenu> CDlgScopeSettings::BuildChannelMenu(CChannelData& channel) {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("channelMenu"));
    QAction* title = menu->addAction(ChannelMenuTitle(channel));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setEnabled(false);
    menu->addSeparator();
    for (const MenuItem& item : ChannelMenuItems(channel)) {
        QAction* action = menu->addAction(item.text);
        action->setData(item.command);
    }
    return menu;
}

void CDlgScopeSettings::openChannelMenu(std::intptr_t channel, std::intptr_t packedPoint) {
    // Only a channel of our own panels: the message carries a bare address.
    CChannelData* ch = boundChannel(channel);
    if (ch == nullptr || !isEnabled())
        return;
    const std::unique_ptr<QMenu> menu = BuildChannelMenu(*ch);
    const QAction* chosen = menu->exec(unpackPoint(packedPoint));
    if (chosen != nullptr && chosen->data().isValid())
        RunChannelCommand(*ch, chosen->data().toInt());
}

void CDlgScopeSettings::RunChannelCommand(CChannelData& channel, int command) {
    switch (command) {
    case kCmdColour:
        if (choosers_.colour)
            if (const auto colour = choosers_.colour(this, channel.GetColor()))
                channel.SetColor(*colour);
        break;
    case kCmdUnloadProbe:
        channel.ResetProbe();
        break;
    case kCmdLoadProbe: {
        if (!choosers_.probeFile)
            break;
        const QString file = choosers_.probeFile(this, ProbeFolder(dataDir_));
        if (!file.isEmpty() && !channel.LoadProbe(file.toStdString()) && choosers_.probeRefused)
            choosers_.probeRefused(this, file);
        break;
    }
    default:
        break;
    }
    RefreshPanels();
}

} // namespace wavix
