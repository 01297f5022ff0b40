// The channel options window's list and the UWM_CHANNEL_OPTIONS_CTRL protocol.

#include "core/app/channeloptionslist.h"
#include "core/scope/channeldata.h"
#include "core/scope/scopedata.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace wavix {
namespace {

using Effect = CChannelOptionsList::Effect;

std::intptr_t ptr(CChannelData& ch) {
    return reinterpret_cast<std::intptr_t>(&ch);
}

class ChannelOptionsListTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t i = 0; i < channels_.size(); ++i)
            channels_[i].SetChannel(static_cast<int>(i) + 1);
    }
    std::array<CChannelData, 10> channels_;
    CChannelOptionsList list_;
};

TEST_F(ChannelOptionsListTest, RearrangementSequenceFillsTheChooserAndShowsTheFirstChannel) {
    EXPECT_EQ(list_.OnControl(0, Encode(ChannelOptionsNotice::Refresh)), Effect::None); // nothing shown yet
    EXPECT_EQ(list_.OnControl(0, Encode(ChannelOptionsNotice::Clear)), Effect::Refill);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(list_.OnControl(ptr(channels_[static_cast<std::size_t>(k)]),
                                  Encode(ChannelOptionsNotice::Append)),
                  Effect::Refill);
    EXPECT_EQ(list_.OnControl(1, Encode(ChannelOptionsNotice::Show)), Effect::Show);
    EXPECT_EQ(list_.ChooserEntries(), (std::vector<std::string>{"Channel 1", "Channel 2", "Channel 3"}));
    EXPECT_EQ(list_.Shown(), &channels_[0]);
    EXPECT_EQ(list_.OnControl(0, Encode(ChannelOptionsNotice::Refresh)), Effect::Show);

    // A panel click on channel 3 shows it; on an unlisted channel nothing changes.
    EXPECT_EQ(list_.OnControl(3, Encode(ChannelOptionsNotice::Show)), Effect::Show);
    EXPECT_EQ(list_.ShownIndex(), 2);
    EXPECT_EQ(list_.OnControl(4, Encode(ChannelOptionsNotice::Show)), Effect::None);
    EXPECT_EQ(list_.ShownIndex(), 2);

    // Clearing forgets the shown channel too.
    list_.OnControl(0, Encode(ChannelOptionsNotice::Clear));
    EXPECT_EQ(list_.Count(), 0u);
    EXPECT_EQ(list_.Shown(), nullptr);
    EXPECT_EQ(list_.OnControl(0, Encode(ChannelOptionsNotice::Refresh)), Effect::None);
}

TEST_F(ChannelOptionsListTest, ATenthChannelOrANullOneIsRefusedAndTheListStaysIntact) {
    for (std::size_t i = 0; i < kChannelOptionsMax; ++i)
        ASSERT_EQ(list_.OnControl(ptr(channels_[i]), Encode(ChannelOptionsNotice::Append)), Effect::Refill);
    EXPECT_EQ(list_.OnControl(ptr(channels_[9]), Encode(ChannelOptionsNotice::Append)), Effect::Refused);
    EXPECT_EQ(list_.OnControl(0, Encode(ChannelOptionsNotice::Append)), Effect::Refused);
    EXPECT_EQ(list_.Count(), kChannelOptionsMax);
    EXPECT_FALSE(list_.Contains(&channels_[9]));
    EXPECT_EQ(list_.ChooserEntries().back(), "Channel 9");
    EXPECT_FALSE(list_.ShowIndex(9));
    EXPECT_FALSE(list_.ShowNumber(10));
}

TEST_F(ChannelOptionsListTest, AQuietChannelSwitchesEditingOffUntilAnEditableOneIsAppended) {
    channels_[1].SetQuiet(true);
    list_.Append(&channels_[0]);
    EXPECT_TRUE(list_.EditingEnabled());
    list_.Append(&channels_[1]);
    EXPECT_FALSE(list_.EditingEnabled());
    list_.Append(&channels_[2]);
    EXPECT_TRUE(list_.EditingEnabled());
}

TEST(ChannelOptionsControls, GainUpDownStepsTheRangeAndTheFieldsDescribeTheChannel) {
    CScopeData data;
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = 2;
    rec.CH2_mux = 4;
    rec.CH2_dc_on = CPL_DC;
    data.SetSettings(rec, false);
    CChannelData& ch = data.GetChannel(2);
    ch.ApplySettings(rec, 2);

    CChannelOptionsList::StepGain(ch, -1);
    EXPECT_EQ(data.GetSettings().CH2_mux, 5);
    CChannelOptionsList::StepGain(ch, 1);
    CChannelOptionsList::StepGain(ch, 1);
    EXPECT_EQ(data.GetSettings().CH2_mux, 3);
    CChannelOptionsList::StepGain(ch, 0);
    EXPECT_EQ(data.GetSettings().CH2_mux, 3);

    // Offset: a tenth of a division (1024 counts over 6) per step, centre kept on the screen.
    CChannelOptionsList::StepOffset(ch, 1);
    EXPECT_EQ(ch.GetOffset(), 17);
    CChannelOptionsList::StepOffset(ch, -3);
    EXPECT_EQ(ch.GetOffset(), -34);
    for (int i = 0; i < 40; ++i)
        CChannelOptionsList::StepOffset(ch, 1);
    EXPECT_EQ(ch.GetOffset(), CChannelOptionsList::kOffsetLimit);

    const ChannelOptionsView v = CChannelOptionsList::Describe(ch);
    EXPECT_EQ(v.title, "Channel 2");
    EXPECT_EQ(v.coupling, CPL_DC);
    EXPECT_EQ(v.gain, ch.RangeText(1.0));
    EXPECT_EQ(v.probeName, "Name:  - none - ");
    EXPECT_EQ(v.probeRatio, "Ratio: 1.00");
    EXPECT_EQ(v.probeUnits, "Units:  - ");
}

} // namespace
} // namespace wavix
