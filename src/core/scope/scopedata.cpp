#include "core/scope/scopedata.h"

#include "core/analysis/channelscale.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace wavix {
namespace {

struct ChannelLook {
    const char* name;
    const char* description;
    std::uint32_t color;
};
constexpr std::array<ChannelLook, kChannelCount> kLooks{{
    {" Kanál 1 ", " Sonda osciloskopu 1", 0x001F8FDA},
    {" Kanál 2 ", " Sonda osciloskopu 2", 0x00249339},
    {" Kanál 3 ", " Sonda osciloskopu 3", 0x00B03F22},
    {" Kanál 4 ", " Sonda osciloskopu 4", 0x008825AD},
}};

constexpr std::int32_t kCountLimit = 512;

std::intptr_t ptr(const void* p) {
    return reinterpret_cast<std::intptr_t>(p);
}

constexpr unsigned kRawMax = kRawLevels - 1;

// Sets of N interleaved values; N fixed so the inner loop unrolls. Each sample is one table load.
template <int N>
void convertSets(const std::uint8_t* p, std::size_t sets, std::int32_t* const* out,
                 const std::array<std::int32_t, kRawLevels>* tables) {
    std::int32_t* dst[N];
    const std::int32_t* tab[N];
    for (int c = 0; c < N; ++c) {
        dst[c] = out[c];
        tab[c] = tables[c].data();
    }
    for (std::size_t s = 0; s < sets; ++s) {
        for (int c = 0; c < N; ++c) {
            const unsigned raw = (unsigned{p[2 * c]} << 8) | p[2 * c + 1];
            dst[c][s] = tab[c][std::min(raw, kRawMax)];
        }
        p += 2 * N;
    }
}

// Four channels: one 64-bit load per set instead of eight byte loads.
template <>
void convertSets<4>(const std::uint8_t* p, std::size_t sets, std::int32_t* const* out,
                    const std::array<std::int32_t, kRawLevels>* tables) {
    std::int32_t* const d0 = out[0];
    std::int32_t* const d1 = out[1];
    std::int32_t* const d2 = out[2];
    std::int32_t* const d3 = out[3];
    const std::int32_t* const t0 = tables[0].data();
    const std::int32_t* const t1 = tables[1].data();
    const std::int32_t* const t2 = tables[2].data();
    const std::int32_t* const t3 = tables[3].data();
    for (std::size_t s = 0; s < sets; ++s, p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        if constexpr (std::endian::native == std::endian::little)
            w = __builtin_bswap64(w);
        d0[s] = t0[std::min(static_cast<unsigned>(w >> 48), kRawMax)];
        d1[s] = t1[std::min(static_cast<unsigned>(w >> 32) & 0xFFFFu, kRawMax)];
        d2[s] = t2[std::min(static_cast<unsigned>(w >> 16) & 0xFFFFu, kRawMax)];
        d3[s] = t3[std::min(static_cast<unsigned>(w) & 0xFFFFu, kRawMax)];
    }
}

} // namespace

namespace {

// The constants of one channel's conversion; the table and ConvertSample share this
// arithmetic so both truncate identically.
struct Calibrated {
    double zero;
    double nominal;
    double actualPos;
    double actualNeg;

    Calibrated(const SOscilCalEntry& cal, int range)
        : zero(cal.zero), nominal(HalfSwingVolts(range)),
          actualPos((1023.0 - cal.zero) * (2.0 * cal.gainPos) / 100000.0),
          actualNeg(cal.zero * (2.0 * cal.gainNeg) / 100000.0) {}

    // Double throughout: integer arithmetic would truncate the gain ratio and overflow with absurd gains.
    std::int32_t convert(std::uint32_t raw) const {
        const double d = static_cast<double>(std::min<std::uint32_t>(raw, kRawLevels - 1)) - zero;
        double v = d;
        if (d > 0)
            v = std::trunc(d * actualPos / nominal);
        else if (d < 0)
            v = std::trunc(d * actualNeg / nominal);
        return static_cast<std::int32_t>(std::clamp(v, double{-kCountLimit}, double{kCountLimit}));
    }
};

} // namespace

