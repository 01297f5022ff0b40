#pragma once
// printf-style formatting into a std::string of the length the text needs.
// Formats must be our own or checked language texts (see langtexts.h); the
// compiler checks the literal ones. Numbers come out with a decimal point
// whatever the desktop's locale.

#include <cstdint>
#include <string>

namespace wavix {

[[gnu::format(printf, 1, 2)]] std::string StrFormat(const char* fmt, ...);

// A file's size for people: "512 B", "1.5 kB", "12.3 MB", "1.25 GB" (powers of 1024).
std::string FormatByteSize(std::uint64_t bytes);

} // namespace wavix
