#pragma once
// A folder of one benchmark program's own under the temporary folder, removed
// with everything in it when the program ends.

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace wavix::bench {

struct ScratchDir {
    explicit ScratchDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path path;
};

} // namespace wavix::bench
