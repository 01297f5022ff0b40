#include "core/files/chartlibrary.h"
#include "core/settings/builtintexts.h"

#include "core/files/sdfbuilder.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

// One channel at 10 kHz.
std::string log(int instants, test::SdfTime time = {2023, 5, 2, 16, 14, 7, 9, 0},
                const std::string& text = "log") {
    return test::buildLog(0x44, {{}}, std::vector<std::uint16_t>(static_cast<std::size_t>(instants), 512),
                          text, time);
}

std::vector<std::string> rowNames(const CChartLibrary& lib) {
    std::vector<std::string> names;
    for (const auto* row : lib.Rows())
        names.push_back(row->Name());
    return names;
}

TEST(ChartLibrary, ListsReadableChartsWithTheirColumns) {
    test::TempDir dir;
    // 26 000 instants at 10 kHz: 2.6 s, rounded in the seconds.
    test::writeFile(dir / "jizda.SDF", log(26000, {2023, 5, 2, 6, 4, 7, 9, 0}, "Start motoru"));
    test::writeFile(dir / "broken.sdf", "OSC1 and nothing else");
    test::writeFile(dir / "notes.txt", log(10));
    std::filesystem::create_directory(dir / "folder.sdf");
    CChartLibrary lib;
    ASSERT_EQ(lib.ListLogs(dir.path()), 0);
    ASSERT_EQ(lib.Rows().size(), 1u);
    EXPECT_EQ(ChartListColumns(*lib.Rows()[0]),
              (ChartColumns{"jizda", "Start motoru", "00:00:03", "06.05.2023 04:07:09 "}));

    EXPECT_EQ(lib.ListLogs(dir / "missing"), CChartLibrary::kLogFolderMissing);
    EXPECT_TRUE(lib.Rows().empty());
}

TEST(ChartLibrary, SortsByNameBytesAndByDateNewestFirst) {
    test::TempDir dir;
    test::writeFile(dir / "a.sdf", log(1, {2022, 1, 0, 1, 10, 0, 0, 0}));
    test::writeFile(dir / "B.sdf", log(1, {2023, 1, 0, 1, 10, 0, 0, 0}));
    test::writeFile(dir / "C.sdf", log(1, {2022, 1, 0, 1, 10, 0, 0, 0}));
    test::writeFile(dir / "d.sdf", log(1, {2022, 1, 0, 1, 10, 0, 1, 0}));
    CChartLibrary lib;
    ASSERT_TRUE(lib.List(dir.path()));
    lib.SortByName();
    EXPECT_EQ(rowNames(lib), (std::vector<std::string>{"B", "C", "a", "d"}));
    lib.SortByDate(); // a and C are equal and keep their order
    EXPECT_EQ(rowNames(lib), (std::vector<std::string>{"B", "d", "C", "a"}));
}

TEST(ChartLibrary, DetailRowsOfTheSelectedChart) {
    const auto L = [](const char* key) { return std::string(BuiltinText(key)); };
    test::TempDir dir;
    test::writeFile(dir / "x.sdf", test::buildLog(0x33, {{"Vstrik", "cidlo", 1, 14}, {"Otacky", "", 0, 14}},
                                                  {}, "Popis grafu"));
    CChartLibrary lib;
    ASSERT_TRUE(lib.List(dir.path()));
    ASSERT_EQ(lib.Rows().size(), 1u);
    EXPECT_TRUE(lib.DetailRows().empty());
    lib.Select(lib.Rows()[0]);
    const auto rows = lib.DetailRows();
    ASSERT_EQ(rows.size(), 3u + 5u + 2u * 9u);
    const std::vector<std::pair<std::size_t, ChartDetailRow>> expected = {
        {0, {L("TXT_1011"), "Popis grafu"}}, {1, {L("TXT_1012"), " 2 "}},   {2, {"", "————————"}},
        {4, {L("TXT_1014"), "FREE"}},        {7, {"", "————————"}},         {8, {L("TXT_1017"), "Vstrik"}},
        {9, {L("TXT_1018"), "cidlo"}},       {11, {L("TXT_1020"), "DC"}},   {12, {"", "——"}},
        {13, {L("TXT_1021"), " - none - "}}, {14, {L("TXT_1019"), "1.00"}}, {16, {"", "————————"}},
        {17, {L("TXT_1017"), "Otacky"}},     {20, {L("TXT_1020"), "AC"}},   {25, {"", "————————"}}};
    for (const auto& [index, row] : expected)
        EXPECT_EQ(rows[index], row) << index;
}

