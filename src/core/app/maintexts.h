#pragma once
// The main window's language texts (status, state and error texts), built in
// and replaced from the language file, looked up by key.

#include "core/settings/langtexts.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace wavix {

class CLogTrace;

class CMainTexts {
public:
    CMainTexts();

    // False when the language file lacks a key; the texts loaded so far stay.
    bool Load(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);
    // The text of key ("TXT_102"); a key of neither table gives its built-in text.
    std::string Get(std::string_view key) const;

private:
    CTextTable status_;
    CTextTable state_;
    // Texts added later; a language file without them keeps the built-in ones.
    CTextTable extra_;
};

} // namespace wavix
