#include "ui/panels/panelsupport.h"

#include "core/panels/paneltexts.h"
#include "ui/colorref.h"
#include "ui/panels/scopectrlarrow.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/panels/scopectrlchannel.h"
#include "ui/panels/scopectrlmeasure.h"
#include "ui/panels/scopectrltimebase.h"
#include "ui/panels/scopectrltrigger.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace wavix;
using wavix::test::countColour;
using wavix::test::renderOf;
using wavix::test::waitUntil;

namespace {

PostedMessage kClick(int ch) {
    return {Msg::UWM_SCOPE_CTRL_BASE, ch, Encode(PanelNotice::ChannelClicked)};
}

class PanelTest : public ::testing::Test {
protected:
    PanelTest() {
        test::ensureApp();
        EXPECT_EQ(data.AcceptSettings(test::fourChannels()), AcceptResult::Accepted);
    }

    // Shown, so that clicks and key presses reach the widget as they would on screen.
    template <typename Panel> void setUp(Panel& panel, int channel, int width = 260) {
        panel.SetTarget(&parent);
        if (channel > 0)
            panel.SetChannel(&data.GetChannel(channel));
        panel.resize(width, 44);
        panel.show();
        panel.SetFlashTime(20);
    }

    static void clickKey(CScopeCtrlBase& panel, int key) {
        QTest::mouseClick(&panel, Qt::LeftButton, {}, panel.KeyRect(key).center());
    }
    static bool idle(const CScopeCtrlBase& panel) {
        return waitUntil([&] { return !panel.IsKeyFlashing() && !panel.IsLabelFlashing(); });
    }

    CScopeData data;
    CRecordingTarget parent;
};

} // namespace

TEST_F(PanelTest, ChannelKeysEditTheRecordOfTheirOwnChannel) {
    struct Case {
        int key;
        int channel;
        std::function<int(const tOscilExchange&)> field;
        int before;
        int after;
    };
    const Case cases[] = {
        {CScopeCtrlChannel::KeyRangeDown, 1, [](const auto& r) { return r.CH1_mux; }, 2, 1},
        {CScopeCtrlChannel::KeyRangeUp, 1, [](const auto& r) { return r.CH1_mux; }, 2, 3},
        {CScopeCtrlChannel::KeyRangeUp, 2, [](const auto& r) { return r.CH2_mux; }, 8, 8}, // top stays
        {CScopeCtrlChannel::KeyCoupling, 1, [](const auto& r) { return r.CH1_dc_on; }, CPL_DC, CPL_AC},
        {CScopeCtrlChannel::KeyCoupling, 3, [](const auto& r) { return r.CH3_dc_on; }, CPL_AC, CPL_DC},
        {CScopeCtrlChannel::KeyTrigger, 3, [](const auto& r) { return r.TR_channel; }, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " channel " << c.channel);
        EXPECT_EQ(data.AcceptSettings(test::fourChannels()), AcceptResult::Accepted);
        CScopeCtrlChannel panel;
        setUp(panel, c.channel);
        parent.clear();
        ASSERT_EQ(c.field(data.GetSettings()), c.before);

        clickKey(panel, c.key);
        EXPECT_EQ(c.field(data.GetSettings()), c.after);
        EXPECT_TRUE(data.IsDirty());
        // The key and then the label beneath it each report the click, even when the edit was clamped.
        EXPECT_EQ(parent.messages, (std::vector{kClick(c.channel), kClick(c.channel)}));
        EXPECT_EQ(panel.Key(c.key).face, kKeyPressedFace);
        EXPECT_EQ(panel.GetBackground(), kPanelPressedBackground);
    }
}

