// One register value in its host form: the bytes of the register's value fields as
// RegisterValues lays them out (int32, float, 32 booleans, 4 or 6 int32, 16 chars,
// TYPE halves, homing fields).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "protocol/value_codec.h"

namespace kravent::text {

struct HostValue {
    alignas(4) std::array<unsigned char, 32> bytes{};

    template <typename T>
    T As(std::size_t offset = 0) const {
        T v;
        std::memcpy(&v, bytes.data() + offset, sizeof v);
        return v;
    }
    template <typename T>
    void Set(const T& v, std::size_t offset = 0) {
        std::memcpy(bytes.data() + offset, &v, sizeof v);
    }

    std::int32_t Int(std::size_t k = 0) const { return As<std::int32_t>(k * 4); }
    float Real() const { return As<float>(); }
    bool Bit(int k) const { return bytes[static_cast<std::size_t>(k)] != 0; }
    wire::TwoHalvesValue Halves() const { return As<wire::TwoHalvesValue>(); }
    wire::HomingValue Homing() const { return As<wire::HomingValue>(); }
    const char* Text() const { return reinterpret_cast<const char*>(bytes.data()); }
};
static_assert(wire::HostSize(Encoding::BitSet) <= sizeof(HostValue::bytes) &&
              wire::HostSize(Encoding::ByteList6) <= sizeof(HostValue::bytes) &&
              wire::HostSize(Encoding::HomingOptions) <= sizeof(HostValue::bytes));

}  // namespace kravent::text
