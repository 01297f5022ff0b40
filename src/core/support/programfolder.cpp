#include "core/support/programfolder.h"

#include <filesystem>
#include <system_error>

namespace wavix {

std::string FolderOf(const std::string& file) {
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.is_absolute())
        return FolderOf(exe.string());
    auto cwd = std::filesystem::current_path(ec).string();
    if (ec)
        return "./";
    if (cwd.empty() || cwd.back() != '/')
        cwd += '/';
    return cwd;
}

} // namespace wavix