TEST_F(PanelTest, ASecondClickInsideTheFlashDoesNotEditAgain) {
    CScopeCtrlChannel panel;
    setUp(panel, 1);
    panel.SetFlashTime(1000); // long enough for three clicks on a loaded machine
    clickKey(panel, CScopeCtrlChannel::KeyRangeUp);
    clickKey(panel, CScopeCtrlChannel::KeyRangeUp);
    clickKey(panel, CScopeCtrlChannel::KeyRangeDown);
    EXPECT_EQ(data.GetSettings().CH1_mux, 3);
    EXPECT_EQ(panel.Key(CScopeCtrlChannel::KeyRangeDown).face, kKeyFaceRange);
    EXPECT_EQ(parent.messages.size(), 4u); // one key report, three label reports
    // Label clicks inside one flash still end on the original background.
    ASSERT_TRUE(idle(panel));
    EXPECT_EQ(panel.GetBackground(), 0u);
    EXPECT_EQ(panel.Key(CScopeCtrlChannel::KeyRangeUp).face, kKeyFaceRange);

    panel.SetFlashTime(20);
    clickKey(panel, CScopeCtrlChannel::KeyRangeDown);
    ASSERT_TRUE(idle(panel));
    clickKey(panel, CScopeCtrlChannel::KeyRangeDown);
    EXPECT_EQ(data.GetSettings().CH1_mux, 1);
}

TEST_F(PanelTest, WithoutAChannelThePanelsShowInitAndIgnoreKeys) {
    CScopeCtrlChannel channel;
    CScopeCtrlTrigger trigger;
    CScopeCtrlMeasure measure;
    for (CScopeCtrlBase* p : std::initializer_list<CScopeCtrlBase*>{&channel, &trigger, &measure}) {
        setUp(*p, 0);
        EXPECT_EQ(p->GetText(), ".: Init");
        if (p->KeyCount() > 0)
            clickKey(*p, 0);
        QTest::keyClick(p, Qt::Key_Space);
    }
    EXPECT_TRUE(parent.messages.empty());
    EXPECT_FALSE(data.IsDirty());

    CScopeCtrlBase label;
    EXPECT_EQ(label.GetText(), " .: Base init ");
    EXPECT_EQ(label.GetTextColor(), 0x00FFFFFFu);
    CChannelData loose; // a channel that has no number yet
    label.SetChannel(&loose);
    EXPECT_EQ(label.GetText(), ".: Init");
    label.SetChannel(&data.GetChannel(1));
    EXPECT_EQ(label.GetText(), "CH1 : DC : 1.00 V/dílek");
    EXPECT_EQ(label.GetTextColor(), data.GetChannel(1).GetColor());
}

TEST_F(PanelTest, ChannelTitleShowsTheLoadedProbeAndRightClickAsksForTheMenu) {
    const auto probe = std::filesystem::path(::testing::TempDir()) / "panel_probe.ini";
    std::ofstream(probe) << "[PROBE]\nName=Kleště 60A\nUnits=A\nRatio=0.1\nAlowedChannels=F\n";
    CScopeCtrlChannel panel;
    setUp(panel, 2);
    EXPECT_EQ(panel.GetText(), " .: Kanál 2 ");
    ASSERT_TRUE(data.GetChannel(2).LoadProbe(probe));
    panel.UpdateTexts();
    EXPECT_EQ(panel.GetText(), " .: Kanál 2 : Kleště 60A");
    EXPECT_EQ(panel.GetValues(), std::vector<std::string>{"1000.00 A/dílek"});

    parent.clear();
    const QPoint at(7, 9);
    QTest::mouseClick(&panel, Qt::RightButton, {}, at);
    ASSERT_EQ(parent.messages.size(), 1u);
    const PostedMessage& m = parent.messages[0];
    EXPECT_EQ(m.msg, Msg::UWM_CHANNEL_RIGHT_BUTTON_DOWN);
    EXPECT_EQ(m.wParam, reinterpret_cast<std::intptr_t>(&data.GetChannel(2)));
    EXPECT_EQ(m.lParam, CScopeCtrlChannel::PackPoint(panel.mapToGlobal(at)));
    EXPECT_EQ(CScopeCtrlChannel::PackPoint({-1, 3}), 0x0003FFFF);
    EXPECT_FALSE(data.IsDirty());
}

