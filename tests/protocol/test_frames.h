// Frame builders for the protocol tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "protocol/frame.h"

namespace kravent::test {

using Bytes = std::vector<std::uint8_t>;

// Header, payload and checksum of one frame.
inline Bytes Frame(std::uint16_t type, const Bytes& payload) {
    Bytes out(wire::kHeaderSize + payload.size() + wire::kChecksumSize);
    wire::WriteHeader(out.data(), type);
    std::copy(payload.begin(), payload.end(), out.begin() + wire::kHeaderSize);
    wire::CloseFrame(out.data(), payload.size());
    return out;
}
inline Bytes ReadRequest(const Bytes& payload) { return Frame(0x0021, payload); }
inline Bytes WriteRequest(const Bytes& payload) { return Frame(0x0022, payload); }
inline Bytes ReadAnswer(const Bytes& payload) { return Frame(0x0023, payload); }

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace kravent::test
