// The sample chart library the build writes into the data tree: every chart
// loads, carries its description, channels and settings, shows its signal
// within the input range, and its trigger fires where the capture says.

#include "core/files/scopefile.h"
#include "core/support/textencoding.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace wavix;

namespace {

std::filesystem::path chartFolder() {
    return std::filesystem::path(qEnvironmentVariable("WAVIX_BIN_DIR").toStdString()) / ".." / "Data" /
           "Scope" / "SampleCharts";
}

struct Expected {
    const char* file;
    const char* descriptionStart;
    std::vector<std::string> names;
    int step;
};

const Expected kCharts[] = {
    {"Klikova_hridel_indukcni.sdf", "Snímač otáček klikové hřídele", {"CKP"}, 6},
    {"Vackova_hridel_Hall.sdf", "Snímač polohy vačkové hřídele", {"CMP", "CKP"}, 8},
    {"Zapalovaci_civka_primar.sdf", "Primární napětí zapalovací cívky", {"IGN1"}, 5},
    {"Vstrikovac.sdf", "Vstřikovač", {"INJ1"}, 4},
    {"Lambda_sonda.sdf", "Lambda sonda", {"LAMBDA"}, 11},
    {"MAP_snimac.sdf", "Snímač tlaku v sání", {"MAP"}, 10},
    {"Alternator_zvlneni.sdf", "Zvlnění nabíjecího napětí", {"B+"}, 4},
    {"Alternator_vadna_dioda.sdf", "Zvlnění nabíjecího napětí", {"B+"}, 4},
    {"CAN_sbernice.sdf", "Sběrnice CAN", {"CAN-H", "CAN-L"}, 1},
};

// Counts of the level field on the channel's range (511 is the centre, six divisions over 1023).
double levelCounts(const CChannelData& ch) {
    const double volts =
        kVerticalDivisions * RangeVoltPerDiv(ch.GetRange()) / 1023.0 * (ch.GetTriggerLevel() - 511);
    return volts / (RangeVoltPerDiv(ch.GetRange()) * 3.0 * RangeCorrection(ch.GetRange())) * 512.0;
}

double mean(std::span<const std::int32_t> s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += s[i];
    return sum / static_cast<double>(to - from);
}

TEST(SampleCharts, EveryChartLoadsWithItsChannelsAndDescription) {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(chartFolder()))
        if (entry.path().extension() == ".sdf")
            found.insert(entry.path().filename().string());
    std::set<std::string> expected;
    for (const Expected& c : kCharts)
        expected.insert(c.file);
    EXPECT_EQ(found, expected);

    for (const Expected& c : kCharts) {
        SCOPED_TRACE(c.file);
        CScopeFile file;
        ASSERT_TRUE(file.Load(chartFolder() / c.file));
        EXPECT_EQ(file.GetVersion(), kFileVersionWave);
        EXPECT_TRUE(file.GetHeaderText().starts_with(c.descriptionStart)) << file.GetHeaderText();
        // Shipped like the charts of the Windows releases: Windows-1250 on disk.
        std::ifstream raw(chartFolder() / c.file, std::ios::binary);
        std::string head(kFileHeaderSize, '\0');
        raw.read(head.data(), static_cast<std::streamsize>(head.size()));
        EXPECT_TRUE(head.starts_with("OSC1"));
        EXPECT_EQ(head.substr(8, head.find('\0', 8) - 8), Utf8ToCp1250(file.GetHeaderText()));
        ASSERT_EQ(file.GetChannelCount(), static_cast<int>(c.names.size()));
        tOscilExchange rec;
        ASSERT_TRUE(file.BuildSettings(rec));
        EXPECT_EQ(rec.version, 2);
        EXPECT_EQ(rec.time_base_ENUM, static_cast<std::uint32_t>(c.step));
        for (int i = 0; i < file.GetChannelCount(); ++i) {
            const CChannelData& ch = *file.GetChannel(i);
            EXPECT_EQ(ch.GetName(), c.names[static_cast<std::size_t>(i)]);
            EXPECT_FALSE(ch.GetDescription().empty());
            EXPECT_TRUE(ch.GetProbe().IsLoaded());
            ASSERT_EQ(ch.GetSampleCount(), SamplesPerStep(c.step));
            // The range fits the signal: it moves, and hardly ever hits the converter's ends.
            const auto s = ch.GetSamples();
            const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
            EXPECT_GT(*hi - *lo, 40) << ch.GetName();
            const auto clipped =
                std::count_if(s.begin(), s.end(), [](int v) { return v <= -512 || v >= 512; });
            EXPECT_LT(clipped, static_cast<long>(s.size() / 100)) << ch.GetName();
        }

        // A triggered capture crosses the level at the trigger position, in the edge's direction.
        const int mode = rec.TR_mode & ~kStopBit;
        if (mode == TM_FREE)
            continue;
        const CChannelData& trig = *file.GetChannel(rec.TR_channel - 1);
        const auto s = trig.GetSamples();
        const std::size_t pos = rec.TR_position;
        ASSERT_GT(pos, 8u);
        const double before = mean(s, pos - 8, pos - 2);
        const double after = mean(s, pos + 2, pos + 8);
        const double level = levelCounts(trig);
        if (rec.TR_rising == 1) {
            EXPECT_LT(before, level);
            EXPECT_GT(after, level);
        } else {
            EXPECT_GT(before, level);
            EXPECT_LT(after, level);
        }
    }
}

} // namespace
