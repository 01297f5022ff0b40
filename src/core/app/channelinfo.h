#pragma once
// The texts of the channel info window: what a channel is and the settings it
// was recorded with. Taken as a snapshot, so the window never holds a channel
// that a removed capture may take away with it.

#include <cstdint>
#include <filesystem>
#include <string>

namespace wavix {

class CChannelData;

struct ChannelInfo {
    std::string name;
    std::string description;
    std::uint32_t colour = 0;
    std::string gain;     // range text at scale 1, in the probe's units
    std::string coupling; // "AC", "DC", "GND"
    std::string probeName;
    std::string probeRatio;
    std::string probeUnits;
    std::string timeBase;
    std::string triggerLevel;
    std::string triggerEdge;
    std::string triggerMode;
};

// langFile gives the division word and the edge names; empty keeps the built-in ones.
ChannelInfo DescribeChannel(const CChannelData& channel, const std::filesystem::path& langFile = {});

} // namespace wavix
