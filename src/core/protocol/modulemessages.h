#pragma once
// Messages of the module protocol: pure builders and decoders, no session state.
//
// A request is 0x10 0x02, the BE16 command and its payload at offset 4. A reply
// carries the command | 0x8000, the module number and a status word, and its
// payload at offset 8. Every number inside a payload is big-endian.
//
// The compose_* functions take the whole received packet, header included, and
// check its length before they read anything; on failure they answer false and
// leave the target record as it was.

#include "core/comm/packet.h"
#include "core/protocol/modulerecords.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace wavix {

// Requests of the oscilloscope path.
inline constexpr std::uint16_t c_ivrECHO = 0x0000;
inline constexpr std::uint16_t c_ivrSTOP_MODULE = 0x0001;
inline constexpr std::uint16_t c_ivrRUN_OSCIL = 0x0043;
inline constexpr std::uint16_t c_ivrASK_SCOPE_DATA = 0x0080;
inline constexpr std::uint16_t c_ivrSET_OSCIL_EXCHANGE = 0x0081;
inline constexpr std::uint16_t c_ivrASK_OSCIL_EXCHANGE = 0x0082;
inline constexpr std::uint16_t c_ivrSCOPE_SAFE_DISCONNECT = 0x0083;
inline constexpr std::uint16_t c_ivrASK_OSCIL_EEPROM = 0x0084;
inline constexpr std::uint16_t c_ivrSET_OSCIL_EEPROM = 0x0085;
// Requests of the diagnostic services.
inline constexpr std::uint16_t c_ivrASK_MODULE_EXCHANGE = 0x0040;
inline constexpr std::uint16_t c_ivrASK_MENU = 0x0041;
inline constexpr std::uint16_t c_ivrRUN_DIAG = 0x0042;
inline constexpr std::uint16_t c_ivrASK_DICT_INFO = 0x0044;
inline constexpr std::uint16_t c_ivrASK_DICTIONARY = 0x0045;
inline constexpr std::uint16_t c_ivrASK_MENU_NEXT = 0x0055;
inline constexpr std::uint16_t c_ivrCOMM_INIT = 0x0060;
inline constexpr std::uint16_t c_ivrASK_TABLE = 0x0063;
inline constexpr std::uint16_t c_ivrTESTER_PRESENT = 0x0070;
inline constexpr std::uint16_t c_ivrTESTER_TO = 0x0071;
inline constexpr std::uint16_t c_ivrTABLE_DATA = 0x0072;
inline constexpr std::uint16_t c_ivrAUTOMAT_DATA = 0x0090;
inline constexpr std::uint16_t c_ivrUNUSED_93 = 0x0093;
inline constexpr std::uint16_t c_ivrSTOP_MODULE2 = 0x0100;

constexpr std::uint16_t replyTo(std::uint16_t command) {
    return command | c_vxrREPLY_MASK;
}

// ---- Requests. Each answers a finished packet, or an empty one (size 0) when
// the payload cannot be built.

Packet BuildEchoRequest();
Packet BuildStopModuleRequest();
Packet BuildStopModule2Request();
Packet BuildRunOscilRequest();
Packet BuildAskForScopeDataRequest();
// 4 + 46 bytes for a version-2 record, 4 + 40 for any other.
Packet BuildSetOscilExchangeRequest(const tOscilExchange& rec);
Packet BuildAskForOscilExchangeRequest();
Packet BuildScopeSafeDisconnectRequest();
Packet BuildAskForOscilEepromRequest();
// Only the record's first 12 bytes (four header words and the date); the module
// answers with its whole record.
Packet BuildSetOscilEepromHeaderRequest(const SOscil_EEPROM& rec);

Packet BuildAskForModuleExchangeRequest();
Packet BuildAskForMenuRequest();
Packet BuildRunDiagRequest(const tmodule_exchange& rec);
// File name characters and a terminating zero.
Packet BuildAskForDictInfoRequest(std::string_view fileName);
Packet BuildAskForDictionaryRequest(std::string_view fileName);
Packet BuildAskForMenuNextRequest();
Packet BuildIvoraCommInitRequest(std::uint32_t mode, std::uint32_t status, std::uint32_t ecu);
Packet BuildAskForTableRequest(std::uint8_t table);
Packet BuildTesterPresentRequest(std::uint32_t mode, std::uint32_t status);
// Automat traffic: the automat's own bytes behind the command.
Packet BuildAutomatRequest(std::uint16_t command, std::span<const std::uint8_t> data);

// Dictionary file name of a module description: the non-zero characters of Dict0
// (index 0) or Dict1 (index 1), at most 10. Nothing for any other index.
std::optional<std::string> DictionaryFileName(const tmodule_desc& desc, int index);

// ---- Replies.

// Bytes after the eight-byte header; empty for a shorter packet.
std::span<const std::uint8_t> ReplyPayload(std::span<const std::uint8_t> packet);

// 0x8000 and 0x8043 carry nothing: the packet must be exactly 8 bytes.
bool compose_EchoAnswer(std::span<const std::uint8_t> packet);
bool compose_RunOscilAnswer(std::span<const std::uint8_t> packet);

// 0x8081 / 0x8082: at least 44 payload bytes; the first 40 are the record, the
// two version-2 fields only when the payload is exactly 46, else cleared.
bool compose_OscilExchange(std::span<const std::uint8_t> packet, tOscilExchange& rec);

// 0x8084 / 0x8085: exactly 204 payload bytes whose size word is 204 and state 1.
bool compose_OscilEeprom(std::span<const std::uint8_t> packet, SOscil_EEPROM& rec);

bool compose_tModuleDescription(std::span<const std::uint8_t> packet, tmodule_desc& rec);   // 176
bool compose_tmodule_exchange(std::span<const std::uint8_t> packet, tmodule_exchange& rec); // 148
bool compose_tsimple_FAT(std::span<const std::uint8_t> packet, tsimple_FAT& rec);           // 32

// 0x8060: three BE32 words, and in the long form the main automat's two
// identifiers and three tables of 15 words (table id and its two parameters).
inline constexpr std::size_t kCommInitShortSize = 12;
inline constexpr std::size_t kCommInitTableEntries = 15;
inline constexpr std::size_t kCommInitLongSize = 12 + 8 + 3 * kCommInitTableEntries * 4;
struct CommInitAnswer {
    std::uint32_t retVal = 0;
    std::uint32_t retMode = 0;
    std::uint32_t retStatus = 0;
    bool mainAutomat = false; // the long form came
    std::uint32_t mainId1 = 0;
    std::uint32_t mainId2 = 0;
    std::array<std::uint32_t, kCommInitTableEntries> tableId{};
    std::array<std::uint32_t, kCommInitTableEntries> tableParam1{};
    std::array<std::uint32_t, kCommInitTableEntries> tableParam2{};
};
// A long form that stops short of its tables is refused rather than read past
// the payload. `log` receives the line for the trace.
bool compose_CommInitAnswer(std::span<const std::uint8_t> packet, CommInitAnswer& out, std::string& log);

// 0x8070: exactly 20 bytes: r, mode and status as BE32 at 8, 12 and 16. On a
// wrong length `error` receives the text for the user's error box.
inline constexpr std::size_t kTesterPresentAnswerSize = 20;
inline constexpr std::string_view kTesterPresentErrorCaption = " Errror ";
struct TesterPresentAnswer {
    std::uint32_t r = 0;
    std::uint32_t mode = 0;
    std::uint32_t status = 0;
};
bool compose_TesterPresentAnswer(std::span<const std::uint8_t> packet, TesterPresentAnswer& out,
                                 std::string& error);

} // namespace wavix
