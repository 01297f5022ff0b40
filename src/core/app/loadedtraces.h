#pragma once
// Captures loaded from scope data files and shown beside the live traces:
// channel k of a file becomes a loaded trace of view k, or of view A while
// view k is not shown. The files own their channels, so a file is kept until
// the loaded traces are removed; the views only point at them.

#include "core/app/mainview.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace wavix {

class CChannelData;
class CIvoraProtocol;
class CScopeData;
class CScopeFile;
struct tOscilExchange;

enum class CaptureLoadResult {
    Loaded,
    Unreadable, // wrong magic, damaged block, unknown version, failed read
    NoSamples,  // a log or a file whose channels hold no samples
};

class CLoadedTraces {
public:
    CLoadedTraces();
    ~CLoadedTraces();
    CLoadedTraces(const CLoadedTraces&) = delete;
    CLoadedTraces& operator=(const CLoadedTraces&) = delete;

    // Loading is split so that the questions in between (loaded traces,
    // timebase) see a file that is known to be good: a bad file changes nothing.
    static CaptureLoadResult Read(const std::filesystem::path& path, std::unique_ptr<CScopeFile>& file);
    // The timebase step of the file's first channel when it differs from the
    // record in force and the link is alive; 0 when there is nothing to ask.
    static int TimeBaseToOffer(const CScopeFile& file, const tOscilExchange& inForce, bool linkAlive);
    // Sets the file's timebase step in the record and sends it.
    static void AdoptTimeBase(CIvoraProtocol& protocol, CScopeData& data, int step);
    // Channel k of the file becomes a loaded trace of view k (at most four).
    void Add(std::unique_ptr<CScopeFile> file);
    // Channel k goes to view displays[k]; a channel without a view (negative, out
    // of range or past the list) is kept with the file but shown nowhere.
    void Add(std::unique_ptr<CScopeFile> file, const std::vector<int>& displays);
    // Only views 0..shownViews-1 are on screen: a channel meant for another view
    // joins view A, so a chart with more channels than are active shows them all.
    void Arrange(int shownViews);

    bool HasAny() const { return !files_.empty(); }
    // The views must have let go of the traces before.
    void Clear();

    // The loaded traces of view 0..3 in the order they were loaded.
    const std::vector<CChannelData*>& ForView(int view) const;
    // The loaded trace at index of view's list, or nullptr.
    CChannelData* Find(int view, int index) const;
    // The name typed when the trace's chart was saved, else its file name.
    std::string ChartName(const CChannelData* channel) const;

private:
    struct Placed {
        CChannelData* channel = nullptr;
        int view = -1; // as asked when loaded
        const CScopeFile* file = nullptr;
    };
    std::vector<std::unique_ptr<CScopeFile>> files_;
    std::vector<Placed> placed_;
    int shownViews_ = kViewCount;
    std::array<std::vector<CChannelData*>, kViewCount> views_;
};

} // namespace wavix
