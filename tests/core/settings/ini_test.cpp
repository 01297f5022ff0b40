#include "core/settings/ini.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

class Ini : public ::testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir / "Wavix.ini";
    CIni ini{file};
};

TEST_F(Ini, NamesCompareCaseInsensitivelyAndAbsentGivesDefault) {
    test::writeFile(file, "; comment\n[General]\nLangFile = Czech.lng \n[scope2]\nBkgCol=FF\n[Other]\nx=1\n");
    EXPECT_EQ(ini.GetString("general", "LANGFILE", "-"), "Czech.lng");
    EXPECT_EQ(ini.GetString("SCOPE2", "bkgcol", "-"), "FF");
    EXPECT_EQ(ini.GetString("Scope2", "GridCol", "FF7D00"), "FF7D00");
    EXPECT_EQ(ini.GetString("Scope3", "BkgCol", "0"), "0");
    EXPECT_EQ(ini.GetString("General", "x", "none"), "none"); // belongs to another section
    EXPECT_EQ(ini.GetString("", "LangFile", "d"), "d");
    EXPECT_EQ(ini.GetString("General", "", "d"), "d");
    EXPECT_EQ(CIni(dir / "absent.ini").GetString("General", "LangFile", "d"), "d");
    EXPECT_EQ(CIni().GetString("General", "LangFile", "d"), "d");
}

TEST_F(Ini, LongValuesAreReadWhole) {
    for (std::size_t len : {511u, 512u, 5000u}) {
        const std::string value(len, 'v');
        test::writeFile(file, "[LANG]\nTXT_1=" + value + "\n");
        EXPECT_EQ(ini.GetString("LANG", "TXT_1", ""), value) << len;
    }
}

struct UnsignedReadCase {
    const char* stored; // nullptr: key absent
    int base;
    std::uint32_t expected;
};

void PrintTo(const UnsignedReadCase& c, std::ostream* os) {
    *os << (c.stored ? c.stored : "(absent)") << " base " << c.base;
}

class IniUnsigned : public Ini, public ::testing::WithParamInterface<UnsignedReadCase> {};

TEST_P(IniUnsigned, ReadsInTheGivenBase) {
    const auto& c = GetParam();
    test::writeFile(file, c.stored ? std::string("[S]\nk=") + c.stored + "\n" : std::string("[S]\n"));
    EXPECT_EQ(ini.GetUnsigned("S", "k", 77, c.base), c.expected) << (c.stored ? c.stored : "(absent)");
}

INSTANTIATE_TEST_SUITE_P(Ini, IniUnsigned,
                         ::testing::Values(UnsignedReadCase{"101", 2, 5}, UnsignedReadCase{"17", 8, 15},
                                           UnsignedReadCase{"FF8000", 16, 0xFF8000},
                                           UnsignedReadCase{"ff", 16, 255}, UnsignedReadCase{"12", 10, 12},
                                           UnsignedReadCase{"12", 0, 12}, UnsignedReadCase{"012", 3, 12},
                                           UnsignedReadCase{"0x1F", 7, 0}, UnsignedReadCase{"", 16, 77},
                                           UnsignedReadCase{nullptr, 16, 77},
                                           UnsignedReadCase{"4294967295", 10, 0xFFFFFFFFu},
                                           UnsignedReadCase{"4294967296", 10, 0xFFFFFFFFu},
                                           UnsignedReadCase{"123456789ABCDEF", 16, 0xFFFFFFFFu}));

TEST(IniFormat, UnsignedIsWrittenInTheGivenBase) {
    EXPECT_EQ(FormatUnsigned(0xFF8000, 16), "FF8000");
    EXPECT_EQ(FormatUnsigned(0x7D, 16), "7D");
    EXPECT_EQ(FormatUnsigned(8, 8), "10");
    EXPECT_EQ(FormatUnsigned(5, 2), "101");
    EXPECT_EQ(FormatUnsigned(0, 2), "0");
    EXPECT_EQ(FormatUnsigned(0xFFFFFFFFu, 2), std::string(32, '1'));
    EXPECT_EQ(FormatUnsigned(3028, 10), "3028");
    EXPECT_EQ(FormatUnsigned(4294967295u, 5), "4294967295");
}

TEST_F(Ini, WriteCreatesFileAndSectionAndReadsBack) {
    ASSERT_TRUE(ini.WriteUnsigned("Scope1", "BkgCol", 0xFF8000, 16));
    ASSERT_TRUE(ini.WriteString("General", "LangFile", "Czech.lng"));
    EXPECT_EQ(test::readFile(file), "[Scope1]\nBkgCol=FF8000\n[General]\nLangFile=Czech.lng\n");
    EXPECT_EQ(ini.GetUnsigned("scope1", "bkgcol", 0, 16), 0xFF8000u);
}

