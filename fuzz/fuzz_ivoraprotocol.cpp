// The module session driven through its states: each step may call the
// application's requests or move the clock, then hands the session one
// datagram in a buffer of exactly its size, so any read past the datagram is
// caught by AddressSanitizer.

#include "core/protocol/ivoraprotocol.h"
#include "core/scope/capturestore.h"
#include "fuzzinput.h"

#include <cstdlib>
#include <cstring>

using namespace wavix;

namespace {

class CheckingSender : public IDatagramSender {
public:
    bool Send(Packet packet) override {
        if (!packet.data || packet.size < kRequestHeaderSize || packet.size > kPacketBufferSize ||
            packet.data[0] != kStartByte1 || packet.data[1] != kStartByte2)
            std::abort(); // the session sent a request it must never build
        return true;
    }
};

void apply(CIvoraProtocol& p, CScopeData& data, CFakeTickSource& clock, std::uint8_t op) {
    switch (op & 0x0F) {
    case 0:
        p.build_AskForScopeData_packet();
        break;
    case 1:
        p.build_SetOscilExchange_packet();
        break;
    case 2:
        p.build_RunOscil_packet();
        break;
    case 3:
        p.build_AskForOscilEeprom_packet();
        break;
    case 4:
        clock.advance(static_cast<std::uint32_t>(op >> 4) * 400u);
        break;
    case 5:
        p.Reinit();
        break;
    case 6:
        p.Stop();
        break;
    case 7:
        p.SendDirectEcho();
        break;
    case 8:
        p.build_ScopeSafeDisconnect_packet();
        break;
    case 9:
        p.build_StopModule_packet();
        break;
    case 10:
        p.build_SetOscilEepromHeader_packet(data.GetCalibration());
        break;
    case 11:
        p.SetReplyWatch((op & 0x10) != 0);
        break;
    case 12: // the application's record edits between captures
        data.SetChannelCount(1 + (op >> 4) % 4);
        data.SetTimeBase(1 + (op >> 4) % 14);
        break;
    case 13:
        data.NextTriggerMode();
        break;
    case 14: // any request of the table, the diagnostic services' too
        p.Request(kModuleCommands[(op >> 4) % kModuleCommands.size()].code);
        break;
    default:
        clock.advance(op >> 4);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CFakeTickSource clock(0xFFFFF000u); // wraps within a long input
    CheckingSender sender;
    CRecordingTarget window;
    CCaptureStore capture;
    capture.SetNoticeTarget(&window);
    CIvoraProtocol protocol(clock, capture);
    protocol.SetTraceSink([](std::string_view) {});
    protocol.SetUserErrorSink([](std::string_view, std::string_view) {});
    protocol.SetDebug(true);
    protocol.SetCommunication(&sender);
    protocol.Init(&window);

    fuzz::StepReader reader(data, size);
    fuzz::Step step;
    while (reader.Next(step)) {
        apply(protocol, capture.Data(), clock, step.op);
        if (protocol.NextDeadlineMs() == 0)
            protocol.OnTimer();
        if (!step.datagram.empty()) {
            auto buffer = std::make_unique<std::uint8_t[]>(step.datagram.size());
            std::memcpy(buffer.get(), step.datagram.data(), step.datagram.size());
            protocol.parseRecData(std::move(buffer), step.datagram.size());
        }
        if (protocol.QueueSize() > CIvoraProtocol::kQueueCapacity)
            std::abort();
        for (int ch = 0; ch < kChannelCount; ++ch) {
            const auto& c = capture.Data().GetChannel(ch);
            if (c.GetSampleCount() > kMaxSamples)
                std::abort();
        }
        window.clear();
    }
    return 0;
}
