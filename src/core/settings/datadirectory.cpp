#include "core/settings/datadirectory.h"

#include "core/support/programfolder.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace wavix {

namespace {

bool isFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

} // namespace

std::string FindDataDirectory(const std::string& programFolder) {
    // An empty program folder would make the search relative to whatever the
    // current folder happens to be.
    if (programFolder.empty())
        return {};
    std::string base = programFolder;
    if (base.back() != '/')
        base += '/';
    constexpr std::array<std::string_view, 3> candidates{"Data/", "../Data/", "../../Data/"};
    for (const auto candidate : candidates) {
        std::string dir = base;
        dir += candidate;
        if (isFolder(dir))
            return dir;
    }
    return {};
}

std::string FindDataDirectory() {
    return FindDataDirectory(ProgramFolder());
}

std::string DataSubFolder(const std::string& dataDir, std::string_view sub) {
    if (dataDir.empty())
        return {};
    std::string dir = dataDir;
    if (dir.back() != '/')
        dir += '/';
    dir += sub;
    return isFolder(dir) ? dir : std::string();
}

} // namespace wavix