std::int32_t ConvertSample(std::uint32_t raw, const SOscilCalEntry& cal, int range) {
    return Calibrated(cal, range).convert(raw);
}

std::size_t SetsPerPacket(int channels) {
    return kMaxPayloadSize / (2 * static_cast<std::size_t>(std::clamp(channels, 1, kChannelCount)));
}

std::size_t GroupPacketLimit(std::uint32_t samples, int channels) {
    const std::size_t setsPerPacket = SetsPerPacket(channels);
    const std::size_t needed = (std::size_t{samples} + setsPerPacket - 1) / setsPerPacket;
    return std::max(kMinGroupPackets, needed + needed / 16 + 4);
}

CScopeData::CScopeData() : calibration_(DefaultCalibration()) {
    for (int i = 0; i < kChannelCount; ++i) {
        auto& ch = channels_[static_cast<std::size_t>(i)];
        const auto& look = kLooks[static_cast<std::size_t>(i)];
        ch.SetOwner(this);
        ch.SetChannel(i + 1);
        ch.SetName(look.name);
        ch.SetDescription(look.description);
        ch.color_ = look.color;
    }
    packets_.reserve(kMinGroupPackets + 1);
}

CScopeData::~CScopeData() = default;

CChannelData& CScopeData::GetChannel(int ch) {
    return channels_[static_cast<std::size_t>(std::clamp(ch, 1, kChannelCount) - 1)];
}
const CChannelData& CScopeData::GetChannel(int ch) const {
    return channels_[static_cast<std::size_t>(std::clamp(ch, 1, kChannelCount) - 1)];
}

int CScopeData::AddPacket(PacketBuffer buffer, std::size_t length) {
    // Every buffer is kPacketBufferSize bytes; a longer claim must not read past it.
    if (!buffer)
        length = 0;
    length = std::min(length, kPacketBufferSize);
    if (length <= kPacketHeaderSize)
        return dirty_ ? 2 : 1;
    packets_.push_back({std::move(buffer), length});
    if (packets_.size() > packetLimit_) {
        packets_.clear();
        return 3;
    }
    return 0;
}

void CScopeData::BuildTables(int n) {
    for (int c = 0; c < n; ++c) {
        const int range = std::clamp<int>(settings_.mux(c + 1), kRangeMin, kRangeMax);
        const Calibrated cal(calibration_.entryForRange(c + 1, range), range);
        auto& table = tables_[static_cast<std::size_t>(c)];
        for (int raw = 0; raw < kRawLevels; ++raw)
            table[static_cast<std::size_t>(raw)] = cal.convert(static_cast<std::uint32_t>(raw));
    }
}

bool CScopeData::Convert(std::array<Sink, kChannelCount>& sinks, int n) {
    if (n < 1 || n > kChannelCount)
        return false;
    for (int c = 0; c < n; ++c)
        sinks[static_cast<std::size_t>(c)].count = 0;
    BuildTables(n);
    const std::size_t setBytes = 2 * static_cast<std::size_t>(n);
    std::array<std::int32_t*, kChannelCount> out{};
    for (const Packet& packet : packets_) {
        if (packet.size <= kPacketHeaderSize || !packet.data)
            return false;
        const std::size_t len = std::min(packet.size, kPacketBufferSize);
        const std::uint32_t count = sinks[0].count;
        const std::size_t sets =
            std::min<std::size_t>((len - kPacketHeaderSize) / setBytes, kMaxSamples - count);
        if (sets == 0)
            continue;
        for (int c = 0; c < n; ++c) {
            auto& sink = sinks[static_cast<std::size_t>(c)];
            if (sink.samples->size() < count + sets)
                sink.samples->resize(count + sets, 0);
            out[static_cast<std::size_t>(c)] = sink.samples->data() + count;
        }
        const std::uint8_t* p = packet.data.get() + kPacketHeaderSize;
        switch (n) {
        case 1:
            convertSets<1>(p, sets, out.data(), tables_.data());
            break;
        case 2:
            convertSets<2>(p, sets, out.data(), tables_.data());
            break;
        case 3:
            convertSets<3>(p, sets, out.data(), tables_.data());
            break;
        default:
            convertSets<4>(p, sets, out.data(), tables_.data());
            break;
        }
        for (int c = 0; c < n; ++c)
            sinks[static_cast<std::size_t>(c)].count += static_cast<std::uint32_t>(sets);
    }
    return true;
}

