#include "ui/panels/scopectrlchannel.h"

#include "core/panels/paneltexts.h"
#include "core/scope/channeldata.h"

#include <QString>

namespace wavix {

CScopeCtrlChannel::CScopeCtrlChannel(QWidget* parent) : CScopeCtrlBase(parent) {
    SetCustomText(true);
    title_ = std::string(kTitleChannel);
    AddKey(kKeyFaceRange, "▼");
    AddKey(kKeyFaceRange, "▲");
    AddKey(kKeyFaceCoupling, "AC");
    AddKey(kKeyFaceTrigger, "Trigg");
    UpdateTexts();
}

void CScopeCtrlChannel::UpdateTexts() {
    CScopeCtrlBase::UpdateTexts();
    CChannelData* ch = GetChannel();
    if (ch == nullptr) {
        SetText(std::string(kLabelUnbound));
        SetValues({});
        return;
    }
    const CChannelProbe& probe = ch->GetProbe();
    SetText(ChannelPanelTitle(title_, ch->GetChannel(),
                              probe.IsLoaded() ? std::optional<std::string_view>(probe.GetName())
                                               : std::nullopt));
    if (ch->GetChannel() < 0) {
        SetValues({});
        return;
    }
    if (!HasRecord()) {
        SetValues({std::string(kNoValue)});
        return;
    }
    SetKeyCaption(KeyCoupling, ch->CouplingText());
    SetValues({ch->RangeText(1.0)});
}

void CScopeCtrlChannel::RunKey(int key) {
    CChannelData* ch = GetChannel();
    switch (key) {
    case KeyRangeDown:
        ch->RangeDown();
        break;
    case KeyRangeUp:
        ch->RangeUp();
        break;
    case KeyCoupling:
        ch->ToggleCoupling();
        break;
    case KeyTrigger:
        ch->SetAsTriggerChannel();
        break;
    default:
        break;
    }
}

void CScopeCtrlChannel::OnKeyFlashEnd(int key) {
    if (key == KeyTrigger)
        UpdateTexts();
}

int CScopeCtrlChannel::KeyForShortcut(int qtKey) const {
    switch (qtKey) {
    case Qt::Key_Down:
        return KeyRangeDown;
    case Qt::Key_Up:
        return KeyRangeUp;
    case Qt::Key_C:
        return KeyCoupling;
    case Qt::Key_T:
        return KeyTrigger;
    default:
        return -1;
    }
}

std::intptr_t CScopeCtrlChannel::PackPoint(const QPoint& p) {
    const auto x = static_cast<std::uint32_t>(p.x()) & 0xFFFFu;
    const auto y = static_cast<std::uint32_t>(p.y()) & 0xFFFFu;
    return static_cast<std::intptr_t>(x | (y << 16));
}

void CScopeCtrlChannel::RightClick(const QPoint& globalPos) {
    if (CChannelData* ch = GetChannel())
        Post(Msg::UWM_CHANNEL_RIGHT_BUTTON_DOWN, reinterpret_cast<std::intptr_t>(ch), PackPoint(globalPos));
}

} // namespace wavix
