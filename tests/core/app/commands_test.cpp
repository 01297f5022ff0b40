// The main window's commands as far as they are free of widgets: the view
// context menu, the show-mode cycle, view notices that change the record, and
// captures read for display beside the live traces.

#include "core/app/loadedtraces.h"
#include "core/app/mainmenu.h"
#include "core/app/viewmenu.h"
#include "core/app/viewnotices.h"
#include "core/files/scopefile.h"

#include "core/app/controllerharness.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>

namespace wavix::test {
namespace {

// Every command identifier of the model, in menu order.
void collectIds(const std::vector<ViewMenuItem>& items, std::vector<int>& out) {
    for (const ViewMenuItem& item : items) {
        if (item.kind == ViewMenuItem::Kind::Command)
            out.push_back(item.id);
        collectIds(item.children, out);
    }
}

TEST(ViewMenu, IdentifiersTextsAndStatesFollowTheView) {
    ViewMenuState s;
    s.view = 1;
    s.halfMode = true;
    s.scrollBar = false;
    s.limits = true;
    s.live = {{2, 1, false}};
    s.loaded = {{2, 0, true}, {2, 1, false}};
    const ViewMenuModel m = BuildViewMenu(s);
    EXPECT_EQ(m.title, " Scope B ");

    std::vector<int> ids;
    collectIds(m.items, ids);
    const std::vector<int> expected = {0x1000, 0x1100, 0x1C01, 0x1D00, 0x1D01, 0x1200, 0x1700, 0x1E01, 0x1F00,
                                       0x1F01, 0x2000, 0x1901, 0x1A00, 0x1A01, 0x1400, 0x1500, 0x1B00};
    EXPECT_EQ(ids, expected);
    for (const int id : ids) {
        ViewCommand c;
        ASSERT_TRUE(DecodeViewCommand(id, c)) << std::hex << id;
        EXPECT_EQ(ViewCommandId(c.action, c.index), id);
    }

    // Framed texts, the channel number in the per-channel ones.
    EXPECT_EQ(FindViewMenuItem(m, 0x1200)->text, "  Plné zobrazení  ");
    EXPECT_EQ(FindViewMenuItem(m, 0x1901)->text, "  Kanál 2  ");
    EXPECT_EQ(FindViewMenuItem(m, 0x1A01)->text, "  Nahraný kanál 2  ");
    // Drawn channels and the limits are ticked; colours and infos are not.
    EXPECT_FALSE(FindViewMenuItem(m, 0x1E01)->checked);
    EXPECT_TRUE(FindViewMenuItem(m, 0x1F00)->checked);
    EXPECT_FALSE(FindViewMenuItem(m, 0x1F01)->checked);
    EXPECT_TRUE(FindViewMenuItem(m, 0x2000)->checked);
    EXPECT_FALSE(FindViewMenuItem(m, 0x1D00)->checkable);
    // Nothing loaded anywhere: nothing to remove; no channels: empty submenus are grey.
    s.anyLoaded = false;
    EXPECT_FALSE(FindViewMenuItem(BuildViewMenu(s), 0x1B00)->enabled);
    // A roll log locks what the toolbar would do; the view's own look stays free.
    const ViewMenuModel free = BuildViewMenu(s);
    s.rollLog = true;
    const ViewMenuModel logging = BuildViewMenu(s);
    for (const int id : ids) {
        ViewCommand c;
        DecodeViewCommand(id, c);
        EXPECT_EQ(FindViewMenuItem(logging, id)->enabled,
                  FindViewMenuItem(free, id)->enabled && !IsLockedByRollLog(c.action))
            << std::hex << id;
    }
    EXPECT_FALSE(FindViewMenuItem(logging, 0x1400)->enabled);
    s.rollLog = false;
    const ViewMenuModel bare = BuildViewMenu(ViewMenuState{});
    for (const ViewMenuItem& item : bare.items) {
        if (item.kind == ViewMenuItem::Kind::Submenu) {
            EXPECT_FALSE(item.enabled) << item.text;
        }
    }
    EXPECT_NE(FindViewMenuItem(bare, 0x1300), nullptr); // full display offers the half one
    EXPECT_NE(FindViewMenuItem(bare, 0x1700), nullptr);
}

TEST(ViewMenu, TitlesAndForeignIdentifiers) {
    const std::pair<int, const char*> titles[] = {
        {0, " Scope A "}, {3, " Scope D "}, {4, " Scope ? "}, {-1, " Scope ? "}};
    for (const auto& [view, title] : titles)
        EXPECT_EQ(ViewMenuTitle(view, BuiltinLookup), title) << view;
    // Main menu commands, the gap at 0x18, an index on a command that takes none, channels past 9.
    for (const int id : {0, 15, 0x8010, 0xE800, 0x1800, 0x1001, 0x1909, 0x2100, 0x0F00}) {
        ViewCommand c;
        EXPECT_FALSE(DecodeViewCommand(id, c)) << std::hex << id;
    }
}

TEST(MainMenu, ShowModeCyclesThroughTheFourStyles) {
    EXPECT_EQ(NextShowMode(3025), 3026);
    EXPECT_EQ(NextShowMode(3027), 3028);
    EXPECT_EQ(NextShowMode(3028), 3025);
    EXPECT_EQ(NextShowMode(0), 3025);
    // Every command of the menu bar has a text and a tool tip of the catalogue.
    for (const MainMenuEntry& e : MainMenuLayout()) {
        EXPECT_FALSE(BuiltinLookup(e.textKey).empty()) << e.textKey;
        if (e.command != 0) {
            EXPECT_FALSE(BuiltinLookup(e.tipKey).empty()) << e.textKey;
        }
    }
    // Toolbar items run the toolbar's command; only those in the menu count.
    EXPECT_EQ(ToolbarCommandOfItem(ToolbarItem(ToolbarCommand::Print)), ToolbarCommand::Print);
    EXPECT_EQ(ToolbarCommandOfItem(ToolbarItem(ToolbarCommand::ViewMode)), ToolbarCommand::ViewMode);
    for (const int id : {ToolbarItem(ToolbarCommand::ChannelsUp), 0x8010, kHelpKeysItem, 0})
        EXPECT_FALSE(ToolbarCommandOfItem(id).has_value()) << std::hex << id;
}

class FakeViews : public IViewNoticeTarget {
public:
    int ViewOf(std::intptr_t handle) const override {
        return handle >= 100 && handle < 104 ? handle - 100 : -1;
    }
    int TriggerLevelOf(int) const override { return level; }
    std::uint32_t TriggerPositionOf(int) const override { return position; }
    void SelectView(int view) override { calls.push_back("select " + std::to_string(view)); }
    void PassToSettings(std::intptr_t, ViewNotice notice) override {
        calls.push_back("settings " + std::to_string(Encode(notice)));
    }
    void ShareMeasurement(std::intptr_t) override { calls.emplace_back("measure"); }
    void ApplyZoom(std::intptr_t) override { calls.emplace_back("zoom"); }
    void ResetZoom() override { calls.emplace_back("reset"); }
    void StepLoadedFile(int d) override { calls.push_back("step " + std::to_string(d)); }
    bool MarkRollLog(int kind) override {
        if (recording)
            calls.push_back("mark " + std::to_string(kind));
        return recording;
    }

