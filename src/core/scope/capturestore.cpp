#include "core/scope/capturestore.h"

#include <algorithm>

namespace wavix {

void CCaptureStore::AddListener(ICaptureListener& listener) {
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end())
        listeners_.push_back(&listener);
}

void CCaptureStore::RemoveListener(ICaptureListener& listener) {
    std::erase(listeners_, &listener);
}

void CCaptureStore::Announce(std::intptr_t noticeArgument) {
    // Only a finished conversion carries samples; a channel edit carries its number.
    const std::intptr_t added = NewSamplesCount(noticeArgument);
    // A listener may open a modal box, in which another may be removed.
    const std::vector<ICaptureListener*> now = listeners_;
    for (ICaptureListener* listener : now) {
        if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
            continue;
        if (added >= 0)
            listener->OnSamplesConverted(static_cast<std::uint32_t>(added));
        else
            listener->OnChannelsChanged();
    }
}

} // namespace wavix
