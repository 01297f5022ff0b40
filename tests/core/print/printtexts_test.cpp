#include "core/print/printtexts.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace wavix {
namespace {

const std::filesystem::path kLangDir =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data" / "Lang";

TEST(PrintTexts, PageLinesAreFormattedAsPrinted) {
    OwnerDetails owner{"Autoservis 100%", "Jan", "Ulice 1", "Brno", "602 00", "111", "112",
                       "a@b.cz",          "123", "CZ123"};
    EXPECT_EQ(PrintCompanyLine(owner), "  Autoservis 100%  ");
    EXPECT_EQ(PrintOwnerLines(owner),
              " Jan - Ulice 1, Brno, 602 00 - Tel: 111, fax: 112\n email: a@b.cz - ICO:123, DIC:CZ123");
    EXPECT_EQ(PrintLegendTitle(2), " Kanal 2 ");
    EXPECT_EQ(PrintProbeLine(" - none - ", "1.00"), " - none - , R1.00");
    EXPECT_EQ(PrintTimestamp(5, 3, 2009, 9, 7, 3), "5.3.2009 9:7:3");
}

TEST(PrintTexts, EachTableComesWholeFromTheFileOrWholeBuiltIn) {
    CPrintTexts english;
    english.Load(kLangDir / "English.lng");
    EXPECT_EQ(english.Get(CPrintTexts::kLabelCustomerName), "Customer's name:");
    EXPECT_EQ(english.Get(CPrintTexts::kLabelTriggerMode), "Trigger mode:");
    EXPECT_EQ(english.Get(CPrintTexts::kDlgSetup), "Printer setup ...");
    EXPECT_EQ(english.Get(CPrintTexts::kMsgFileFailed),
              "Printing failed. The file %s cannot be opened for writing.");

    // A file that lacks one page label: all labels stay Czech, the dialog texts still load.
    test::TempDir dir;
    const auto file = dir / "Partial.lng";
    {
        std::ifstream in(kLangDir / "English.lng");
        std::ofstream out(file);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("TXT_432=", 0) != 0)
                out << line << '\n';
    }
    CPrintTexts partial;
    partial.Load(file);
    EXPECT_EQ(partial.Get(CPrintTexts::kLabelCustomerName), "Jméno a příjmení zákazníka:");
    EXPECT_EQ(partial.Get(CPrintTexts::kLabelTriggerMode), "Režim spouštění:");
    EXPECT_EQ(partial.Get(CPrintTexts::kDlgTitle), ".: Print information ...");
}

} // namespace
} // namespace wavix
