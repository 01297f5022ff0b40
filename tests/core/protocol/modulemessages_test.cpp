#include "core/protocol/modulemessages.h"

#include "core/support/bytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace wavix {
namespace {

std::vector<std::uint8_t> bytesOf(const Packet& p) {
    return {p.data.get(), p.data.get() + p.size};
}

// A received packet: full header, then the payload.
std::vector<std::uint8_t> reply(std::uint16_t command, std::size_t payloadSize, std::uint16_t status = 0) {
    // Bounded, so GCC 12 at -O3 cannot take the size for a wrapped zero and the
    // storage for possibly null.
    payloadSize = std::min(payloadSize, kMaxPayloadSize);
    std::vector<std::uint8_t> v(kPacketHeaderSize + payloadSize);
    v[0] = kStartByte1;
    v[1] = kStartByte2;
    writeBE16(&v[2], command);
    writeBE16(&v[4], 0x0042);
    writeBE16(&v[6], status);
    for (std::size_t i = 0; i < payloadSize; ++i)
        v[kPacketHeaderSize + i] = static_cast<std::uint8_t>(0x30 + i);
    return v;
}

tOscilExchange sampleRecord(std::uint16_t version) {
    tOscilExchange r = DefaultOscilExchange();
    r.version = version;
    r.chann_num = 3;
    r.time_base_ENUM = 0x01020304;
    r.TR_level = 600;
    r.ext_version = 2;
    r.TR_position = 0xA1B2C3D4;
    return r;
}

struct BareRequest {
    Packet (*build)();
    std::uint16_t command;
};

TEST(ModuleRequests, BareRequestsAreTheFourByteHeader) {
    const BareRequest cases[] = {
        {BuildEchoRequest, 0x0000},
        {BuildStopModuleRequest, 0x0001},
        {BuildStopModule2Request, 0x0100},
        {BuildRunOscilRequest, 0x0043},
        {BuildAskForScopeDataRequest, 0x0080},
        {BuildAskForOscilExchangeRequest, 0x0082},
        {BuildScopeSafeDisconnectRequest, 0x0083},
        {BuildAskForOscilEepromRequest, 0x0084},
        {BuildAskForModuleExchangeRequest, 0x0040},
        {BuildAskForMenuRequest, 0x0041},
        {BuildAskForMenuNextRequest, 0x0055},
    };
    for (const auto& c : cases) {
        const auto bytes = bytesOf(c.build());
        const std::vector<std::uint8_t> expected{0x10, 0x02, static_cast<std::uint8_t>(c.command >> 8),
                                                 static_cast<std::uint8_t>(c.command)};
        EXPECT_EQ(bytes, expected) << std::hex << c.command;
    }
}

TEST(ModuleRequests, SettingsRecordLengthFollowsItsVersion) {
    for (const auto& [version, size] : {std::pair{2, 50u}, std::pair{1, 44u}, std::pair{7, 44u}}) {
        const auto rec = sampleRecord(static_cast<std::uint16_t>(version));
        const auto bytes = bytesOf(BuildSetOscilExchangeRequest(rec));
        ASSERT_EQ(bytes.size(), size) << version; // the record's own layout: OscilExchangeWire
        EXPECT_EQ(readBE16(&bytes[2]), 0x0081);
        EXPECT_EQ(readBE16(&bytes[4]), version);
    }
}

// The calibration header carries only the record's first twelve bytes.
TEST(ModuleRequests, CalibrationHeaderAndDiagnosticPayloadsAreBigEndian) {
    SOscil_EEPROM rec = DefaultCalibration();
    rec.state = 1;
    rec.reserved1 = 0x1234;
    rec.year = 0x2024;
    rec.month = 0x05;
    rec.day = 0x17;
    EXPECT_EQ(bytesOf(BuildSetOscilEepromHeaderRequest(rec)),
              (std::vector<std::uint8_t>{0x10, 0x02, 0x00, 0x85, 0x00, 0x01, 0x00, 0xCC, 0x12, 0x34, 0x00,
                                         0x00, 0x17, 0x05, 0x20, 0x24}));
    EXPECT_EQ(
        bytesOf(BuildIvoraCommInitRequest(1, 0x10000, 0xABCDEF01)),
        (std::vector<std::uint8_t>{0x10, 0x02, 0x00, 0x60, 0, 0, 0, 1, 0, 1, 0, 0, 0xAB, 0xCD, 0xEF, 0x01}));
    EXPECT_EQ(bytesOf(BuildAskForTableRequest(9)),
              (std::vector<std::uint8_t>{0x10, 0x02, 0x00, 0x63, 0, 0, 0, 9}));
    EXPECT_EQ(bytesOf(BuildAskForDictInfoRequest("D1.DIC")),
              (std::vector<std::uint8_t>{0x10, 0x02, 0x00, 0x44, 'D', '1', '.', 'D', 'I', 'C', 0}));
}

TEST(ModuleRequests, DictionaryNameKeepsNonZeroCharactersOfTheChosenField) {
    tmodule_desc desc;
    const char full[10] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'}; // no terminator
    std::copy(std::begin(full), std::end(full), desc.Dict0.begin());
    desc.Dict1[0] = 'x';
    desc.Dict1[2] = 'y'; // a hole is skipped, not a terminator
    EXPECT_EQ(DictionaryFileName(desc, 0), "ABCDEFGHIJ");
    EXPECT_EQ(DictionaryFileName(desc, 1), "xy");
    EXPECT_EQ(DictionaryFileName(desc, 2), std::nullopt);
    EXPECT_EQ(DictionaryFileName(desc, -1), std::nullopt);
}

TEST(ModuleReplies, ExactLengthAnswersRefuseOneByteMoreOrLess) {
    using Compose = bool (*)(std::span<const std::uint8_t>);
    const std::pair<Compose, std::size_t> cases[] = {
        {compose_EchoAnswer, 0},
        {compose_RunOscilAnswer, 0},
        {[](std::span<const std::uint8_t> p) {
             tmodule_desc r;
             return compose_tModuleDescription(p, r);
         },
         176},
        {[](std::span<const std::uint8_t> p) {
             tmodule_exchange r;
             return compose_tmodule_exchange(p, r);
         },
         148},
        {[](std::span<const std::uint8_t> p) {
             tsimple_FAT r;
             return compose_tsimple_FAT(p, r);
         },
         32},
    };
    for (const auto& [compose, size] : cases) {
        EXPECT_TRUE(compose(reply(0x8000, size))) << size;
        EXPECT_FALSE(compose(reply(0x8000, size + 1))) << size;
        if (size > 0) {
            EXPECT_FALSE(compose(reply(0x8000, size - 1))) << size;
        }
        EXPECT_FALSE(compose(std::vector<std::uint8_t>(7, 0))) << size;
    }
}

TEST(ModuleReplies, RecordsKeepTheirFieldOffsets) {
    tmodule_desc desc;
    desc.Mserial = 0x11223344;
    desc.MType = 0x5566;
    desc.res1 = 0x99AABBCC;
    desc.Dict1[9] = 'z';
    std::array<std::uint8_t, kModuleDescSize> image{};
    SerializeModuleDesc(desc, image);
    EXPECT_EQ(readBE32(&image[6]), 0x11223344u);
    EXPECT_EQ(readBE16(&image[118]), 0x5566);
    EXPECT_EQ(image[139], 'z');
    EXPECT_EQ(readBE32(&image[172]), 0x99AABBCCu);
    auto packet = reply(0x8042, 0);
    packet.insert(packet.end(), image.begin(), image.end());
    tmodule_desc back;
    ASSERT_TRUE(compose_tModuleDescription(packet, back));
    EXPECT_EQ(back, desc);
}

TEST(ModuleReplies, SettingsAnswerByPayloadLength) {
    struct Case {
        std::size_t payload;
        bool ok;
        bool extFields;
    };
    const Case cases[] = {{46, true, true},   {44, true, false},  {45, true, false}, {47, true, false},
                          {43, false, false}, {40, false, false}, {0, false, false}};
    const auto source = sampleRecord(2);
    for (const auto& c : cases) {
        std::array<std::uint8_t, 46> image{};
        SerializeOscilExchange(source, image);
        auto packet = reply(0x8082, c.payload);
        std::copy_n(image.begin(), std::min<std::size_t>(c.payload, 46), packet.begin() + 8);

        tOscilExchange target = DefaultOscilExchange();
        target.TR_level = 7;
        const tOscilExchange before = target;
        ASSERT_EQ(compose_OscilExchange(packet, target), c.ok) << c.payload;
        if (!c.ok) {
            EXPECT_EQ(target, before) << "a refused answer must not touch the record";
            continue;
        }
        EXPECT_EQ(target.TR_level, 600);
        EXPECT_EQ(target.chann_num, 3);
        EXPECT_EQ(target.ext_version, c.extFields ? 2 : 0) << c.payload;
        EXPECT_EQ(target.TR_position, c.extFields ? 0xA1B2C3D4u : 0u) << c.payload;
    }
}

TEST(ModuleReplies, CalibrationAnswerChecksLengthSizeWordAndState) {
    struct Case {
        const char* what;
        std::size_t payload;
        std::uint16_t state;
        std::uint16_t size;
        bool ok;
    };
    const Case cases[] = {{"good", 204, 1, 204, true},
                          {"state 0", 204, 0, 204, false},
                          {"size word", 204, 1, 200, false},
                          {"short", 203, 1, 204, false},
                          {"long", 205, 1, 204, false}};
    SOscil_EEPROM source = DefaultCalibration();
    source.entries[3][7].gainPos = 0xBEEF;
    for (const auto& c : cases) {
        source.state = c.state;
        source.size = c.size;
        std::array<std::uint8_t, kOscilEepromSize> image{};
        SerializeOscilEeprom(source, image, ByteOrder::Big);
        auto packet = reply(0x8084, c.payload);
        std::copy_n(image.begin(), std::min(c.payload, kOscilEepromSize), packet.begin() + 8);

        SOscil_EEPROM target = DefaultCalibration();
        const SOscil_EEPROM before = target;
        ASSERT_EQ(compose_OscilEeprom(packet, target), c.ok) << c.what;
        EXPECT_EQ(target, c.ok ? source : before) << c.what;
    }
}

TEST(ModuleReplies, CommInitShortLongAndTruncatedForms) {
    std::string log;
    CommInitAnswer a;
    auto shortForm = reply(0x8060, 12);
    writeBE32(&shortForm[8], 7);
    writeBE32(&shortForm[16], 9);
    ASSERT_TRUE(compose_CommInitAnswer(shortForm, a, log));
    EXPECT_EQ(a.retVal, 7u);
    EXPECT_EQ(a.retStatus, 9u);
    EXPECT_FALSE(a.mainAutomat);
    EXPECT_EQ(log, "\nIvoraMain neprisla");

    auto longForm = reply(0x8060, kCommInitLongSize);
    writeBE32(&longForm[8 + 12], 0x100);
    writeBE32(&longForm[8 + 20 + 14 * 4], 0x214);           // last table id
    writeBE32(&longForm[8 + kCommInitLongSize - 4], 0x314); // last second parameter
    ASSERT_TRUE(compose_CommInitAnswer(longForm, a, log));
    EXPECT_TRUE(a.mainAutomat);
    EXPECT_EQ(a.mainId1, 0x100u);
    EXPECT_EQ(a.tableId[14], 0x214u);
    EXPECT_EQ(a.tableParam2[14], 0x314u);
    EXPECT_EQ(log, "\nIvoraMain Prisla!!");

    const CommInitAnswer kept = a;
    EXPECT_FALSE(compose_CommInitAnswer(reply(0x8060, 11), a, log));
    EXPECT_EQ(log, "ERROR: dat v bufferu (11) je moc malo::Pozadovano 12 ");
    // A long form that stops short of its tables must not be read past its end.
    EXPECT_FALSE(compose_CommInitAnswer(reply(0x8060, 20), a, log));
    EXPECT_EQ(log, "ERROR: dat v bufferu (20) je moc malo::Pozadovano 200 ");
    EXPECT_EQ(a.mainId1, kept.mainId1);
}

TEST(ModuleReplies, TesterPresentAnswerAndItsErrorText) {
    auto good = reply(0x8070, 12);
    writeBE32(&good[8], 1);
    writeBE32(&good[12], 4);
    writeBE32(&good[16], 0x10000);
    TesterPresentAnswer a;
    std::string error;
    ASSERT_TRUE(compose_TesterPresentAnswer(good, a, error));
    EXPECT_EQ(a.r, 1u);
    EXPECT_EQ(a.mode, 4u);
    EXPECT_EQ(a.status, 0x10000u);
    EXPECT_TRUE(error.empty());

    const auto shortOne = std::vector<std::uint8_t>(good.begin(), good.begin() + 19);
    EXPECT_FALSE(compose_TesterPresentAnswer(shortOne, a, error));
    EXPECT_TRUE(error.starts_with(
        "Prijata delka dat je: 19, ocekavano: 20\nPrijata data:  0x10 0x2 0x80 0x70 0x0 0x42"))
        << error;
    EXPECT_EQ(error.find("..."), std::string::npos);

    const auto longOne = reply(0x8070, 40);
    EXPECT_FALSE(compose_TesterPresentAnswer(longOne, a, error));
    EXPECT_EQ(error.substr(0, 40), "Prijata delka dat je: 48, ocekavano: 20\n");
    EXPECT_TRUE(error.ends_with(" 0x46 0x47  ...")) << error; // byte 31 is the last one shown
}

} // namespace
} // namespace wavix
