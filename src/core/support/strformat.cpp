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

std::string FormatByteSize(std::uint64_t bytes) {
    constexpr double kK = 1024.0;
    const auto b = static_cast<double>(bytes);
    if (bytes < 1024)
        return StrFormat("%u B", static_cast<unsigned>(bytes));
    if (b < kK * kK)
        return StrFormat("%.1f kB", b / kK);
    if (b < kK * kK * kK)
        return StrFormat("%.1f MB", b / (kK * kK));
    return StrFormat("%.2f GB", b / (kK * kK * kK));
}

} // namespace wavix
