#include "ui/main/mainviews.h"

#include "core/app/loadedtraces.h"
#include "core/scope/scopedata.h"
#include "core/settings/programsettings.h"
#include "ui/scope/cscope.h"

#include <algorithm>
#include <string>

namespace wavix {

namespace {
constexpr double kConverterTop = 1023.0;
}

void CMainViews::SetUp(const CProgramSettings& settings) {
    for (int i = 0; i < kViewCount; ++i) {
        CScope* view = views_[static_cast<std::size_t>(i)];
        const ViewSettings& vs = settings.View(i);
        // The stored show mode is only kept for the file: every run starts in the envelope.
        view->SetDrawStyle(static_cast<int>(DrawStyle::Envelope));
        view->SetBackgroundColour(vs.bkgCol);
        view->SetGridColour(vs.gridCol);
        view->SetInfoTextColour(vs.infoTxtCol);
        view->SetHalfMode(vs.halfMode);
        view->SetZoomBar(vs.scrollBar);
        view->SetValueMin(0.0);
        view->SetValueMax(kConverterTop);
        view->SetHorizontalDivisions(kHorizontalDivisions);
        view->SetVerticalDivisions(view->IsHalfMode() ? 3 : 6);
        view->SetRefreshPeriod(kRepaintMs);
        view->setVisible(i == 0);
    }
}

void CMainViews::StoreLooks(CProgramSettings& settings) const {
    for (int i = 0; i < kViewCount; ++i) {
        const CScope& v = *views_[static_cast<std::size_t>(i)];
        ViewSettings look;
        look.showMode = static_cast<std::uint32_t>(v.GetDrawStyle());
        look.bkgCol = v.GetBackgroundColour();
        look.gridCol = v.GetGridColour();
        look.infoTxtCol = v.GetInfoTextColour();
        look.halfMode = v.IsHalfMode();
        look.scrollBar = v.HasZoomBar();
        settings.SetView(i, look);
    }
}

void CMainViews::CopyViewA() {
    const CScope& a = *views_[0];
    for (std::size_t k = 1; k < views_.size(); ++k) {
        CScope& v = *views_[k];
        v.SetBackgroundColour(a.GetBackgroundColour());
        v.SetGridColour(a.GetGridColour());
        v.SetDrawStyle(a.GetDrawStyle());
        v.SetHalfMode(a.IsHalfMode());
        v.SetVerticalDivisions(a.GetVerticalDivisions());
    }
}

void CMainViews::ShowMessage(std::string_view text) {
    for (CScope* view : views_)
        view->SetMessage(std::string(text));
}

void CMainViews::Redraw() {
    for (CScope* view : views_) {
        view->UpdateData();
        view->update();
    }
}

void CMainViews::SetTriggerMarkerColor(std::uint32_t color) {
    for (CScope* view : views_) {
        view->TriggerLevel().SetOutlineColour(color);
        view->Invalidate();
    }
}

void CMainViews::SetTriggerLevel(int level) {
    for (CScope* view : views_)
        view->SetTriggerLevel(0, static_cast<int>(kConverterTop), std::clamp(level, 0, 1023));
}

void CMainViews::SetInputRanges(const ViewRanges& ranges) {
    for (std::size_t k = 0; k < views_.size(); ++k)
        views_[k]->SetRangeIndex(ranges[k]);
}

void CMainViews::SetCaptureGeometry(std::uint32_t samplesPerCapture, std::uint32_t triggerPosition) {
    for (CScope* view : views_) {
        view->TriggerPosition().SetRange(0, samplesPerCapture);
        // A capture of no samples (or a position past its end) has no place for the marker.
        if (samplesPerCapture > 0 && triggerPosition <= samplesPerCapture)
            view->TriggerPosition().SetPosition(100.0 * triggerPosition / samplesPerCapture);
        view->Invalidate();
    }
}

void CMainViews::ResetScale() {
    for (CScope* view : views_) {
        view->ResetZoom();
        view->Invalidate();
    }
}

void CMainViews::AttachChannels(CScopeData& channels, bool multiView, int visibleViews, int activeChannels) {
    for (CScope* view : views_) {
        view->ClearChannels();
        view->hide();
    }
    if (!multiView) {
        for (int ch = 1; ch <= std::clamp(activeChannels, 1, 4); ++ch)
            views_[0]->AddChannel(&channels.GetChannel(ch));
        views_[0]->show();
    } else {
        for (int k = std::clamp(visibleViews, 1, kViewCount); k >= 1; --k) {
            views_[static_cast<std::size_t>(k - 1)]->AddChannel(&channels.GetChannel(k));
            views_[static_cast<std::size_t>(k - 1)]->show();
        }
    }
}

void CMainViews::AttachLoaded(CLoadedTraces& loaded) {
    // The views on screen are the leading ones (AttachChannels).
    int shown = 1;
    while (shown < kViewCount && !views_[static_cast<std::size_t>(shown)]->isHidden())
        ++shown;
    loaded.Arrange(shown);
    for (int k = 0; k < kViewCount; ++k) {
        CScope& view = *views_[static_cast<std::size_t>(k)];
        view.ClearReferences();
        for (CChannelData* ch : loaded.ForView(k))
            view.AddReference(ch, loaded.ChartName(ch));
        view.UpdateData();
    }
}

void CMainViews::ClearLoaded() {
    for (CScope* view : views_) {
        view->ClearReferences();
        view->UpdateData();
    }
}

void CMainViews::RecomputeAll() {
    for (CScope* view : views_)
        view->UpdateData();
}

void CMainViews::BackToLive() {
    for (CScope* view : views_) {
        view->SetLogMarks({});
        view->SetRefreshPeriod(kRepaintMs);
    }
}

} // namespace wavix
