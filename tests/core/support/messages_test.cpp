#include "core/support/messages.h"
#include "core/support/ticksource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

TEST(Messages, RecordingTargetKeepsOrderAndNullTargetSwallows) {
    RecordingTarget target;
    postTo(&target, Msg::UWM_SCOPE_DATA, 1, 8);
    postTo(nullptr, Msg::UWM_SCOPE_DATA, 2, 8);
    postTo(&target, Msg::UWM_CHANNEL_DATA_CTRL, 1, 1);
    ASSERT_EQ(target.messages.size(), 2u);
    EXPECT_EQ(target.messages[0], (PostedMessage{Msg::UWM_SCOPE_DATA, 1, 8}));
    EXPECT_EQ(target.messages[1], (PostedMessage{Msg::UWM_CHANNEL_DATA_CTRL, 1, 1}));
}

TEST(TickSource, DifferencesSurviveTheWrap) {
    FakeTickSource clock(0xFFFFFF00u);
    const auto start = clock.tickMs();
    clock.advance(0x200);
    EXPECT_EQ(ticksSince(clock.tickMs(), start), 0x200u);
}

} // namespace wavix
