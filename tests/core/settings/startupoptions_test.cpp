#include "core/settings/startupoptions.h"

#include "core/scope/oscilexchange.h"
#include "core/settings/builtintexts.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <map>

namespace wavix {
namespace {

// The time per division an entry's text names, in ms.
double namedMs(const std::string& entry) {
    const char* begin = entry.c_str() + entry.find_first_not_of(' ');
    double value = 0.0;
    const char* end = std::from_chars(begin, entry.c_str() + entry.size(), value).ptr;
    return std::string(end).starts_with(" ms/") ? value : value * 1000.0;
}

TEST(StartupOptions, EveryTimebaseEntrySelectsTheStepItNames) {
    const CStartupOptions options;
    const auto entries = options.TimebaseEntries();
    ASSERT_EQ(entries.size(), 10u);
    int previous = 0;
    for (int i = 0; i < kStartupTimebaseEntries; ++i) {
        const int step = StartupTimebaseStep(i);
        EXPECT_DOUBLE_EQ(TimePerDivMs(step), namedMs(entries[static_cast<std::size_t>(i)])) << entries[i];
        EXPECT_GT(step, previous);
        previous = step;
    }
    EXPECT_EQ(StartupTimebaseStep(-3), 1);
    EXPECT_EQ(StartupTimebaseStep(99), 12);
}

TEST(StartupOptions, ResultFollowsChoiceAndListPositions) {
    CStartupOptions options(StartupChoice::LastOnPc);
    EXPECT_EQ(options.Result(), (StartupResult{StartupChoice::LastOnPc, 1, 1}));
    EXPECT_FALSE(options.CustomControlsEnabled());
    options.SetChoice(StartupChoice::Custom);
    options.SetTimebaseEntry(1);
    options.SetChannelCountEntry(2);
    EXPECT_TRUE(options.CustomControlsEnabled());
    EXPECT_FALSE(options.SampleChartControlsEnabled());
    EXPECT_EQ(options.Result(), (StartupResult{StartupChoice::Custom, 3, 3}));
    options.SetChannelCountEntry(7);
    options.SetTimebaseEntry(-1);
    EXPECT_EQ(options.Result(), (StartupResult{StartupChoice::Custom, 1, 4}));
}

// Every startup key with its built-in text, some replaced.
void writeStartupLang(const std::filesystem::path& file, const std::map<std::string, std::string>& replaced) {
    std::string text = "[LANG]\n";
    for (const auto& e : BuiltinTextRange(700, 721)) {
        const auto it = replaced.find(std::string(e.key));
        text +=
            std::string(e.key) + "=" + (it != replaced.end() ? it->second : std::string(e.builtin)) + "\n";
    }
    test::writeFile(file, text);
}

TEST(StartupOptions, LanguageTextsFillTheListsButNeverAsForeignFormats) {
    test::TempDir tmp;
    const auto lang = tmp / "x.lng";
    CStartupOptions options;
    EXPECT_EQ(options.ChannelCountEntries()[2], "3 kanálový osciloskop");

    // A division word with a conversion is refused; it would be plain text anyway.
    writeStartupLang(lang, {{"TXT_700", "Title"}, {"TXT_708", "div%s"}, {"TXT_711", "%d-channel scope"}});
    EXPECT_TRUE(options.LoadTexts(lang));
    EXPECT_EQ(options.Texts(CStartupOptions::kTitle), "Title");
    EXPECT_EQ(options.TimebaseEntries()[0], " 0.1 ms/dílek");
    EXPECT_EQ(options.ChannelCountEntries()[3], "4-channel scope");

    // A string conversion in place of the count would read a wild pointer.
    writeStartupLang(lang, {{"TXT_708", "div"}, {"TXT_711", "%s channels"}});
    EXPECT_TRUE(options.LoadTexts(lang));
    EXPECT_EQ(options.TimebaseEntries()[9], "   1 s/div");
    EXPECT_EQ(options.ChannelCountEntries()[0], "1 kanálový osciloskop");

    // A giant width or precision must neither stall nor show a giant text; a
    // modest one is the translator's choice.
    for (const char* wide : {"%999999999d ch", "%.99999d ch", "%-01234d ch"}) {
        writeStartupLang(lang, {{"TXT_711", wide}});
        EXPECT_TRUE(options.LoadTexts(lang));
        EXPECT_EQ(options.ChannelCountEntries()[1], "2 kanálový osciloskop") << wide;
    }
    writeStartupLang(lang, {{"TXT_711", "%%%3d ch"}});
    EXPECT_TRUE(options.LoadTexts(lang));
    EXPECT_EQ(options.ChannelCountEntries()[1], "%  2 ch");

    // Loading stops at a missing key; the texts after it stay built in.
    test::writeFile(lang, "[LANG]\nTXT_700=Other\nTXT_711=%d ch\n");
    EXPECT_FALSE(options.LoadTexts(lang));
    EXPECT_EQ(options.Texts(CStartupOptions::kTitle), "Other");
}

} // namespace
} // namespace wavix
