#pragma once
// The startup choice given on the command line, for runs without anyone to
// answer the startup dialog: "tester", "pc", "samples" or "custom:STEP:COUNT".

#include "core/settings/startupoptions.h"

#include <optional>
#include <string_view>

namespace wavix {

// Empty for anything else, and for a custom step outside 1..14 or a channel
// count outside 1..4: a scripted run should fail loudly, not guess.
std::optional<StartupResult> ParseStartArgument(std::string_view text);

} // namespace wavix
