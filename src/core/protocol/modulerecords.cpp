#include "core/protocol/modulerecords.h"

#include "core/support/bytes.h"

#include <algorithm>

namespace wavix {
namespace {

// Walks a fixed-size image field by field; the record sizes are compile-time
// constants, so every field lies inside the span.
class Out {
public:
    explicit Out(std::span<std::uint8_t> s) : s_(s) {}
    template <std::size_t N> void bytes(const std::array<std::uint8_t, N>& a) {
        std::copy(a.begin(), a.end(), s_.begin() + static_cast<std::ptrdiff_t>(at_));
        at_ += N;
    }
    void u16(std::uint16_t v) {
        writeBE16(s_.data() + at_, v);
        at_ += 2;
    }
    void u32(std::uint32_t v) {
        writeBE32(s_.data() + at_, v);
        at_ += 4;
    }
    std::size_t at() const { return at_; }

private:
    std::span<std::uint8_t> s_;
    std::size_t at_ = 0;
};

class In {
public:
    explicit In(std::span<const std::uint8_t> s) : s_(s) {}
    template <std::size_t N> void bytes(std::array<std::uint8_t, N>& a) {
        std::copy_n(s_.begin() + static_cast<std::ptrdiff_t>(at_), N, a.begin());
        at_ += N;
    }
    void u16(std::uint16_t& v) {
        v = readBE16(s_.data() + at_);
        at_ += 2;
    }
    void u32(std::uint32_t& v) {
        v = readBE32(s_.data() + at_);
        at_ += 4;
    }
    std::size_t at() const { return at_; }

private:
    std::span<const std::uint8_t> s_;
    std::size_t at_ = 0;
};

// One field list serves both directions, so the two can never disagree.
template <typename Io, typename Rec> std::size_t moduleExchangeFields(Io& io, Rec& r) {
    io.bytes(r.NameManuf);
    io.u32(r.NameManuf123);
    io.bytes(r.NameCAR);
    io.u32(r.NameCAR123);
    io.bytes(r.NameECU);
    io.u32(r.NameECU123);
    io.u16(r.TypeECU);
    io.u16(r.Mserial);
    io.u16(r.lang);
    io.u16(r.PCmode);
    io.u32(r.MenuRealSize);
    io.u32(r.MenuCRC);
    return io.at();
}

template <typename Io, typename Rec> std::size_t moduleDescFields(Io& io, Rec& r) {
    io.bytes(r.head);
    io.bytes(r.Magic);
    io.u32(r.Mserial);
    io.bytes(r.MFullName);
    io.bytes(r.reserved1);
    io.u16(r.MType);
    io.bytes(r.Dict0);
    io.bytes(r.Dict1);
    io.bytes(r.reserved2);
    io.u16(r.word170);
    io.u32(r.res1);
    return io.at();
}

} // namespace

void SerializeModuleExchange(const tmodule_exchange& rec, std::span<std::uint8_t, kModuleExchangeSize> out) {
    Out io(out);
    moduleExchangeFields(io, rec);
}

tmodule_exchange DeserializeModuleExchange(std::span<const std::uint8_t, kModuleExchangeSize> in) {
    tmodule_exchange rec;
    In io(in);
    moduleExchangeFields(io, rec);
    return rec;
}

void SerializeModuleDesc(const tmodule_desc& rec, std::span<std::uint8_t, kModuleDescSize> out) {
    Out io(out);
    moduleDescFields(io, rec);
}

tmodule_desc DeserializeModuleDesc(std::span<const std::uint8_t, kModuleDescSize> in) {
    tmodule_desc rec;
    In io(in);
    moduleDescFields(io, rec);
    return rec;
}

} // namespace wavix
