#pragma once
// The program works in UTF-8; the tester, its logs and the Windows programs of
// the suite write Windows-1250. Texts are converted where they cross a file.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace wavix {

enum class TextEncoding { Utf8, Cp1250 };

bool IsValidUtf8(std::string_view s);

std::string Cp1250ToUtf8(std::string_view s);
// A character Windows-1250 has no byte for, or a byte that is not UTF-8, becomes '?'.
std::string Utf8ToCp1250(std::string_view s);

// Text files of either kind: valid UTF-8 is taken as it is, anything else is
// Windows-1250. found receives which it was, for writing the file back.
std::string DecodeFileText(std::string_view bytes, TextEncoding* found = nullptr);
std::string EncodeFileText(std::string_view utf8, TextEncoding encoding);

// Fixed zero-terminated text fields of scope data files, Windows-1250 on disk.
// Writing cuts to field.size() - 1 characters and zero-fills.
void PutTextField(std::span<std::uint8_t> field, std::string_view utf8);
// Reads up to the first zero; a field written as UTF-8 by earlier releases of
// this program still reads as it was written.
std::string GetTextField(std::span<const std::uint8_t> field);

} // namespace wavix
