#pragma once
// The requests of the module protocol, one row each. The session takes its
// queueing and the reports of the plain answers from here, the simulator
// which requests need the Scope module, the fuzz target the requests it
// drives. A new tester command is a row here, the controller's reaction to its
// event (CModuleEvents) and the simulator's answer (CSimModule).

#include "core/protocol/modulemessages.h"
#include "core/support/messagecodes.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace wavix {

struct ModuleCommand {
    std::uint16_t code;
    std::string_view name;
    // The request when it carries no data; null when the caller must supply some.
    Packet (*build)();
    // Checks an answer packet (header included); null when any answer is taken.
    bool (*accepts)(std::span<const std::uint8_t> packet);
    // Later requests stay queued until this one is answered.
    bool waits;
    // Served by the Scope module: a tester without one refuses it.
    bool scope;
    // Reported for an accepted answer and for one that fails its check. None
    // where the session reacts to the answer itself, or not at all.
    ModuleEvent answered;
    ModuleEvent refused;
};

// Answer checks for the records whose decoders fill one.
inline bool AcceptsOscilExchange(std::span<const std::uint8_t> p) {
    tOscilExchange r;
    return compose_OscilExchange(p, r);
}
inline bool AcceptsOscilEeprom(std::span<const std::uint8_t> p) {
    SOscil_EEPROM r;
    return compose_OscilEeprom(p, r);
}
inline bool AcceptsModuleExchange(std::span<const std::uint8_t> p) {
    tmodule_exchange r;
    return compose_tmodule_exchange(p, r);
}
inline bool AcceptsModuleDescription(std::span<const std::uint8_t> p) {
    tmodule_desc r;
    return compose_tModuleDescription(p, r);
}
inline bool AcceptsDictionaryEntry(std::span<const std::uint8_t> p) {
    tsimple_FAT r;
    return compose_tsimple_FAT(p, r);
}

// clang-format off
inline constexpr std::array<ModuleCommand, 23> kModuleCommands{{
    // code                       name                     build                             accepts                   waits  scope  answered                    refused
    {c_ivrECHO,                   "ECHO",                  BuildEchoRequest,                 compose_EchoAnswer,       false, false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrSTOP_MODULE,            "STOP_MODULE",           BuildStopModuleRequest,           nullptr,                  true,  false, ModuleEvent::ModuleStopped, ModuleEvent::None},
    {c_ivrRUN_OSCIL,              "RUN_OSCIL",             BuildRunOscilRequest,             compose_RunOscilAnswer,   true,  true,  ModuleEvent::ScopeRunning,  ModuleEvent::StartFailed},
    {c_ivrASK_SCOPE_DATA,         "ASK_SCOPE_DATA",        BuildAskForScopeDataRequest,      nullptr,                  true,  true,  ModuleEvent::None,          ModuleEvent::None},
    {c_ivrSET_OSCIL_EXCHANGE,     "SET_OSCIL_EXCHANGE",    nullptr,                          AcceptsOscilExchange,     true,  true,  ModuleEvent::None,          ModuleEvent::None},
    {c_ivrASK_OSCIL_EXCHANGE,     "ASK_OSCIL_EXCHANGE",    BuildAskForOscilExchangeRequest,  AcceptsOscilExchange,     true,  true,  ModuleEvent::None,          ModuleEvent::None},
    {c_ivrSCOPE_SAFE_DISCONNECT,  "SCOPE_SAFE_DISCONNECT", BuildScopeSafeDisconnectRequest,  nullptr,                  true,  false, ModuleEvent::Disconnected,  ModuleEvent::None},
    {c_ivrASK_OSCIL_EEPROM,       "ASK_OSCIL_EEPROM",      BuildAskForOscilEepromRequest,    AcceptsOscilEeprom,       false, false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrSET_OSCIL_EEPROM,       "SET_OSCIL_EEPROM",      nullptr,                          AcceptsOscilEeprom,       false, false, ModuleEvent::None,          ModuleEvent::None},
    // The diagnostic services: the oscilloscope path never asks for these.
    {c_ivrASK_MODULE_EXCHANGE,    "ASK_MODULE_EXCHANGE",   BuildAskForModuleExchangeRequest, AcceptsModuleExchange,    true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrASK_MENU,               "ASK_MENU",              BuildAskForMenuRequest,           nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrRUN_DIAG,               "RUN_DIAG",              nullptr,                          AcceptsModuleDescription, true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrASK_DICT_INFO,          "ASK_DICT_INFO",         nullptr,                          AcceptsDictionaryEntry,   true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrASK_DICTIONARY,         "ASK_DICTIONARY",        nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrASK_MENU_NEXT,          "ASK_MENU_NEXT",         BuildAskForMenuNextRequest,       nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrCOMM_INIT,              "COMM_INIT",             nullptr,                          nullptr,                  false, false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrASK_TABLE,              "ASK_TABLE",             nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrTESTER_PRESENT,         "TESTER_PRESENT",        nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrTESTER_TO,              "TESTER_TO",             nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrTABLE_DATA,             "TABLE_DATA",            nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrAUTOMAT_DATA,           "AUTOMAT_DATA",          nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrUNUSED_93,              "UNUSED_93",             nullptr,                          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
    {c_ivrSTOP_MODULE2,           "STOP_MODULE2",          BuildStopModule2Request,          nullptr,                  true,  false, ModuleEvent::None,          ModuleEvent::None},
}};
// clang-format on

// The row of a request code, or null.
constexpr const ModuleCommand* FindModuleCommand(std::uint16_t code) {
    for (const ModuleCommand& row : kModuleCommands)
        if (row.code == code)
            return &row;
    return nullptr;
}

// The row a reply answers, or null for a code that answers no request.
constexpr const ModuleCommand* FindModuleReply(std::uint16_t reply) {
    return (reply & c_vxrREPLY_MASK) != 0
               ? FindModuleCommand(static_cast<std::uint16_t>(reply & ~c_vxrREPLY_MASK))
               : nullptr;
}

} // namespace wavix
