#pragma once
// INI access with private-profile semantics over text files in UTF-8 or, when
// not valid UTF-8, Windows-1250 (written back in the same encoding): section and
// key names compare case-insensitively, an absent key gives the default, every
// call reads or writes the file (nothing is cached), and a write creates the
// file and section as needed and keeps every other line as it was.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace wavix {

class CIni {
public:
    CIni() = default;
    explicit CIni(std::filesystem::path path) : path_(std::move(path)) {}

    void SetPath(std::filesystem::path path) { path_ = std::move(path); }
    const std::filesystem::path& GetPath() const { return path_; }

    // An empty section or key stands for the null name: the default comes back.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def) const;
    // Any base other than 2, 8 and 16 counts as 10; an empty value gives the
    // default; a number beyond 32 bits reads as 0xFFFFFFFF.
    std::uint32_t GetUnsigned(std::string_view section, std::string_view key, std::uint32_t def,
                              int base) const;

    // Answers false when the section or key is empty or the file cannot be
    // written, and refuses what would corrupt the file: a line break anywhere,
    // '=' in a key, ']' in a section. A value with edge blanks or enclosing
    // quotes is written quoted so that it reads back unchanged. A text the file's
    // encoding cannot hold (or that is not UTF-8) is refused too.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    bool WriteUnsigned(std::string_view section, std::string_view key, std::uint32_t value, int base) const;

    // The raw value when the key exists; for callers that must tell absent from empty.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

private:
    std::filesystem::path path_;
};

std::string FormatUnsigned(std::uint32_t value, int base);

} // namespace wavix
