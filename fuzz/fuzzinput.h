#pragma once
// Shared by the fuzz targets and the seed writer: a fuzz input read as a run
// of steps, each an operation byte and one datagram, and a scratch file for the
// targets whose code under test reads files.
//
//   step: u8 op, BE16 length, length bytes (cut to what is left and to 2047)

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace wavix::fuzz {

inline constexpr std::size_t kMaxDatagram = 2047;

struct Step {
    std::uint8_t op = 0;
    std::vector<std::uint8_t> datagram;
};

class StepReader {
public:
    StepReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Next(Step& step) {
        if (pos_ >= size_)
            return false;
        step.op = data_[pos_++];
        std::size_t length = 0;
        for (int i = 0; i < 2; ++i)
            length = (length << 8) | (pos_ < size_ ? data_[pos_++] : 0u);
        length = std::min({length, size_ - pos_, kMaxDatagram});
        step.datagram.assign(data_ + pos_, data_ + pos_ + length);
        pos_ += length;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Appends one step to a seed.
inline void AppendStep(std::vector<std::uint8_t>& seed, std::uint8_t op, const std::uint8_t* data,
                       std::size_t length) {
    seed.push_back(op);
    seed.push_back(static_cast<std::uint8_t>(length >> 8));
    seed.push_back(static_cast<std::uint8_t>(length));
    seed.insert(seed.end(), data, data + length);
}

// A file of this process in memory-backed storage when there is some.
inline std::filesystem::path ScratchPath(const char* name) {
    std::filesystem::path dir = "/dev/shm";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        dir = std::filesystem::temp_directory_path();
    return dir / ("wavix_fuzz_" + std::to_string(::getpid()) + "_" + name);
}

inline bool WriteWhole(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

} // namespace wavix::fuzz
