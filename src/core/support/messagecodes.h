#pragma once
// The codes that travel in wParam / lParam of the registered messages, one enum
// per family. Their values are what the windows post to each other; the sender
// encodes, the receiver decodes, both through the helpers here.

#include <cstdint>
#include <type_traits>

namespace wavix {

// ---- UWM_IVORA_PROTOCOL: wParam = phase << 16 | result << 8 | event.

enum class ModulePhase : std::uint8_t { Module = 1, Scope = 2 };
enum class ModuleResult : std::uint8_t { Error = 1, Done = 2, Progress = 3 };

constexpr std::uint32_t ModuleEventWord(ModulePhase phase, ModuleResult result, int event) {
    return static_cast<std::uint32_t>(phase) << 16 | static_cast<std::uint32_t>(result) << 8 |
           static_cast<std::uint32_t>(event & 0xFF);
}

// One enumerator per meaning: the same event byte means different things by
// phase and result.
enum class ModuleEvent : std::uint32_t {
    None = 0, // no report
    // The session with the tester.
    Initialised = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 1),
    LinkUp = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 2),
    ExchangeRecord = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 3),
    ModuleDescription = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 5),
    DictionaryEntry = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 6),
    Stopped = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 16),
    ModuleStopped = ModuleEventWord(ModulePhase::Module, ModuleResult::Done, 19),
    Received = ModuleEventWord(ModulePhase::Module, ModuleResult::Progress, 1),
    Sending = ModuleEventWord(ModulePhase::Module, ModuleResult::Progress, 2),
    QueueFull = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 1),
    ReplyTimeout = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 2),
    StatusNotServed = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 3),
    StatusUnknown = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 4),
    BadLength = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 5),
    MenuFailed = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 6),
    DescriptionRefused = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 7),
    DictionaryFailed = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 8),
    ConnectionFailed = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 9),
    DictionaryRefused = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 11),
    UnknownReply = ModuleEventWord(ModulePhase::Module, ModuleResult::Error, 12),
    // The oscilloscope.
    ScopeRunning = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 1),
    SettingsExchanged = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 2),
    GroupConverted = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 3),
    HideMessages = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 4),
    SettingsDirty = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 5),
    NoData = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 6),
    Disconnected = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 7),
    CalibrationRead = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 8),
    CalibrationNotServed = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 9),
    CalibrationUnknown = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 10),
    CalibrationWritten = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 11),
    CalibrationWriteFailed = ModuleEventWord(ModulePhase::Scope, ModuleResult::Done, 12),
    StartFailed = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 1),
    // A settings answer shorter than a second-generation record.
    FirstGeneration = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 2),
    BadGroup = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 3),
    GroupOverflow = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 5),
    SettingsRefused = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 6),
    CalibrationReadFailed = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 7),
    // The module's record asks for more samples than a group can carry.
    TooManySamples = ModuleEventWord(ModulePhase::Scope, ModuleResult::Error, 13),
};

constexpr std::intptr_t Encode(ModuleEvent e) {
    return static_cast<std::intptr_t>(e);
}
constexpr ModuleEvent DecodeModuleEvent(std::intptr_t wParam) {
    return static_cast<ModuleEvent>(static_cast<std::uint32_t>(wParam) & 0xFFFFFFu);
}
constexpr ModulePhase PhaseOf(ModuleEvent e) {
    return static_cast<ModulePhase>((static_cast<std::uint32_t>(e) >> 16) & 0xFF);
}
constexpr ModuleResult ResultOf(ModuleEvent e) {
    return static_cast<ModuleResult>((static_cast<std::uint32_t>(e) >> 8) & 0xFF);
}
constexpr int EventNumberOf(ModuleEvent e) {
    return static_cast<int>(static_cast<std::uint32_t>(e) & 0xFF);
}

// ---- UWM_SCOPE_DATA: lParam is the notice, wParam its argument.

enum class ScopeDataNotice : int {
    TriggerChannel = 0, // the trigger channel's CChannelData
    Channel1 = 1,       // 1..4 to the display: channel k's CChannelData
    Channel4 = 4,
    SampleData = 5,   // to the display: the CScopeData
    ChannelCount = 6, // the active channel count
    RecordInForce = 7,
    NewSamples = 8, // NewSamplesNotice(count), or a channel number after an edit
    TriggerLevel = 9,
    RealCount = 10,
    ExpectedCount = 11,
    OldModule = 12, // the module's record version
    TriggerPosition = 13,
};

constexpr ScopeDataNotice ChannelNotice(int channel) {
    return static_cast<ScopeDataNotice>(channel);
}

// ---- UWM_SCOPE: a display view's notice in lParam; wParam names the view,
// its zoom or its cursors.

enum class ViewNotice : int {
    TriggerLevel = 0,
    ZoomSelected = 1,
    Selected = 2,
    Measure = 3,
    ZoomInfo = 4,
    ZoomApply = 5,
    ZoomReset = 6,
    TriggerPosition = 7,
    Button1 = 8,
    Button2 = 9,
};

