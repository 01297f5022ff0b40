#pragma once
// The controller's reactions to the sample data's notices: trigger marker,
// channel count, a record in force (the view arrangement), new samples, length
// check, an old module and the capture geometry.

#include "core/app/controllerstate.h"
#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/app/moduleevents.h"
#include "core/app/statusline.h"
#include "core/scope/capturestore.h"

#include <cstdint>

namespace wavix {

// Exit code of the quit that follows the old-module box.
inline constexpr int kOldModuleExitCode = 274;

class CScopeDataEvents : public ICaptureListener {
public:
    // The views follow the capture store from here on.
    CScopeDataEvents(CCaptureStore& capture, IMainView& view, const CMainTexts& texts, CStatusLine& status,
                     CModuleEvents& module, ControllerState& state);
    ~CScopeDataEvents() override;
    CScopeDataEvents(const CScopeDataEvents&) = delete;
    CScopeDataEvents& operator=(const CScopeDataEvents&) = delete;

    // lParam of UWM_SCOPE_DATA is the code, wParam its argument.
    void OnNotice(std::intptr_t wParam, std::intptr_t code);

    // New samples or an edit: the channel options and every view show them.
    void OnSamplesConverted(std::uint32_t count) override;
    void OnChannelsChanged() override;

private:
    void arrangeViews();
    void oldModule(std::intptr_t version);

    CCaptureStore& capture_;
    IMainView& view_;
    const CMainTexts& texts_;
    CStatusLine& status_;
    CModuleEvents& module_;
    ControllerState& state_;
};

} // namespace wavix
