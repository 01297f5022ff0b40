#include "core/files/scopefile.h"

namespace wavix {

FileTime CurrentUtcFileTime() {
    return {};
}

CScopeFile::CScopeFile(FileClock clock) : clock_(std::move(clock)) {}
CScopeFile::~CScopeFile() = default;

bool CScopeFile::Load(const std::filesystem::path&, std::vector<LogMark>*) {
    return false;
}
bool CScopeFile::Save(const std::filesystem::path&, std::span<const CChannelData* const>) {
    return false;
}
bool CScopeFile::Save(const std::filesystem::path&) {
    return false;
}
bool CScopeFile::SaveLogHeader(const std::filesystem::path&, std::span<const CChannelData* const>) {
    return false;
}
bool CScopeFile::AppendLogSamples(std::uint32_t) {
    return false;
}
void CScopeFile::CloseLog() {
    log_.reset();
}
bool CScopeFile::BuildSettings(tOscilExchange&) const {
    return false;
}
CChannelData* CScopeFile::GetChannel(int index) {
    return index >= 0 && index < GetChannelCount() ? channels_[static_cast<std::size_t>(index)].channel.get()
                                                   : nullptr;
}
const CChannelData* CScopeFile::GetChannel(int index) const {
    return index >= 0 && index < GetChannelCount() ? channels_[static_cast<std::size_t>(index)].channel.get()
                                                   : nullptr;
}
void CScopeFile::AddChannel(std::unique_ptr<CChannelData>) {}
bool CScopeFile::IsShown(int) const {
    return false;
}
void CScopeFile::SetShown(int, bool) {}
bool CScopeFile::ReadLogWords(std::uint32_t, std::uint32_t, std::vector<std::uint16_t>&) const {
    return false;
}

} // namespace wavix
