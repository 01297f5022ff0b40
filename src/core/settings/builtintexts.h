#pragma once
// The built-in text of every language key, in one table ordered by key
// number. Each window takes its table from here so that the texts shipped in
// the Czech language file and the defaults in the program cannot drift apart.

#include "core/settings/langtexts.h"

#include <span>
#include <string_view>

namespace wavix {

// The number of a key "TXT_<digits>", or -1 for anything else.
constexpr int LangKeyNumber(std::string_view key) {
    constexpr std::string_view prefix = "TXT_";
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 6 ||
        key.substr(0, prefix.size()) != prefix)
        return -1;
    int number = 0;
    for (const char c : key.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

// The whole catalogue, ordered by key number.
std::span<const TextEntry> BuiltinTexts();

// The built-in text of key; empty when the key is not in the catalogue. The
// key must match exactly: "TXT_1" is not "TXT_001".
std::string_view BuiltinText(std::string_view key);

// The keys numbered firstNumber .. lastNumber, in order; numbers without a key
// are simply absent. A window's table is its range.
std::span<const TextEntry> BuiltinTextRange(int firstNumber, int lastNumber);

// The main window's tables, loaded at start from the language file.
std::span<const TextEntry> MainStatusTexts(); // TXT_001..007, TXT_050, TXT_101..113
std::span<const TextEntry> MainStateTexts();  // TXT_010..013
std::span<const TextEntry> ViewMenuTexts();   // TXT_201..225
std::span<const TextEntry> MainMenuTexts();   // TXT_600..651

// Position of key in table (the index of its loaded text), or -1.
int TextIndex(std::span<const TextEntry> table, std::string_view key);

} // namespace wavix
