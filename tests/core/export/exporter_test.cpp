#include "core/export/csvexporter.h"
#include "core/export/pngexporter.h"
#include "core/export/sdfexporter.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace wavix {
namespace {

struct FakeRenderer : ICaptureRenderer {
    bool fails = false;
    ExportResult RenderPng(const ExportCapture& /*capture*/, std::vector<std::uint8_t>& png) const override {
        if (fails)
            return ExportResult::Fail("cannot read the samples of the log");
        png = {0x89, 'P', 'N', 'G'};
        return {};
    }
};

// Two channels of a view: 5 V/div plain, 1 V/div; 200 kHz.
class Exporters : public ::testing::Test {
protected:
    void SetUp() override {
        tOscilExchange rec = DefaultOscilExchange();
        rec.chann_num = 2;
        rec.mux(1) = 4;
        rec.mux(2) = 2;
        rec.time_base = 320;
        for (int c = 0; c < 2; ++c) {
            channels[c].ApplySettings(rec, c + 1);
            auto s = channels[c].WritableSamples(3);
            s[0] = 0;
            s[1] = c == 0 ? 512 : -256;
            s[2] = 1;
            channels[c].SetSampleCount(3);
        }
    }
    test::TempDir dir;
    CChannelData channels[2];
    const CChannelData* shown[2] = {&channels[0], &channels[1]};
    CScopeFile file{[] { return FileTime{2024, 5, 2, 14, 9, 30, 0, 0}; }};
};

TEST_F(Exporters, EachWritesWhatItCanAndSaysWhyNot) {
    const CSdfExporter sdf;
    const CCsvExporter csv;
    FakeRenderer renderer;
    const CPngExporter png(renderer);
    EXPECT_EQ(std::string(sdf.Extension()) + csv.Extension().data() + png.Extension().data(), ".sdf.csv.png");

    const ExportCapture view{file, shown, {}, 1, 5};
    std::ostringstream text;
    ASSERT_TRUE(csv.Write(view, text));
    EXPECT_EQ(text.str(), "time [s],CH1 [V],CH2 [V]\n5e-06,15.66,-1.56\n1e-05,0.0305859,0.00609375\n");

    std::ostringstream bytes;
    EXPECT_FALSE(sdf.Write(view, bytes).reason.empty());
    ASSERT_TRUE(sdf.Write(view, dir / "view.sdf"));
    CScopeFile back;
    ASSERT_TRUE(back.Load(dir / "view.sdf"));
    ASSERT_EQ(back.GetChannelCount(), 2);
    EXPECT_EQ(back.GetChannel(1)->GetSample(1), -256);
    EXPECT_FALSE(sdf.Write(view, dir / "no" / "view.sdf"));

    ASSERT_TRUE(png.Write(view, dir / "a.png"));
    EXPECT_EQ(std::filesystem::file_size(dir / "a.png"), 4u);
    renderer.fails = true;
    const ExportResult failed = png.Write(view, dir / "b.png");
    EXPECT_EQ(failed.reason, "cannot read the samples of the log");
    EXPECT_FALSE(std::filesystem::exists(dir / "b.png"));
}

TEST(ExportChoices, ViewSpansStayInsideTheSamples) {
    struct Row {
        std::int64_t first, last, samples;
        bool whole;
        std::uint32_t from, count;
    };
    for (const Row& r : std::initializer_list<Row>{
             {0, 1000, 1000, false, 0, 1000},
             {250, 500, 1000, false, 250, 250},
             {250, 1003, 1000, false, 250, 750}, // a zoom rounded past the end
             {-5, 10, 1000, false, 0, 10},
             {600, 400, 1000, false, 600, 0}, // never a count that wraps
             {1200, 1300, 1000, false, 1000, 0},
             {250, 500, 1000, true, 0, 1000},
             {0, 10, -1, true, 0, 0},
             {0, 1LL << 40, 1LL << 40, false, 0, 0xFFFFFFFFu},
         }) {
        const SampleSpan s = ViewSpan(r.first, r.last, r.samples, r.whole);
        EXPECT_EQ(s.from, r.from) << r.first << ".." << r.last;
        EXPECT_EQ(s.count, r.count) << r.first << ".." << r.last;
    }
}

TEST(ExportChoices, TypedNamesGetTheFormatsExtensionOnce) {
    for (const auto& [typed, written] :
         std::initializer_list<std::pair<const char*, const char*>>{{"/m/a.csv", "/m/a.csv"},
                                                                    {"/m/a.CSV", "/m/a.CSV"},
                                                                    {"/m/a", "/m/a.csv"},
                                                                    {"/m/a.txt", "/m/a.txt.csv"},
                                                                    {"/m/v1.2", "/m/v1.2.csv"}})
        EXPECT_EQ(WithExtension(typed, ".csv").string(), written) << typed;
}

} // namespace
} // namespace wavix
