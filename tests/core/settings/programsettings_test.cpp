#include "core/settings/programsettings.h"

#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "core/settings/lastsettings.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <regex>

namespace wavix {
namespace {

const std::filesystem::path kShippedData =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "data";

// A data tree with the shipped "General.ini" and Czech language file, and the
// given "Wavix.ini" (none when empty).
class ProgramSettingsTest : public ::testing::Test {
protected:
    ProgramSettingsTest() : data(tmp.path().string() + "/Data/") {
        std::filesystem::create_directories(data + "Settings");
        std::filesystem::create_directories(data + "Lang");
        std::filesystem::copy_file(kShippedData / "Settings/General.ini", data + "Settings/General.ini");
        std::filesystem::copy_file(kShippedData / "Lang/Cestina.lng", data + "Lang/Cestina.lng");
    }
    std::string wavixIni() const { return data + "Settings/Wavix.ini"; }
    void writeWavix(const std::string& text) const { test::writeFile(wavixIni(), text); }

    test::TempDir tmp;
    std::string data;
    CProgramSettings settings;
};

TEST_F(ProgramSettingsTest, ShippedSettingsLoadWithTheirTexts) {
    std::filesystem::copy_file(kShippedData / "Settings/Wavix.ini", wavixIni());
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_EQ(settings.LastRecord().chann_num, 4);
    EXPECT_EQ(settings.LangFilePath(), data + "Lang/Cestina.lng");
    EXPECT_TRUE(settings.ShowToolbar());
    EXPECT_EQ(settings.ChannelColour(2), 0x249339u);
    ASSERT_TRUE(settings.LoadTexts());
    EXPECT_EQ(settings.ViewMenuTable()[20], " Odstranit průběhy ...");
    for (int view = 0; view < 4; ++view)
        EXPECT_EQ(settings.View(view).showMode, 3028u) << view;

    // Shipped as a tester runs it: nothing in the record needs making safe.
    tOscilExchange raw = ReadLastSettings(CIni(wavixIni()), tOscilExchange{});
    EXPECT_TRUE(ClampOscilExchange(raw));
    EXPECT_EQ(raw.version, 2);
    EXPECT_EQ(raw.samples_all, SamplesPerStep(static_cast<int>(raw.time_base_ENUM)));
    EXPECT_EQ(kSampleClockHz / raw.time_base, SampleRateHz(static_cast<int>(raw.time_base_ENUM)));
}

TEST_F(ProgramSettingsTest, AbsentSectionsAndKeysGiveTheirDefaults) {
    writeWavix("[Scope1]\nBkgCol=ffffff\nHalfMode=1\n[General]\nLangFile=Cestina.lng\nViewScopeSettings=1\n"
               "Channel3Col=1f\n");
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_EQ(settings.View(0), (ViewSettings{0, 0xFFFFFF, 0xFF7D00, 0x7DFF, true, false}));
    EXPECT_EQ(settings.View(1), (ViewSettings{0, 0, 0xFF7D00, 0x7DFF, false, false}));
    EXPECT_TRUE(settings.ShowSettingsWindow());
    EXPECT_FALSE(settings.ShowToolbar());
    EXPECT_EQ(settings.ChannelColour(3), 0x1Fu);
    EXPECT_EQ(settings.ChannelColour(4), kDefaultChannelCol);
}

TEST_F(ProgramSettingsTest, ARecordFromTheFileIsMadeSafe) {
    writeWavix("[LastSettings]\nversion=2\nchann_num=9\ntime_base_ENUM=40\nTR_channel=7\ntime_base=0\n");
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    const auto& r = settings.LastRecord();
    EXPECT_EQ(r.chann_num, 4);
    EXPECT_EQ(r.time_base_ENUM, 14u);
    EXPECT_EQ(r.TR_channel, 4);
    EXPECT_NE(r.time_base, 0u);
}

TEST_F(ProgramSettingsTest, WithoutLangFileTheRestOfGeneralIsNotReadAndTextsFail) {
    writeWavix("[General]\nViewButtonToolBar=1\nChannel1Col=123456\n");
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_FALSE(settings.ShowToolbar());
    EXPECT_EQ(settings.ChannelColour(1), kDefaultChannelCol);
    EXPECT_FALSE(settings.LoadTexts());
}

TEST_F(ProgramSettingsTest, MissingFoldersOrGeneralFileFailLoadAndSave) {
    EXPECT_FALSE(settings.Save(CProgramSettings::SaveScope::All, DefaultOscilExchange()));
    std::filesystem::remove_all(data + "Lang");
    EXPECT_FALSE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_FALSE(settings.LangFilePresent());
    EXPECT_FALSE(settings.LoadTexts());

    std::filesystem::create_directories(data + "Lang");
    std::filesystem::remove(data + "Settings/General.ini");
    EXPECT_FALSE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_FALSE(settings.Load(tmp.path().string() + "/Nowhere/", DefaultOscilExchange()));
    EXPECT_FALSE(settings.Save(CProgramSettings::SaveScope::All, DefaultOscilExchange()));
}

TEST_F(ProgramSettingsTest, ALanguageFileLackingOneViewMenuKeyFailsTheTexts) {
    writeWavix("[General]\nLangFile=Cestina.lng\n");
    const std::string lang = data + "Lang/Cestina.lng";
    test::writeFile(lang, std::regex_replace(test::readFile(lang), std::regex("TXT_225=[^\n]*\n"), ""));
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_FALSE(settings.LoadTexts());
    // Tables loaded before the failing one took their file texts.
    EXPECT_EQ(settings.MainMenuTable()[0], "Soubor");
}

TEST_F(ProgramSettingsTest, SaveWritesUpperCaseHexAndDecimalAndReadsBack) {
    writeWavix("[General]\nLangFile=Cestina.lng\n");
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    settings.SetChannelColour(1, 0xff8000);
    settings.SetChannelColour(2, 0xabcdef);
    settings.SetShowToolbar(true);
    settings.SetView(1, ViewSettings{0xBD2, 0x102030, 0xa0b0c0, 0x7DFF, true, true});
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = 3;
    ASSERT_TRUE(settings.Save(CProgramSettings::SaveScope::All, rec));

    const std::string text = test::readFile(wavixIni());
    for (const char* line :
         {"Channel1Col=FF8000\n", "Channel2Col=ABCDEF\n", "ViewButtonToolBar=1\n", "ViewScopeSettings=0\n",
          "GridCol=A0B0C0\n", "ShowMode=BD2\n", "chann_num=3\n", "LangFile=Cestina.lng\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("0x"), std::string::npos);

    CProgramSettings again;
    ASSERT_TRUE(again.Load(data, DefaultOscilExchange()));
    EXPECT_EQ(again.ChannelColour(1), 0xFF8000u);
    EXPECT_EQ(again.ChannelColour(2), 0xABCDEFu);
    EXPECT_EQ(again.View(1), settings.View(1));
    EXPECT_TRUE(again.ShowToolbar());
    EXPECT_EQ(again.LastRecord().chann_num, 3);
}

TEST_F(ProgramSettingsTest, ALanguageChosenFromTheFolderHoldsForTheNextStartOnly) {
    writeWavix("[General]\nLangFile=Cestina.lng\n");
    test::writeFile(data + "Lang/English.LNG", "[LANG]\n");
    test::writeFile(data + "Lang/notes.txt", "");
    std::filesystem::create_directories(data + "Lang/Old.lng");
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    EXPECT_EQ(settings.LanguageFiles(), (std::vector<std::string>{"Cestina.lng", "English.LNG"}));

    // Only a file of the list; nothing outside the folder.
    for (const char* name : {"notes.txt", "Old.lng", "../Settings/General.ini", ""})
        EXPECT_FALSE(settings.SaveLangFile(name)) << name;
    ASSERT_TRUE(settings.SaveLangFile("English.LNG"));
    EXPECT_NE(test::readFile(wavixIni()).find("LangFile=English.LNG\n"), std::string::npos);
    EXPECT_EQ(settings.LangFilePath(), data + "Lang/Cestina.lng"); // this run keeps its texts
    // The automatic save after a record change keeps the choice.
    ASSERT_TRUE(settings.Save(CProgramSettings::SaveScope::All, DefaultOscilExchange()));
    CProgramSettings next;
    ASSERT_TRUE(next.Load(data, DefaultOscilExchange()));
    EXPECT_EQ(next.LangFilePath(), data + "Lang/English.LNG");
}

TEST_F(ProgramSettingsTest, SavingOnlyTheRecordLeavesTheOtherSectionsAlone) {
    writeWavix("[General]\nLangFile=Cestina.lng\nChannel1Col=1\n");
    ASSERT_TRUE(settings.Load(data, DefaultOscilExchange()));
    settings.SetChannelColour(1, 0x222222);
    ASSERT_TRUE(settings.Save(CProgramSettings::SaveScope::LastSettingsOnly, DefaultOscilExchange()));
    const std::string text = test::readFile(wavixIni());
    EXPECT_NE(text.find("Channel1Col=1\n"), std::string::npos);
    EXPECT_EQ(text.find("[Scope1]"), std::string::npos);
    EXPECT_NE(text.find("[LastSettings]"), std::string::npos);
}

} // namespace
} // namespace wavix
