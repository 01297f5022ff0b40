#include "core/support/strformat.h"
#include "core/support/textencoding.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>

namespace wavix {
namespace {

struct Pair {
    const char* utf8;
    const char* cp1250;
};

// Every Czech letter both ways, and the typographic marks a Windows program types.
constexpr Pair kPairs[] = {
    {"Příliš žluťoučký kůň úpěl ďábelské ódy",
     "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
     "belsk\xE9 \xF3"
     "dy"},
    {"ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ", "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E"},
    {"„Kanál“ – 5 €", "\x84Kan\xE1l\x93 \x96 5 \x80"},
    {"", ""},
};

TEST(TextEncoding, CzechTextConvertsBothWays) {
    for (const Pair& p : kPairs) {
        EXPECT_EQ(Cp1250ToUtf8(p.cp1250), p.utf8);
        EXPECT_EQ(Utf8ToCp1250(p.utf8), p.cp1250);
        EXPECT_EQ(DecodeFileText(p.utf8), p.utf8);
        TextEncoding found = TextEncoding::Utf8;
        EXPECT_EQ(DecodeFileText(p.cp1250, &found), p.utf8);
        EXPECT_EQ(found, *p.cp1250 != '\0' ? TextEncoding::Cp1250 : TextEncoding::Utf8) << p.utf8;
    }
}

TEST(TextEncoding, EveryByteSurvivesARoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = Cp1250ToUtf8(one);
        EXPECT_TRUE(IsValidUtf8(utf8)) << b;
        EXPECT_EQ(Utf8ToCp1250(utf8), one) << b;
    }
}

TEST(TextEncoding, WhatTheCodePageLacksBecomesAQuestionMark) {
    struct Case {
        const char* utf8;
        const char* cp1250;
        bool valid;
    };
    const Case cases[] = {
        {"a中b", "a?b", true},          // three bytes, no Windows-1250 byte
        {"😀", "?", true},               // four bytes
        {"x\xFFy", "x?y", false},       // not UTF-8 at all
        {"\xC3", "?", false},           // cut short
        {"\xC0\xAF", "??", false},      // overlong '/'
        {"\xED\xA0\x80", "???", false}, // surrogate
        {"ä ö ü ß", "\xE4 \xF6 \xFC \xDF", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToCp1250(c.utf8), c.cp1250) << c.utf8;
        EXPECT_EQ(IsValidUtf8(c.utf8), c.valid) << c.utf8;
    }
}

TEST(TextEncoding, TextFieldsHoldWholeCharactersInWindows1250) {
    std::array<std::uint8_t, 8> field{};
    field.fill(0xEE);
    PutTextField(field, "žluťoučký kůň");
    EXPECT_EQ(std::string(field.begin(), field.end()), std::string("\x9Elu\x9Dou\xE8", 7) + '\0');
    EXPECT_EQ(GetTextField(field), "žluťouč");

    // A damaged field without its zero is read up to the byte a writer keeps for it.
    field.fill(0xE8);
    EXPECT_EQ(GetTextField(field), "ččččččč");

    // Charts saved in UTF-8 by earlier releases still read as written.
    const std::string earlier = "Kanál";
    std::array<std::uint8_t, 8> old{};
    std::copy(earlier.begin(), earlier.end(), old.begin());
    EXPECT_EQ(GetTextField(old), "Kanál");
}

// printf follows the desktop's locale; the program's texts never do.
TEST(NumberLocale, FormattedNumbersKeepTheirPointUnderACzechLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "cs_CZ.UTF-8"), nullptr) << "scripts/setup generates cs_CZ.UTF-8";
    const std::string text = StrFormat("%.2f %g", 100.0, 0.365625);
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(text, "100.00 0.365625");
}

} // namespace
} // namespace wavix
