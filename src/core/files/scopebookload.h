#pragma once
// What the main window does with the scope book's answer, and where the chosen
// chart's channels go: all into the first display, or one per display when each
// channel has its own, as far as there are displays.

#include <string_view>
#include <vector>

namespace wavix {

enum class ScopeBookAnswer { NoFolder = 0, Closed = 1, LoadSettings = 2, LoadAll = 3 };

struct ScopeBookStep {
    std::string_view caption; // a box to show first when not empty; a TXT_ key names a language text
    std::string_view textKey; // language key of its text
    bool errorIcon = false;
    bool applySettings = false;
    bool loadTraces = false;
    bool operator==(const ScopeBookStep&) const = default;
};

inline constexpr std::string_view kMsgBadDataPath = "TXT_1413";
inline constexpr std::string_view kMsgNothingChosen = "TXT_1414";
inline constexpr std::string_view kCaptionNotice = "TXT_1513";

ScopeBookStep AfterScopeBook(int answer, bool hasSelection);

// Display index (0-based) per channel of the chart; a channel with no display left gets none.
std::vector<int> ScopeBookDisplays(int channels, bool perChannel, int displays);

} // namespace wavix
