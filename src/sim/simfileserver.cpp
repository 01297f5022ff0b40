#include "sim/simfileserver.h"

#include "core/support/bytes.h"
#include "sim/packetiser.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

namespace wavix {

namespace {

constexpr std::size_t kMaxNameLength = 14; // the entry's Name field

std::array<std::uint32_t, 256> crcTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}

std::string logName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "osclog%02d.sdf", number);
    return name;
}

std::string hex(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned{v});
    return text;
}

} // namespace

bool IsSimFileCommand(std::uint16_t command) {
    const VexorCommand* row = FindVexorCommand(command);
    return row != nullptr && row->fileService;
}

std::uint32_t SimFileCrc(std::span<const std::uint8_t> bytes) {
    static const std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool LoadLogFolder(const std::filesystem::path& folder, SimFileMap& files, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "no such folder: " + folder.string();
        return false;
    }
    SimFileMap loaded;
    for (int n = 1; n <= 10; ++n) {
        const std::string name = logName(n);
        const std::filesystem::path path = folder / name;
        if (!std::filesystem::is_regular_file(path, ec))
            continue;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec) {
            error = "cannot read " + path.string();
            return false;
        }
        if (size > kMaxServedFileBytes) {
            error = path.string() + " is larger than " + std::to_string(kMaxServedFileBytes >> 20) + " MB";
            return false;
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        std::ifstream in(path, std::ios::binary);
        if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())) ||
            in.peek() != std::ifstream::traits_type::eof()) {
            error = "cannot read " + path.string();
            return false;
        }
        loaded.emplace(name, std::move(bytes));
    }
    files = std::move(loaded);
    return true;
}

CSimFileServer::CSimFileServer(std::uint16_t moduleNum, SimFileMap files) : moduleNum_(moduleNum) {
    // Files lie one after the other on the tester's card, each from a fresh sector.
    std::uint32_t sector = kFirstSector;
    for (auto& [name, bytes] : files) {
        if (name.empty() || name.size() > kMaxNameLength || bytes.size() > kMaxServedFileBytes)
            continue;
        Stored s;
        SetSimpleFatName(s.entry, name);
        s.entry.size = static_cast<std::uint32_t>(bytes.size());
        const std::uint32_t sectors =
            std::max<std::uint32_t>(1, (s.entry.size + kSectorBytes - 1) / kSectorBytes);
        s.entry.Start_sec = sector;
        s.entry.end_sec = sector + sectors - 1;
        s.entry.attrib = 0x20; // archive, as the card's own file system marks written files
        s.entry.crc = SimFileCrc(bytes);
        sector += sectors;
        s.bytes = std::move(bytes);
        files_.emplace(name, std::move(s));
    }
}

std::vector<std::string> CSimFileServer::names() const {
    std::vector<std::string> out;
    for (const auto& f : files_)
        out.push_back(f.first);
    return out;
}

const tsimple_FAT* CSimFileServer::entry(const std::string& name) const {
    const auto it = files_.find(name);
    return it == files_.end() ? nullptr : &it->second.entry;
}

Packet CSimFileServer::reply(std::uint16_t command, std::uint16_t status,
                             std::span<const std::uint8_t> payload) const {
    return MakeReply(static_cast<std::uint16_t>(command | c_vxrREPLY_MASK), moduleNum_, status, payload);
}

CSimFileServer::Response CSimFileServer::handle(std::span<const std::uint8_t> request) {
    using namespace sim_file_cmd;
    Response out;
    if (request.size() < kRequestHeaderSize || !hasStartBytes(request.data(), request.size()))
        return out;
    const std::uint16_t cmd = readBE16(&request[2]);
    if (cmd == kNextPacket) {
        if (sending_ == nullptr) {
            out.log.push_back("next packet asked with no file transfer in progress: ignored");
            return out;
        }
        nextData(out);
        return out;
    }
    if (!IsSimFileCommand(cmd)) {
        out.packets.push_back(reply(cmd, kStatusUnknown));
        return out;
    }
    // The name runs to its zero byte; a name left open ends with the datagram.
    const auto payload = request.subspan(kRequestHeaderSize);
    const auto end = std::find(payload.begin(), payload.end(), std::uint8_t{0});
    const std::string name(payload.begin(), end);
    const auto it = name.size() <= kMaxNameLength ? files_.find(name) : files_.end();
    const bool isEntry = cmd == kEntry0 || cmd == kEntry1;
    const std::string shown = name.size() <= 32 ? name : name.substr(0, 32) + "...";
    if (it == files_.end()) {
        out.packets.push_back(reply(cmd, kStatusUnknown));
        out.log.push_back((isEntry ? "file entry " : "file contents ") + shown + ": no such file");
        return out;
    }
    if (isEntry) {
        std::array<std::uint8_t, kSimpleFatSize> bytes{};
        EncodeSimpleFat(it->second.entry, bytes);
        out.packets.push_back(reply(cmd, kStatusOk, bytes));
        out.log.push_back("file entry " + name + ": " + std::to_string(it->second.bytes.size()) + " bytes");
        return out;
    }
    // A new contents request replaces any run the program gave up on.
    sending_ = &it->second;
    sendingName_ = name;
    sendingReply_ = cmd;
    sent_ = 0;
    const std::size_t size = it->second.bytes.size();
    const std::size_t packets = std::max<std::size_t>(1, (size + kMaxDataPerPacket - 1) / kMaxDataPerPacket);
    out.log.push_back("file contents " + name + ": " + std::to_string(size) + " bytes in " +
                      std::to_string(packets) + " packets (" +
                      hex(static_cast<std::uint16_t>(cmd | c_vxrREPLY_MASK)) + ")");
    nextData(out);
    return out;
}

void CSimFileServer::nextData(Response& out) {
    const std::vector<std::uint8_t>& bytes = sending_->bytes;
    const std::size_t count = std::min(kMaxDataPerPacket, bytes.size() - sent_);
    const bool last = sent_ + count == bytes.size();
    out.packets.push_back(
        reply(sendingReply_, last ? kStatusOk : kStatusMore, std::span(bytes).subspan(sent_, count)));
    sent_ += count;
    if (last) {
        out.log.push_back("file " + sendingName_ + " sent");
        sending_ = nullptr;
    }
}

} // namespace wavix
