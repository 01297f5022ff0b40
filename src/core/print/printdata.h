#pragma once
// What one printed page shows besides the display pictures: the customer and
// vehicle details typed for this page, the workshop's own details, the
// settings in force and one legend per channel.

#include "core/settings/generalsettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wavix {

// The order in which the print dialog hands its fields over.
enum PrintField : std::size_t {
    kPrintCustomerAddress = 0,
    kPrintCustomerEmail,
    kPrintCustomerFax,
    kPrintCustomerName,
    kPrintMeasurementName,
    kPrintEngineCapacity,
    kPrintNote,
    kPrintYear,
    kPrintLicencePlate,
    kPrintCustomerPhone,
    kPrintCarType,
    kPrintVin,
    kPrintInjectionType,
    kPrintFieldCount
};

// Longest text a field keeps; a page has no room for more and the note is clipped anyway.
inline constexpr std::size_t kPrintFieldMax = 256;
inline constexpr std::size_t kPrintNoteMax = 4096;
// The page has room for four legends.
inline constexpr std::size_t kPrintLegendMax = 4;

struct PrintData {
    std::array<std::string, kPrintFieldCount> fields;

    const std::string& operator[](PrintField f) const { return fields[f]; }
    std::string& operator[](PrintField f) { return fields[f]; }
};

struct PrintSettingsTexts {
    std::string timeBase;
    std::string triggerLevel;
    std::string triggerEdge;
    std::string triggerMode;
};

struct PrintChannelLegend {
    int channel = 1;
    std::string gain;
    std::string coupling;
    std::string probe; // "name, Rratio"
    std::uint32_t colour = 0; // the trace's colour, 0x00BBGGRR
};

struct PrintPageContent {
    OwnerDetails owner;
    PrintData data;
    PrintSettingsTexts settings;
    std::vector<PrintChannelLegend> legends; // one per active channel drawn, at most four
};

} // namespace wavix
