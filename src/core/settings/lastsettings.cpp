#include "core/settings/lastsettings.h"

#include <algorithm>
#include <array>

namespace wavix {
namespace {

struct Key {
    std::string_view name;
    std::uint16_t tOscilExchange::*field16;
    std::uint32_t tOscilExchange::*field32;
};

constexpr std::array<Key, 17> kKeys{{
    {"version", &tOscilExchange::version, nullptr},
    {"chann_num", &tOscilExchange::chann_num, nullptr},
    {"CH1_mux", &tOscilExchange::CH1_mux, nullptr},
    {"CH2_mux", &tOscilExchange::CH2_mux, nullptr},
    {"CH3_mux", &tOscilExchange::CH3_mux, nullptr},
    {"CH4_mux", &tOscilExchange::CH4_mux, nullptr},
    {"CH1_dc_on", &tOscilExchange::CH1_dc_on, nullptr},
    {"CH2_dc_on", &tOscilExchange::CH2_dc_on, nullptr},
    {"CH3_dc_on", &tOscilExchange::CH3_dc_on, nullptr},
    {"CH4_dc_on", &tOscilExchange::CH4_dc_on, nullptr},
    {"time_base_ENUM", nullptr, &tOscilExchange::time_base_ENUM},
    {"time_base", nullptr, &tOscilExchange::time_base},
    {"samples_all", nullptr, &tOscilExchange::samples_all},
    {"TR_channel", &tOscilExchange::TR_channel, nullptr},
    {"TR_level", &tOscilExchange::TR_level, nullptr},
    {"TR_mode", &tOscilExchange::TR_mode, nullptr},
    {"TR_rising", &tOscilExchange::TR_rising, nullptr},
}};

} // namespace

bool WriteLastSettings(const CIni& ini, const tOscilExchange& rec) {
    for (const Key& k : kKeys) {
        const std::uint32_t v = k.field16 != nullptr ? std::uint32_t{rec.*k.field16} : rec.*k.field32;
        if (!ini.WriteUnsigned(kLastSettingsSection, k.name, v, 10))
            return false;
    }
    return true;
}

tOscilExchange ReadLastSettings(const CIni& ini, const tOscilExchange& current) {
    tOscilExchange rec = current;
    rec.version = 0;
    rec.chann_num = 0;
    for (const Key& k : kKeys) {
        if (k.field16 != nullptr) {
            const std::uint32_t v = ini.GetUnsigned(kLastSettingsSection, k.name, rec.*k.field16, 10);
            // A number too large for the field saturates instead of wrapping into a plausible value.
            rec.*k.field16 = static_cast<std::uint16_t>(std::min<std::uint32_t>(v, 0xFFFF));
        } else {
            rec.*k.field32 = ini.GetUnsigned(kLastSettingsSection, k.name, rec.*k.field32, 10);
        }
    }
    return rec;
}

} // namespace wavix
