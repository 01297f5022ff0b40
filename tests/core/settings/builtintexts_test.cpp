#include "core/settings/builtintexts.h"

#include "core/scope/oscilexchange.h"
#include "core/settings/ini.h"
#include "core/settings/lastsettings.h"

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

TEST(ShippedSettingsFile, StartsWithAValidRecordAndTheShippedLanguage) {
    const CIni ini(kDataDir / "Settings" / "Wavix.ini");
    EXPECT_TRUE(std::filesystem::exists(kDataDir / "Lang" / ini.GetString("General", "LangFile", "-")));

    tOscilExchange rec = ReadLastSettings(ini, tOscilExchange{});
    EXPECT_TRUE(ClampOscilExchange(rec));
    EXPECT_EQ(rec.version, 2);
    EXPECT_EQ(rec.chann_num, 4);
    EXPECT_EQ(rec.samples_all, SamplesPerStep(static_cast<int>(rec.time_base_ENUM)));
    EXPECT_EQ(kSampleClockHz / rec.time_base, SampleRateHz(static_cast<int>(rec.time_base_ENUM)));
    for (int view = 1; view <= 4; ++view) {
        const auto section = "Scope" + std::to_string(view);
        EXPECT_EQ(ini.GetUnsigned(section, "ShowMode", 0, 16), 3028u) << section;
        EXPECT_EQ(ini.GetUnsigned(section, "GridCol", 0, 16), 0xFF7D00u) << section;
    }
}

} // namespace
} // namespace wavix