TEST(ChartLibrary, AccessCodeAnywhereInTheTypedCharacters) {
    const std::pair<std::vector<const char*>, bool> cases[] = {{{"q", "u", "v", "m", "a", "t"}, true},
                                                               {{"abc", "xquvm", "atz"}, true},
                                                               {{"quvmaquvmat"}, true},
                                                               {{"QUVMAT"}, false},
                                                               {{"quv", " ", "mat"}, false}};
    for (const auto& [pieces, enabled] : cases) {
        CChartLibrary lib;
        lib.Open();
        for (const char* piece : pieces)
            lib.Type(piece);
        EXPECT_EQ(lib.EditEnabled(), enabled) << pieces.size();
    }
    // Each opening starts with an empty buffer and Edit disabled again.
    CChartLibrary lib;
    EXPECT_TRUE(lib.Type("quvmat"));
    lib.Type("quvm");
    lib.Open();
    EXPECT_FALSE(lib.EditEnabled());
    EXPECT_FALSE(lib.Type("at"));
}

TEST(ChartLibrary, EditedTextsAreWrittenBackButALogIsNeverRewritten) {
    test::TempDir dir;
    CScopeFile wave;
    for (int i = 0; i < 2; ++i)
        wave.AddChannel(std::make_unique<CChannelData>());
    wave.SetHeaderText("puvodni");
    ASSERT_TRUE(wave.Save(dir / "chart.sdf"));
    const std::string logBytes = log(50);
    test::writeFile(dir / "log.sdf", logBytes);
    CChartLibrary lib;
    ASSERT_TRUE(lib.List(dir.path()));
    ASSERT_EQ(rowNames(lib), (std::vector<std::string>{"chart", "log"}));

    ChartEdit edit = CChartLibrary::EditFields(*lib.Rows()[0]);
    EXPECT_EQ(edit.description, "puvodni");
    EXPECT_TRUE(edit.channels[1].enabled);
    EXPECT_FALSE(edit.channels[2].enabled);
    edit.description = "opraveny";
    edit.channels[1].name = "Lambda";
    CChartLibrary::ApplyEdit(*lib.Rows()[0], edit);
    ASSERT_TRUE(CChartLibrary::WriteBack(*lib.Rows()[0]));
    ASSERT_TRUE(wave.Load(dir / "chart.sdf"));
    EXPECT_EQ(wave.GetHeaderText(), "opraveny");
    EXPECT_EQ(wave.GetChannel(1)->GetName(), "Lambda");

    // Rewriting a log as a waveform would drop its recording.
    EXPECT_FALSE(CChartLibrary::WriteBack(*lib.Rows()[1]));
    EXPECT_EQ(test::readFile(dir / "log.sdf"), logBytes);
    lib.Rows()[0]->path = dir / "gone" / "chart.sdf";
    EXPECT_FALSE(CChartLibrary::WriteBack(*lib.Rows()[0]));
}

TEST(SaveScope, FolderMustExistAndShortExtensionsBecomeSdf) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    const std::pair<const char*, const char*> cases[] = {{"test", "test.sdf"},  {"test.txt", "test.txt"},
                                                         {"test.", "test.sdf"}, {"sub/x", "sub/x.sdf"},
                                                         {"nosub/x", nullptr},  {"", nullptr},
                                                         {"sub/", nullptr},     {"/tmp/x", nullptr}};
    for (const auto& [name, expected] : cases) {
        const auto path = SaveScopePath(dir.path(), name);
        EXPECT_EQ(path, expected ? std::optional(dir.path() / expected) : std::nullopt) << name;
    }
    EXPECT_FALSE(SaveScopePath(dir / "gone", "test"));

    test::writeFile(dir / "test.sdf", "x");
    EXPECT_EQ(AfterSaveDialog(dir / "test.sdf"), SaveScopeStep::AskOverwrite);
    EXPECT_EQ(AfterSaveDialog(dir / "new.sdf"), SaveScopeStep::Save);
}

