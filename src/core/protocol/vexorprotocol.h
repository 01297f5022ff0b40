#pragma once
// The tester's own packet protocol, outside any module: file directory
// entries and file contents.
//
//   request            command          payload                    reply
//   echo               0x0000           none                       0x8000
//   file entry  m0/m1  0x0044 / 0x0046  name characters, one zero  0x8044 / 0x8046 (tsimple_FAT)
//   contents    m0/m1  0x0045 / 0x0047  name characters, one zero  a run of 0x8045 / 0x8047
//   next packet        0x0055           none                       the next packet of the run
//
// A run of data packets: every packet but the last carries status 0x0040 (or
// 0x0001, which the tester uses the same way) and is answered with 0x0055;
// the last carries status 0. The payloads in arrival order are the file.
// The tester may itself send 0x0044 with a file name it wants. An entry or
// data reply that no request waits for (a copy, or a late answer to an earlier
// request) is dropped: it is neither stored nor answered. So is a data packet
// equal to the last one taken (until the next entry request), as a copy may
// arrive after the next request went out.
//
// Results go to the notify window as UWM_RECEIVED_FILE_MSG (a
// ReceivedFileNotice), UWM_CMD_ECHO_MSG and UWM_VEXOR_PROTOCOL_MSG.

#include "core/comm/datagram.h"
#include "core/comm/packet.h"
#include "core/protocol/receivedfile.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"
#include "core/support/ticksource.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

class CLogTrace;

inline constexpr std::uint16_t c_vxpECHO = 0x0000;
inline constexpr std::uint16_t c_vxpFILE_ENTRY_0 = 0x0044;
inline constexpr std::uint16_t c_vxpFILE_DATA_0 = 0x0045;
inline constexpr std::uint16_t c_vxpFILE_ENTRY_1 = 0x0046;
inline constexpr std::uint16_t c_vxpFILE_DATA_1 = 0x0047;
inline constexpr std::uint16_t c_vxpSECOND_DATA = 0x0049;
inline constexpr std::uint16_t c_vxpNOTICE = 0x0048;
inline constexpr std::uint16_t c_vxpUPLOAD = 0x0054;
inline constexpr std::uint16_t c_vxpNEXT_PACKET = 0x0055;

// How the session takes the reply to a request.
enum class VexorReply { None, Echo, Entry, Data, SecondData, TesterNotice, Upload };

// The codes of this protocol, one row each. The session's receive step, the
// routing of a link shared with the module protocol, the simulator's file
// service and the fuzz target read them from here; a new code is a row, the
// session's reaction and the simulator's answer.
struct VexorCommand {
    std::uint16_t code; // the request; its reply is code | c_vxrREPLY_MASK
    std::string_view name;
    VexorReply reply;
    bool fileService; // the tester's file service answers it
    bool testerAsks;  // the tester itself sends it to the program
};

// clang-format off
inline constexpr std::array<VexorCommand, 9> kVexorCommands{{
    // code             name           reply                     fileService testerAsks
    {c_vxpECHO,         "ECHO",        VexorReply::Echo,         false,      false},
    {c_vxpFILE_ENTRY_0, "FILE_ENTRY_0", VexorReply::Entry,       true,       true},
    {c_vxpFILE_DATA_0,  "FILE_DATA_0", VexorReply::Data,         true,       false},
    {c_vxpFILE_ENTRY_1, "FILE_ENTRY_1", VexorReply::Entry,       true,       false},
    {c_vxpFILE_DATA_1,  "FILE_DATA_1", VexorReply::Data,         true,       false},
    {c_vxpNOTICE,       "NOTICE",      VexorReply::TesterNotice, false,      false},
    {c_vxpSECOND_DATA,  "SECOND_DATA", VexorReply::SecondData,   false,      false},
    {c_vxpUPLOAD,       "UPLOAD",      VexorReply::Upload,       false,      false},
    // Answered by the next data packet of the run, never on its own code.
    {c_vxpNEXT_PACKET,  "NEXT_PACKET", VexorReply::None,         true,       false},
}};
// clang-format on

