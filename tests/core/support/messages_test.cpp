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

TEST(TickSource, DifferencesSurviveTheWrap) {
    FakeTickSource clock(0xFFFFFF00u);
    const auto start = clock.tickMs();
    clock.advance(0x200);
    EXPECT_EQ(ticksSince(clock.tickMs(), start), 0x200u);
}

} // namespace wavix
