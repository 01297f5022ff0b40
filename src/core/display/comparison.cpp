#include "core/display/comparison.h"

#include "core/support/strformat.h"

namespace wavix {

namespace {

std::string CutName(const std::string& name) {
    if (name.size() <= kLegendNameMax)
        return name;
    std::size_t cut = kLegendNameMax;
    // Never inside a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut) + "…";
}

} // namespace

std::uint32_t LoadedTraceColour(std::uint32_t colour, std::uint32_t background) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t c = (colour >> shift) & 0xFF;
        const std::uint32_t b = (background >> shift) & 0xFF;
        out |= ((2 * c + b + 1) / 3) << shift;
    }
    return out;
}

std::vector<LegendRow> ComparisonLegend(const std::vector<LegendTrace>& live,
                                        const std::vector<LegendTrace>& loaded, std::uint32_t background,
                                        std::string_view liveWord) {
    std::vector<LegendRow> rows;
    if (loaded.empty())
        return rows;
    for (const LegendTrace& t : live)
        rows.push_back({StrFormat("CH%d %s", t.channel, std::string(liveWord).c_str()), t.colour, false});
    for (const LegendTrace& t : loaded)
        rows.push_back({StrFormat("CH%d %s", t.channel, CutName(t.chart).c_str()),
                        LoadedTraceColour(t.colour, background), true});
    return rows;
}

} // namespace wavix
