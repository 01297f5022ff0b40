#include "core/scope/engprefix.h"

#include <array>
#include <cmath>

namespace wavix {

std::optional<EngValue> EngineeringPrefix(double x) {
    if (!std::isfinite(x))
        return std::nullopt;
    if (x == 0.0 || (std::fabs(x) >= 1.0 && std::fabs(x) < 1000.0))
        return EngValue{x, ""};
    if (std::fabs(x) < 1.0) {
        static constexpr std::array<std::string_view, 4> kDown{"m", "u", "n", "p"};
        for (const auto p : kDown) {
            x *= 1000.0;
            if (std::fabs(x) >= 1.0)
                return EngValue{x, p};
        }
        return std::nullopt;
    }
    static constexpr std::array<std::string_view, 4> kUp{"k", "M", "G", "T"};
    for (const auto p : kUp) {
        x /= 1000.0;
        if (std::fabs(x) <= 1000.0)
            return EngValue{x, p};
    }
    return std::nullopt;
}

} // namespace wavix