TEST_F(PanelTest, TriggerKeysCycleTheModeAndToggleTheEdge) {
    CScopeCtrlTrigger panel;
    setUp(panel, 1);
    EXPECT_EQ(panel.GetText(), " .: Spouštění (CH1) ");
    EXPECT_EQ(panel.Key(CScopeCtrlTrigger::KeyMode).caption, "AUTO");
    EXPECT_EQ(panel.GetValues(), (std::vector<std::string>{"0.00 V", "Náběžná"}));

    const int modes[] = {TM_NORM, TM_SINGLE, TM_FREE, TM_AUTO};
    for (const int mode : modes) {
        clickKey(panel, CScopeCtrlTrigger::KeyMode);
        EXPECT_EQ(data.GetSettings().TR_mode, mode);
        ASSERT_TRUE(idle(panel));
    }
    clickKey(panel, CScopeCtrlTrigger::KeyEdge);
    EXPECT_EQ(data.GetSettings().TR_rising, 0);
    EXPECT_EQ(parent.messages.size(), 10u);

    // What the panel shows is the record the module confirmed.
    tOscilExchange r = test::fourChannels();
    r.TR_channel = 2;
    r.TR_rising = 0;
    r.TR_mode = TM_SINGLE;
    r.TR_level = 1023;
    ASSERT_EQ(data.AcceptSettings(r), AcceptResult::Accepted);
    panel.UpdateTexts();
    EXPECT_EQ(panel.GetText(), " .: Spouštění (CH2) ");
    EXPECT_EQ(panel.Key(CScopeCtrlTrigger::KeyMode).caption, "SINGLE");
    EXPECT_EQ(panel.GetValues(), (std::vector<std::string>{"3.00 V", "Sestupná"}));
}

TEST_F(PanelTest, TimeBaseStepsAndAnyClickDropsTheZoom) {
    CScopeCtrlTimeBase panel;
    setUp(panel, 1);
    double zoom = 2.5;
    panel.SetZoom([&zoom] { return zoom; });
    EXPECT_EQ(panel.GetText(), " .: Časová základna : Z 2.5x");
    EXPECT_EQ(panel.GetValues(), std::vector<std::string>{"400.00 us/dílek"});
    zoom = 1.0;
    panel.UpdateTexts();
    EXPECT_EQ(panel.GetText(), " .: Časová základna ");
    zoom = 4.0;
    panel.UpdateTexts();

    parent.clear();
    clickKey(panel, CScopeCtrlTimeBase::KeyUp);
    EXPECT_EQ(data.GetSettings().time_base_ENUM, 5u);
    EXPECT_FALSE(panel.HasZoom());
    EXPECT_EQ(panel.GetText(), " .: Časová základna ");
    EXPECT_EQ(panel.GetValues(), std::vector<std::string>{"1.00 ms/dílek"});
    EXPECT_EQ(
        parent.messages,
        (std::vector<PostedMessage>{
            kClick(1), kClick(1), {Msg::UWM_SCOPE_CTRL_BASE, 0, Encode(PanelNotice::TimeBaseReleased)}}));
    ASSERT_TRUE(idle(panel));
    clickKey(panel, CScopeCtrlTimeBase::KeyDown);
    ASSERT_TRUE(idle(panel));
    clickKey(panel, CScopeCtrlTimeBase::KeyDown);
    EXPECT_EQ(data.GetSettings().time_base_ENUM, 3u);
}

