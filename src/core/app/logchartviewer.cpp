#include "core/app/logchartviewer.h"

#include <algorithm>
#include <array>

namespace wavix {

Point PlaceBeside(const Rect& owner, int width, int height, const Rect& screen) {
    const auto clampX = [&](int x) {
        return std::clamp(x, screen.left, std::max(screen.left, screen.right - width));
    };
    const auto clampY = [&](int y) {
        return std::clamp(y, screen.top, std::max(screen.top, screen.bottom - height));
    };
    struct Side {
        int room;   // free pixels on that side of the owner
        int needed; // the window's extent across that side
        Point at;
    };
    const std::array<Side, 4> sides{{
        {screen.right - owner.right, width, {owner.right, clampY(owner.top)}},
        {owner.left - screen.left, width, {owner.left - width, clampY(owner.top)}},
        {screen.bottom - owner.bottom, height, {clampX(owner.left), owner.bottom}},
        {owner.top - screen.top, height, {clampX(owner.left), owner.top - height}},
    }};
    for (const Side& side : sides)
        if (side.room >= side.needed)
            return side.at;
    const auto roomiest = std::max_element(sides.begin(), sides.end(), [](const Side& a, const Side& b) {
        return a.room - a.needed < b.room - b.needed;
    });
    return {clampX(roomiest->at.x), clampY(roomiest->at.y)};
}

CLogChartViewer::CLogChartViewer(ILogChartHost& host) : host_(host) {}

bool CLogChartViewer::BeginLoad() {
    if (loading_)
        return false;
    loading_ = true;
    entered_ = true;
    // A log already shown is replaced; the displays must let go of it first.
    host_.ClearDisplays();
    file_.reset();
    nav_.CloseLog();
    nav_.SetMarks({});
    if (host_.IsLinkOpen())
        host_.DisconnectAndCloseLink();
    return true;
}

bool CLogChartViewer::FinishLoad(LogLoadResult result) {
    loading_ = false;
    if (result.outcome != LogLoadResult::Outcome::Loaded || !result.file) {
        if (result.outcome == LogLoadResult::Outcome::Failed)
            host_.ShowError(kLogFileNotValid);
        return false;
    }
    file_ = std::move(result.file);
    nav_.Reset();
    nav_.SetMarks(std::move(result.marks), result.marksInLog);
    nav_.SetLog(file_->GetLogSamplesPerChannel());
    std::vector<CChannelData*> channels;
    for (int i = 0; i < file_->GetChannelCount(); ++i)
        channels.push_back(file_->GetChannel(i));
    const auto lines = nav_.ChannelListLines(channels);
    host_.ClearDisplays();
    if (!ReadLogWindow(*file_, nav_.Position(), nav_.Window())) {
        host_.ShowError(kLoadFailed);
        file_.reset();
        nav_.CloseLog();
        return false;
    }
    host_.ShowLogWindow(*file_, LogWindowDisplays(file_->GetChannelCount(), kDisplayCount, onePerChannel_),
                        nav_.MarksInWindow());
    host_.ShowNavigator(lines);
    return true;
}

void CLogChartViewer::OnNavigatorMessage(std::intptr_t code) {
    switch (Decode<LogChartNotice>(code)) {
    case LogChartNotice::WindowChanged:
        ReadWindow();
        break;
    case LogChartNotice::Stop:
        Leave();
        break;
    case LogChartNotice::DisplayMode:
        ToggleDisplayMode();
        break;
    default:
        break;
    }
}

bool CLogChartViewer::ReadWindow() {
    if (!file_ || loading_)
        return false;
    host_.ClearDisplays();
    // The header is not read again: the object already knows where the stream is,
    // and every window opens the file afresh, so a vanished file still fails here.
    if (!ReadLogWindow(*file_, nav_.Position(), nav_.Window())) {
        host_.ShowError(kLogFileNotValid);
        return false;
    }
    host_.ShowLogWindow(*file_, LogWindowDisplays(file_->GetChannelCount(), kDisplayCount, onePerChannel_),
                        nav_.MarksInWindow());
    host_.RefreshNavigator();
    return true;
}

void CLogChartViewer::ToggleDisplayMode() {
    onePerChannel_ = !onePerChannel_;
    ReadWindow();
}

void CLogChartViewer::Leave() {
    if (loading_ || !entered_)
        return;
    entered_ = false;
    // The displays hold the file's channels: they let go before the file goes.
    host_.ClearDisplays();
    host_.RestoreLiveScope();
    file_.reset();
    nav_.CloseLog();
    if (!host_.IsLinkOpen())
        host_.ReopenLink();
}

} // namespace wavix
