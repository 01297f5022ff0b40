#pragma once
// The controller's reactions to the sample data's notices: trigger marker,
// channel count, a record in force (the view arrangement), new samples, length
// check, an old module and the capture geometry.

#include "core/app/controllerstate.h"
#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/app/moduleevents.h"
#include "core/app/statusline.h"

#include <cstdint>

namespace wavix {

class CIvoraProtocol;

// Exit code of the quit that follows the old-module box.
inline constexpr int kOldModuleExitCode = 274;

class CScopeDataEvents {
public:
    CScopeDataEvents(CIvoraProtocol& protocol, IMainView& view, const CMainTexts& texts, CStatusLine& status,
                     CModuleEvents& module, ControllerState& state)
        : protocol_(protocol), view_(view), texts_(texts), status_(status), module_(module), state_(state) {}

    // lParam of UWM_SCOPE_DATA is the code, wParam its argument.
    void OnNotice(std::intptr_t wParam, std::intptr_t code);

private:
    void arrangeViews();
    void newSamples(std::intptr_t wParam);
    void oldModule(std::intptr_t version);

    CIvoraProtocol& protocol_;
    IMainView& view_;
    const CMainTexts& texts_;
    CStatusLine& status_;
    CModuleEvents& module_;
    ControllerState& state_;
};

} // namespace wavix
