#include "core/support/messagecodes.h"
#include "core/support/messages.h"
#include "core/support/ticksource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace wavix {

TEST(Messages, RegistrationStringsAreDistinctAndKeepTheirBlanks) {
    std::set<std::string, std::less<>> seen;
    for (int i = 0; i < kMsgCount; ++i) {
        const auto msg = static_cast<Msg>(i);
        EXPECT_TRUE(seen.emplace(registrationString(msg)).second) << messageName(msg);
        EXPECT_NE(registrationString(msg).find(messageName(msg)), std::string_view::npos);
    }
    // Leading blanks are part of some names; another process registers the same strings.
    EXPECT_EQ(registrationString(Msg::UWM_SCOPE_DATA).front(), ' ');
}

// The values are what the windows post to each other: none may move.
TEST(MessageCodes, KeepTheirValuesAndSurviveTheRoundTrip) {
    const std::pair<ModuleEvent, std::intptr_t> events[] = {
        {ModuleEvent::Initialised, 0x010201},    {ModuleEvent::Received, 0x010301},
        {ModuleEvent::QueueFull, 0x010101},      {ModuleEvent::Stopped, 0x010210},
        {ModuleEvent::ScopeRunning, 0x020201},   {ModuleEvent::GroupConverted, 0x020203},
        {ModuleEvent::SettingsDirty, 0x020205},  {ModuleEvent::GroupOverflow, 0x020105},
        {ModuleEvent::TooManySamples, 0x02010D},
    };
    for (const auto& [event, word] : events) {
        EXPECT_EQ(Encode(event), word);
        EXPECT_EQ(DecodeModuleEvent(word), event);
        EXPECT_EQ(ModuleEventWord(PhaseOf(event), ResultOf(event), EventNumberOf(event)),
                  static_cast<std::uint32_t>(word));
    }
    EXPECT_EQ(DecodeModuleEvent(std::intptr_t{0x7F020203}), ModuleEvent::GroupConverted)
        << "three bytes only";

    EXPECT_EQ(Encode(ScopeDataNotice::NewSamples), 8);
    EXPECT_EQ(Encode(ChannelNotice(3)), 3);
    EXPECT_EQ(Decode<ScopeDataNotice>(13), ScopeDataNotice::TriggerPosition);
    EXPECT_EQ(Encode(ViewNotice::Button2), 9);
    EXPECT_EQ(Encode(ToolbarCommand::RollLog), 13);
    EXPECT_EQ(Encode(ToolbarState::ChannelCount), 8);
    EXPECT_EQ(Encode(LogChartNotice::DisplayMode), 2);
    EXPECT_EQ(Encode(ChannelOptionsNotice::Refresh), 3);
    EXPECT_EQ(Encode(ChannelDataNotice::Released), 2);
    EXPECT_EQ(Encode(TrafficNotice::ReceivedPerTenth), 4);
    EXPECT_EQ(Encode(PanelNotice::LabelClicked), 30);
    EXPECT_EQ(Encode(LogFilesNotice::Download), 1);

    EXPECT_EQ(EncodeFileLink(0x1234, FileLinkNotice::Sent), 0x12340006);
    const FileLinkParam link = DecodeFileLink(EncodeFileLink(0xFFFF, FileLinkNotice::Received));
    EXPECT_EQ(link.linkId, 0xFFFF);
    EXPECT_EQ(link.notice, FileLinkNotice::Received);
}

TEST(TickSource, DifferencesSurviveTheWrap) {
    CFakeTickSource clock(0xFFFFFF00u);
    const auto start = clock.tickMs();
    clock.advance(0x200);
    EXPECT_EQ(ticksSince(clock.tickMs(), start), 0x200u);
}

} // namespace wavix
