#pragma once
// printf-style formatting into a string. The format must be a literal of the
// program (the compiler checks its arguments); a language text never gets here
// unchecked.

#include <string>

namespace wavix {

[[gnu::format(printf, 1, 2)]] std::string FormatText(const char* format, ...);

} // namespace wavix
