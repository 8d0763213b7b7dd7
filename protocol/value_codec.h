// Register value encodings between wire bytes (big-endian) and host values.
// Each host form has the layout of the register's value fields in RegisterValues,
// so one codec serves the decoder, the write area and the simulator's store.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/register_map.h"

namespace kravent::wire {

struct TwoHalvesValue { std::int32_t high; std::int32_t low; };
struct HomingValue {
    std::int32_t nibble0;
    bool bit7;
    std::int32_t nibble2, nibble3, nibble4, nibble5;
};
static_assert(sizeof(HomingValue) == 24 && offsetof(HomingValue, nibble2) == 8);

// Host bytes that hold one value of the encoding (alignment 4 where it holds integers).
constexpr std::size_t HostSize(Encoding e) {
    switch (e) {
    case Encoding::None: return 0;
    case Encoding::TwoHalves: return sizeof(TwoHalvesValue);
    case Encoding::BitSet: return 32;
    case Encoding::ByteList4: return 4 * sizeof(std::int32_t);
    case Encoding::ByteList6: return 6 * sizeof(std::int32_t);
    case Encoding::Text16: return 16;
    case Encoding::HomingOptions: return sizeof(HomingValue);
    default: return 4;  // Byte, Signed32 (int32), Fixed16_16 (float)
    }
}
constexpr std::size_t HostAlign(Encoding e) {
    return (e == Encoding::BitSet || e == Encoding::Text16 || e == Encoding::None) ? 1 : 4;
}

// Fixed 16.16: value*65536 truncated toward zero, low 32 bits; NaN or |scaled| >= 2^63 gives 0.
std::int32_t Fixed16_16ToWire(float value);
// M/65536 with M rounded to the nearest float (ties to even).
float Fixed16_16FromWire(std::int32_t m);

// Bit i of the word is element i; only the lowest bit of each element byte counts.
std::uint32_t BitSetToWord(const std::uint8_t bits[32]);
void BitSetFromWord(std::uint32_t word, bool bits[32]);

// Bits 0-3 nibble0, bit 7 bit7, bits 8-11/12-15/16-19/20-23 nibble2..5; the rest 0.
std::uint32_t HomingToWord(const HomingValue& h);
HomingValue HomingFromWord(std::uint32_t word);

// Encodes the host value at `host` into WireSize(e) bytes at `out`.
// TwoHalves is read-only and encodes its halves as they are (the simulator needs it).
void EncodeValue(Encoding e, const void* host, std::uint8_t* out);
// Decodes WireSize(e) bytes at `in` into the host value at `host`.
void DecodeValue(Encoding e, const std::uint8_t* in, void* host);

}  // namespace kravent::wire