void CScopeData::Merge(int n, const std::array<Sink, kChannelCount>& sinks) {
    for (int c = 0; c < n; ++c) {
        CChannelData& live = channels_[static_cast<std::size_t>(c)];
        const std::vector<std::int32_t>& fresh = *sinks[static_cast<std::size_t>(c)].samples;
        const std::size_t added = sinks[static_cast<std::size_t>(c)].count;
        const std::size_t cap = live.GetCapacity();
        // Until roll mode has filled the channel, its start holds no samples.
        const std::size_t absent = live.count_ >= cap ? live.absent_ : cap;
        std::int32_t* dst = live.WritableSamples(static_cast<std::uint32_t>(cap)).data();
        if (added > cap) {
            std::copy_n(fresh.data() + (added - cap), cap, dst);
        } else if (added > 0) {
            std::memmove(dst, dst + added, (cap - added) * sizeof(std::int32_t));
            std::copy_n(fresh.data(), added, dst + (cap - added));
        }
        live.count_ = static_cast<std::uint32_t>(cap);
        live.absent_ = static_cast<std::uint32_t>(absent > added ? absent - added : 0);
    }
}

// A capture fills its channels' whole time axis; a short group is the newest part
// of it, so it goes to the end and the rest stays absent rather than showing
// whatever the storage held. A long group keeps its newest samples.
void CScopeData::PlaceCapture(int n, std::uint32_t got) {
    for (int c = 0; c < n; ++c) {
        CChannelData& ch = channels_[static_cast<std::size_t>(c)];
        const std::uint32_t cap = std::min(SamplesPerStep(ch.GetTimeBaseStep()), kMaxSamples);
        std::int32_t* dst = ch.WritableSamples(std::max(cap, got)).data();
        std::uint32_t absent = 0;
        if (got > cap) {
            std::memmove(dst, dst + (got - cap), std::size_t{cap} * sizeof(std::int32_t));
        } else if (got < cap) {
            absent = cap - got;
            std::memmove(dst + absent, dst, std::size_t{got} * sizeof(std::int32_t));
            std::fill_n(dst, absent, 0);
        }
        ch.count_ = cap;
        ch.absent_ = absent;
    }
}

int CScopeData::ParseData() {
    busy_ = true;
    const int n = activeChannels_;
    std::array<Sink, kChannelCount> sinks{};
    bool ok = false;
    std::intptr_t added = 0;
    if (!roll_) {
        for (int c = 0; c < kChannelCount; ++c)
            sinks[static_cast<std::size_t>(c)] = {&channels_[static_cast<std::size_t>(c)].samples_,
                                                  channels_[static_cast<std::size_t>(c)].count_};
        ok = Convert(sinks, n);
        for (int c = 0; c < n; ++c) {
            channels_[static_cast<std::size_t>(c)].count_ = sinks[static_cast<std::size_t>(c)].count;
            channels_[static_cast<std::size_t>(c)].absent_ = 0;
        }
        if (ok)
            PlaceCapture(n, sinks[0].count);
    } else {
        if (!rollScratch_)
            rollScratch_ = std::make_unique<RollScratch>();
        for (int c = 0; c < kChannelCount; ++c)
            sinks[static_cast<std::size_t>(c)] = {&rollScratch_->samples[static_cast<std::size_t>(c)], 0};
        ok = Convert(sinks, n);
        // A partial group is not merged: the log would miss what the display shows.
        if (ok) {
            Merge(n, sinks);
            // Never more than the channel keeps: readers take the last `added` samples.
            added = std::min<std::intptr_t>(sinks[0].count, channels_[0].GetCapacity());
        }
    }
    packets_.clear();
    if (ok)
        postTo(main_, Msg::UWM_SCOPE_DATA, NewSamplesNotice(added), Encode(ScopeDataNotice::NewSamples));
    busy_ = false;
    return ok ? 0 : 1;
}

