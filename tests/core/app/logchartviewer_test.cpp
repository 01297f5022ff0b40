#include "core/app/logchartviewer.h"

#include "core/files/sdfbuilder.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wavix {
namespace {

// Records what the viewer asks of the main window, in order.
class FakeHost : public ILogChartHost {
public:
    bool linkOpen = true;
    std::vector<std::string> calls;
    std::vector<std::string> errors;
    std::vector<LogDisplayAssignment> plan;
    std::vector<LogMark> marks;
    std::vector<int> firstSamples; // of each channel in the last window shown

    bool IsLinkOpen() const override { return linkOpen; }
    void DisconnectAndCloseLink() override {
        calls.push_back("close link");
        linkOpen = false;
    }
    void ReopenLink() override {
        // Opening an open link fails with the "interface busy" question.
        calls.push_back(linkOpen ? "reopen OPEN link" : "reopen link");
        linkOpen = true;
    }
    void ShowError(std::string_view text) override { errors.emplace_back(text); }
    void ClearDisplays() override { calls.push_back("clear"); }
    void ShowLogWindow(CScopeFile& file, const std::vector<LogDisplayAssignment>& p,
                       const std::vector<LogMark>& m) override {
        calls.push_back("show window");
        plan = p;
        marks = m;
        firstSamples.clear();
        for (int i = 0; i < file.GetChannelCount(); ++i)
            firstSamples.push_back(
                file.GetChannel(i)->GetSamples().empty() ? -9999 : file.GetChannel(i)->GetSamples()[0]);
    }
    void ShowNavigator(const std::vector<std::string>&) override { calls.push_back("navigator"); }
    void RefreshNavigator() override {}
    void RestoreLiveScope() override { calls.push_back("live"); }

    int count(const std::string& what) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), what));
    }
};

// Two channels, 120 000 instants: channel 1 reads the instant modulo 1000, channel 2
// its negative; marks at 30 000 and 100 000.
std::string twoChannelLog() {
    std::vector<std::uint16_t> words;
    words.reserve(240000);
    for (int i = 0; i < 120000; ++i) {
        auto a = static_cast<std::uint16_t>(512 + i % 500);
        if (i == 30000 || i == 100000)
            a |= 0x8000;
        words.push_back(a);
        words.push_back(static_cast<std::uint16_t>(512 - i % 500));
    }
    return test::buildLog(0x44, {{}, {}}, words);
}

LogLoadResult load(const std::filesystem::path& path) {
    CLogLoadJob job(path);
    job.Run();
    return job.TakeResult();
}

class LogChartViewerTest : public ::testing::Test {
protected:
    void SetUp() override { test::writeFile(dir / "log.sdf", twoChannelLog()); }

    test::TempDir dir;
    FakeHost host;
    CLogChartViewer viewer{host};
};

TEST_F(LogChartViewerTest, ShowsTheFirstWindowWithItsMarksAndMovesOn) {
    ASSERT_TRUE(viewer.BeginLoad());
    ASSERT_TRUE(viewer.FinishLoad(load(dir / "log.sdf")));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(viewer.Navigator().Window(), 50000);
    EXPECT_EQ(host.plan, (std::vector<LogDisplayAssignment>{{0, {0, 1}}}));
    // The mark at 30 000 is inside 0..50 000; the one at 100 000 is not.
    ASSERT_EQ(host.marks.size(), 1u);
    EXPECT_EQ(host.marks[0].position, 30000u);
    EXPECT_EQ(host.firstSamples, (std::vector<int>{0, 0}));

    ASSERT_TRUE(viewer.Navigator().PositionForward());
    viewer.OnNavigatorMessage(Encode(LogChartNotice::WindowChanged));
    EXPECT_EQ(host.firstSamples, (std::vector<int>{25000 % 500, -(25000 % 500)}));
    ASSERT_EQ(host.marks.size(), 1u);
    EXPECT_EQ(host.marks[0].position, 5000u);

    viewer.OnNavigatorMessage(Encode(LogChartNotice::DisplayMode)); // one display per channel
    EXPECT_EQ(host.plan, (std::vector<LogDisplayAssignment>{{0, {0}}, {1, {1}}}));
    EXPECT_TRUE(viewer.OnePerChannel());
}

TEST_F(LogChartViewerTest, MarksStopAtTheLimitAndTheRestIsCounted) {
    // Every instant of channel 1 carries a mark: 120 000 of them.
    std::vector<std::uint16_t> words;
    for (int i = 0; i < 120000; ++i)
        words.insert(words.end(), {static_cast<std::uint16_t>(0x8000 | 512), 512});
    test::writeFile(dir / "marked.sdf", test::buildLog(0x44, {{}, {}}, words));
    ASSERT_TRUE(viewer.BeginLoad());
    ASSERT_TRUE(viewer.FinishLoad(load(dir / "marked.sdf")));

    CLogChartNavigator& nav = viewer.Navigator();
    ASSERT_EQ(nav.Marks().size(), kMaxLogMarks);
    EXPECT_EQ(nav.Marks().back(), (LogMark{100000, 99999, 1}));
    EXPECT_EQ(nav.MarkCountText(), "Počet značek: 100000 (nezobrazeno: 20000)");
    // Strictly inside the first window 0..50 000, in order.
    ASSERT_EQ(host.marks.size(), 49999u);
    for (std::size_t k = 0; k < host.marks.size(); ++k)
        ASSERT_EQ(host.marks[k], (LogMark{static_cast<int>(k + 2), static_cast<std::uint32_t>(k + 1), 1}));

    ASSERT_TRUE(nav.GoToMark(100000));
    EXPECT_EQ(nav.Position(), 70000); // the last window
    const auto inside = nav.MarksInWindow();
    ASSERT_EQ(inside.size(), 29999u); // the kept marks end at 99 999
    EXPECT_EQ(inside.front(), (LogMark{70002, 1, 1}));
    EXPECT_EQ(inside.back(), (LogMark{100000, 29999, 1}));
}

