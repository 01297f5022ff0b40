#include "core/support/textencoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace wavix {
namespace {

// Unicode of each Windows-1250 byte. The five bytes the code page leaves
// unassigned map to the C1 controls of the same number, so every byte survives
// a round trip.
// Eight bytes a row.
// clang-format off
constexpr std::array<char16_t, 256> kCp1250 = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007,
    0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
    0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
    0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
// clang-format on

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; its length, or 0 when it is not valid
// (overlong, surrogate, beyond U+10FFFF or cut short).
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    std::size_t len = 0;
    char32_t min = 0;
    if (b < 0x80) {
        c = b;
        return 1;
    }
    if ((b & 0xE0) == 0xC0) {
        len = 2;
        c = b & 0x1F;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3;
        c = b & 0x0F;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4;
        c = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < len)
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return len;
}

char cp1250Byte(char32_t c) {
    if (c < 0x80)
        return static_cast<char>(c);
    for (std::size_t b = 0x80; b < kCp1250.size(); ++b)
        if (kCp1250[b] == c)
            return static_cast<char>(b);
    return '?';
}

} // namespace

bool IsValidUtf8(std::string_view s) {
    char32_t c = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = decodeUtf8(s, i, c);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string Cp1250ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char ch : s)
        appendUtf8(out, kCp1250[static_cast<unsigned char>(ch)]);
    return out;
}

std::string Utf8ToCp1250(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    char32_t c = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = decodeUtf8(s, i, c);
        out += n == 0 ? '?' : cp1250Byte(c);
        i += std::max<std::size_t>(n, 1);
    }
    return out;
}

std::string DecodeFileText(std::string_view bytes, TextEncoding* found) {
    const bool utf8 = IsValidUtf8(bytes);
    if (found != nullptr)
        *found = utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1250;
    return utf8 ? std::string(bytes) : Cp1250ToUtf8(bytes);
}

std::string EncodeFileText(std::string_view utf8, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? std::string(utf8) : Utf8ToCp1250(utf8);
}

void PutTextField(std::span<std::uint8_t> field, std::string_view utf8) {
    if (field.empty())
        return;
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    std::string bytes = Utf8ToCp1250(utf8.substr(0, std::min(utf8.find('\0'), utf8.size())));
    // One byte per character, so the cut never splits one.
    bytes.resize(std::min(bytes.size(), field.size() - 1));
    std::memcpy(field.data(), bytes.data(), bytes.size());
}

std::string GetTextField(std::span<const std::uint8_t> field) {
    if (field.empty())
        return {};
    // The last byte is the terminator a writer leaves, whatever a damaged file holds there.
    const auto body = field.first(field.size() - 1);
    const auto end = std::find(body.begin(), body.end(), std::uint8_t{0});
    const std::string_view bytes(reinterpret_cast<const char*>(body.data()),
                                 static_cast<std::size_t>(end - body.begin()));
    return DecodeFileText(bytes);
}

} // namespace wavix
