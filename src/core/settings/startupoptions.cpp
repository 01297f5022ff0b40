#include "core/settings/startupoptions.h"

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"

#include <algorithm>
#include <string_view>

namespace wavix {

namespace {

struct TimebaseEntry {
    std::string_view format; // "%s" takes the division word
    int step;
};

// Each entry selects the step whose time per division it names; the list skips
// the 2 ms-type steps and the two slowest.
constexpr std::array<TimebaseEntry, kStartupTimebaseEntries> kTimebase{{
    {" 0.1 ms/%s", 1},
    {" 0.5 ms/%s", 3},
    {"   1 ms/%s", 4},
    {"   5 ms/%s", 6},
    {"  10 ms/%s", 7},
    {"  20 ms/%s", 8},
    {"  50 ms/%s", 9},
    {" 100 ms/%s", 10},
    {" 500 ms/%s", 11},
    {"   1 s/%s", 12},
}};

// The table's keys in the order of CStartupOptions::Text.
constexpr std::array<TextEntry, CStartupOptions::kTextCount> kKeys{{
    {"TXT_700", {}},
    {"TXT_701", {}},
    {"TXT_702", {}},
    {"TXT_703", {}},
    {"TXT_704", {}},
    {"TXT_705", {}},
    {"TXT_706", {}},
    {"TXT_707", {}},
    {"TXT_708", {}},
    {"TXT_709", {}},
    {"TXT_711", {}},
    {"TXT_720", {}},
    {"TXT_721", {}},
}};

std::span<const TextEntry> startupTable() {
    static const auto table = [] {
        auto t = kKeys;
        for (auto& e : t)
            e.builtin = BuiltinText(e.key);
        return t;
    }();
    return table;
}

} // namespace

int StartupTimebaseStep(int entry) {
    return kTimebase[static_cast<std::size_t>(std::clamp(entry, 0, kStartupTimebaseEntries - 1))].step;
}

CStartupOptions::CStartupOptions(StartupChoice initial) : texts_(startupTable()), choice_(initial) {}

bool CStartupOptions::LoadTexts(const std::filesystem::path& langFile, CLogTrace* trace) {
    return texts_.Load(langFile, trace);
}

std::vector<std::string> CStartupOptions::TimebaseEntries() const {
    // The division word is inserted as plain text, never used as a format.
    const std::string& word = Texts(kDivisionWord);
    std::vector<std::string> out;
    out.reserve(kTimebase.size());
    for (const auto& e : kTimebase) {
        std::string text(e.format);
        text.replace(text.find("%s"), 2, word);
        out.push_back(std::move(text));
    }
    return out;
}

std::vector<std::string> CStartupOptions::ChannelCountEntries() const {
    std::vector<std::string> out;
    for (int n = 1; n <= kStartupChannelEntries; ++n)
        out.push_back(StrFormat(Texts(kChannelCountEntry).c_str(), n)); // checked when loaded
    return out;
}

void CStartupOptions::SetTimebaseEntry(int entry) {
    timebaseEntry_ = std::clamp(entry, 0, kStartupTimebaseEntries - 1);
}

void CStartupOptions::SetChannelCountEntry(int entry) {
    channelEntry_ = std::clamp(entry, 0, kStartupChannelEntries - 1);
}

StartupResult CStartupOptions::Result() const {
    return {choice_, StartupTimebaseStep(timebaseEntry_), channelEntry_ + 1};
}

} // namespace wavix
