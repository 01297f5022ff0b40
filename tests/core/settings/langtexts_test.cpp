#include "core/settings/langtexts.h"

#include "core/settings/ini.h"
#include "core/support/logtrace.h"
#include "core/support/textencoding.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

struct SignatureCase {
    const char* text;
    const char* builtin;
    bool same;
};

class LangConversions : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(LangConversions, FileTextMustConsumeTheSameArguments) {
    EXPECT_EQ(SameConversions(GetParam().text, GetParam().builtin), GetParam().same)
        << '"' << GetParam().text << "\" for \"" << GetParam().builtin << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Lang, LangConversions,
    ::testing::Values(SignatureCase{"Soubor %s", "File %s", true}, SignatureCase{"%3.2f V", "%0.2f V", true},
                      SignatureCase{"%-8.3e", "%f", true}, SignatureCase{"%i / %X", "%d / %u", true},
                      SignatureCase{"100 %% hotovo", "100 %% done", true},
                      SignatureCase{"bez", "plain", true}, SignatureCase{"%s", "%d", false},
                      SignatureCase{"%d %d", "%d", false}, SignatureCase{"", "%d", false},
                      SignatureCase{"%d%n", "%d", false}, SignatureCase{"%n", "%n", false},
                      SignatureCase{"%ld", "%d", false}, SignatureCase{"%*d", "%d", false},
                      SignatureCase{"%1$s", "%s", false}, SignatureCase{"%s %d", "%d %s", false},
                      SignatureCase{"50 %", "%d", false}, SignatureCase{"%%d", "%d", false},
                      SignatureCase{"%I64d", "%I64d", true},
                      // printf pads to any width: a gigabyte each time the text is shown.
                      SignatureCase{" Kanál %999999999d ", " Kanál %d ", false},
                      SignatureCase{"%.65f", "%0.2f", false}, SignatureCase{"%64.64f", "%0.2f", true},
                      SignatureCase{"%0065d", "%d", false}, SignatureCase{"%000064d", "%d", true},
                      SignatureCase{"%99999999999999999999999d", "%d", false}));

TEST(LangTexts, BackslashNBecomesALineBreak) {
    EXPECT_EQ(UnescapeLangValue("a\\nb\\n"), "a\nb\n");
    EXPECT_EQ(UnescapeLangValue("C:\\Data\\"), "C:\\Data\\");
    EXPECT_EQ(UnescapeLangValue("end\\"), "end\\");
}

class LangTable : public ::testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir / "Czech.lng";
    const std::vector<TextEntry> table{
        {"TXT_003", "Start"},
        {"TXT_004", " Scope OK "},
        {"TXT_101", "Received %d bytes"},
        {"TXT_102", "Line one\nline two"},
    };
    std::vector<std::string> out;
};

TEST_F(LangTable, BuiltinTextsNeedNoFile) {
    EXPECT_TRUE(LoadTextTable(dir / "absent.lng", table, out, true));
    EXPECT_EQ(out,
              (std::vector<std::string>{"Start", " Scope OK ", "Received %d bytes", "Line one\nline two"}));
}

TEST_F(LangTable, FileTextsReplaceBuiltinsInOrderFromEitherEncoding) {
    const std::string text = "[LANG]\nTXT_003=Začátek\ntxt_004=\" Osciloskop OK \"\nTXT_101=Přijato %d B\n"
                             "TXT_102=Řádek jedna\\nřádek dva\n";
    for (const std::string& bytes : {text, Utf8ToCp1250(text)}) {
        test::writeFile(file, bytes);
        EXPECT_TRUE(LoadTextTable(file, table, out, false));
        EXPECT_EQ(out, (std::vector<std::string>{"Začátek", " Osciloskop OK ", "Přijato %d B",
                                                 "Řádek jedna\nřádek dva"}));
    }
}

TEST_F(LangTable, MissingKeyStopsTheTable) {
    test::writeFile(file, "[LANG]\nTXT_003=A\nTXT_101=C %d\nTXT_102=D\n");
    EXPECT_FALSE(LoadTextTable(file, table, out, false));
    EXPECT_EQ(out, std::vector<std::string>{"A"});
    EXPECT_FALSE(LoadTextTable(dir / "absent.lng", table, out, false));
}

TEST_F(LangTable, MismatchedFormatFallsBackToBuiltinAndIsTraced) {
    test::writeFile(file, "[LANG]\nTXT_003=A\nTXT_004=B\nTXT_101=Přijato %s%n B\nTXT_102=D\n");
    {
        CLogTrace log(CLogTrace::kFile, dir.path(), {"trace.log"});
        EXPECT_TRUE(LoadTextTable(file, table, out, false, &log));
    }
    EXPECT_EQ(out[2], "Received %d bytes");
    EXPECT_EQ(out[3], "D");
    EXPECT_NE(test::readFile(dir / "trace.log").find("TXT_101"), std::string::npos);
}

TEST_F(LangTable, SingleLookupHasTheSameSafetyAndDefaultsToTheBuiltin) {
    test::writeFile(file, "[LANG]\nTXT_500=Kanál %d\\n\nTXT_501=%s\nTXT_211= Kanál %999999999d \n");
    const CIni lang(file);
    EXPECT_EQ(LangText(lang, "TXT_500", "Channel %d"), "Kanál %d\n");
    EXPECT_EQ(LangText(lang, "TXT_501", "Probe %d"), "Probe %d");
    EXPECT_EQ(LangText(lang, "TXT_502", "Built-in"), "Built-in");
    {
        CLogTrace log(CLogTrace::kFile, dir.path(), {"trace.log"});
        EXPECT_EQ(LangText(lang, "TXT_211", " Kanál %d ", &log), " Kanál %d ");
    }
    EXPECT_NE(test::readFile(dir / "trace.log").find("TXT_211 has a width or precision above 64"),
              std::string::npos);
}

} // namespace
} // namespace wavix
