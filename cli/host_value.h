// Register values in their host form (protocol/text/host_value.h) taken from the
// record RegisterValues that the library hands to the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/register_layout.h"
#include "protocol/text/host_value.h"

namespace kravent::cli {

using text::HostValue;

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
