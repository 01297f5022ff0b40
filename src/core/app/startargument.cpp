#include "core/app/startargument.h"

#include <charconv>

namespace wavix {

namespace {

std::optional<int> parseNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<StartupResult> ParseStartArgument(std::string_view text) {
    if (text == "tester")
        return StartupResult{StartupChoice::Tester, 1, 1};
    if (text == "pc")
        return StartupResult{StartupChoice::LastOnPc, 1, 1};
    if (text == "samples")
        return StartupResult{StartupChoice::SampleChart, 1, 1};
    constexpr std::string_view kCustom = "custom:";
    if (!text.starts_with(kCustom))
        return std::nullopt;
    text.remove_prefix(kCustom.size());
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto step = parseNumber(text.substr(0, colon), 1, 14);
    const auto count = parseNumber(text.substr(colon + 1), 1, 4);
    if (!step || !count)
        return std::nullopt;
    return StartupResult{StartupChoice::Custom, *step, *count};
}

} // namespace wavix
