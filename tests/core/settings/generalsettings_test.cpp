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

TEST(GeneralSettings, TypedAddressAndPortAreChecked) {
    struct Case {
        const char* address;
        const char* port;
        EndpointFault fault;
    };
    const Case cases[] = {
        {"192.168.1.50", "10000", EndpointFault::None},
        {"tester-3.workshop.local", "1", EndpointFault::None},
        {"127.0.0.2", "65535", EndpointFault::None},
        {"192.168.1.256", "10000", EndpointFault::BadAddress}, // a part beyond 255
        {"192.168.1", "10000", EndpointFault::BadAddress},     // digits and dots: never a name
        {"192.168..1", "10000", EndpointFault::BadAddress},
        {"", "10000", EndpointFault::BadAddress},
        {"tester 3", "10000", EndpointFault::BadAddress},
        {"-tester", "10000", EndpointFault::BadAddress},
        {"192.168.1.50", "0", EndpointFault::BadPort},
        {"192.168.1.50", "65536", EndpointFault::BadPort},
        {"192.168.1.50", "", EndpointFault::BadPort},
        {"192.168.1.50", "10 000", EndpointFault::BadPort},
        {"192.168.1.50", "9999999999", EndpointFault::BadPort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " : " + c.port);
        std::uint16_t port = 0;
        EXPECT_EQ(CheckEndpoint(c.address, c.port, &port), c.fault);
        if (c.fault == EndpointFault::None) {
            EXPECT_EQ(port, static_cast<std::uint16_t>(std::stoi(c.port)));
        }
    }
}

TEST(GeneralSettings, SavedReaderIsReadBackAndTheRestOfTheFileStays) {
    test::TempDir tmp;
    const std::string before = test::readFile(kShippedGeneral);
    test::writeFile(tmp / "General.ini", before);
    CVexorGeneralSettings g;
    ASSERT_TRUE(g.Load(tmp / "General.ini"));
    ASSERT_TRUE(g.SaveReader(tmp / "General.ini", "10.0.0.7", 10320));
    EXPECT_EQ(g.ReaderAddress(), "10.0.0.7");

    CVexorGeneralSettings again;
    ASSERT_TRUE(again.Load(tmp / "General.ini"));
    EXPECT_EQ(again.ReaderAddress(), "10.0.0.7");
    EXPECT_EQ(again.ReaderPort(), 10320);
    EXPECT_EQ(again.Owner().company, g.Owner().company);
    const std::string after = test::readFile(tmp / "General.ini");
    const auto withoutNet = [](const std::string& text) {
        return std::regex_replace(text, std::regex("\nReader(Addres|Port)=[^\n]*"), "");
    };
    EXPECT_EQ(withoutNet(after), withoutNet(before));

    EXPECT_FALSE(g.SaveReader(tmp / "missing.ini", "10.0.0.8", 1));
    EXPECT_EQ(g.ReaderAddress(), "10.0.0.7");
}

} // namespace
} // namespace wavix
