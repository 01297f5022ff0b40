#include "core/settings/userdatatree.h"

#include "core/settings/datadirectory.h"
#include "core/support/programfolder.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace wavix {

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kFolderPerms = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec;
constexpr fs::perms kFilePerms =
    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// "a/b/" as "a/b": element-wise path arithmetic trips over the empty last element.
fs::path folderPath(const fs::path& folder) {
    return folder.has_filename() ? folder : folder.parent_path();
}

bool isAbsolute(const std::string& path) {
    return !path.empty() && fs::path(path).is_absolute();
}

std::string failure(const std::string& what, const fs::path& path, const std::error_code& ec) {
    return what + " " + path.string() + ": " + ec.message();
}

// A missing path is one the user certainly does not have; anything else,
// even one that cannot be looked at, is left alone.
bool isMissing(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::not_found;
}

// A folder that is there already keeps its permissions.
bool makeFolder(const fs::path& folder, std::string& problem) {
    std::error_code ec;
    if (fs::create_directories(folder, ec) && !ec)
        fs::permissions(folder, kFolderPerms, fs::perm_options::replace, ec);
    if (ec)
        problem = failure("cannot create", folder, ec);
    return !ec;
}

// Written under a hidden name and renamed when complete: a full disk must not
// leave a cut-off file that later starts take for the user's own.
bool copyFile(const fs::path& from, const fs::path& to, std::string& problem) {
    // Appended, not `"." + string`: GCC 12 takes that for an overlapping copy (-Wrestrict).
    std::string name = ".";
    name += to.filename().string();
    name += ".part";
    const fs::path part = to.parent_path() / name;
    std::error_code ignored;
    // A part left by an interrupted start may be read-only.
    fs::remove(part, ignored);
    std::error_code ec;
    fs::copy_file(from, part, ec);
    if (!ec)
        fs::permissions(part, kFilePerms, fs::perm_options::replace, ec);
    if (!ec)
        fs::rename(part, to, ec);
    if (ec) {
        fs::remove(part, ignored);
        problem = failure("cannot copy", from, ec);
    }
    return !ec;
}

DataTreeResult failed(DataTreeResult result, std::string problem) {
    result.state = DataTreeState::Failed;
    result.dataDir.clear();
    result.problem = std::move(problem);
    return result;
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string ShippedDataDirectory(const std::string& programFolder) {
    if (programFolder.empty())
        return {};
    const fs::path folder = folderPath(programFolder);
    if (folder.filename() != "bin")
        return {};
    const fs::path shipped = folder.parent_path() / "share" / "wavix" / "Data";
    std::error_code ec;
    return fs::is_directory(shipped, ec) ? withSlash(shipped.string()) : std::string();
}

std::string UserDataDirectory(const DataTreeEnvironment& env) {
    fs::path base;
    if (isAbsolute(env.xdgDataHome))
        base = env.xdgDataHome;
    else if (isAbsolute(env.home))
        base = fs::path(env.home) / ".local" / "share";
    else
        return {};
    return withSlash((base / "wavix" / "Data").lexically_normal().string());
}

TreeCopy AddMissingFiles(const fs::path& fromFolder, const fs::path& toFolder) {
    const fs::path from = folderPath(fromFolder);
    const fs::path to = folderPath(toFolder);
    TreeCopy copy;
    std::error_code ec;
    fs::recursive_directory_iterator it(from, ec);
    if (ec) {
        copy.problem = failure("cannot read", from, ec);
        return copy;
    }
    if (!makeFolder(to, copy.problem))
        return copy;
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        const fs::path target = to / it->path().lexically_relative(from);
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (!isMissing(target)) {
                // The user's file where a folder is shipped stays, and so nothing goes below it.
                if (!fs::is_directory(target, typeError))
                    it.disable_recursion_pending();
                continue;
            }
            if (!makeFolder(target, copy.problem))
                return copy;
        } else if (it->is_regular_file(typeError) && isMissing(target)) {
            if (!copyFile(it->path(), target, copy.problem))
                return copy;
            ++copy.files;
        }
    }
    if (ec)
        copy.problem = failure("cannot read", from, ec);
    return copy;
}

