#pragma once
// The last settings record in force, kept in section "LastSettings" of the
// program's settings file as decimal numbers. ext_version and TR_position are
// not kept.

#include "core/scope/oscilexchange.h"
#include "core/settings/ini.h"

namespace wavix {

inline constexpr std::string_view kLastSettingsSection = "LastSettings";

// Writes every key in order; stops at the first key that cannot be written and answers false.
bool WriteLastSettings(const CIni& ini, const tOscilExchange& rec);

// A record read from the file: absent keys keep the values of current, except
// "version" and "chann_num", which read as 0. The answer is unchecked: run it
// through ClampOscilExchange before it replaces the record in force.
tOscilExchange ReadLastSettings(const CIni& ini, const tOscilExchange& current);

} // namespace wavix
