#include "core/files/scopebookload.h"

#include <algorithm>

namespace wavix {

ScopeBookStep AfterScopeBook(int answer, bool hasSelection) {
    switch (static_cast<ScopeBookAnswer>(answer)) {
    case ScopeBookAnswer::NoFolder:
        return {"Error", kMsgBadDataPath, true, false, false};
    case ScopeBookAnswer::LoadSettings:
    case ScopeBookAnswer::LoadAll:
        if (!hasSelection)
            return {kCaptionNotice, kMsgNothingChosen, false, false, false};
        return {{}, {}, false, true, answer == static_cast<int>(ScopeBookAnswer::LoadAll)};
    case ScopeBookAnswer::Closed:
        break;
    }
    return {};
}

std::vector<int> ScopeBookDisplays(int channels, bool perChannel, int displays) {
    std::vector<int> placed;
    for (int ch = 0; ch < std::max(channels, 0); ++ch) {
        if (!perChannel)
            placed.push_back(displays > 0 ? 0 : -1);
        else
            placed.push_back(ch < displays ? ch : -1);
    }
    return placed;
}

} // namespace wavix
