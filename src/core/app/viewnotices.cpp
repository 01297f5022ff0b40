#include "core/app/viewnotices.h"

#include "core/protocol/ivoraprotocol.h"
#include "core/scope/scopedata.h"

#include <algorithm>

namespace wavix {

void CViewNotices::OnNotice(std::intptr_t wParam, std::intptr_t code) {
    CScopeData& data = data_;
    const ViewNotice notice = Decode<ViewNotice>(code);
    switch (notice) {
    case ViewNotice::TriggerLevel: {
        const int view = views_.ViewOf(wParam);
        if (view < 0)
            break;
        // The echo keeps the link alive while the user drags.
        protocol_.SendDirectEcho();
        data.SetTriggerLevel(std::clamp(views_.TriggerLevelOf(view), 0, 1023));
        protocol_.build_SetOscilExchange_packet();
        break;
    }
    case ViewNotice::TriggerPosition: {
        const int view = views_.ViewOf(wParam);
        if (view < 0)
            break;
        protocol_.SendDirectEcho();
        data.SetTriggerPosition(views_.TriggerPositionOf(view));
        protocol_.build_SetOscilExchange_packet();
        break;
    }
    case ViewNotice::ZoomSelected:
    case ViewNotice::ZoomInfo:
        views_.PassToSettings(wParam, notice);
        break;
    case ViewNotice::Selected:
        if (const int view = views_.ViewOf(wParam); view >= 0) {
            selected_ = view;
            views_.SelectView(view);
        }
        break;
    case ViewNotice::Measure:
        views_.PassToSettings(wParam, notice);
        views_.ShareMeasurement(wParam);
        break;
    case ViewNotice::ZoomApply:
        views_.ApplyZoom(wParam);
        break;
    case ViewNotice::ZoomReset:
        views_.ResetZoom();
        break;
    case ViewNotice::Button1:
    case ViewNotice::Button2: {
        const int which = notice == ViewNotice::Button1 ? 1 : 2;
        if (!views_.MarkRollLog(which))
            views_.StepLoadedFile(which);
        break;
    }
    default:
        break;
    }
}

} // namespace wavix
