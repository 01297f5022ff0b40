#include "core/settings/lastsettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace wavix;

namespace {

std::filesystem::path freshFile(const std::string& name, const std::string& text = "") {
    const auto path = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove(path);
    if (!text.empty())
        std::ofstream(path, std::ios::binary) << text;
    return path;
}

} // namespace

TEST(LastSettings, WritesEveryKeyInOrderAndReadsItBack) {
    const CIni ini(freshFile("last.ini", "[General]\nLangFile=cz.lng\n"));
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = 3;
    r.CH4_dc_on = CPL_GND;
    r.TR_mode = TM_FREE | kStopBit;
    r.TR_position = 99;
    ASSERT_TRUE(WriteLastSettings(ini, r));

    std::ifstream in(ini.GetPath());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "[General]\nLangFile=cz.lng\n[LastSettings]\nversion=2\nchann_num=3\nCH1_mux=2\n"
              "CH2_mux=2\nCH3_mux=2\nCH4_mux=2\nCH1_dc_on=1\nCH2_dc_on=1\nCH3_dc_on=1\nCH4_dc_on=2\n"
              "time_base_ENUM=4\ntime_base=320\nsamples_all=2000\nTR_channel=1\nTR_level=511\n"
              "TR_mode=32771\nTR_rising=1\n");

    tOscilExchange current;
    current.ext_version = 7;
    current.TR_position = 5;
    const tOscilExchange back = ReadLastSettings(ini, current);
    tOscilExchange expected = r;
    expected.ext_version = 7; // not kept in the file
    expected.TR_position = 5;
    EXPECT_EQ(back, expected);
}

TEST(LastSettings, AbsentKeysKeepCurrentValuesAndOversizedNumbersSaturate) {
    const CIni ini(freshFile("partial.ini", "[LastSettings]\nCH2_mux=70000\ntime_base_ENUM=9\n"));
    tOscilExchange current = DefaultOscilExchange();
    tOscilExchange read = ReadLastSettings(ini, current);
    EXPECT_EQ(read.version, 0);
    EXPECT_EQ(read.chann_num, 0);
    EXPECT_EQ(read.CH2_mux, 0xFFFF);
    EXPECT_EQ(read.time_base_ENUM, 9u);
    EXPECT_EQ(read.TR_level, current.TR_level); // made safe by the caller: ProgramSettingsTest
}

TEST(LastSettings, WriteFailureIsReported) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "no_such_dir_for_settings";
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(WriteLastSettings(CIni(dir / "x.ini"), DefaultOscilExchange()));
    EXPECT_FALSE(WriteLastSettings(CIni(), DefaultOscilExchange()));
}
