#include "core/settings/builtintexts.h"

#include "core/settings/ini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace wavix {
namespace {

// The shipped data tree, found from this file's place in the source tree.
const std::filesystem::path kDataDir =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data";
const std::filesystem::path kLangFile = kDataDir / "Lang" / "Cestina.lng";

std::vector<std::string> keysOf(std::span<const TextEntry> table) {
    std::vector<std::string> keys;
    for (const auto& e : table)
        keys.emplace_back(e.key);
    return keys;
}

TEST(BuiltinTexts, CatalogueIsOrderedUniqueAndSafeAsFormats) {
    const auto all = BuiltinTexts();
    ASSERT_FALSE(all.empty());
    int previous = -1;
    for (const auto& e : all) {
        const int number = LangKeyNumber(e.key);
        EXPECT_GT(number, previous) << e.key;
        previous = number;
        EXPECT_FALSE(e.builtin.empty()) << e.key;
        EXPECT_NE(e.builtin, kMissingLangText) << e.key;
        EXPECT_TRUE(SameConversions(e.builtin, e.builtin)) << e.key;
        EXPECT_EQ(BuiltinText(e.key), e.builtin) << e.key;
    }
}

TEST(BuiltinTexts, LookupNeedsTheExactKeyAndRangesSkipNumbersWithoutKey) {
    for (const char* key : {"TXT_1", "TXT_0001", "TXT_105", "TXT_1213", "txt_003", "TXT_", "TXT_3x", ""})
        EXPECT_TRUE(BuiltinText(key).empty()) << key;
    EXPECT_EQ(LangKeyNumber("TXT_050"), 50);
    EXPECT_EQ(LangKeyNumber("TXT_12345678"), -1);
    const auto startup = keysOf(BuiltinTextRange(700, 721));
    EXPECT_EQ(startup.size(), 13u);
    EXPECT_EQ(std::count(startup.begin(), startup.end(), "TXT_710"), 0);
    EXPECT_TRUE(BuiltinTextRange(14, 49).empty());
    EXPECT_TRUE(BuiltinTextRange(225, 201).empty());
    EXPECT_EQ(BuiltinTextRange(INT_MIN, INT_MAX).size(), BuiltinTexts().size());
    EXPECT_EQ(TextIndex(MainStatusTexts(), "TXT_102"), 9);
    EXPECT_EQ(TextIndex(MainStatusTexts(), "TXT_010"), -1);
}

TEST(ShippedLanguageFile, CarriesEveryBuiltinTextVerbatim) {
    ASSERT_TRUE(std::filesystem::exists(kLangFile)) << kLangFile;
    const CIni lang(kLangFile);
    for (const auto& e : BuiltinTexts()) {
        const auto raw = lang.Find(kLangSection, e.key);
        ASSERT_TRUE(raw.has_value()) << e.key;
        EXPECT_EQ(UnescapeLangValue(*raw), e.builtin) << e.key;
    }
}

TEST(ShippedLanguageFile, EveryFileHoldsEachCatalogueKeyOnceAndNoOther) {
    for (const auto* name : {"Cestina.lng", "English.lng"}) {
        std::ifstream in(kDataDir / "Lang" / name);
        ASSERT_TRUE(in) << name;
        std::map<std::string, int> seen;
        std::string line;
        while (std::getline(in, line)) {
            const auto eq = line.find('=');
            if (eq != std::string::npos)
                ++seen[line.substr(0, eq)];
        }
        EXPECT_EQ(seen.size(), BuiltinTexts().size()) << name;
        for (const auto& [key, count] : seen) {
            EXPECT_EQ(count, 1) << name << ' ' << key;
            EXPECT_FALSE(BuiltinText(key).empty()) << name << ' ' << key;
        }
    }
}

} // namespace
} // namespace wavix
