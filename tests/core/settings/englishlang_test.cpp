#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace wavix {
namespace {

const std::filesystem::path kEnglish =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data" /
    "Lang" / "English.lng";

std::size_t count(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

TEST(EnglishLanguageFile, TranslatesEveryKeyWithTheSameConversionsAndEdges) {
    ASSERT_TRUE(std::filesystem::exists(kEnglish)) << kEnglish;
    const CIni lang(kEnglish);
    for (const auto& e : BuiltinTexts()) {
        const auto raw = lang.Find(kLangSection, e.key);
        ASSERT_TRUE(raw.has_value()) << e.key;
        const std::string text = UnescapeLangValue(*raw);
        ASSERT_FALSE(text.empty()) << e.key;
        EXPECT_TRUE(SameConversions(text, e.builtin)) << e.key << ": " << text;
        EXPECT_EQ(LangText(lang, e.key, e.builtin), text) << e.key;
        // Blanks at the edges pad menu items and status panes; line breaks shape message boxes.
        EXPECT_EQ(text.front() == ' ', e.builtin.front() == ' ') << e.key;
        EXPECT_EQ(text.back() == ' ', e.builtin.back() == ' ') << e.key;
        EXPECT_EQ(count(text, "\n"), count(e.builtin, "\n")) << e.key;
        // A Czech letter left over means an untranslated text.
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
            << e.key << ": " << text;
    }
}

} // namespace
} // namespace wavix
