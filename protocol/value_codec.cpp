#include "protocol/value_codec.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "protocol/frame.h"

namespace kravent::wire {

std::int32_t Fixed16_16ToWire(float value) {
    const double scaled = std::trunc(static_cast<double>(value) * 65536.0);
    if (std::isnan(scaled) || std::fabs(scaled) >= 9223372036854775808.0) return 0;
    const auto wide = static_cast<std::int64_t>(scaled);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

float Fixed16_16FromWire(std::int32_t m) {
    return static_cast<float>(m) * (1.0f / 65536.0f);
}

std::uint32_t BitSetToWord(const std::uint8_t bits[32]) {
    std::uint32_t word = 0;
    for (unsigned i = 0; i < 32; ++i) word |= std::uint32_t{bits[i] & 1u} << i;
    return word;
}

void BitSetFromWord(std::uint32_t word, bool bits[32]) {
    for (unsigned i = 0; i < 32; ++i) bits[i] = ((word >> i) & 1u) != 0;
}

std::uint32_t HomingToWord(const HomingValue& h) {
    auto nib = [](std::int32_t v, unsigned shift) { return (static_cast<std::uint32_t>(v) & 0x0Fu) << shift; };
    return nib(h.nibble0, 0) | (h.bit7 ? 0x80u : 0u) | nib(h.nibble2, 8) | nib(h.nibble3, 12) | nib(h.nibble4, 16) |
           nib(h.nibble5, 20);
}

HomingValue HomingFromWord(std::uint32_t word) {
    auto nib = [word](unsigned shift) { return static_cast<std::int32_t>((word >> shift) & 0x0Fu); };
    return HomingValue{nib(0), ((word >> 7) & 1u) != 0, nib(8), nib(12), nib(16), nib(20)};
}

namespace {
std::int32_t LoadI32(const void* p) {
    std::int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void StoreI32(void* p, std::int32_t v) { std::memcpy(p, &v, sizeof v); }
}  // namespace

void EncodeValue(Encoding e, const void* host, std::uint8_t* out) {
    switch (e) {
    case Encoding::None: return;
    case Encoding::Byte: out[0] = static_cast<std::uint8_t>(LoadI32(host)); return;
    case Encoding::Signed32: PutU32(out, static_cast<std::uint32_t>(LoadI32(host))); return;
    case Encoding::Fixed16_16: {
        float f;
        std::memcpy(&f, host, sizeof f);
        PutU32(out, static_cast<std::uint32_t>(Fixed16_16ToWire(f)));
        return;
    }
    case Encoding::TwoHalves: {
        TwoHalvesValue v;
        std::memcpy(&v, host, sizeof v);
        PutU16(out, static_cast<std::uint16_t>(v.high));
        PutU16(out + 2, static_cast<std::uint16_t>(v.low));
        return;
    }
    case Encoding::BitSet: PutU32(out, BitSetToWord(static_cast<const std::uint8_t*>(host))); return;
    case Encoding::ByteList4:
    case Encoding::ByteList6: {
        const int n = WireSize(e);
        for (int k = 0; k < n; ++k)
            out[k] = static_cast<std::uint8_t>(LoadI32(static_cast<const std::uint8_t*>(host) + 4 * k));
        return;
    }
    case Encoding::Text16: std::memcpy(out, host, 16); return;
    case Encoding::HomingOptions: {
        HomingValue h;
        std::memcpy(&h, host, sizeof h);
        PutU32(out, HomingToWord(h));
        return;
    }
    }
}

void DecodeValue(Encoding e, const std::uint8_t* in, void* host) {
    switch (e) {
    case Encoding::None: return;
    case Encoding::Byte: StoreI32(host, in[0]); return;
    case Encoding::Signed32: StoreI32(host, static_cast<std::int32_t>(GetU32(in))); return;
    case Encoding::Fixed16_16: {
        const float f = Fixed16_16FromWire(static_cast<std::int32_t>(GetU32(in)));
        std::memcpy(host, &f, sizeof f);
        return;
    }
    case Encoding::TwoHalves: {
        const TwoHalvesValue v{GetU16(in), GetU16(in + 2)};
        std::memcpy(host, &v, sizeof v);
        return;
    }
    case Encoding::BitSet: {
        bool bits[32];
        BitSetFromWord(GetU32(in), bits);
        std::memcpy(host, bits, sizeof bits);
        return;
    }
    case Encoding::ByteList4:
    case Encoding::ByteList6: {
        const int n = WireSize(e);
        for (int k = 0; k < n; ++k) StoreI32(static_cast<std::uint8_t*>(host) + 4 * k, in[k]);
        return;
    }
    case Encoding::Text16: std::memcpy(host, in, 16); return;
    case Encoding::HomingOptions: {
        // Field by field: the padding after bit7 reaches the host as zeros, not as stack bytes.
        const HomingValue h = HomingFromWord(GetU32(in));
        auto* out = static_cast<std::uint8_t*>(host);
        std::memset(out, 0, sizeof h);
        std::memcpy(out + offsetof(HomingValue, nibble0), &h.nibble0, sizeof h.nibble0);
        std::memcpy(out + offsetof(HomingValue, bit7), &h.bit7, sizeof h.bit7);
        std::memcpy(out + offsetof(HomingValue, nibble2), &h.nibble2, sizeof h.nibble2);
        std::memcpy(out + offsetof(HomingValue, nibble3), &h.nibble3, sizeof h.nibble3);
        std::memcpy(out + offsetof(HomingValue, nibble4), &h.nibble4, sizeof h.nibble4);
        std::memcpy(out + offsetof(HomingValue, nibble5), &h.nibble5, sizeof h.nibble5);
        return;
    }
    }
}

}  // namespace kravent::wire
