#include "core/settings/langtexts.h"

#include "core/settings/ini.h"
#include "core/support/logtrace.h"

#include <cstring>

namespace wavix {

namespace {

char argumentClass(char conversion) {
    switch (conversion) {
    case 'd':
    case 'i':
        return 'i';
    case 'u':
    case 'o':
    case 'x':
    case 'X':
        return 'u';
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        return 'f';
    case 'c':
    case 's':
    case 'p':
    case 'n':
        return conversion;
    default:
        return '?';
    }
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// printf pads to any width it is given, so a text could ask for gigabytes.
constexpr unsigned kMaxFieldWidth = 64;

// Checks a file text against its built-in text; the one to hand out.
std::string checked(std::string_view key, std::string text, std::string_view builtin, CLogTrace* trace) {
    if (SameConversions(text, builtin))
        return text;
    std::string line = "Language text ";
    line += key;
    line += FormatSignature(text).find('!') != std::string::npos
                ? " has a width or precision above 64; the built-in text is used"
                : " does not match the conversions of its built-in text; the built-in text is used";
    DebugTrace(line, trace);
    return std::string(builtin);
}

} // namespace

std::string FormatSignature(std::string_view text) {
    std::string sig;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    while (i < text.size()) {
        if (text[i++] != '%')
            continue;
        if (at(i) == '%') {
            ++i;
            continue;
        }
        // Digits followed by '$' select an argument by position; no caller
        // passes arguments that way.
        std::size_t digits = i;
        while (isDigit(at(digits)))
            ++digits;
        if (digits > i && at(digits) == '$') {
            sig += '?';
            i = digits + 1;
            continue;
        }
        while (at(i) != '\0' && std::strchr("-+ #0'", at(i)) != nullptr)
            ++i;
        if (at(i) == '*') {
            sig += '*';
            ++i;
        }
        // Digits beyond the limit stop counting, so no length of them overflows.
        const auto number = [&] {
            unsigned n = 0;
            for (; isDigit(at(i)); ++i)
                if (n <= kMaxFieldWidth)
                    n = n * 10 + static_cast<unsigned>(at(i) - '0');
            if (n > kMaxFieldWidth)
                sig += '!';
        };
        number();
        if (at(i) == '.') {
            ++i;
            if (at(i) == '*') {
                sig += '*';
                ++i;
            }
            number();
        }
        const std::size_t lengthStart = i;
        // "I64" and "I32" are the Microsoft length modifiers.
        if (at(i) == 'I' &&
            ((at(i + 1) == '6' && at(i + 2) == '4') || (at(i + 1) == '3' && at(i + 2) == '2')))
            i += 3;
        else
            while (at(i) != '\0' && std::strchr("hlLqjztI", at(i)) != nullptr)
                ++i;
        sig.append(text.substr(lengthStart, i - lengthStart));
        if (i >= text.size()) {
            sig += '?';
            break;
        }
        sig += argumentClass(text[i++]);
    }
    return sig;
}

bool SameConversions(std::string_view text, std::string_view builtin) {
    const auto sig = FormatSignature(text);
    return sig.find_first_of("n!") == std::string::npos && sig == FormatSignature(builtin);
}

std::string UnescapeLangValue(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += raw[i];
        }
    }
    return out;
}

bool LoadTextTable(const std::filesystem::path& langFile, std::span<const TextEntry> table,
                   std::vector<std::string>& out, bool useBuiltin, CLogTrace* trace) {
    out.clear();
    out.reserve(table.size());
    const CIni lang(langFile);
    for (const auto& entry : table) {
        if (useBuiltin) {
            out.emplace_back(entry.builtin);
            continue;
        }
        const auto raw = lang.GetString(kLangSection, entry.key, kMissingLangText);
        if (raw == kMissingLangText)
            return false;
        out.push_back(checked(entry.key, UnescapeLangValue(raw), entry.builtin, trace));
    }
    return true;
}

std::string LangText(const CIni& lang, std::string_view key, std::string_view builtin, CLogTrace* trace) {
    const auto raw = lang.Find(kLangSection, key);
    if (!raw)
        return std::string(builtin);
    return checked(key, UnescapeLangValue(*raw), builtin, trace);
}

CTextTable::CTextTable(std::span<const TextEntry> entries) : entries_(entries) {
    texts_.reserve(entries.size());
    for (const auto& e : entries)
        texts_.emplace_back(e.builtin);
}

bool CTextTable::Load(const std::filesystem::path& langFile, CLogTrace* trace) {
    std::vector<std::string> loaded;
    const bool complete = LoadTextTable(langFile, entries_, loaded, false, trace);
    for (std::size_t i = 0; i < loaded.size() && i < texts_.size(); ++i)
        texts_[i] = std::move(loaded[i]);
    return complete;
}

} // namespace wavix
