#pragma once
// Registered messages between the parts of the program. A window is modelled as
// a target with one operation, post(); the Qt binding delivers posted messages
// later on the UI thread, so a handler never runs inside the poster.

#include <cstdint>
#include <string_view>
#include <vector>

namespace wavix {

enum class Msg : std::uint8_t {
    UWM_COMMUNICATION,
    UWM_IVORA_PROTOCOL,
    UWM_SCOPE_DATA,
    UWM_SCOPE,
    UWM_SCOPE_RBUTTON,
    UWM_SCOPE_CTRL_BASE,
    UWM_DLG_SCOPE_SETTINGS,
    UWM_DLG_SCOPE_TOOL_BAR,
    UWM_CHANNEL_DATA_CTRL,
    UWM_CHANNEL_OPTIONS_CTRL,
    UWM_CHANNEL_RIGHT_BUTTON_DOWN,
    UWM_SCOPE_CTRL_LEFT_RIGHT,
    UWM_DLG_CONTROL_LOG_CHART_MSG,
    UWM_DLG_GET_LOG_FILES_MSG,
    UWM_CTRL_SCOPE_BOOK_LIST_MSG,
    UWM_COMM_ETH_MSG,
    UWM_RECEIVED_FILE_MSG,
    UWM_CMD_ECHO_MSG,
    UWM_VEXOR_SEND_FILE_MSG,
    UWM_VEXOR_PROTOCOL_MSG,
    UWM_SCOPE_SCREEN_SHOT,
    UWM_MENU3_MSG,
};
inline constexpr int kMsgCount = static_cast<int>(Msg::UWM_MENU3_MSG) + 1;

// Name as written in code ("UWM_SCOPE_DATA") and the process-wide registration
// string that other programs of the suite use for the same message.
std::string_view messageName(Msg msg);
std::string_view registrationString(Msg msg);

class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual void post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) = 0;
};

// A target that may not be set yet (a window handle of 0) swallows the message.
inline void postTo(IMessageTarget* target, Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (target != nullptr)
        target->post(msg, wParam, lParam);
}

struct PostedMessage {
    Msg msg;
    std::intptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const PostedMessage&) const = default;
};

// Keeps every posted message in order; used by tests and by headless clients.
class CRecordingTarget : public IMessageTarget {
public:
    void post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override {
        messages.push_back({msg, wParam, lParam});
    }
    void clear() { messages.clear(); }
    std::vector<PostedMessage> messages;
};

} // namespace wavix
