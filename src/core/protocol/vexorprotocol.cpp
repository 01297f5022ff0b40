#include "core/protocol/vexorprotocol.h"

#include "core/support/bytes.h"
#include "core/support/logtrace.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace wavix {
namespace {

std::size_t buildHeader(std::uint8_t* buffer, std::size_t capacity, std::uint16_t command) {
    if (buffer == nullptr || capacity < kRequestHeaderSize)
        return 0;
    buffer[0] = kStartByte1;
    buffer[1] = kStartByte2;
    writeBE16(buffer + 2, command);
    return kRequestHeaderSize;
}

std::size_t buildNamed(std::uint8_t* buffer, std::size_t capacity, std::uint16_t command,
                       std::string_view name) {
    // A zero inside the name would end it early on the tester's side.
    if (name.find('\0') != std::string_view::npos || capacity < kRequestHeaderSize + name.size() + 1)
        return 0;
    std::size_t length = buildHeader(buffer, capacity, command);
    if (length == 0)
        return 0;
    std::memcpy(buffer + length, name.data(), name.size());
    length += name.size();
    buffer[length++] = 0;
    return length;
}

bool validMode(int mode) {
    return mode == 0 || mode == 1;
}

std::size_t payloadBytes(std::size_t length) {
    return length > kPacketHeaderSize ? length - kPacketHeaderSize : 0;
}

} // namespace

std::size_t build_Echo_packet(std::uint8_t* buffer, std::size_t capacity) {
    return buildHeader(buffer, capacity, c_vxpECHO);
}

std::size_t build_FileEntry_packet(std::uint8_t* buffer, std::size_t capacity, std::string_view name,
                                   int mode) {
    if (!validMode(mode))
        return 0;
    return buildNamed(buffer, capacity, mode == 0 ? c_vxpFILE_ENTRY_0 : c_vxpFILE_ENTRY_1, name);
}

std::size_t build_FileContents_packet(std::uint8_t* buffer, std::size_t capacity, std::string_view name,
                                      int mode) {
    if (!validMode(mode))
        return 0;
    return buildNamed(buffer, capacity, mode == 0 ? c_vxpFILE_DATA_0 : c_vxpFILE_DATA_1, name);
}

std::size_t build_NextPacket_packet(std::uint8_t* buffer, std::size_t capacity) {
    return buildHeader(buffer, capacity, c_vxpNEXT_PACKET);
}

bool IsVexorProtocolCommand(std::uint16_t command) {
    // The echo answer belongs to the module link; a next-packet answer never comes on its own code.
    const VexorReply reply = VexorReplyOf(command);
    if (reply != VexorReply::None)
        return reply != VexorReply::Echo;
    const VexorCommand* row = FindVexorCommand(command);
    return row != nullptr && row->testerAsks;
}

CVexorProtocol::CVexorProtocol(IDatagramSender& sender, const ITickSource& ticks, CLogTrace* log)
    : sender_(sender), ticks_(ticks), log_(log) {}

void CVexorProtocol::ResetReceivedFile() {
    files_[0].Reset();
    awaitedReply_ = 0;
}

void CVexorProtocol::post(std::intptr_t wParam, std::intptr_t lParam, Msg msg) {
    postTo(notify_, msg, wParam, lParam);
}

void CVexorProtocol::await(std::uint16_t reply) {
    awaitedReply_ = reply;
    awaitSince_ = ticks_.tickMs();
}

bool CVexorProtocol::SendEcho() {
    PacketBuffer buffer = allocatePacketBuffer();
    const std::size_t length = build_Echo_packet(buffer.get(), kPacketBufferSize);
    return length != 0 && sender_.Send({std::move(buffer), length});
}

bool CVexorProtocol::sendRequest(std::size_t (*build)(std::uint8_t*, std::size_t, std::string_view, int),
                                 std::string_view name, int mode) {
    PacketBuffer buffer = allocatePacketBuffer();
    const std::size_t length = build(buffer.get(), kPacketBufferSize, name, mode);
    if (length == 0)
        return false;
    const std::uint16_t reply = static_cast<std::uint16_t>(readBE16(buffer.get() + 2) | c_vxrREPLY_MASK);
    if (!sender_.Send({std::move(buffer), length}))
        return false;
    await(reply);
    return true;
}

bool CVexorProtocol::AskForFileEntry(std::string_view name, int mode) {
    // A new listing: the same file may now be fetched again.
    lastData_.clear();
    return sendRequest(build_FileEntry_packet, name, mode);
}

bool CVexorProtocol::AskForFileContents(std::string_view name, int mode) {
    return sendRequest(build_FileContents_packet, name, mode);
}

bool CVexorProtocol::sendNextPacket() {
    PacketBuffer buffer = allocatePacketBuffer();
    const std::size_t length = build_NextPacket_packet(buffer.get(), kPacketBufferSize);
    return length != 0 && sender_.Send({std::move(buffer), length});
}

void CVexorProtocol::OnTimer() {
    if (awaitedReply_ == 0 || ticksSince(ticks_.tickMs(), awaitSince_) < kReplyTimeoutMs)
        return;
    const std::uint16_t missing = awaitedReply_;
    awaitedReply_ = 0;
    DebugTrace("CVexorProtocol: no reply from the tester in time", log_);
    post(missing, Encode(ReceivedFileNotice::ReplyTimedOut));
}

std::uint32_t CVexorProtocol::msUntilNextTimer() const {
    if (awaitedReply_ == 0)
        return kIdleTimerMs;
    const std::uint32_t waited = ticksSince(ticks_.tickMs(), awaitSince_);
    return waited >= kReplyTimeoutMs ? 0 : kReplyTimeoutMs - waited;
}

