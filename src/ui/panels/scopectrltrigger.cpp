#include "ui/panels/scopectrltrigger.h"

#include "core/panels/paneltexts.h"
#include "core/scope/channeldata.h"

namespace wavix {
namespace {
// The level marker doubles the level of a channel on range 0, whose counts are doubled.
bool doubledLevel(const CChannelData& ch) {
    return ch.GetRange() == 0;
}
} // namespace

CScopeCtrlTrigger::CScopeCtrlTrigger(QWidget* parent) : CScopeCtrlBase(parent) {
    SetCustomText(true);
    title_ = std::string(kTitleTrigger);
    AddKey(kKeyFaceRange, "AUTO");
    AddKey(kKeyFaceCoupling, "↑");
    UpdateTexts();
}

void CScopeCtrlTrigger::UpdateTexts() {
    CScopeCtrlBase::UpdateTexts();
    CChannelData* ch = BoundChannelOrShowUnbound();
    if (ch == nullptr)
        return;
    if (!HasRecord()) {
        // The trigger channel, mode and level all come from the record.
        SetText(PanelTitle(title_));
        SetKeyCaption(KeyMode, std::string(kNoValue));
        SetValues({std::string(kNoValue)});
        return;
    }
    SetText(ChannelRefTitle(title_, ch->GetTriggerChannel()));
    const std::string mode = ch->TriggerModeText();
    SetKeyCaption(KeyMode, mode.empty() ? "--" : mode);
    SetKeyCaption(KeyEdge, ch->GetTriggerEdge() == 1 ? "↑" : "↓");
    SetValues({ch->TriggerLevelText(doubledLevel(*ch)), ch->EdgeText()});
}

void CScopeCtrlTrigger::RunKey(int key) {
    CChannelData* ch = GetChannel();
    if (key == KeyMode)
        ch->NextTriggerMode();
    else if (key == KeyEdge)
        ch->ToggleTriggerEdge();
}

int CScopeCtrlTrigger::KeyForShortcut(int qtKey) const {
    if (qtKey == Qt::Key_M)
        return KeyMode;
    if (qtKey == Qt::Key_E)
        return KeyEdge;
    return -1;
}

} // namespace wavix