DataTreeResult SetUpDataDirectory(const std::string& programFolder, const DataTreeEnvironment& env) {
    DataTreeResult result;
    result.dataDir = FindDataDirectory(programFolder);
    if (!result.dataDir.empty()) {
        result.state = DataTreeState::Beside;
        return result;
    }
    result.shippedDir = ShippedDataDirectory(programFolder);
    if (result.shippedDir.empty())
        return result;
    const std::string user = UserDataDirectory(env);
    if (user.empty())
        return failed(result, "neither XDG_DATA_HOME nor HOME names an absolute folder");
    const fs::path tree = folderPath(user);

    std::error_code ec;
    const fs::file_status status = fs::status(tree, ec);
    if (fs::is_directory(status)) {
        const TreeCopy copy = AddMissingFiles(result.shippedDir, tree);
        result.state = copy.files > 0 ? DataTreeState::Added : DataTreeState::InUse;
        result.dataDir = user;
        result.filesAdded = copy.files;
        result.problem = copy.problem;
        return result;
    }
    if (status.type() != fs::file_type::not_found)
        return failed(result, ec ? failure("cannot look at", tree, ec) : tree.string() + " is not a folder");

    // The first copy is made aside and renamed into place, so that a failed
    // start leaves no half tree behind.
    std::string problem;
    if (!makeFolder(tree.parent_path(), problem))
        return failed(result, problem);
    std::string stagingName = "Data.part-";
    stagingName += std::to_string(::getpid());
    const fs::path staging = tree.parent_path() / stagingName;
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    const TreeCopy copy = AddMissingFiles(result.shippedDir, staging);
    problem = copy.problem;
    if (problem.empty()) {
        fs::rename(staging, tree, ec);
        if (ec)
            problem = failure("cannot rename " + staging.string() + " to", tree, ec);
    }
    if (!problem.empty()) {
        fs::remove_all(staging, ignored);
        return failed(result, problem);
    }
    result.state = DataTreeState::Created;
    result.dataDir = user;
    result.filesAdded = copy.files;
    return result;
}

DataTreeEnvironment ProcessDataTreeEnvironment() {
    return {environmentValue("HOME"), environmentValue("XDG_DATA_HOME")};
}

DataTreeResult SetUpDataDirectory() {
    return SetUpDataDirectory(ProgramFolder(), ProcessDataTreeEnvironment());
}

bool IsDataTreeNews(const DataTreeResult& result) {
    return result.state == DataTreeState::Created || result.state == DataTreeState::Added ||
           (!result.problem.empty() && !result.dataDir.empty());
}

std::string DataTreeReport(const DataTreeResult& result) {
    const std::string files = std::to_string(result.filesAdded);
    std::string line;
    switch (result.state) {
    case DataTreeState::Given:
    case DataTreeState::Beside:
    case DataTreeState::InUse:
        line = "data tree " + result.dataDir;
        break;
    case DataTreeState::NotFound:
        line = "no data tree beside the program and none shipped in PREFIX/share/wavix/Data";
        break;
    case DataTreeState::Created:
        line =
            "data tree " + result.dataDir + " created from " + result.shippedDir + " (files: " + files + ")";
        break;
    case DataTreeState::Added:
        line = "data tree " + result.dataDir + " completed from " + result.shippedDir +
               " (new files: " + files + ")";
        break;
    case DataTreeState::Failed:
        return "no data tree made from " + result.shippedDir + ": " + result.problem;
    }
    if (!result.problem.empty())
        line += "; not all added from " + result.shippedDir + ": " + result.problem;
    return line;
}

} // namespace wavix
