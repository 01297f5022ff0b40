#pragma once
// The tester's file service: the directory entry and the contents of the log
// files it keeps. No sockets; one request in, the reply packets out.
//
//   0x0044 / 0x0046 + name + zero  ->  0x8044 / 0x8046, the 32-byte entry, status 0;
//                                      status 0x0080 and no payload for an unknown name
//   0x0045 / 0x0047 + name + zero  ->  the first 0x8045 / 0x8047 data packet of the file
//   0x0055                         ->  the next data packet of the run in progress
//
// A data packet carries at most 2039 bytes of the file; status 0x0040 while
// more follows, 0x0000 on the last. Each packet goes out only when asked for,
// so the program sets the pace. A 0x0055 with no run in progress goes
// unanswered: its reply code is not one the program routes to its file link,
// and on a port shared with the module link a refusal would be taken as a
// module error.

#include "core/comm/packet.h"
#include "core/protocol/simplefat.h"
#include "core/protocol/vexorprotocol.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace wavix {

using SimFileMap = std::map<std::string, std::vector<std::uint8_t>>;

namespace sim_file_cmd {
inline constexpr std::uint16_t kEntry0 = c_vxpFILE_ENTRY_0;
inline constexpr std::uint16_t kData0 = c_vxpFILE_DATA_0;
inline constexpr std::uint16_t kEntry1 = c_vxpFILE_ENTRY_1;
inline constexpr std::uint16_t kData1 = c_vxpFILE_DATA_1;
inline constexpr std::uint16_t kNextPacket = c_vxpNEXT_PACKET;
} // namespace sim_file_cmd

bool IsSimFileCommand(std::uint16_t command);

// The checksum the entries report: CRC-32 (IEEE 802.3, reflected, as zip uses).
std::uint32_t SimFileCrc(std::span<const std::uint8_t> bytes);

// osclog01.sdf .. osclog10.sdf as far as `folder` holds them as regular files;
// false with a reason when the folder or a file cannot be read, or a file is too big.
inline constexpr std::uintmax_t kMaxServedFileBytes = std::uintmax_t{256} << 20;
bool LoadLogFolder(const std::filesystem::path& folder, SimFileMap& files, std::string& error);

class CSimFileServer {
public:
    static constexpr std::size_t kMaxDataPerPacket = kMaxPayloadSize;
    static constexpr std::uint32_t kSectorBytes = 512;
    static constexpr std::uint32_t kFirstSector = 64; // behind the tester's own tables

    CSimFileServer(std::uint16_t moduleNum, SimFileMap files);

    struct Response {
        std::vector<Packet> packets;
        std::vector<std::string> log;
    };
    Response handle(std::span<const std::uint8_t> request);

    bool transferring() const { return sending_ != nullptr; }
    // A power cycle forgets the run in progress; the files stay.
    void abortTransfer() { sending_ = nullptr; }

    std::vector<std::string> names() const;
    // Null for an unknown name.
    const tsimple_FAT* entry(const std::string& name) const;

private:
    struct Stored {
        std::vector<std::uint8_t> bytes;
        tsimple_FAT entry;
    };

    Packet reply(std::uint16_t command, std::uint16_t status,
                 std::span<const std::uint8_t> payload = {}) const;
    void nextData(Response& out);

    std::uint16_t moduleNum_;
    std::map<std::string, Stored> files_;
    const Stored* sending_ = nullptr;
    std::string sendingName_;
    std::uint16_t sendingReply_ = 0;
    std::size_t sent_ = 0;
};

} // namespace wavix
