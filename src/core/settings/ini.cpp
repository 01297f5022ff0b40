#include "core/settings/ini.h"

#include "core/support/textencoding.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace wavix {
namespace {

// Settings and language files are small; a larger file is not ours to parse.
constexpr std::uintmax_t kMaxIniFileSize = 16u * 1024u * 1024u;

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

struct Lines {
    std::vector<std::string> lines; // UTF-8
    bool crlf = false;
    bool bom = false;
    // Windows programs of the suite write their own code page; a file is written
    // back in the encoding it was read in.
    TextEncoding encoding = TextEncoding::Utf8;
};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::optional<Lines> readLines(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxIniFileSize)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string raw(static_cast<std::size_t>(size), '\0');
    in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
    raw.resize(static_cast<std::size_t>(in.gcount()));
    Lines result;
    std::string_view body = raw;
    if (body.substr(0, kBom.size()) == kBom) {
        body.remove_prefix(kBom.size());
        result.bom = true;
    }
    std::istringstream text(DecodeFileText(body, &result.encoding));
    std::string line;
    bool first = true;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (first)
                result.crlf = true;
        }
        first = false;
        result.lines.push_back(std::move(line));
    }
    return result;
}

// "[name]" gives name; anything else is not a section header.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// "key=value" gives key and value; comments and blank lines give nothing.
std::optional<std::pair<std::string_view, std::string_view>> keyValue(std::string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::pair{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

std::string unquote(std::string_view v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// Appended into a reserved string: GCC 12 at -O3 sees `"x" + std::string` as an
// overlapping memcpy (-Wrestrict) that cannot happen.
std::string enclosed(char open, std::string_view v, char close) {
    std::string out;
    out.reserve(v.size() + 2);
    out += open;
    out.append(v);
    out += close;
    return out;
}

// Reading trims blanks and strips one pair of quotes; quote what would not
// survive that.
std::string quoteIfNeeded(std::string_view v) {
    const bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    if (quoted || trim(v).size() != v.size())
        return enclosed('"', v, '"');
    return std::string(v);
}

bool writeLinesAtomically(const std::filesystem::path& path, const Lines& content) {
    const char* eol = content.crlf ? "\r\n" : "\n";
    std::string text;
    for (const auto& l : content.lines)
        text.append(l).append(eol);
    const std::string bytes = EncodeFileText(text, content.encoding);
    // A character the file's code page lacks, or bytes that would make the
    // whole file read in the other encoding, would come back as something else.
    if (DecodeFileText(bytes) != text)
        return false;
    auto tmp = path;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        if (content.bom)
            out << kBom;
        out << bytes;
        out.flush();
        if (!out)
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

} // namespace

std::optional<std::string> CIni::Find(std::string_view section, std::string_view key) const {
    // Names are compared as the file's are read: without edge blanks.
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || path_.empty())
        return std::nullopt;
    const auto content = readLines(path_);
    if (!content)
        return std::nullopt;
    bool inSection = false;
    for (const auto& line : content->lines) {
        if (const auto name = sectionName(line)) {
            inSection = equalsNoCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto kv = keyValue(line); kv && equalsNoCase(kv->first, key))
            return unquote(kv->second);
    }
    return std::nullopt;
}

std::string CIni::GetString(std::string_view section, std::string_view key, std::string_view def) const {
    auto value = Find(section, key);
    return value ? std::move(*value) : std::string(def);
}

std::uint32_t CIni::GetUnsigned(std::string_view section, std::string_view key, std::uint32_t def,
                                int base) const {
    auto value = Find(section, key);
    if (!value || value->empty())
        return def;
    // The reading is bounded to 64 characters like the original buffer.
    if (value->size() > 64)
        value->resize(64);
    if (base != 2 && base != 8 && base != 16)
        base = 10;
    // Too large a number saturates, as a 32-bit strtoul does, instead of
    // wrapping into an unrelated small value.
    const unsigned long long v = std::strtoull(value->c_str(), nullptr, base);
    return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v);
}

bool CIni::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
    // A line break would plant foreign lines in the file; '=' in a key and ']'
    // in a section name could never be read back, nor a key that would read as
    // a comment or a section header.
    constexpr std::string_view kBreaks = "\r\n";
    if (section.find_first_of(kBreaks) != std::string_view::npos ||
        key.find_first_of(kBreaks) != std::string_view::npos ||
        value.find_first_of(kBreaks) != std::string_view::npos)
        return false;
    section = trim(section);
    key = trim(key);
    if (section.empty() || key.empty() || path_.empty())
        return false;
    if (key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos ||
        key.front() == ';' || key.front() == '#' || key.front() == '[')
        return false;
    Lines content;
    std::error_code ec;
    if (std::filesystem::exists(path_, ec)) {
        auto read = readLines(path_);
        if (!read)
            return false;
        content = std::move(*read);
    }
    const std::string newLine = std::string(key) + "=" + quoteIfNeeded(value);

    std::optional<std::size_t> sectionAt;
    std::size_t sectionEnd = content.lines.size(); // one past the section's last non-blank line
    for (std::size_t i = 0; i < content.lines.size(); ++i) {
        if (const auto name = sectionName(content.lines[i])) {
            if (sectionAt)
                break;
            if (equalsNoCase(*name, section)) {
                sectionAt = i;
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!sectionAt)
            continue;
        if (const auto kv = keyValue(content.lines[i]); kv && equalsNoCase(kv->first, key)) {
            content.lines[i] = newLine;
            return writeLinesAtomically(path_, content);
        }
        if (!trim(content.lines[i]).empty())
            sectionEnd = i + 1;
    }
    if (sectionAt) {
        content.lines.insert(content.lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), newLine);
    } else {
        content.lines.push_back(enclosed('[', section, ']'));
        content.lines.push_back(newLine);
    }
    return writeLinesAtomically(path_, content);
}

std::string FormatUnsigned(std::uint32_t value, int base) {
    char buf[40];
    switch (base) {
    case 16:
        std::snprintf(buf, sizeof buf, "%X", value);
        return buf;
    case 8:
        std::snprintf(buf, sizeof buf, "%o", value);
        return buf;
    case 2: {
        std::string bits;
        do {
            bits.insert(bits.begin(), static_cast<char>('0' + (value & 1u)));
            value >>= 1;
        } while (value != 0);
        return bits;
    }
    default:
        std::snprintf(buf, sizeof buf, "%u", value);
        return buf;
    }
}

bool CIni::WriteUnsigned(std::string_view section, std::string_view key, std::uint32_t value,
                         int base) const {
    return WriteString(section, key, FormatUnsigned(value, base));
}

} // namespace wavix