TEST_F(Ini, WriteReplacesInPlaceAndKeepsEveryOtherLine) {
    const std::string before =
        "; settings\n[General]\n; the language\nLangFile=a.lng\n\nViewButtonToolBar=0\n\n"
        "[Scope1]\nBkgCol=0\n";
    test::writeFile(file, before);
    ASSERT_TRUE(ini.WriteString("GENERAL", "langfile", "b.lng"));
    ASSERT_TRUE(ini.WriteString("General", "Channel1Col", "FF8000"));
    EXPECT_EQ(test::readFile(file),
              "; settings\n[General]\n; the language\nlangfile=b.lng\n\nViewButtonToolBar=0\n"
              "Channel1Col=FF8000\n\n[Scope1]\nBkgCol=0\n");
}

// A file keeps its line ends and its byte order mark through a write.
TEST_F(Ini, CrlfAndByteOrderMarkStayAsTheFileHasThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"[LANG]\r\nTXT_1=Start\r\n", "[LANG]\r\nTXT_1=Start\r\nTXT_2=x\r\n"},
        {"\xEF\xBB\xBF[LANG]\nTXT_1=Start\n", "\xEF\xBB\xBF[LANG]\nTXT_1=Start\nTXT_2=x\n"},
    };
    for (const auto& [before, after] : cases) {
        test::writeFile(file, before);
        EXPECT_EQ(ini.GetString("LANG", "TXT_1", ""), "Start");
        ASSERT_TRUE(ini.WriteString("LANG", "TXT_2", "x"));
        EXPECT_EQ(test::readFile(file), after);
    }
}

TEST_F(Ini, ValuesWithEdgeBlanksOrQuotesSurviveAWrite) {
    for (const std::string value : {" Scope OK ", "\"quoted\"", "", "a = b", "'x'"}) {
        ASSERT_TRUE(ini.WriteString("LANG", "TXT_1", value));
        EXPECT_EQ(ini.GetString("LANG", "TXT_1", "-"), value);
    }
}

// The file's names are read without edge blanks, so the caller's are too:
// otherwise a write could never be read back and every write added a line.
TEST_F(Ini, NamesWithEdgeBlanksMeanTheSameKey) {
    ASSERT_TRUE(ini.WriteString(" Owner ", " Company ", "A"));
    ASSERT_TRUE(ini.WriteString("Owner", "Company", "B"));
    EXPECT_EQ(ini.GetString(" Owner ", " Company ", "-"), "B");
    EXPECT_EQ(test::readFile(file), "[Owner]\nCompany=B\n");
}

// The suite's Windows programs write their code page; a file keeps the encoding it has.
TEST_F(Ini, Windows1250AndUtf8FilesReadAsUtf8AndKeepTheirEncoding) {
    test::writeFile(file, "[Owner]\nCompany=Autoservis Ko\x9D\xE1k\n");
    EXPECT_EQ(ini.GetString("Owner", "Company", ""), "Autoservis Koťák");
    ASSERT_TRUE(ini.WriteString("Owner", "City", "Plzeň"));
    EXPECT_EQ(test::readFile(file), "[Owner]\nCompany=Autoservis Ko\x9D\xE1k\nCity=Plze\xF2\n");
    // A character the code page lacks would read back as another.
    EXPECT_FALSE(ini.WriteString("Owner", "City", "東京"));
    EXPECT_EQ(ini.GetString("Owner", "City", ""), "Plzeň");

    test::writeFile(file, "[Owner]\nCompany=Koťák\n");
    ASSERT_TRUE(ini.WriteString("Owner", "City", "東京"));
    EXPECT_EQ(test::readFile(file), "[Owner]\nCompany=Koťák\nCity=東京\n");
    // Bytes that are not UTF-8 would turn the whole file into Windows-1250.
    EXPECT_FALSE(ini.WriteString("Owner", "City", "Plze\xF2"));
    EXPECT_EQ(ini.GetString("Owner", "Company", ""), "Koťák");
}

TEST_F(Ini, WritesThatWouldBreakTheFileAreRefused) {
    test::writeFile(file, "[S]\nk=1\n");
    const char* const writes[][3] = {{"", "k", "v"},   {"S", "", "v"},  {"S", "k", "1\n[Other]\nx=2"},
                                     {"S", "k=x", "v"}, {"S]x", "k", "v"}, {"S", "k\r", "v"},
                                     {"S", ";k", "v"},  {"S", "#k", "v"},  {"S", "[k]", "v"},
                                     {" ", "k", "v"}};
    for (const auto& [section, key, value] : writes)
        EXPECT_FALSE(ini.WriteString(section, key, value)) << section << "/" << key << "=" << value;
    EXPECT_EQ(test::readFile(file), "[S]\nk=1\n");
    EXPECT_FALSE(CIni(dir / "no" / "such.ini").WriteString("S", "k", "v"));
}

} // namespace
} // namespace wavix
