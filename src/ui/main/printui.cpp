#include "ui/main/printui.h"

#include "core/app/maintexts.h"
#include "core/app/mainview.h"
#include "core/scope/scopedata.h"
#include "ui/print/printjob.h"

#include <algorithm>

namespace wavix {

void CPrintUi::Print(const std::vector<CScope*>& displays, bool perChannel,
                     const std::filesystem::path& langFile, const std::string& dataDir) {
    PrintSources sources;
    sources.langFile = langFile;
    sources.dataDir = dataDir;
    sources.displays = displays;
    sources.perChannel = perChannel;
    sources.channelCount = data_.GetActiveChannelCount();
    sources.triggerChannel = &data_.GetChannel(std::clamp<int>(data_.GetSettings().TR_channel, 1, 4));
    for (int ch = 1; ch <= std::min(sources.channelCount, 4); ++ch)
        sources.channels.push_back(&data_.GetChannel(ch));
    CPrintJob job(&window_, [this](const std::string& text) {
        boxes_.MessageBox(texts_.Get("TXT_1526"), text, BoxIcon::Error, BoxButtons::Ok);
    });
    job.Run(sources);
}

} // namespace wavix
