#include "core/app/maintexts.h"

#include "core/settings/builtintexts.h"

namespace wavix {

namespace {
constexpr int kFirstExtra = 1411;
constexpr int kLastExtra = 1599;
} // namespace

CMainTexts::CMainTexts()
    : status_(MainStatusTexts()), state_(MainStateTexts()),
      extra_(BuiltinTextRange(kFirstExtra, kLastExtra)) {}

bool CMainTexts::Load(const std::filesystem::path& langFile, CLogTrace* trace) {
    extra_.Load(langFile, trace);
    const bool status = status_.Load(langFile, trace);
    const bool state = state_.Load(langFile, trace);
    return status && state;
}

std::string CMainTexts::Get(std::string_view key) const {
    if (const int i = TextIndex(MainStatusTexts(), key); i >= 0)
        return status_[static_cast<std::size_t>(i)];
    if (const int i = TextIndex(MainStateTexts(), key); i >= 0)
        return state_[static_cast<std::size_t>(i)];
    if (const int i = TextIndex(BuiltinTextRange(kFirstExtra, kLastExtra), key); i >= 0)
        return extra_[static_cast<std::size_t>(i)];
    return std::string(BuiltinText(key));
}

} // namespace wavix
