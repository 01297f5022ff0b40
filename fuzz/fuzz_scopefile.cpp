// Scope data files of every version and their log windows. A file that loads
// must also save and load again: the program offers "save as" for any chart.

#include "core/files/logwindow.h"
#include "core/files/scopefile.h"
#include "fuzzinput.h"

#include <cstdlib>

using namespace wavix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto path = fuzz::ScratchPath("in.sdf");
    static const auto again = fuzz::ScratchPath("again.sdf");
    if (!fuzz::WriteWhole(path, data, size))
        return 0;

    CScopeFile file;
    std::vector<LogMark> marks;
    if (!file.Load(path, &marks))
        return 0;
    tOscilExchange rec{};
    file.BuildSettings(rec);

    if (file.IsLog()) {
        const std::int64_t n = file.GetLogSamplesPerChannel();
        std::uint32_t read = 0;
        ReadLogWindow(file, 0, 4096, &read);
        ReadLogWindow(file, n > 100 ? n - 100 : 0, 1000, &read);
        ReadLogWindow(file, n, 10, &read);
        std::vector<std::uint16_t> words;
        file.ReadLogWords(0xFFFFFF00u, 0x200, words);
        for (int i = 0; i < file.GetChannelCount(); ++i)
            if (file.GetChannel(i)->GetSampleCount() > read)
                std::abort(); // a window reports more instants than it holds
        return 0;
    }

    if (file.Save(again)) {
        CScopeFile reread;
        if (!reread.Load(again) || reread.GetChannelCount() != file.GetChannelCount())
            std::abort(); // the program wrote a file it cannot read back
    }
    return 0;
}
