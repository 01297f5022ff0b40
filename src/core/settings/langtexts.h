#pragma once
// Language texts: every user-visible text has a built-in default and may be
// replaced from section "LANG" of a UTF-8 language file by its key ("TXT_102").
// A file text is a printf format in the hands of its caller, so one whose
// conversions differ from its built-in text is never handed out: the built-in
// text is used instead and the mismatch is traced.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

class CIni;
class CLogTrace;

struct TextEntry {
    std::string_view key;
    std::string_view builtin;
};

inline constexpr std::string_view kLangSection = "LANG";
// Read back for an absent key; a table that meets it stops loading.
inline constexpr std::string_view kMissingLangText = " .: Error ... ";

// Texts in table order into out. With useBuiltin the file is not read. Answers
// false at the first absent key; out then holds only the texts before it.
bool LoadTextTable(const std::filesystem::path& langFile, std::span<const TextEntry> table,
                   std::vector<std::string>& out, bool useBuiltin, CLogTrace* trace = nullptr);

// One text; an absent key gives the built-in text.
// A window's texts: the built-in ones first, replaced in order from a language
// file; loading stops at the first missing key and keeps what it had loaded.
class CTextTable {
public:
    explicit CTextTable(std::span<const TextEntry> entries);
    bool Load(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);
    const std::string& operator[](std::size_t index) const { return texts_.at(index); }
    std::size_t size() const { return texts_.size(); }

private:
    std::span<const TextEntry> entries_;
    std::vector<std::string> texts_;
};

std::string LangText(const CIni& lang, std::string_view key, std::string_view builtin,
                     CLogTrace* trace = nullptr);

// The two-character sequence "\n" of a file value becomes a line break.
std::string UnescapeLangValue(std::string_view raw);

// The arguments a printf format consumes, one letter each: 'i' signed, 'u'
// unsigned, 'f' floating, 'c' character, 's' string, 'p' pointer, 'n' store,
// '*' a width or precision argument, '?' a malformed or positional conversion,
// '!' a width or precision above 64 (never in a built-in text).
// A length modifier precedes its letter ("l" + 'i' for "%ld"). "%%" takes none.
std::string FormatSignature(std::string_view text);

// True when text may stand in for builtin as a format: the same arguments in
// the same order, no "%n" and no width or precision above 64.
bool SameConversions(std::string_view text, std::string_view builtin);

} // namespace wavix
