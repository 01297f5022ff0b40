#include "sim/testerlog.h"

#include "core/support/bytes.h"
#include "core/support/textencoding.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>

namespace wavix {

namespace {

constexpr std::size_t kProbeTextSize = 30;

// Writes field by field into a header or block image.
class BigEndianWriter {
public:
    explicit BigEndianWriter(std::span<std::uint8_t> out) : out_(out) {}

    void u16(std::uint16_t v) { writeBE16(take(2), v); }
    void u32(std::uint32_t v) { writeBE32(take(4), v); }
    void f32(float v) { u32(std::bit_cast<std::uint32_t>(v)); }
    void tag(const char (&four)[5]) { std::memcpy(take(4), four, 4); }
    // Zero-terminated inside `width` bytes in the tester's Windows-1250, cut when longer.
    void text(const std::string& s, std::size_t width) { PutTextField(std::span(take(width), width), s); }

private:
    std::uint8_t* take(std::size_t n) {
        std::uint8_t* p = out_.subspan(at_, n).data();
        at_ += n;
        return p;
    }

    std::span<std::uint8_t> out_;
    std::size_t at_ = 0;
};

void channelRecord(BigEndianWriter& w, const tOscilExchange& rec, int ch) {
    const int step = static_cast<int>(rec.time_base_ENUM);
    w.u16(static_cast<std::uint16_t>(ch));
    w.u16(rec.version);
    w.u16(rec.mux(ch));
    w.u16(rec.dcOn(ch));
    w.u32(rec.time_base_ENUM);
    w.u32(rec.time_base);
    w.u32(SamplesPerStep(step));
    w.u16(rec.TR_channel);
    w.u16(0);
    w.u32(rec.TR_level);
    w.u16(rec.TR_mode);
    w.u16(rec.TR_rising);
}

// The tester has no probes of its own: not loaded, ratio 1.
void probeRecord(BigEndianWriter& w) {
    w.u32(0);
    w.text("", kProbeTextSize);
    w.text("", kProbeTextSize);
    w.f32(1.0f);
}

} // namespace

std::uint16_t TesterLogWord(int counts, std::uint16_t marks) {
    const int value = std::clamp(counts, -512, 512) + 512;
    return static_cast<std::uint16_t>(value | (marks & (kMarkFirstKind | kMarkSecondKind)));
}

std::vector<std::uint8_t> EncodeTesterLog(const TesterLog& log) {
    const std::size_t channels = log.record.chann_num;
    if (channels < 1 || channels > static_cast<std::size_t>(kChannelCount) ||
        log.channels.size() != channels || log.words.size() % channels != 0)
        return {};

    const std::size_t streamAt = kLogHeaderSize + channels * kLogBlockSize;
    std::vector<std::uint8_t> out(streamAt + log.words.size() * 2);
    std::array<std::uint8_t, kLogHeaderSize> header{};
    BigEndianWriter h(header);
    h.tag("OSC1");
    h.u32(static_cast<std::uint32_t>(channels));
    h.text(log.text, kLogTextSize);
    for (std::uint16_t v : log.written)
        h.u16(v);
    h.u32(0);
    h.u32(kTesterLogVersion);
    auto to = std::copy(header.begin(), header.end(), out.begin());

    for (std::size_t i = 0; i < channels; ++i) {
        const TesterLogChannel& c = log.channels[i];
        std::array<std::uint8_t, kLogBlockSize> block{};
        BigEndianWriter w(block);
        w.tag("-CHx");
        w.u32(kNoSamplesFollow);
        w.u32(c.colour);
        w.text(c.description, kLogTextSize);
        w.text(c.name, kLogTextSize);
        channelRecord(w, log.record, static_cast<int>(i) + 1);
        probeRecord(w);
        w.tag("-123");
        w.u32(log.record.TR_position);
        to = std::copy(block.begin(), block.end(), to);
    }

    for (std::uint16_t word : log.words) {
        *to++ = static_cast<std::uint8_t>(word >> 8);
        *to++ = static_cast<std::uint8_t>(word & 0xFF);
    }
    return out;
}

} // namespace wavix
