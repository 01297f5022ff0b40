#include "core/app/viewnotices.h"

#include "core/protocol/ivoraprotocol.h"
#include "core/scope/scopedata.h"

#include <algorithm>

namespace wavix {

void CViewNotices::OnNotice(std::intptr_t wParam, std::intptr_t code) {
    CScopeData& data = data_;
    switch (code) {
    case 0: {
        const int view = views_.ViewOf(wParam);
        if (view < 0)
            break;
        // The echo keeps the link alive while the user drags.
        protocol_.SendDirectEcho();
        data.SetTriggerLevel(std::clamp(views_.TriggerLevelOf(view), 0, 1023));
        protocol_.build_SetOscilExchange_packet();
        break;
    }
    case 7: {
        const int view = views_.ViewOf(wParam);
        if (view < 0)
            break;
        protocol_.SendDirectEcho();
        data.SetTriggerPosition(views_.TriggerPositionOf(view));
        protocol_.build_SetOscilExchange_packet();
        break;
    }
    case 1:
    case 4:
        views_.PassToSettings(wParam, static_cast<int>(code));
        break;
    case 2:
        if (const int view = views_.ViewOf(wParam); view >= 0) {
            selected_ = view;
            views_.SelectView(view);
        }
        break;
    case 3:
        views_.PassToSettings(wParam, 3);
        views_.ShareMeasurement(wParam);
        break;
    case 5:
        views_.ApplyZoom(wParam);
        break;
    case 6:
        views_.ResetZoom();
        break;
    case 8:
    case 9: {
        const int which = code == 8 ? 1 : 2;
        if (!views_.MarkRollLog(which))
            views_.StepLoadedFile(which);
        break;
    }
    default:
        break;
    }
}

} // namespace wavix