void CVexorProtocol::parseRecData(PacketBuffer buffer, std::size_t length) {
    if (!buffer || length == 0 || length >= kPacketBufferSize) {
        // A full buffer may hold a cut datagram; its data cannot be trusted.
        InternalError("CVexorProtocol::parseRecData: datagram missing or possibly cut", log_);
        return;
    }
    lastReceipt_ = ticks_.tickMs();
    const std::uint8_t* data = buffer.get();
    lastValid_ = acceptPacket(data, length);
    if (!lastValid_) {
        post(0, Encode(VexorProtocolNotice::BadDatagram), Msg::UWM_VEXOR_PROTOCOL_MSG);
        return;
    }
    lastHeader_ = readPacketHeader(data, length);
    const std::uint16_t command = lastHeader_.command;
    const VexorCommand* asked = FindVexorCommand(command);
    if (asked != nullptr && asked->testerAsks) {
        testerAsksFile(data, length);
        return;
    }
    switch (VexorReplyOf(command)) {
    case VexorReply::TesterNotice:
        post(0, Encode(VexorProtocolNotice::TesterNotice), Msg::UWM_VEXOR_PROTOCOL_MSG);
        break;
    case VexorReply::Echo:
        post(0, 0, Msg::UWM_CMD_ECHO_MSG);
        break;
    case VexorReply::Entry:
        entryReply(data, length);
        break;
    case VexorReply::Data:
        if (awaitedReply_ != command) {
            DebugTrace("CVexorProtocol: data packet nobody asked for dropped", log_);
            return;
        }
        // Packets carry no sequence number: a copy of the last one may arrive after
        // the next request went out, even for the next file, and taken as its
        // answer it would shift the file. Equal consecutive blocks time out instead.
        if (lastData_.size() == length && std::equal(lastData_.begin(), lastData_.end(), data)) {
            DebugTrace("CVexorProtocol: copy of the last data packet dropped", log_);
            return;
        }
        lastData_.assign(data, data + length);
        if (dataReply(files_[0], std::move(buffer), length, false)) {
            // Armed before sending: a failed send then ends in the time-out, not in silence.
            await(command);
            if (!sendNextPacket())
                InternalError("CVexorProtocol: next-packet request not sent", log_);
        }
        break;
    case VexorReply::SecondData:
        dataReply(files_[1], std::move(buffer), length, true);
        break;
    case VexorReply::Upload:
        InternalError("CVexorProtocol: upload answer that was never asked for", log_);
        break;
    case VexorReply::None:
        if (lastHeader_.status == kStatusUnknown)
            DebugTrace("CVexorProtocol::Reply Unknown Command", log_);
        InternalError("CVexorProtocol: unexpected command", log_);
        break;
    }
}

void CVexorProtocol::testerAsksFile(const std::uint8_t* data, std::size_t length) {
    // The name need not be terminated inside the datagram: take what is there.
    const std::uint8_t* begin = data + std::min(length, kRequestHeaderSize);
    const std::uint8_t* end = std::find(begin, data + length, std::uint8_t{0});
    files_[0].SetName(std::string(begin, end));
    post(0, Encode(ReceivedFileNotice::TesterAsksFile));
}

void CVexorProtocol::entryReply(const std::uint8_t* data, std::size_t length) {
    if (awaitedReply_ != lastHeader_.command) {
        DebugTrace("CVexorProtocol: directory entry nobody asked for dropped", log_);
        return;
    }
    if (lastHeader_.status == kStatusOk) {
        tsimple_FAT entry;
        const std::size_t payload = payloadBytes(length);
        // The request stays armed, so its time-out still reports the listing.
        if (!DecodeSimpleFat(std::span(data + kPacketHeaderSize, payload), entry)) {
            InternalError("CVexorProtocol: directory entry of a wrong length", log_);
            return;
        }
        awaitedReply_ = 0;
        files_[0].StoreEntry(entry);
        post(0, Encode(ReceivedFileNotice::EntryRead));
        return;
    }
    awaitedReply_ = 0;
    post(0, Encode(lastHeader_.status == kStatusUnknown ? ReceivedFileNotice::NoSuchFile
                                                        : ReceivedFileNotice::EntryFailed));
}

bool CVexorProtocol::dataReply(CReceivedFile& file, PacketBuffer buffer, std::size_t length, bool second) {
    if (length < kPacketHeaderSize) {
        InternalError("CVexorProtocol: data packet shorter than its header dropped", log_);
        return false;
    }
    const std::uint16_t status = lastHeader_.status;
    if (!file.AddPacket(std::move(buffer), length)) {
        InternalError("CVexorProtocol: data packet not stored", log_);
        return false;
    }
    post(static_cast<std::intptr_t>(payloadBytes(length)),
         Encode(second ? ReceivedFileNotice::SecondStored : ReceivedFileNotice::PacketStored));
    if (status == kStatusOk) {
        // Each request is answered once: a copy of the last packet is not taken.
        if (!second)
            awaitedReply_ = 0;
        post(0, Encode(second ? ReceivedFileNotice::SecondComplete : ReceivedFileNotice::FileComplete));
        return false;
    }
    if (status == kStatusMore || status == kStatusNotServed) {
        post(0, Encode(second ? ReceivedFileNotice::SecondMore : ReceivedFileNotice::MoreFollows));
        return !second;
    }
    // Left armed: the time-out reports the broken run.
    InternalError("CVexorProtocol: data packet with an unexpected status", log_);
    return false;
}

} // namespace wavix
