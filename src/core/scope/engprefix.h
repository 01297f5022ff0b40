#pragma once
// Values written with an engineering prefix: 0.0001 s reads as 100 us.

#include <optional>
#include <string_view>

namespace wavix {

struct EngValue {
    double value = 0.0;      // the scaled value, sign kept
    std::string_view prefix; // "p" "n" "u" "m" "" "k" "M" "G" "T"
};

// Empty when no prefix fits: below 1 after "p", above 1000 after "T", or not finite.
// Upwards the value stops once it is 1000 or less, so 1e6 reads as 1000 k.
std::optional<EngValue> EngineeringPrefix(double x);

} // namespace wavix