// ---- UWM_DLG_SCOPE_TOOL_BAR: a command in lParam (wParam 0) from the toolbar
// to the main window, and a state in lParam (wParam its value) back.

enum class ToolbarCommand : int {
    ViewMode = 0,
    RunStop = 1,
    Print = 2,
    Save = 3,
    Load = 4,
    ShowMode = 5,
    ChannelsDown = 6,
    ChannelsUp = 7,
    Configurator = 9,
    Connect = 10,
    SampleCharts = 11,
    LogCharts = 12,
    RollLog = 13,
};

enum class ToolbarState : int {
    SingleView = 0, // wParam 1: one view shows all channels
    Running = 1, // wParam a RunState
    ShowMode = 5,
    ChannelCount = 8,
    Connected = 9, // wParam 1: the connect button disconnects
};

// wParam of ToolbarState::Running: what the record in force says.
enum class RunState : int {
    Stopped = 0,
    Running = 1,
    ShotTaken = 2, // SINGLE stopped after its shot: one press takes the next
};

// ---- UWM_DLG_CONTROL_LOG_CHART_MSG: the log navigator's notice in lParam.

enum class LogChartNotice : int { WindowChanged = 0, Stop = 1, DisplayMode = 2 };

// ---- UWM_COMM_ETH_MSG: lParam = link id << 16 | notice; wParam the byte count.

enum class FileLinkNotice : int { Received = 5, Sent = 6 };

struct FileLinkParam {
    std::uint16_t linkId;
    FileLinkNotice notice;
};

constexpr std::intptr_t EncodeFileLink(std::uint16_t linkId, FileLinkNotice notice) {
    return static_cast<std::intptr_t>(linkId) << 16 | static_cast<std::intptr_t>(notice);
}
constexpr FileLinkParam DecodeFileLink(std::intptr_t lParam) {
    return {static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF),
            static_cast<FileLinkNotice>(lParam & 0xFFFF)};
}

// ---- UWM_CHANNEL_OPTIONS_CTRL: what the channel options window does.

enum class ChannelOptionsNotice : int {
    Clear = 0,   // forget the listed channels
    Append = 1,  // wParam: a CChannelData to list
    Show = 2,    // wParam: the number of the channel to show
    Refresh = 3, // the shown channel changed
};

// ---- UWM_CHANNEL_DATA_CTRL: wParam the channel number.

enum class ChannelDataNotice : int { Changed = 1, Released = 2 };

// ---- UWM_COMMUNICATION: wParam the byte count.

enum class TrafficNotice : int { SentPerSecond = 2, ReceivedPerSecond = 3, ReceivedPerTenth = 4 };

// ---- UWM_SCOPE_CTRL_BASE: a panel's notice.

enum class PanelNotice : int {
    ChannelClicked = 0,   // wParam: the bound channel's number
    TimeBaseReleased = 1, // the timebase panel let go of the zoom
    LabelClicked = 30,    // the panel to itself
};

// ---- UWM_DLG_GET_LOG_FILES_MSG: the log files window's buttons.

enum class LogFilesNotice : int { Close = 0, Download = 1 };

// ---- UWM_RECEIVED_FILE_MSG: a file transfer step of the instrument protocol.

enum class ReceivedFileNotice : int {
    TesterAsksFile = 0, // the tester sent 0x0044; name in the first state
    EntryRead = 2,      // directory entry stored
    MoreFollows = 3,    // data packet stored, more follows
    EntryFailed = 4,    // entry reply with an unexpected status
    FileComplete = 5,   // last data packet stored
    PacketStored = 6,   // wParam: payload bytes of the stored packet
    SecondMore = 7,     // second state: more follows
    SecondComplete = 8, // second state: last packet stored
    SecondStored = 9,   // second state: wParam payload bytes
    NoSuchFile = 10,    // the tester has no such file
    ReplyTimedOut = 11, // wParam: the reply command that never came
};

// ---- UWM_VEXOR_PROTOCOL_MSG.

enum class VexorProtocolNotice : int { TesterNotice = 1, BadDatagram = 2 };

// The plain families travel as their value.
template <class Code, class... Families>
concept OneOf = (std::is_same_v<Code, Families> || ...);
template <class Code>
concept PlainMessageCode = OneOf<Code, ScopeDataNotice, ViewNotice, ToolbarCommand, ToolbarState,
                                 LogChartNotice, ChannelOptionsNotice, ChannelDataNotice, TrafficNotice,
                                 PanelNotice, LogFilesNotice, ReceivedFileNotice, VexorProtocolNotice>;

template <PlainMessageCode Code>
constexpr std::intptr_t Encode(Code code) {
    return static_cast<std::intptr_t>(code);
}
template <PlainMessageCode Code>
constexpr Code Decode(std::intptr_t param) {
    return static_cast<Code>(param);
}

} // namespace wavix
