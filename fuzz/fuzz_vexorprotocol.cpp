// The instrument protocol's receive dispatcher and the file it assembles:
// steps ask for entries and contents, move the clock, reset or save the file,
// and deliver datagrams in buffers of exactly their size.

#include "core/protocol/vexorprotocol.h"
#include "fuzzinput.h"

#include <cstdlib>
#include <cstring>

using namespace wavix;

namespace {

class CheckingSender : public IDatagramSender {
public:
    bool Send(Packet packet) override {
        if (!packet.data || packet.size < kRequestHeaderSize || packet.size > kPacketBufferSize)
            std::abort();
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto savePath = fuzz::ScratchPath("received.sdf");
    CFakeTickSource clock(0xFFFFF800u);
    CheckingSender sender;
    CRecordingTarget window;
    CVexorProtocol protocol(sender, clock);
    protocol.SetNotifyWindow(&window);

    fuzz::StepReader reader(data, size);
    fuzz::Step step;
    while (reader.Next(step)) {
        const int mode = (step.op >> 4) & 1;
        switch (step.op & 0x07) {
        case 0:
            protocol.AskForFileEntry("osclog01.sdf", mode);
            break;
        case 1:
            protocol.AskForFileContents("osclog01.sdf", mode);
            break;
        case 2:
            protocol.ResetReceivedFile();
            break;
        case 3:
            clock.advance(static_cast<std::uint32_t>(step.op >> 3) * 200u);
            break;
        case 4:
            protocol.SendEcho();
            break;
        case 6: // the datagram carries a code of the table, as a reply or as sent
            if (step.datagram.size() >= 4) {
                const VexorCommand& row = kVexorCommands[(step.op >> 4) % kVexorCommands.size()];
                const auto code =
                    static_cast<std::uint16_t>((step.op & 0x08) != 0 ? row.code : row.code | c_vxrREPLY_MASK);
                step.datagram[2] = static_cast<std::uint8_t>(code >> 8);
                step.datagram[3] = static_cast<std::uint8_t>(code & 0xFF);
            }
            break;
        case 5: {
            std::int64_t total = 0;
            if (protocol.GetReceivedFile().GetPayloadSize(total) && total >= 0)
                protocol.GetReceivedFile().Save(savePath);
            break;
        }
        default:
            break;
        }
        if (protocol.msUntilNextTimer() == 0)
            protocol.OnTimer();
        if (!step.datagram.empty()) {
            auto buffer = std::make_unique<std::uint8_t[]>(step.datagram.size());
            std::memcpy(buffer.get(), step.datagram.data(), step.datagram.size());
            protocol.parseRecData(std::move(buffer), step.datagram.size());
        }
        window.clear();
    }
    std::error_code ec;
    std::filesystem::remove(savePath, ec);
    return 0;
}
