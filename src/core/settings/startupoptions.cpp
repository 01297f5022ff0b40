#include "core/settings/startupoptions.h"

#include "core/settings/builtintexts.h"

#include <algorithm>
#include <cstdio>
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

// True when a conversion asks for a width or precision of four digits or more:
// printf would pad it out to that length, however large, before any limit applies.
bool hugeWidth(std::string_view fmt) {
    constexpr std::string_view kFlags = "-+ #0'";
    const auto digitRun = [&](std::size_t& i) {
        std::size_t n = 0;
        for (; i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9'; ++i)
            ++n;
        return n;
    };
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%')
            continue;
        if (++i < fmt.size() && fmt[i] == '%')
            continue;
        while (i < fmt.size() && kFlags.find(fmt[i]) != std::string_view::npos)
            ++i;
        if (digitRun(i) > 3)
            return true;
        if (i < fmt.size() && fmt[i] == '.' && digitRun(++i) > 3)
            return true;
        --i;
    }
    return false;
}

// A language text has passed the conversion check, but its widths are not ours to trust.
std::string formatCount(const std::string& checkedFormat, int n) {
    const std::string fmt = hugeWidth(checkedFormat) ? std::string(BuiltinText("TXT_711")) : checkedFormat;
    const int length = std::snprintf(nullptr, 0, fmt.c_str(), n);
    if (length <= 0)
        return {};
    std::string out(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt.c_str(), n);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

} // namespace

int StartupTimebaseStep(int entry) {
    return kTimebase[static_cast<std::size_t>(std::clamp(entry, 0, kStartupTimebaseEntries - 1))].step;
}

CStartupOptions::CStartupOptions(StartupChoice initial) : texts_(startupTable()), choice_(initial) {}

bool CStartupOptions::LoadTexts(const std::filesystem::path& langFile, LogTrace* trace) {
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
        out.push_back(formatCount(Texts(kChannelCountEntry), n));
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
