#include "core/settings/generalsettings.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <regex>

namespace wavix {
namespace {

const std::filesystem::path kShippedGeneral =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data" /
    "Settings" / "General.ini";

// Each required key removed in turn must refuse the whole file and keep what
// was loaded before.
class GeneralSettingsMissingKey : public ::testing::TestWithParam<const char*> {};

TEST_P(GeneralSettingsMissingKey, FailsTheLoad) {
    test::TempDir tmp;
    const std::string full = test::readFile(kShippedGeneral);
    ASSERT_FALSE(full.empty());
    const std::string key = GetParam();
    const std::string cut = std::regex_replace(full, std::regex("\n" + key + "=[^\n]*"), "");
    ASSERT_NE(cut, full) << key;
    test::writeFile(tmp / "General.ini", cut);

    CVexorGeneralSettings g;
    ASSERT_TRUE(g.Load(kShippedGeneral));
    EXPECT_FALSE(g.Load(tmp / "General.ini")) << key;
    EXPECT_EQ(g.ReaderAddress(), "127.0.0.2");
    EXPECT_EQ(g.ReaderPort(), 10000);
    EXPECT_EQ(g.Owner().person, "Jan Novák");
    EXPECT_EQ(g.Directory(10), "Extensions\\Ext2\\");
}

INSTANTIATE_TEST_SUITE_P(RequiredKeys, GeneralSettingsMissingKey,
                         ::testing::Values("ReaderAddres", "D_MANUF_PIC1", "D_ECU_EXT2", "Company", "PSC",
                                           "DIC"));

TEST(GeneralSettings, EmptyValuesAndAMissingPortAreAccepted) {
    test::TempDir tmp;
    std::string text =
        std::regex_replace(test::readFile(kShippedGeneral), std::regex("\nReaderPort=[^\n]*"), "");
    text = std::regex_replace(text, std::regex("\nFax=[^\n]*"), "\nFax=");
    test::writeFile(tmp / "General.ini", text);
    CVexorGeneralSettings g;
    ASSERT_TRUE(g.Load(tmp / "General.ini"));
    EXPECT_EQ(g.ReaderPort(), 0);
    EXPECT_EQ(g.Owner().fax, "");
}

TEST(GeneralSettings, RefusesAMissingFileAndAPortBeyondSixteenBits) {
    test::TempDir tmp;
    CVexorGeneralSettings g;
    EXPECT_FALSE(g.Load(tmp / "General.ini"));
    test::writeFile(tmp / "General.ini",
                    std::regex_replace(test::readFile(kShippedGeneral), std::regex("ReaderPort=10000"),
                                       "ReaderPort=75536"));
    EXPECT_FALSE(g.Load(tmp / "General.ini"));
    EXPECT_EQ(g.ReaderPort(), 0);
}

} // namespace
} // namespace wavix