TEST(ChartLibrary, UserChartRowsAndDeletion) {
    test::TempDir dir;
    test::writeFile(dir / "a.sdf", test::buildLog(0x33, {{"Vstrik", "", 1, 14}, {"Otacky", "", 0, 14}}, {},
                                                  "Zapalování", {2024, 3, 0, 5, 8, 9, 10, 0}));
    test::writeFile(dir / "b.sdf", log(1, {2024, 3, 0, 5, 8, 9, 10, 0}, ""));
    CChartLibrary lib;
    ASSERT_TRUE(lib.List(dir.path()));
    ASSERT_EQ(lib.Rows().size(), 2u);
    const UserChartColumns named = UserChartRow(*lib.Rows()[0]);
    EXPECT_EQ(named.name, "Zapalování");
    EXPECT_EQ(named.date, "05.03.2024 08:09:10 ");
    EXPECT_EQ(named.channels, "1, 2");
    EXPECT_FALSE(named.timebase.empty());
    EXPECT_EQ(UserChartRow(*lib.Rows()[1]).name, "b"); // no name typed: the file's

    // Deleting removes the file and the row; a record from elsewhere is refused.
    CChartLibrary other;
    ASSERT_TRUE(other.List(dir.path()));
    lib.Select(lib.Rows()[0]);
    EXPECT_FALSE(lib.Remove(other.Rows()[0]));
    EXPECT_FALSE(lib.Remove(nullptr));
    ASSERT_TRUE(lib.Remove(lib.Rows()[0]));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.sdf"));
    EXPECT_EQ(rowNames(lib), std::vector<std::string>{"b"});
    EXPECT_EQ(lib.Selected(), nullptr);
    // Gone already (deleted from the other list): the row stays, the answer is no.
    EXPECT_FALSE(other.Remove(other.Rows()[0]));
    EXPECT_EQ(other.Rows().size(), 2u);
}

TEST(SaveScope, ProposedNameHoldsDateTimeAndAFileSafeChartName) {
    const FileTime at{2026, 12, 1, 7, 3, 54, 12, 0};
    const std::string longName(70, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"Zapalování válec 1", "2026-12-07_03-54 Zapalování válec 1.sdf"},
        {"", "2026-12-07_03-54.sdf"},
        {"a/b\\c:d*?\"<>|\t", "2026-12-07_03-54 a_b_c_d_______.sdf"},
        {" ..skrytý. ", "2026-12-07_03-54 skrytý.sdf"},
        {"...", "2026-12-07_03-54.sdf"},
        {longName, "2026-12-07_03-54 " + longName.substr(0, 64) + ".sdf"},
        {std::string(41, ' ') + "ččččččččččččč", "2026-12-07_03-54 ččččččččččč.sdf"}, // cut between letters
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(ProposedChartFileName(at, name), expected) << name;
}

TEST(SaveScope, OneMissingTextGivesAllSixTheirDefaults) {
    test::TempDir dir;
    const std::string five =
        "[LANG]\nTXT_900=All\nTXT_901=Current\nTXT_902=Name:\nTXT_903=File:\nTXT_904=Save\n";
    test::writeFile(dir / "five.ini", five);
    test::writeFile(dir / "six.ini", five + "TXT_905=Cancel\n");
    EXPECT_EQ(SaveScopeTexts(dir / "five.ini")[0], ".: Uložit všechna měření ...");
    EXPECT_EQ(SaveScopeTexts(dir / "six.ini"),
              (std::vector<std::string>{"All", "Current", "Name:", "File:", "Save", "Cancel"}));
}

} // namespace
} // namespace wavix
