#include "core/app/startargument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace wavix {
namespace {

struct ArgCase {
    std::string_view text;
    std::optional<StartupResult> expected;
};

class StartArgument : public ::testing::TestWithParam<ArgCase> {};

TEST_P(StartArgument, ParsesOrRefuses) {
    const ArgCase& c = GetParam();
    EXPECT_EQ(ParseStartArgument(c.text), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Choices, StartArgument,
    ::testing::Values(ArgCase{"tester", StartupResult{StartupChoice::Tester, 1, 1}},
                      ArgCase{"pc", StartupResult{StartupChoice::LastOnPc, 1, 1}},
                      ArgCase{"samples", StartupResult{StartupChoice::SampleChart, 1, 1}},
                      ArgCase{"custom:8:2", StartupResult{StartupChoice::Custom, 8, 2}},
                      ArgCase{"custom:1:4", StartupResult{StartupChoice::Custom, 1, 4}},
                      ArgCase{"custom:14:1", StartupResult{StartupChoice::Custom, 14, 1}},
                      // Out of range, malformed or trailing text: refused, not clamped.
                      ArgCase{"custom:0:2", std::nullopt}, ArgCase{"custom:15:2", std::nullopt},
                      ArgCase{"custom:8:5", std::nullopt}, ArgCase{"custom:8:0", std::nullopt},
                      ArgCase{"custom:8", std::nullopt}, ArgCase{"custom::2", std::nullopt},
                      ArgCase{"custom:8:2x", std::nullopt}, ArgCase{"custom:-1:2", std::nullopt},
                      ArgCase{"custom:99999999999:2", std::nullopt}, ArgCase{"Tester", std::nullopt},
                      ArgCase{"", std::nullopt}));

} // namespace
} // namespace wavix
