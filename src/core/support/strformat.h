#pragma once
// printf-style formatting into a std::string of the length the text needs.
// Formats must be our own or checked language texts (see langtexts.h). Numbers
// come out with a decimal point whatever the desktop's locale.

#include "core/support/numberlocale.h"

#include <cstdio>
#include <string>

namespace wavix {

template <typename... Args> std::string StrFormat(const char* fmt, Args... args) {
    const CNumberLocale c;
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt, args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

} // namespace wavix