AcceptResult CScopeData::AcceptSettings(const tOscilExchange& received) {
    if (received.version != 2) {
        settings_.ext_version = 0;
        settings_.TR_position = 0;
        postTo(main_, Msg::UWM_SCOPE_DATA, received.version, Encode(ScopeDataNotice::OldModule));
        return AcceptResult::RejectedVersion;
    }
    if (received.samples_all >= kMaxSamples)
        return AcceptResult::RejectedSamples;
    tOscilExchange rec = received;
    ClampOscilExchange(rec);
    rec.ext_version = rec.version;
    settings_ = rec;
    captureLength_ = rec.samples_all;
    activeChannels_ = rec.chann_num;
    packetLimit_ = GroupPacketLimit(
        std::max(rec.samples_all, SamplesPerStep(static_cast<int>(rec.time_base_ENUM))), rec.chann_num);
    roll_ = rec.TR_mode == TM_FREE;
    stopped_ = (rec.TR_mode & kStopBit) != 0;

    for (int ch = 1; ch <= kChannelCount; ++ch)
        GetChannel(ch).ApplySettings(settings_, ch);
    for (int ch = 1; ch <= kChannelCount; ++ch)
        postTo(main_, Msg::UWM_CHANNEL_DATA_CTRL, ch, Encode(ChannelDataNotice::Changed));
    postTo(display_, Msg::UWM_SCOPE_DATA, ptr(this), Encode(ScopeDataNotice::SampleData));
    for (int ch = 1; ch <= kChannelCount; ++ch)
        postTo(display_, Msg::UWM_SCOPE_DATA, ptr(&GetChannel(ch)), Encode(ChannelNotice(ch)));
    postTo(main_, Msg::UWM_SCOPE_DATA, settings_.TR_level, Encode(ScopeDataNotice::TriggerLevel));
    postTo(main_, Msg::UWM_SCOPE_DATA, static_cast<std::intptr_t>(settings_.TR_position),
           Encode(ScopeDataNotice::TriggerPosition));
    const CChannelData* trigger = &GetChannel(std::clamp<int>(settings_.TR_channel, 1, activeChannels_));
    postTo(display_, Msg::UWM_SCOPE_DATA, ptr(trigger), Encode(ScopeDataNotice::TriggerChannel));
    postTo(main_, Msg::UWM_SCOPE_DATA, ptr(trigger), Encode(ScopeDataNotice::TriggerChannel));
    postTo(main_, Msg::UWM_SCOPE_DATA, activeChannels_, Encode(ScopeDataNotice::ChannelCount));
    postTo(main_, Msg::UWM_SCOPE_DATA, ptr(this), Encode(ScopeDataNotice::RecordInForce));
    dirty_ = false;
    return AcceptResult::Accepted;
}

void CScopeData::SetSettings(const tOscilExchange& rec, bool notify) {
    // Records reach us from files and settings too; none may carry a count or
    // index the conversion cannot use.
    tOscilExchange checked = rec;
    ClampOscilExchange(checked);
    settings_ = checked;
    stopped_ = (checked.TR_mode & kStopBit) != 0;
    dirty_ = true;
    if (notify)
        SettingsChanged(-1);
}

void CScopeData::SettingsChanged(int id) {
    dirty_ = true;
    ChannelChanged(id);
}