constexpr const VexorCommand* FindVexorCommand(std::uint16_t code) {
    for (const VexorCommand& row : kVexorCommands)
        if (row.code == code)
            return &row;
    return nullptr;
}

// How the session takes a received code: None for one it does not expect.
constexpr VexorReply VexorReplyOf(std::uint16_t received) {
    if ((received & c_vxrREPLY_MASK) == 0)
        return VexorReply::None;
    const VexorCommand* row = FindVexorCommand(static_cast<std::uint16_t>(received & ~c_vxrREPLY_MASK));
    return row != nullptr ? row->reply : VexorReply::None;
}

// Request builders: fill `buffer` and answer the length, or 0 on a missing
// buffer, a mode other than 0 or 1, or a request that would not fit.
std::size_t build_Echo_packet(std::uint8_t* buffer, std::size_t capacity);
std::size_t build_FileEntry_packet(std::uint8_t* buffer, std::size_t capacity, std::string_view name,
                                   int mode);
std::size_t build_FileContents_packet(std::uint8_t* buffer, std::size_t capacity, std::string_view name,
                                      int mode);
std::size_t build_NextPacket_packet(std::uint8_t* buffer, std::size_t capacity);

// Codes that belong to this protocol rather than to the module protocol; a
// link that shares its port with the module link routes them by this.
bool IsVexorProtocolCommand(std::uint16_t command);

class CVexorProtocol : public IDatagramReceiver {
public:
    // A run whose next packet, or an entry that never comes, ends after this.
    static constexpr std::uint32_t kReplyTimeoutMs = 3000;
    static constexpr std::uint32_t kIdleTimerMs = 1000;

    CVexorProtocol(IDatagramSender& sender, const ITickSource& ticks, CLogTrace* log = nullptr);

    void SetNotifyWindow(IMessageTarget* window) { notify_ = window; }
    void ResetReceivedFile();
    CReceivedFile& GetReceivedFile() { return files_[0]; }
    const CReceivedFile& GetReceivedFile() const { return files_[0]; }
    const CReceivedFile& GetSecondReceivedFile() const { return files_[1]; }

    bool SendEcho();
    bool AskForFileEntry(std::string_view name, int mode = 1);
    bool AskForFileContents(std::string_view name, int mode = 1);

    // One received datagram of `length` bytes in a 2048-byte buffer.
    void parseRecData(PacketBuffer buffer, std::size_t length) override;

    // The time-out step; the platform calls it when msUntilNextTimer() is due.
    void OnTimer();
    std::uint32_t msUntilNextTimer() const;
    bool IsWaitingForReply() const { return awaitedReply_ != 0; }

    const PacketHeader& LastHeader() const { return lastHeader_; }
    bool LastPacketValid() const { return lastValid_; }
    std::uint32_t LastReceiptTick() const { return lastReceipt_; }

private:
    bool sendRequest(std::size_t (*build)(std::uint8_t*, std::size_t, std::string_view, int),
                     std::string_view name, int mode);
    bool sendNextPacket();
    void await(std::uint16_t reply);
    void post(std::intptr_t wParam, std::intptr_t lParam, Msg msg = Msg::UWM_RECEIVED_FILE_MSG);
    void testerAsksFile(const std::uint8_t* data, std::size_t length);
    void entryReply(const std::uint8_t* data, std::size_t length);
    // Answers whether the next packet should be asked for.
    bool dataReply(CReceivedFile& file, PacketBuffer buffer, std::size_t length, bool second);

    IDatagramSender& sender_;
    const ITickSource& ticks_;
    CLogTrace* log_;
    IMessageTarget* notify_ = nullptr;
    PacketHeader lastHeader_;
    bool lastValid_ = false;
    std::uint32_t lastReceipt_ = 0;
    CReceivedFile files_[2] = {CReceivedFile(0), CReceivedFile(1)};
    std::vector<std::uint8_t> lastData_; // the last data packet taken, header included
    std::uint16_t awaitedReply_ = 0;
    std::uint32_t awaitSince_ = 0;
};

} // namespace wavix
