#include "core/support/strformat.h"

#include "core/support/numberlocale.h"

#include <cstdarg>
#include <cstdio>

namespace wavix {

std::string StrFormat(const char* fmt, ...) {
    const CNumberLocale c;
    std::va_list args;
    va_start(args, fmt);
    std::va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string out;
    if (needed > 0) {
        out.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, again);
        out.resize(static_cast<std::size_t>(needed));
    }
    va_end(again);
    return out;
}

} // namespace wavix