void CScopeData::ChannelChanged(int id) {
    postTo(main_, Msg::UWM_SCOPE_DATA, id, Encode(ScopeDataNotice::NewSamples));
    postTo(main_, Msg::UWM_CHANNEL_DATA_CTRL, id, Encode(ChannelDataNotice::Changed));
}

void CScopeData::SetChannelCount(int n) {
    settings_.chann_num = static_cast<std::uint16_t>(std::clamp(n, 1, kChannelCount));
    SettingsChanged(-1);
}

void CScopeData::ChannelCountUp() {
    SetChannelCount(settings_.chann_num + 1);
}
void CScopeData::ChannelCountDown() {
    SetChannelCount(settings_.chann_num - 1);
}

namespace {
bool isChannel(int ch) {
    return ch >= 1 && ch <= kChannelCount;
}
} // namespace

// A channel number outside 1..4 (a channel not yet numbered) edits nothing.
void CScopeData::RangeUp(int ch) {
    if (!isChannel(ch))
        return;
    settings_.mux(ch) = static_cast<std::uint16_t>(std::clamp(settings_.mux(ch) + 1, kRangeMin, kRangeMax));
    SettingsChanged(ch);
}

void CScopeData::RangeDown(int ch) {
    if (!isChannel(ch))
        return;
    settings_.mux(ch) = static_cast<std::uint16_t>(std::clamp(settings_.mux(ch) - 1, kRangeMin, kRangeMax));
    SettingsChanged(ch);
}

void CScopeData::ToggleCoupling(int ch) {
    if (!isChannel(ch))
        return;
    settings_.dcOn(ch) = settings_.dcOn(ch) != 0 ? CPL_AC : CPL_DC;
    SettingsChanged(ch);
}

void CScopeData::SetCoupling(int ch, int v) {
    if (!isChannel(ch))
        return;
    settings_.dcOn(ch) = static_cast<std::uint16_t>(v);
    SettingsChanged(ch);
}

void CScopeData::SetTimeBase(int step) {
    settings_.time_base_ENUM = static_cast<std::uint32_t>(std::clamp(step, kStepMin, kStepMax));
    SettingsChanged(-1);
}

void CScopeData::TimeBaseUp() {
    SetTimeBase(static_cast<int>(std::min<std::uint32_t>(settings_.time_base_ENUM, kStepMax)) + 1);
}
void CScopeData::TimeBaseDown() {
    SetTimeBase(static_cast<int>(std::min<std::uint32_t>(settings_.time_base_ENUM, kStepMax + 1)) - 1);
}

void CScopeData::SetTriggerChannel(int ch) {
    settings_.TR_channel = static_cast<std::uint16_t>(ch);
    SettingsChanged(-1);
}

void CScopeData::SetTriggerLevel(int level) {
    settings_.TR_level = static_cast<std::uint16_t>(level);
    SettingsChanged(-1);
}

void CScopeData::SetTriggerPosition(std::uint32_t pos) {
    settings_.TR_position = pos;
    SettingsChanged(-1);
}

void CScopeData::ToggleTriggerEdge() {
    settings_.TR_rising = settings_.TR_rising == 1 ? 0 : 1;
    SettingsChanged(-1);
}

void CScopeData::NextTriggerMode() {
    modeCycle_ = static_cast<std::uint16_t>((modeCycle_ + 1) % 4);
    settings_.TR_mode = modeCycle_;
    SettingsChanged(-1);
}

void CScopeData::Run() {
    settings_.TR_mode = static_cast<std::uint16_t>(settings_.TR_mode & ~kStopBit);
    stopped_ = false;
    SettingsChanged(-1);
}

void CScopeData::Stop() {
    settings_.TR_mode = static_cast<std::uint16_t>(settings_.TR_mode | kStopBit);
    stopped_ = true;
    SettingsChanged(-1);
}

} // namespace wavix
