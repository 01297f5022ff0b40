#include "core/scope/channeldata.h"
#include "core/scope/engprefix.h"
#include "core/scope/scopedata.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

using namespace wavix;

namespace {

std::filesystem::path writeFile(const std::string& name, const std::string& text) {
    const auto path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

tOscilExchange record(int step, std::uint16_t mode = TM_AUTO) {
    tOscilExchange r = DefaultOscilExchange();
    r.time_base_ENUM = static_cast<std::uint32_t>(step);
    r.TR_mode = mode;
    return r;
}

} // namespace

TEST(EngineeringPrefix, ScalesBothWaysAndKnowsWhenNothingFits) {
    struct Case {
        double x;
        double value;
        const char* prefix;
    };
    const Case fits[] = {{0.0, 0.0, ""},      {5.0, 5.0, ""},    {-999.0, -999.0, ""}, {0.0001, 100.0, "u"},
                         {-0.002, -2.0, "m"}, {3e-12, 3.0, "p"}, {1000.0, 1.0, "k"},   {2.5e6, 2.5, "M"},
                         {1e6, 1000.0, "k"},  {7e12, 7.0, "T"}};
    for (const Case& c : fits) {
        const auto e = EngineeringPrefix(c.x);
        ASSERT_TRUE(e) << c.x;
        EXPECT_NEAR(e->value, c.value, 1e-9 * std::max(1.0, std::fabs(c.value))) << c.x;
        EXPECT_EQ(e->prefix, c.prefix) << c.x;
    }
    for (const double x : {1e-16, 5e15, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(EngineeringPrefix(x)) << x;
}

TEST(ChannelTexts, FormatsFollowTheSettingsProbeAndZoom) {
    CChannelData ch;
    ch.ApplySettings(record(1), 1);
    EXPECT_EQ(ch.TimeText(), "100.00 us/dílek");
    EXPECT_EQ(ch.TimeText(1.0, 10.0), "1.00 ms");
    EXPECT_EQ(ch.TimeText(0.0), "100.00 us/dílek"); // no zoom, not a division by zero
    ch.ApplySettings(record(12), 1);
    EXPECT_EQ(ch.TimeText(), "1.00 s/dílek");
    EXPECT_EQ(ch.TimeText(4.0), "250.00 ms/dílek");
    EXPECT_EQ(ch.RangeText(), "1.00 V/dílek");
    EXPECT_EQ(ch.RangeText(6.0), "6.00 V");
    EXPECT_EQ(ch.CouplingText(), "DC");
    EXPECT_EQ(ch.EdgeText(), "Náběžná");
    ch.ApplySettings(record(12, TM_SINGLE | kStopBit), 1);
    EXPECT_EQ(ch.TriggerModeText(), "SINGLE");

    // Level 511 is the centre; 6 divisions of 1 V over 1023 counts.
    EXPECT_EQ(ch.TriggerLevelText(false), "0.00 V");
    ch.MoveOffset(341);
    EXPECT_EQ(ch.TriggerLevelText(false), "2.00 V");
    EXPECT_EQ(ch.TriggerLevelText(true), "4.00 V");
    ch.SetDisplayGeometry(6, true);
    EXPECT_EQ(ch.TriggerLevelText(false), "4.00 V");

    std::array<std::uint8_t, kProbeRecordSize> probe{};
    CChannelProbe p;
    ASSERT_TRUE(p.Load(writeFile("amp.ini", "[PROBE]\nName=Clamp\nUnits=A\nRatio=0.1\nAlowedChannels=F\n")));
    p.ExportRecord(probe, ByteOrder::Little);
    ASSERT_TRUE(ch.ImportProbeRecord(probe, ByteOrder::Little));
    EXPECT_EQ(ch.RangeText(), "10.00 A/dílek");
    EXPECT_EQ(ch.TriggerLevelText(false), "40.00 A");
}

TEST(ChannelTexts, LanguageTextsReplaceAllThreeOrNone) {
    CChannelData ch;
    ch.ApplySettings(record(12), 1);
    ch.LoadLanguageTexts(writeFile("partial.lng", "[LANG]\nTXT_500=div\nTXT_501=Rising\n"));
    EXPECT_EQ(ch.TimeText(), "1.00 s/dílek");
    EXPECT_EQ(ch.EdgeText(), "Náběžná");
    ch.LoadLanguageTexts(writeFile("full.lng", "[LANG]\nTXT_500=div\nTXT_501=Rising\nTXT_502=Falling\n"));
    EXPECT_EQ(ch.TimeText(), "1.00 s/div");
    tOscilExchange r = record(12);
    r.TR_rising = 0;
    ch.ApplySettings(r, 1);
    EXPECT_EQ(ch.EdgeText(), "Falling");
    r.TR_rising = 7;
    ch.ApplySettings(r, 1);
    EXPECT_EQ(ch.EdgeText(), "Neznámá");
}

TEST(ChannelRecords, HeaderRoundTripsInBothByteOrders) {
    tOscilExchange r = record(9, TM_NORM | kStopBit);
    r.CH3_mux = 6;
    r.CH3_dc_on = CPL_AC;
    r.time_base = 640;
    r.TR_channel = 3;
    r.TR_level = 900;
    r.TR_rising = 0;
    CChannelData src;
    src.ApplySettings(r, 3);

    std::array<std::uint8_t, kChannelHeaderSize> le{};
    std::array<std::uint8_t, kChannelHeaderSize> be{};
    src.ExportHeader(le, ByteOrder::Little);
    src.ExportHeader(be, ByteOrder::Big);
    EXPECT_EQ(le[0], 3);
    EXPECT_EQ(be[1], 3);
    EXPECT_EQ(le[16] | le[17] << 8 | le[18] << 16, 50000); // capacity of step 9
    EXPECT_EQ(be[22] | be[23], 0);

    for (const auto& [bytes, order] : {std::pair{le, ByteOrder::Little}, std::pair{be, ByteOrder::Big}}) {
        CChannelData dst;
        dst.SetDisplayGeometry(6, true);
        dst.ImportHeader(bytes, order);
        EXPECT_TRUE(dst.IsValid());
        EXPECT_FALSE(dst.IsHalfMode());
        EXPECT_FLOAT_EQ(dst.GetVoltPerDiv(), 20.0f);
        EXPECT_FLOAT_EQ(dst.GetMsPerDiv(), 50.0f);
        EXPECT_EQ(dst.GetTriggerMode(), TM_NORM | kStopBit);
        EXPECT_TRUE(dst.IsTriggerChannel());
        std::array<std::uint8_t, kChannelHeaderSize> again{};
        dst.ExportHeader(again, order);
        EXPECT_EQ(again, bytes);
    }

    // A damaged header cannot push the capacity past the sample store.
    le[16] = le[17] = le[18] = le[19] = 0xFF;
    CChannelData dst;
    dst.ImportHeader(le, ByteOrder::Little);
    EXPECT_EQ(dst.GetCapacity(), kMaxSamples);
}

TEST(ChannelRecords, ProbeRecordTextsAreCutToFitAndAlwaysTerminated) {
    CChannelProbe p;
    // Thirty characters in a field of 29: the record holds them in Windows-1250,
    // one byte each, so the cut takes the last letter whole.
    const std::string longName = std::string(28, 'x') + "áé";
    ASSERT_TRUE(p.Load(writeFile("long.ini", "[PROBE]\nName=" + longName + "\nUnits=" + std::string(40, 'u') +
                                                 "\nRatio=2.5\nAlowedChannels=3\n")));
    std::array<std::uint8_t, kProbeRecordSize> rec{};
    rec.fill(0xEE);
    p.ExportRecord(rec, ByteOrder::Big);
    EXPECT_EQ(rec[32], 0xE1);
    EXPECT_EQ(rec[33], 0);
    EXPECT_EQ(rec[63], 0);
    EXPECT_EQ(rec[3], 1);

    CChannelProbe q;
    ASSERT_TRUE(q.ImportRecord(rec, ByteOrder::Big));
    EXPECT_EQ(q.GetName(), std::string(28, 'x') + "á");
    EXPECT_EQ(q.GetUnits(), std::string(29, 'u'));
    EXPECT_FLOAT_EQ(q.GetRatio(), 2.5f);
    EXPECT_TRUE(q.IsLoaded());

    // A record from a bad file: no terminator anywhere, ratio not a number.
    std::array<std::uint8_t, kProbeRecordSize> bad{};
    bad.fill('z');
    std::fill(bad.begin() + 64, bad.end(), std::uint8_t{0xFF});
    CChannelProbe r;
    EXPECT_FALSE(r.ImportRecord(bad, ByteOrder::Little));
    EXPECT_EQ(r.GetName(), std::string(29, 'z'));
    EXPECT_FLOAT_EQ(r.GetRatio(), 1.0f);
}

TEST(ChannelProbe, LoadRefusesEveryBadFileAndKeepsThePreviousProbe) {
    struct Case {
        const char* what;
        const char* text;
    };
    const Case bad[] = {
        {"no mask", "Name=P\nUnits=A\nRatio=2\n"},
        {"zero mask", "Name=P\nUnits=A\nRatio=2\nAlowedChannels=0\n"},
        {"no name", "Units=A\nRatio=2\nAlowedChannels=1\n"},
        {"no units", "Name=P\nRatio=2\nAlowedChannels=1\n"},
        {"empty ratio", "Name=P\nUnits=A\nRatio=\nAlowedChannels=1\n"},
        {"zero ratio", "Name=P\nUnits=A\nRatio=0\nAlowedChannels=1\n"},
        {"negative ratio", "Name=P\nUnits=A\nRatio=-2\nAlowedChannels=1\n"},
        {"nan ratio", "Name=P\nUnits=A\nRatio=nan\nAlowedChannels=1\n"},
        {"inf ratio", "Name=P\nUnits=A\nRatio=inf\nAlowedChannels=1\n"},
        {"float overflow", "Name=P\nUnits=A\nRatio=1e300\nAlowedChannels=1\n"},
        {"trailing junk", "Name=P\nUnits=A\nRatio=2.5x\nAlowedChannels=1\n"},
        {"decimal comma", "Name=P\nUnits=A\nRatio=2,5\nAlowedChannels=1\n"},
    };
    CChannelProbe p;
    // Probe files of the Windows programs are in their code page.
    ASSERT_TRUE(p.Load(
        writeFile("cp1250.ini", "[PROBE]\nName=Kle\x9At\xEC\nUnits=A\nRatio=+1e-3\nAlowedChannels=1\n")));
    EXPECT_EQ(p.GetName(), "Kleště");
    EXPECT_EQ(p.GetRatioText(), "0.00");
    ASSERT_TRUE(
        p.Load(writeFile("good.ini", "[PROBE]\nName=Good\nUnits=bar\nRatio=0.25\nAlowedChannels=1\n")));
    EXPECT_EQ(p.GetRatioText(), "0.25");
    for (const Case& c : bad) {
        EXPECT_FALSE(p.Load(writeFile("bad.ini", std::string("[PROBE]\n") + c.text))) << c.what;
        EXPECT_EQ(p.GetName(), "Good") << c.what;
        EXPECT_FLOAT_EQ(p.GetRatio(), 0.25f) << c.what;
    }
    EXPECT_FALSE(p.Load(std::filesystem::path(::testing::TempDir()) / "missing.ini"));
    p.Reset();
    EXPECT_EQ(p.GetName(), " - none - ");
    EXPECT_EQ(p.GetUnits(), " - ");
    EXPECT_FALSE(p.IsLoaded());
    EXPECT_EQ(p.GetAllowedChannels(), 0u);
}

TEST(ChannelOwner, ChannelsForwardToTheirOwnerAndAnnounceTheirOwnChanges) {
    CRecordingTarget main;
    CRecordingTarget window;
    CScopeData data;
    data.SetMainWindow(&main);
    data.SetSettings(DefaultOscilExchange(), false);
    CChannelData& ch2 = data.GetChannel(2);
    EXPECT_EQ(ch2.GetName(), " Kanál 2 ");
    EXPECT_EQ(ch2.GetColor(), 0x00249339u);
    ch2.SetWindow(&window);

    ch2.RangeUp();
    ch2.SetAsTriggerChannel();
    EXPECT_EQ(data.GetSettings().CH2_mux, 3);
    EXPECT_EQ(data.GetSettings().TR_channel, 2);

    tOscilExchange r = data.GetSettings();
    data.AcceptSettings([&] {
        r.chann_num = 2;
        return r;
    }());
    main.clear();
    ASSERT_FALSE(data.IsDirty());
    ch2.MoveOffset(-5);
    ch2.SetColor(0x00FF0000);
    ch2.SetQuiet(true);
    ch2.SetColor(0x0000FF00);
    EXPECT_FALSE(data.IsDirty()); // own changes are not edits of the record
    const std::vector<PostedMessage> expected{
        {Msg::UWM_SCOPE_DATA, 2, Encode(ScopeDataNotice::NewSamples)},
        {Msg::UWM_CHANNEL_DATA_CTRL, 2, Encode(ChannelDataNotice::Changed)},
        {Msg::UWM_SCOPE_DATA, 2, Encode(ScopeDataNotice::NewSamples)},
        {Msg::UWM_CHANNEL_DATA_CTRL, 2, Encode(ChannelDataNotice::Changed)}};
    EXPECT_EQ(main.messages, expected);
    EXPECT_EQ(window.messages, (std::vector<PostedMessage>{
                                   {Msg::UWM_CHANNEL_DATA_CTRL, 2, Encode(ChannelDataNotice::Changed)},
                                   {Msg::UWM_CHANNEL_DATA_CTRL, 2, Encode(ChannelDataNotice::Changed)}}));
    EXPECT_EQ(ch2.GetOffset(), -5);

    // A free-standing channel edits nothing and still says goodbye to its window.
    CRecordingTarget freeWindow;
    {
        CChannelData alone;
        alone.SetWindow(&freeWindow);
        alone.SetChannel(4);
        alone.RangeUp();
        alone.NextTriggerMode();
        alone.ChannelCountUp();
        EXPECT_TRUE(freeWindow.messages.empty());
    }
    EXPECT_EQ(freeWindow.messages, (std::vector<PostedMessage>{{Msg::UWM_CHANNEL_DATA_CTRL, 4,
                                                                Encode(ChannelDataNotice::Released)}}));
}
