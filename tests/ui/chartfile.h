#pragma once
// A chart as a technician saves it: slow triangles, one per channel, each in a
// colour of its own, the whole capture of the step.

#include "core/files/scopefile.h"

#include <filesystem>
#include <memory>
#include <string>

namespace wavix::test {

inline bool writeChart(const std::filesystem::path& path, int step, int channels,
                       const std::string& description = {}) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.version = 2;
    rec.chann_num = static_cast<std::uint16_t>(channels);
    rec.time_base_ENUM = static_cast<std::uint32_t>(step);
    rec.time_base = TimeBaseDivider(step);
    constexpr std::uint32_t kColours[] = {0x0000FFFF, 0x00FF00FF, 0x00FFFF00, 0x00FFFFFF};
    CScopeFile file;
    for (int ch = 1; ch <= channels; ++ch) {
        auto c = std::make_unique<CChannelData>();
        c->ApplySettings(rec, ch);
        c->SetName("Kanál " + std::to_string(ch));
        c->SetDescription(ch == 1 ? "Snímač otáček" : "Zapalování");
        const std::uint32_t n = SamplesPerStep(step);
        auto s = c->WritableSamples(n);
        for (std::uint32_t i = 0; i < n; ++i)
            s[i] = static_cast<std::int32_t>((i * static_cast<std::uint32_t>(ch) / 4) % 400) - 200;
        c->SetSampleCount(n);
        c->SetColor(kColours[ch - 1]);
        file.AddChannel(std::move(c));
    }
    file.SetHeaderText(description);
    return file.Save(path);
}

} // namespace wavix::test
