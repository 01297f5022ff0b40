#include "ui/panels/scopectrltimebase.h"

#include "core/panels/paneltexts.h"
#include "core/scope/channeldata.h"
#include "core/scope/scopedata.h"

namespace wavix {

CScopeCtrlTimeBase::CScopeCtrlTimeBase(QWidget* parent) : CScopeCtrlBase(parent) {
    SetCustomText(true);
    title_ = std::string(kTitleTimeBase);
    AddKey(kKeyFaceRange, "◀");
    AddKey(kKeyFaceRange, "▶");
    UpdateTexts();
}

void CScopeCtrlTimeBase::SetZoom(ZoomSource zoom) {
    zoom_ = std::move(zoom);
    UpdateTexts();
}

double CScopeCtrlTimeBase::ZoomFactor() const {
    if (!zoom_)
        return 1.0;
    const double f = zoom_();
    return IsZoomFactor(f) ? f : 1.0;
}

void CScopeCtrlTimeBase::UpdateTexts() {
    CScopeCtrlBase::UpdateTexts();
    CChannelData* ch = GetChannel();
    const double zoom = ZoomFactor();
    SetText(TimeBasePanelTitle(title_, zoom));
    if (ch == nullptr || ch->GetChannel() < 0) {
        SetValues({});
        return;
    }
    SetValues({HasRecord() ? ch->TimeText(zoom, 1.0) : std::string(kNoValue)});
}

// The channel forwards no timebase edits of its own; the timebase belongs to the record.
void CScopeCtrlTimeBase::RunKey(int key) {
    CScopeData* owner = GetChannel()->GetOwner();
    if (owner == nullptr)
        return;
    if (key == KeyDown)
        owner->TimeBaseDown();
    else if (key == KeyUp)
        owner->TimeBaseUp();
}

void CScopeCtrlTimeBase::OnCtrlBase(std::intptr_t, std::intptr_t lParam) {
    if (Decode<PanelNotice>(lParam) != PanelNotice::LabelClicked)
        return;
    zoom_ = nullptr;
    UpdateTexts();
    Post(Msg::UWM_SCOPE_CTRL_BASE, 0, Encode(PanelNotice::TimeBaseReleased));
}

int CScopeCtrlTimeBase::KeyForShortcut(int qtKey) const {
    switch (qtKey) {
    case Qt::Key_Left:
    case Qt::Key_Minus:
        return KeyDown;
    case Qt::Key_Right:
    case Qt::Key_Plus:
        return KeyUp;
    default:
        return -1;
    }
}

} // namespace wavix
