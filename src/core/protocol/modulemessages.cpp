#include "core/protocol/modulemessages.h"

#include "core/support/bytes.h"

#include "core/support/strformat.h"
#include <algorithm>
#include <cstdio>

namespace wavix {
namespace {

Packet bare(std::uint16_t command) {
    return CRequestBuilder(command).finish();
}

Packet withName(std::uint16_t command, std::string_view name) {
    CRequestBuilder b(command);
    for (const char c : name)
        b.put8(static_cast<std::uint8_t>(c));
    b.put8(0);
    return b.finish();
}

} // namespace

Packet BuildEchoRequest() {
    return bare(c_ivrECHO);
}
Packet BuildStopModuleRequest() {
    return bare(c_ivrSTOP_MODULE);
}
Packet BuildStopModule2Request() {
    return bare(c_ivrSTOP_MODULE2);
}
Packet BuildRunOscilRequest() {
    return bare(c_ivrRUN_OSCIL);
}
Packet BuildAskForScopeDataRequest() {
    return bare(c_ivrASK_SCOPE_DATA);
}
Packet BuildAskForOscilExchangeRequest() {
    return bare(c_ivrASK_OSCIL_EXCHANGE);
}
Packet BuildScopeSafeDisconnectRequest() {
    return bare(c_ivrSCOPE_SAFE_DISCONNECT);
}
Packet BuildAskForOscilEepromRequest() {
    return bare(c_ivrASK_OSCIL_EEPROM);
}
Packet BuildAskForModuleExchangeRequest() {
    return bare(c_ivrASK_MODULE_EXCHANGE);
}
Packet BuildAskForMenuRequest() {
    return bare(c_ivrASK_MENU);
}
Packet BuildAskForMenuNextRequest() {
    return bare(c_ivrASK_MENU_NEXT);
}

Packet BuildSetOscilExchangeRequest(const tOscilExchange& rec) {
    std::array<std::uint8_t, kOscilExchangeV2Size> image{};
    const std::size_t n = SerializeOscilExchange(rec, image);
    if (n == 0)
        return {};
    return CRequestBuilder(c_ivrSET_OSCIL_EXCHANGE).putBytes(std::span(image).first(n)).finish();
}

Packet BuildSetOscilEepromHeaderRequest(const SOscil_EEPROM& rec) {
    std::array<std::uint8_t, kOscilEepromSize> image{};
    SerializeOscilEeprom(rec, image, ByteOrder::Big);
    return CRequestBuilder(c_ivrSET_OSCIL_EEPROM).putBytes(std::span(image).first(12)).finish();
}

Packet BuildRunDiagRequest(const tmodule_exchange& rec) {
    std::array<std::uint8_t, kModuleExchangeSize> image{};
    SerializeModuleExchange(rec, image);
    return CRequestBuilder(c_ivrRUN_DIAG).putBytes(image).finish();
}

Packet BuildAskForDictInfoRequest(std::string_view fileName) {
    return withName(c_ivrASK_DICT_INFO, fileName);
}
Packet BuildAskForDictionaryRequest(std::string_view fileName) {
    return withName(c_ivrASK_DICTIONARY, fileName);
}

Packet BuildIvoraCommInitRequest(std::uint32_t mode, std::uint32_t status, std::uint32_t ecu) {
    return CRequestBuilder(c_ivrCOMM_INIT).putBE32(mode).putBE32(status).putBE32(ecu).finish();
}

Packet BuildAskForTableRequest(std::uint8_t table) {
    return CRequestBuilder(c_ivrASK_TABLE).put8(0).put8(0).put8(0).put8(table).finish();
}

Packet BuildTesterPresentRequest(std::uint32_t mode, std::uint32_t status) {
    return CRequestBuilder(c_ivrTESTER_PRESENT).putBE32(mode).putBE32(status).finish();
}

Packet BuildAutomatRequest(std::uint16_t command, std::span<const std::uint8_t> data) {
    return CRequestBuilder(command).putBytes(data).finish();
}

std::optional<std::string> DictionaryFileName(const tmodule_desc& desc, int index) {
    if (index != 0 && index != 1)
        return std::nullopt;
    const auto& field = index == 0 ? desc.Dict0 : desc.Dict1;
    std::string name;
    for (const std::uint8_t c : field)
        if (c != 0)
            name.push_back(static_cast<char>(c));
    return name;
}

std::span<const std::uint8_t> ReplyPayload(std::span<const std::uint8_t> packet) {
    if (packet.size() <= kPacketHeaderSize)
        return {};
    return packet.subspan(kPacketHeaderSize);
}

bool compose_EchoAnswer(std::span<const std::uint8_t> packet) {
    return packet.size() == kPacketHeaderSize;
}
bool compose_RunOscilAnswer(std::span<const std::uint8_t> packet) {
    return packet.size() == kPacketHeaderSize;
}

bool compose_OscilExchange(std::span<const std::uint8_t> packet, tOscilExchange& rec) {
    const auto payload = ReplyPayload(packet);
    if (payload.size() < kOscilExchangeV1Size + 4)
        return false;
    tOscilExchange received;
    if (!DeserializeOscilExchange(payload.first(kOscilExchangeV1Size), received))
        return false;
    // Only a payload of exactly the version-2 size carries the two extra fields;
    // anything between is a record of unknown shape whose tail is not trusted.
    if (payload.size() == kOscilExchangeV2Size) {
        received.ext_version = readBE16(payload.data() + 40);
        received.TR_position = readBE32(payload.data() + 42);
    } else {
        received.ext_version = 0;
        received.TR_position = 0;
    }
    rec = received;
    return true;
}

bool compose_OscilEeprom(std::span<const std::uint8_t> packet, SOscil_EEPROM& rec) {
    const auto payload = ReplyPayload(packet);
    if (payload.size() != kOscilEepromSize)
        return false;
    const SOscil_EEPROM received = DeserializeOscilEeprom(payload.first<kOscilEepromSize>(), ByteOrder::Big);
    if (received.size != kOscilEepromSize || received.state != 1)
        return false;
    rec = received;
    return true;
}

bool compose_tModuleDescription(std::span<const std::uint8_t> packet, tmodule_desc& rec) {
    const auto payload = ReplyPayload(packet);
    if (payload.size() != kModuleDescSize)
        return false;
    rec = DeserializeModuleDesc(payload.first<kModuleDescSize>());
    return true;
}

bool compose_tmodule_exchange(std::span<const std::uint8_t> packet, tmodule_exchange& rec) {
    const auto payload = ReplyPayload(packet);
    if (payload.size() != kModuleExchangeSize)
        return false;
    rec = DeserializeModuleExchange(payload.first<kModuleExchangeSize>());
    return true;
}

bool compose_tsimple_FAT(std::span<const std::uint8_t> packet, tsimple_FAT& rec) {
    return DecodeSimpleFat(ReplyPayload(packet), rec);
}

bool compose_CommInitAnswer(std::span<const std::uint8_t> packet, CommInitAnswer& out, std::string& log) {
    const auto payload = ReplyPayload(packet);
    const auto tooShort = [&](std::size_t required) {
        log = StrFormat("ERROR: dat v bufferu (%d) je moc malo::Pozadovano %d ",
                        static_cast<int>(payload.size()), static_cast<int>(required));
        return false;
    };
    if (payload.size() < kCommInitShortSize)
        return tooShort(kCommInitShortSize);
    if (payload.size() > kCommInitShortSize && payload.size() < kCommInitLongSize)
        return tooShort(kCommInitLongSize);

    CommInitAnswer a;
    const std::uint8_t* p = payload.data();
    a.retVal = readBE32(p);
    a.retMode = readBE32(p + 4);
    a.retStatus = readBE32(p + 8);
    if (payload.size() == kCommInitShortSize) {
        log = "\nIvoraMain neprisla";
    } else {
        a.mainAutomat = true;
        a.mainId1 = readBE32(p + 12);
        a.mainId2 = readBE32(p + 16);
        std::size_t at = 20;
        for (auto* table : {&a.tableId, &a.tableParam1, &a.tableParam2})
            for (auto& v : *table) {
                v = readBE32(p + at);
                at += 4;
            }
        log = "\nIvoraMain Prisla!!";
    }
    out = a;
    return true;
}

bool compose_TesterPresentAnswer(std::span<const std::uint8_t> packet, TesterPresentAnswer& out,
                                 std::string& error) {
    if (packet.size() != kTesterPresentAnswerSize) {
        constexpr std::size_t kShown = 32;
        std::string data;
        for (std::size_t i = 0; i < std::min(packet.size(), kShown); ++i)
            data += StrFormat(" 0x%X", static_cast<unsigned>(packet[i]));
        if (packet.size() > kShown)
            data += "  ...";
        error = StrFormat("Prijata delka dat je: %d, ocekavano: %d\nPrijata data: %s",
                          static_cast<int>(packet.size()), static_cast<int>(kTesterPresentAnswerSize),
                          data.c_str());
        return false;
    }
    out = {readBE32(packet.data() + 8), readBE32(packet.data() + 12), readBE32(packet.data() + 16)};
    return true;
}

} // namespace wavix
