#include "core/panels/panelkeys.h"
#include "core/panels/paneltexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace wavix;

TEST(PanelTitles, FormatsAndTheUnboundLabel) {
    EXPECT_EQ(ChannelSummaryText(2, "DC", "1.00 V/dílek"), "CH2 : DC : 1.00 V/dílek");
    EXPECT_EQ(ChannelSummaryText(-1, "DC", "x"), ".: Init");
    EXPECT_EQ(ChannelPanelTitle(kTitleChannel, 3, std::nullopt), " .: Kanál 3 ");
    EXPECT_EQ(ChannelPanelTitle(kTitleChannel, 3, "Proudová kleština"), " .: Kanál 3 : Proudová kleština");
    EXPECT_EQ(ChannelPanelTitle(kTitleChannel, -1, "p"), ".: Init");
    EXPECT_EQ(ChannelRefTitle(kTitleTrigger, 1), " .: Spouštění (CH1) ");
    EXPECT_EQ(ChannelRefTitle(kTitleMeasure, 4), " .: Měření čas.osy (CH4) ");
    EXPECT_EQ(TimeBasePanelTitle(kTitleTimeBase, 1.0), " .: Časová základna ");
    EXPECT_EQ(TimeBasePanelTitle(kTitleTimeBase, 2.5), " .: Časová základna : Z 2.5x");
    // A factor that no display can have is shown as no zoom, not as "Z 0.0x" or "Z nanx".
    EXPECT_EQ(TimeBasePanelTitle(kTitleTimeBase, 0.0), " .: Časová základna ");
    EXPECT_EQ(TimeBasePanelTitle(kTitleTimeBase, std::nan("")), " .: Časová základna ");
}

TEST(PanelTitles, LongLanguageTextsAreKeptWhole) {
    const std::string longTitle(500, 'x');
    EXPECT_EQ(ChannelPanelTitle(longTitle, 1, std::string(300, 'p')).size(), 4 + 500 + 1 + 1 + 3 + 300);
    EXPECT_EQ(TimeBasePanelTitle(longTitle, 1.0), " .: " + longTitle + " ");
}

TEST(MeasureText, TimeAndFrequencyBetweenTheCursors) {
    struct Case {
        double msPerDiv, p, zoom;
        const char* dt;
        const char* freq;
    };
    const Case cases[] = {
        {1.0, 50.0, 1.0, "dt 5.00 ms", "f 200.00 Hz"},
        {1.0, -50.0, 1.0, "dt -5.00 ms", "f 200.00 Hz"}, // swapped cursors
        {1.0, 50.0, 2.0, "dt 2.50 ms", "f 400.00 Hz"},
        {0.1, 10.0, 1.0, "dt 100.00 us", "f 10.00 kHz"},
        {5000.0, 100.0, 1.0, "dt 50.00 s", "f 20.00 mHz"},
        {1.0, 0.0, 1.0, "dt 0.00 s", "---"},
        {1.0, 1e-16, 1.0, "0.00 %", "T 0.00 ms"}, // too short for any prefix
        {1.0, std::nan(""), 1.0, "nan %", "---"},
    };
    for (const Case& c : cases) {
        const MeasureTexts m = MeasureText(c.msPerDiv, c.p, c.zoom);
        EXPECT_EQ(m.dt, c.dt) << c.msPerDiv << " " << c.p << " " << c.zoom;
        EXPECT_EQ(m.freq, c.freq) << c.msPerDiv << " " << c.p << " " << c.zoom;
    }
    EXPECT_DOUBLE_EQ(MeasureText(1.0, 50.0, 4.0).dtMs, 1.25);
    EXPECT_DOUBLE_EQ(MeasureText(1.0, 50.0, 0.0).dtMs, 5.0); // no usable zoom: not divided
}

TEST(PanelLayout, KeysStayInsideAndNeverOverlap) {
    for (const int width : {400, 240, 120, 40, 0}) {
        const std::vector<int> wanted{30, 30, 40, 50};
        const PanelLayout l = LayoutPanel(width, 44, wanted);
        ASSERT_EQ(l.keys.size(), wanted.size());
        int left = l.value.right();
        for (const PanelRect& k : l.keys) {
            EXPECT_GE(k.x, left) << width;
            EXPECT_GE(k.w, 0) << width;
            EXPECT_LE(k.right(), std::max(width - kPanelMargin, kPanelMargin)) << width;
            EXPECT_EQ(k.y, l.title.bottom() + 1);
            left = k.right();
        }
        EXPECT_GE(l.value.w, 0);
        EXPECT_LE(l.title.bottom(), 44 - kPanelMargin);
    }
    const PanelLayout roomy = LayoutPanel(400, 44, std::vector<int>{30, 50});
    EXPECT_EQ(roomy.keys[0].w, 30);
    EXPECT_EQ(roomy.keys[1].right(), 400 - kPanelMargin);
    const PanelLayout bare = LayoutPanel(200, 44, {});
    EXPECT_EQ(bare.value.w, 200 - 2 * kPanelMargin);
}

TEST(PanelKeys, OneFlashAtATimeAndTheFaceComesBack) {
    CPanelKeys keys;
    const int down = keys.Add(kKeyFaceRange, "-");
    const int trig = keys.Add(kKeyFaceTrigger, "Trigg");
    keys.SetRect(down, {0, 0, 10, 10});
    keys.SetRect(trig, {12, 0, 10, 10});
    EXPECT_EQ(keys.HitTest(5, 5), down);
    EXPECT_EQ(keys.HitTest(11, 5), -1);
    EXPECT_EQ(keys.HitTest(21, 9), trig);
    EXPECT_EQ(keys.HitTest(22, 5), -1);

    EXPECT_FALSE(keys.Press(-1));
    EXPECT_FALSE(keys.Press(2));
    ASSERT_TRUE(keys.Press(trig));
    EXPECT_EQ(keys.At(trig).face, kKeyPressedFace);
    EXPECT_FALSE(keys.Press(down));
    EXPECT_FALSE(keys.Press(trig)); // a second press must not save the pressed face
    EXPECT_EQ(keys.At(down).face, kKeyFaceRange);
    EXPECT_EQ(keys.Release(), trig);
    EXPECT_EQ(keys.At(trig).face, kKeyFaceTrigger);
    EXPECT_EQ(keys.Release(), -1);
    EXPECT_TRUE(keys.Press(down));
}