TEST_F(PanelTest, MeasureShowsTheCursorTimeOfItsChannel) {
    CScopeCtrlMeasure panel;
    setUp(panel, 3);
    EXPECT_EQ(panel.GetText(), " .: Měření čas.osy (CH3) ");
    EXPECT_EQ(panel.GetValues(), (std::vector<std::string>{"dt 5.00 ms", "f 200.00 Hz"}));
    double distance = -25.0;
    panel.SetCursors([&distance] { return distance; }, [] { return 2.0; });
    EXPECT_EQ(panel.GetValues(), (std::vector<std::string>{"dt -1.25 ms", "f 800.00 Hz"}));
    EXPECT_EQ(panel.KeyCount(), 0);
    parent.clear();
    QTest::mouseClick(&panel, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(parent.messages, std::vector{kClick(3)});
}

TEST_F(PanelTest, KeyboardReachesEveryKey) {
    CScopeCtrlChannel channel;
    setUp(channel, 4);
    struct Step {
        CScopeCtrlBase* panel;
        int qtKey;
        std::function<int()> field;
        int after;
    };
    CScopeCtrlTrigger trigger;
    setUp(trigger, 1);
    CScopeCtrlTimeBase timebase;
    setUp(timebase, 1);
    const auto& r = data.GetSettings();
    const Step steps[] = {
        {&channel, Qt::Key_Up, [&] { return r.CH4_mux; }, 5},
        {&channel, Qt::Key_Down, [&] { return r.CH4_mux; }, 4},
        {&channel, Qt::Key_C, [&] { return r.CH4_dc_on; }, CPL_AC},
        {&channel, Qt::Key_T, [&] { return r.TR_channel; }, 4},
        {&trigger, Qt::Key_M, [&] { return r.TR_mode; }, TM_NORM},
        {&trigger, Qt::Key_E, [&] { return r.TR_rising; }, 0},
        {&timebase, Qt::Key_Right, [&] { return static_cast<int>(r.time_base_ENUM); }, 5},
        {&timebase, Qt::Key_Minus, [&] { return static_cast<int>(r.time_base_ENUM); }, 4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.qtKey);
        QTest::keyClick(s.panel, static_cast<Qt::Key>(s.qtKey));
        EXPECT_EQ(s.field(), s.after);
        ASSERT_TRUE(idle(*s.panel));
    }
    parent.clear();
    QTest::keyClick(&channel, Qt::Key_Return); // the label alone
    QTest::keyClick(&channel, Qt::Key_Menu);
    ASSERT_EQ(parent.messages.size(), 2u);
    EXPECT_EQ(parent.messages[0], kClick(4));
    EXPECT_EQ(parent.messages[1].msg, Msg::UWM_CHANNEL_RIGHT_BUTTON_DOWN);
}

TEST_F(PanelTest, ArrowKeysPostTheirDirection) {
    CScopeCtrlArrow left(kArrowLeft);
    CScopeCtrlArrow right(kArrowRight);
    CScopeCtrlArrow odd(7);
    EXPECT_EQ(odd.GetDirection(), kArrowLeft);
    for (CScopeCtrlArrow* a : {&left, &right}) {
        a->SetTarget(&parent);
        a->resize(22, 22);
        a->show();
    }
    QTest::mousePress(&left, Qt::LeftButton, {}, {11, 11});
    EXPECT_TRUE(left.IsPressed());
    QTest::mouseRelease(&left, Qt::LeftButton, {}, {11, 11});
    EXPECT_FALSE(left.IsPressed());
    QTest::keyClick(&right, Qt::Key_Space);
    QTest::keyClick(&right, Qt::Key_Left); // not its own way
    QTest::keyClick(&right, Qt::Key_Right);
    const PostedMessage l{Msg::UWM_SCOPE_CTRL_LEFT_RIGHT, 0, kArrowLeft};
    const PostedMessage r{Msg::UWM_SCOPE_CTRL_LEFT_RIGHT, 0, kArrowRight};
    EXPECT_EQ(parent.messages, (std::vector{l, r, r}));
    EXPECT_TRUE(waitUntil([&] { return !right.IsPressed(); }));
}

TEST_F(PanelTest, RendersShowTitlesValuesAndKeyFaces) {
    CScopeCtrlChannel channel;
    channel.setObjectName("channel");
    CScopeCtrlTrigger trigger;
    trigger.setObjectName("trigger");
    CScopeCtrlTimeBase timebase;
    timebase.setObjectName("timebase");
    CScopeCtrlMeasure measure;
    measure.setObjectName("measure");
    setUp(channel, 1);
    setUp(trigger, 2);
    setUp(timebase, 3);
    setUp(measure, 4);

    for (CScopeCtrlBase* p :
         std::initializer_list<CScopeCtrlBase*>{&channel, &trigger, &timebase, &measure}) {
        SCOPED_TRACE(p->objectName().toStdString());
        const QImage img = renderOf(*p);
        const QRgb ink = ToQColor(p->GetTextColor()).rgb();
        const int titleRows = p->height() * 2 / 5;
        const int valueRight = p->KeyCount() > 0 ? p->KeyRect(0).left() : p->width();
        // Text in the channel colour in the title and in the value area, on the black background.
        EXPECT_GT(countColour(img, {0, 0, p->width(), titleRows}, ink), 10);
        EXPECT_GT(countColour(img, {0, titleRows + 4, valueRight, p->height() - titleRows - 4}, ink), 10);
        EXPECT_GT(countColour(img, img.rect(), qRgb(0, 0, 0)), img.width() * img.height() / 3);
        for (int k = 0; k < p->KeyCount(); ++k) {
            const QRect kr = p->KeyRect(k);
            EXPECT_TRUE(img.rect().contains(kr)) << k;
            EXPECT_EQ(img.pixel(kr.topLeft() + QPoint(1, 1)), ToQColor(p->Key(k).face).rgb()) << k;
            // Caption drawn on the face: some pixels differ from it.
            EXPECT_LT(countColour(img, kr, ToQColor(p->Key(k).face).rgb()), kr.width() * kr.height()) << k;
        }
    }
    EXPECT_EQ(channel.Key(CScopeCtrlChannel::KeyTrigger).face, kKeyFaceTrigger);

    // The pressed key and the flashing label show their colours.
    channel.SetFlashTime(60000);
    clickKey(channel, CScopeCtrlChannel::KeyTrigger);
    const QImage pressed = renderOf(channel);
    const QRect kr = channel.KeyRect(CScopeCtrlChannel::KeyTrigger);
    EXPECT_EQ(pressed.pixel(kr.topLeft() + QPoint(1, 1)), ToQColor(kKeyPressedFace).rgb());
    EXPECT_EQ(pressed.pixel(1, channel.height() - 2), ToQColor(kPanelPressedBackground).rgb());

    // Narrow, zoomed, with the focus frame: keys keep inside, the long title is cut short, not clipped.
    CScopeCtrlTimeBase narrow;
    setUp(narrow, 1, 170);
    narrow.SetZoom([] { return 12.5; });
    narrow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&narrow));
    narrow.setFocus();
    ASSERT_TRUE(narrow.hasFocus());
    const QImage n = renderOf(narrow);
    EXPECT_EQ(narrow.KeyRect(CScopeCtrlTimeBase::KeyUp).right(), 170 - 1 - kPanelMargin);
    EXPECT_GT(narrow.KeyRect(CScopeCtrlTimeBase::KeyDown).left(), 170 / 3);
    EXPECT_EQ(countColour(n, {n.width() - kPanelMargin, 1, kPanelMargin - 1, n.height() - 2},
                          ToQColor(narrow.GetTextColor()).rgb()),
              0);

    CScopeCtrlArrow arrow(kArrowRight);
    arrow.resize(22, 22);
    const QImage a = renderOf(arrow);
    EXPECT_EQ(a.pixel(0, 0), ToQColor(kArrowBackground).rgb());
    EXPECT_EQ(a.pixel(11, 11), ToQColor(kArrowInk).rgb());
    EXPECT_EQ(a.pixel(11, 3), ToQColor(kArrowFace).rgb());
}
