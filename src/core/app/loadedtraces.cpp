#include "core/app/loadedtraces.h"

#include "core/files/scopefile.h"
#include "core/protocol/ivoraprotocol.h"
#include "core/scope/scopedata.h"

#include <algorithm>

namespace wavix {

CLoadedTraces::CLoadedTraces() = default;
CLoadedTraces::~CLoadedTraces() = default;

CaptureLoadResult CLoadedTraces::Read(const std::filesystem::path& path, std::unique_ptr<CScopeFile>& file) {
    auto read = std::make_unique<CScopeFile>();
    if (!read->Load(path) || read->GetChannelCount() == 0)
        return CaptureLoadResult::Unreadable;
    bool samples = false;
    for (int i = 0; i < read->GetChannelCount(); ++i)
        samples = samples || read->GetChannel(i)->GetSampleCount() > 0;
    // A log is shown by the log charts, window by window; as a trace it would be empty.
    if (read->IsLog() || !samples)
        return CaptureLoadResult::NoSamples;
    file = std::move(read);
    return CaptureLoadResult::Loaded;
}

int CLoadedTraces::TimeBaseToOffer(const CScopeFile& file, const tOscilExchange& inForce, bool linkAlive) {
    if (!linkAlive || file.GetChannelCount() == 0)
        return 0;
    const int step = file.GetChannel(0)->GetTimeBaseStep();
    return step != static_cast<int>(inForce.time_base_ENUM) && step >= kStepMin && step <= kStepMax ? step
                                                                                                    : 0;
}

void CLoadedTraces::AdoptTimeBase(CIvoraProtocol& protocol, CScopeData& data, int step) {
    data.SetTimeBase(step);
    protocol.build_SetOscilExchange_packet();
}

void CLoadedTraces::Add(std::unique_ptr<CScopeFile> file) {
    std::vector<int> identity;
    for (int k = 0; k < kViewCount; ++k)
        identity.push_back(k);
    Add(std::move(file), identity);
}

void CLoadedTraces::Add(std::unique_ptr<CScopeFile> file, const std::vector<int>& displays) {
    if (!file)
        return;
    const int n = std::min(file->GetChannelCount(), static_cast<int>(displays.size()));
    for (int k = 0; k < n; ++k) {
        const int view = displays[static_cast<std::size_t>(k)];
        if (view >= 0 && view < kViewCount)
            if (CChannelData* ch = file->GetChannel(k))
                placed_.push_back({ch, view, file.get()});
    }
    files_.push_back(std::move(file));
    Arrange(shownViews_);
}

void CLoadedTraces::Arrange(int shownViews) {
    shownViews_ = std::clamp(shownViews, 1, kViewCount);
    for (auto& list : views_)
        list.clear();
    for (const Placed& p : placed_)
        views_[static_cast<std::size_t>(p.view < shownViews_ ? p.view : 0)].push_back(p.channel);
}

void CLoadedTraces::Clear() {
    for (auto& list : views_)
        list.clear();
    placed_.clear();
    files_.clear();
}

std::string CLoadedTraces::ChartName(const CChannelData* channel) const {
    for (const Placed& p : placed_)
        if (p.channel == channel)
            return p.file->GetHeaderText().empty() ? p.file->GetPath().stem().string()
                                                   : p.file->GetHeaderText();
    return {};
}

const std::vector<CChannelData*>& CLoadedTraces::ForView(int view) const {
    return views_[static_cast<std::size_t>(std::clamp(view, 0, kViewCount - 1))];
}

CChannelData* CLoadedTraces::Find(int view, int index) const {
    if (view < 0 || view >= kViewCount)
        return nullptr;
    const auto& list = views_[static_cast<std::size_t>(view)];
    return index >= 0 && static_cast<std::size_t>(index) < list.size() ? list[static_cast<std::size_t>(index)]
                                                                       : nullptr;
}

} // namespace wavix