TEST_F(LogChartViewerTest, AWindowThatCannotBeReadAnymoreIsReported) {
    viewer.BeginLoad();
    ASSERT_TRUE(viewer.FinishLoad(load(dir / "log.sdf")));
    std::filesystem::remove(dir / "log.sdf");
    viewer.OnNavigatorMessage(Encode(LogChartNotice::WindowChanged));
    EXPECT_EQ(host.errors, (std::vector<std::string>{std::string(kLogFileNotValid)}));
}

// What happens to the link from entering the viewer to leaving it.
struct LinkCase {
    const char* name;
    bool openAtEntry;
    bool entered; // a log was chosen (else the chooser was cancelled)
    LogLoadResult::Outcome outcome;
    std::vector<std::string> expected;
};

class LogChartViewerLink : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LogChartViewerLink, ClosesOnEntryAndReopensOnlyAClosedLink) {
    const LinkCase& c = GetParam();
    test::TempDir dir;
    test::writeFile(dir / "log.sdf", twoChannelLog());
    FakeHost host;
    host.linkOpen = c.openAtEntry;
    CLogChartViewer viewer(host);
    if (c.entered) {
        ASSERT_TRUE(viewer.BeginLoad());
        LogLoadResult result;
        if (c.outcome == LogLoadResult::Outcome::Loaded)
            result = load(dir / "log.sdf");
        result.outcome = c.outcome;
        const bool shown = viewer.FinishLoad(std::move(result));
        EXPECT_EQ(shown, c.outcome == LogLoadResult::Outcome::Loaded);
        EXPECT_EQ(host.errors.size(), c.outcome == LogLoadResult::Outcome::Failed ? 1u : 0u);
        if (shown)
            viewer.OnNavigatorMessage(Encode(LogChartNotice::Stop));
        else
            viewer.Leave();
    } else {
        viewer.Leave();
    }
    std::vector<std::string> linkCalls;
    for (const auto& call : host.calls)
        if (call.find("link") != std::string::npos || call == "live")
            linkCalls.push_back(call);
    EXPECT_EQ(linkCalls, c.expected);
    EXPECT_FALSE(viewer.IsShowing());
    // Leaving twice changes nothing more.
    const auto before = host.calls.size();
    viewer.Leave();
    EXPECT_EQ(host.calls.size(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogChartViewerLink,
    ::testing::Values(
        LinkCase{"shown", true, true, LogLoadResult::Outcome::Loaded, {"close link", "live", "reopen link"}},
        LinkCase{"failed", true, true, LogLoadResult::Outcome::Failed, {"close link", "live", "reopen link"}},
        LinkCase{"cancelled",
                 true,
                 true,
                 LogLoadResult::Outcome::Cancelled,
                 {"close link", "live", "reopen link"}},
        LinkCase{"alreadyClosed", false, true, LogLoadResult::Outcome::Loaded, {"live", "reopen link"}},
        LinkCase{"chooserCancelled", true, false, LogLoadResult::Outcome::Cancelled, {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(LogChartViewerTest, WhileLoadingNothingElseStartsOrEnds) {
    ASSERT_TRUE(viewer.BeginLoad());
    EXPECT_FALSE(viewer.CanOpen());
    EXPECT_FALSE(viewer.CanClose());
    EXPECT_FALSE(viewer.BeginLoad());
    viewer.Leave(); // Stop cannot pull the viewer from under the worker
    viewer.OnNavigatorMessage(Encode(LogChartNotice::WindowChanged));
    EXPECT_EQ(host.count("close link"), 1);
    EXPECT_EQ(host.count("live"), 0);
    ASSERT_TRUE(viewer.FinishLoad(load(dir / "log.sdf")));
    EXPECT_TRUE(viewer.CanOpen());
    EXPECT_TRUE(viewer.CanClose());
}

TEST_F(LogChartViewerTest, AShortLogIsShownWhole) {
    test::writeFile(dir / "short.sdf", test::buildLog(0x33, {{}}, std::vector<std::uint16_t>(7000, 512)));
    viewer.BeginLoad();
    ASSERT_TRUE(viewer.FinishLoad(load(dir / "short.sdf")));
    EXPECT_EQ(viewer.Navigator().Window(), 7000);
    EXPECT_EQ(viewer.File()->GetChannel(0)->GetSampleCount(), 7000u);
}

// The navigator never covers the main window when the screen has room on a side.
TEST(LogNavigatorPlacement, BesideTheMainWindowWhereItFits) {
    struct Case {
        Rect owner;
        Point at;
    };
    const Rect screen{0, 0, 1920, 1080};
    const Case cases[] = {
        {{100, 50, 1100, 730}, {1100, 50}},   // right
        {{900, 900, 1900, 1580}, {500, 680}}, // left, kept on the screen's height
        {{0, 0, 1900, 500}, {0, 500}},        // below
        {{0, 500, 1900, 1080}, {0, 100}},     // above
        {{0, 0, 1920, 1080}, {1520, 0}},      // no room: kept on the screen
        {{-300, 0, 1400, 1000}, {1400, 0}},   // partly off the screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceBeside(c.owner, 400, 400, screen), c.at) << c.owner.left << "," << c.owner.top;
}

} // namespace
} // namespace wavix
