// One register value in its host form: the bytes of the register's value fields as
// RegisterValues lays them out (int32, float, 32 booleans, 4 or 6 int32, 16 chars,
// TYPE halves, homing fields).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/register_layout.h"
#include "protocol/value_codec.h"

namespace kravent::cli {

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

// The value of register `index` as `values` holds it (the register must be readable).
inline HostValue FromRecord(const RegisterValues& values, std::size_t index) {
    HostValue v;
    const auto* record = reinterpret_cast<const unsigned char*>(&values);
    std::memcpy(v.bytes.data(), record + RecordPlaceAt(index).value, wire::HostSize(kRegisters[index].encoding));
    return v;
}

// Whether the last answer carried register `index`.
inline bool ReceivedIn(const RegisterValues& values, std::size_t index) {
    return reinterpret_cast<const unsigned char*>(&values)[RecordPlaceAt(index).received] != 0;
}

// Whether the last request wrote register `index` (or ran that command).
inline bool WrittenIn(const RegisterValues& values, std::size_t index) {
    return reinterpret_cast<const unsigned char*>(&values)[RecordPlaceAt(index).written] != 0;
}

}  // namespace kravent::cli