    int level = 0;
    std::uint32_t position = 0;
    bool recording = false;
    std::vector<std::string> calls;
};

class Notices : public ::testing::Test, public ControllerHarness {};

TEST_F(Notices, MovedTriggerMarkersEchoAndSendTheRecord) {
    FakeViews views;
    CViewNotices notices(protocol, data(), views);
    module.groupsLeft = 1;
    module.emptyWhenIdle = true; // the queue stays free for the records
    start();
    const std::size_t sentBefore = module.sent.size();
    const std::size_t echoesBefore = module.count(c_ivrECHO);

    views.level = 1500; // past the converter's top
    notices.OnNotice(101, Encode(ViewNotice::TriggerLevel));
    settle();
    ASSERT_EQ(module.sent.size(), sentBefore + 1);
    EXPECT_EQ(module.sent.back().TR_level, 1023);
    EXPECT_EQ(data().GetSettings().TR_level, 1023);

    views.position = 2500;
    notices.OnNotice(100, Encode(ViewNotice::TriggerPosition));
    settle();
    ASSERT_EQ(module.sent.size(), sentBefore + 2);
    EXPECT_EQ(module.sent.back().TR_position, 2500u);
    EXPECT_EQ(module.count(c_ivrECHO), echoesBefore + 2);

    // A handle that is no view (a zoom, a stale pointer) changes nothing.
    notices.OnNotice(42, Encode(ViewNotice::TriggerLevel));
    notices.OnNotice(42, Encode(ViewNotice::Selected));
    settle();
    EXPECT_EQ(module.sent.size(), sentBefore + 2);

    for (const ViewNotice n :
         {ViewNotice::ZoomSelected, ViewNotice::Selected, ViewNotice::Measure, ViewNotice::ZoomInfo,
          ViewNotice::ZoomApply, ViewNotice::ZoomReset, ViewNotice::Button1, ViewNotice::Button2})
        notices.OnNotice(n == ViewNotice::Selected ? 103 : 0, Encode(n));
    EXPECT_EQ(views.calls, (std::vector<std::string>{"settings 1", "select 3", "settings 3", "measure",
                                                     "settings 4", "zoom", "reset", "step 1", "step 2"}));
    EXPECT_EQ(notices.SelectedView(), 3);
    // While a roll log is recorded the two buttons mark it instead.
    views.recording = true;
    views.calls.clear();
    notices.OnNotice(0, Encode(ViewNotice::Button2));
    notices.OnNotice(0, Encode(ViewNotice::Button1));
    EXPECT_EQ(views.calls, (std::vector<std::string>{"mark 2", "mark 1"}));
}

std::unique_ptr<CChannelData> waveChannel(int ch, int step, std::uint32_t samples) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.version = 2;
    rec.chann_num = 4;
    rec.time_base_ENUM = static_cast<std::uint32_t>(step);
    rec.time_base = TimeBaseDivider(step);
    auto c = std::make_unique<CChannelData>();
    c->ApplySettings(rec, ch);
    auto s = c->WritableSamples(samples);
    for (std::uint32_t i = 0; i < samples; ++i)
        s[i] = static_cast<std::int32_t>(i % 400) - 200;
    c->SetSampleCount(samples);
    return c;
}

// What the controller does not carry out itself goes, decoded, to the
// window's parts; nothing comes back to the window as a message.
class RecordingParts : public IViewMenuHost, public ILogChartControl, public ILogDownloadEvents {
public:
    void OpenViewMenu(int view, int x, int y) override {
        calls.push_back("menu " + std::to_string(view) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnControlMessage(std::intptr_t code) override { calls.push_back("chart " + std::to_string(code)); }
    void OnLogFilesButton(std::intptr_t code) override { calls.push_back("files " + std::to_string(code)); }
    void OnFileLinkNotice(Msg, std::intptr_t, std::intptr_t l) override {
        calls.push_back("link " + std::to_string(l));
    }
    std::vector<std::string> calls;
};

TEST_F(Notices, TheRestGoesToTheWindowsParts) {
    FakeViews views;
    RecordingParts parts;
    WindowParts all;
    all.toolbar = &toolbar;
    all.views = &views;
    all.viewMenus = &parts;
    all.logCharts = &parts;
    all.download = &parts;
    controller.SetParts(all);
    // A screen point is two signed 16-bit halves: x 20, y -10.
    const std::intptr_t point = (std::intptr_t{0xFFF6} << 16) | 20;
    post(Msg::UWM_SCOPE_RBUTTON, 102, point);
    post(Msg::UWM_SCOPE_RBUTTON, 7, point); // no view's handle
    post(Msg::UWM_DLG_CONTROL_LOG_CHART_MSG, 0, Encode(LogChartNotice::DisplayMode));
    post(Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Download));
    post(Msg::UWM_RECEIVED_FILE_MSG, 0, Encode(ReceivedFileNotice::MoreFollows));
    post(Msg::UWM_SCOPE_CTRL_BASE, 0, Encode(PanelNotice::TimeBaseReleased));
    post(Msg::UWM_SCOPE, 101, Encode(ViewNotice::Selected));
    for (const ToolbarCommand code : {ToolbarCommand::Print, ToolbarCommand::Load, ToolbarCommand::ShowMode,
                                      ToolbarCommand::SampleCharts, ToolbarCommand::LogCharts, ToolbarCommand::RollLog,
                                      ToolbarCommand::Configurator})
        post(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(code));
    EXPECT_EQ(parts.calls, (std::vector<std::string>{"menu 2 20 -10", "chart 2", "files 1", "link 3"}));
    EXPECT_EQ(views.calls, (std::vector<std::string>{"reset", "select 1"}));
    EXPECT_EQ(toolbar.calls,
              (std::vector<std::string>{"print", "load", "style", "book", "log charts", "roll log",
                                        "channel options"}));
}

TEST_F(Notices, CapturesAreReadWholeOrNotAtAll) {
    TempDir dir;
    std::vector<std::unique_ptr<CChannelData>> chans;
    std::vector<const CChannelData*> ptrs;
    for (int ch = 1; ch <= 3; ++ch) {
        chans.push_back(waveChannel(ch, 7, 1000));
        ptrs.push_back(chans.back().get());
    }
    CScopeFile out;
    ASSERT_TRUE(out.Save(dir / "three.sdf", ptrs));
    ASSERT_TRUE(out.SaveLogHeader(dir / "log.sdf", ptrs));
    out.CloseLog();
    {
        std::ofstream bad(dir / "bad.sdf", std::ios::binary);
        bad << "OSC1 this is no capture";
    }

    CLoadedTraces loaded;
    std::unique_ptr<CScopeFile> file;
    EXPECT_EQ(CLoadedTraces::Read(dir / "bad.sdf", file), CaptureLoadResult::Unreadable);
    EXPECT_EQ(CLoadedTraces::Read(dir / "missing.sdf", file), CaptureLoadResult::Unreadable);
    EXPECT_EQ(CLoadedTraces::Read(dir / "log.sdf", file), CaptureLoadResult::NoSamples);
    EXPECT_EQ(file, nullptr);
    ASSERT_EQ(CLoadedTraces::Read(dir / "three.sdf", file), CaptureLoadResult::Loaded);

    // The timebase is offered only while the link is alive and only when it differs.
    module.groupsLeft = 1;
    module.emptyWhenIdle = true;
    start();
    ASSERT_EQ(data().GetSettings().time_base_ENUM, 2u);
    EXPECT_EQ(CLoadedTraces::TimeBaseToOffer(*file, data().GetSettings(), false), 0);
    ASSERT_EQ(CLoadedTraces::TimeBaseToOffer(*file, data().GetSettings(), true), 7);
    CLoadedTraces::AdoptTimeBase(protocol, data(), 7);
    settle();
    ASSERT_FALSE(module.sent.empty());
    EXPECT_EQ(module.sent.back().time_base_ENUM, 7u);
    EXPECT_EQ(CLoadedTraces::TimeBaseToOffer(*file, data().GetSettings(), true), 0);

    // Channel k to view k; a second capture joins the first.
    loaded.Add(std::move(file));
    ASSERT_EQ(CLoadedTraces::Read(dir / "three.sdf", file), CaptureLoadResult::Loaded);
    loaded.Add(std::move(file));
    EXPECT_TRUE(loaded.HasAny());
    EXPECT_EQ(loaded.ForView(0).size(), 2u);
    EXPECT_EQ(loaded.ForView(2).size(), 2u);
    EXPECT_TRUE(loaded.ForView(3).empty());
    ASSERT_NE(loaded.Find(1, 1), nullptr);
    EXPECT_EQ(loaded.Find(1, 1)->GetChannel(), 2);
    EXPECT_EQ(loaded.Find(1, 1)->GetSampleCount(), 1000u);
    EXPECT_EQ(loaded.Find(1, 2), nullptr);
    EXPECT_EQ(loaded.Find(4, 0), nullptr);
    EXPECT_EQ(loaded.ChartName(loaded.Find(1, 1)), "three"); // no name typed: the file's

    // Fewer views on screen than channels: the others join view A, none is lost.
    const std::vector<std::pair<int, std::array<std::size_t, 4>>> arrangements{
        {1, {6, 0, 0, 0}}, {2, {4, 2, 0, 0}}, {4, {2, 2, 2, 0}}};
    for (const auto& [shown, sizes] : arrangements) {
        loaded.Arrange(shown);
        for (int v = 0; v < 4; ++v)
            EXPECT_EQ(loaded.ForView(v).size(), sizes[static_cast<std::size_t>(v)]) << shown << " " << v;
    }
    loaded.Clear();
    EXPECT_FALSE(loaded.HasAny());
    EXPECT_TRUE(loaded.ForView(0).empty());
}

} // namespace
} // namespace wavix::test
