#include "sim/frame_trace.h"

#include <chrono>
#include <ctime>

#include "protocol/frame.h"
#include "protocol/register_map.h"
#include "protocol/value_codec.h"

namespace kravent::sim {

namespace {

std::string Hex32(std::uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", word);
    return text;
}

std::string Dotted(const std::uint8_t* b) {
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}

std::string Mac(const std::uint8_t* b) {
    char text[24];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

// A value in the forms of the simulator's options (register_text.h).
std::string ValueText(Encoding encoding, const std::uint8_t* value) {
    switch (encoding) {
    case Encoding::Byte: return std::to_string(value[0]);
    case Encoding::Signed32: return std::to_string(static_cast<std::int32_t>(wire::GetU32(value)));
    case Encoding::Fixed16_16: {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", wire::Fixed16_16FromWire(static_cast<std::int32_t>(wire::GetU32(value))));
        return text;
    }
    case Encoding::TwoHalves: return std::to_string(wire::GetU16(value)) + "." + std::to_string(wire::GetU16(value + 2));
    case Encoding::BitSet:
    case Encoding::HomingOptions: return Hex32(wire::GetU32(value));
    case Encoding::ByteList4: return Dotted(value);
    case Encoding::ByteList6: return Mac(value);
    case Encoding::Text16: {
        std::string text = "\"";
        for (std::size_t k = 0; k < 16 && value[k] != 0; ++k) {
            char c[8];
            std::snprintf(c, sizeof c, value[k] >= 0x20 && value[k] < 0x7F && value[k] != '"' && value[k] != '\\' ? "%c" : "\\x%02x",
                          value[k]);
            text += c;
        }
        return text + "\"";
    }
    case Encoding::None: return {};
    }
    return {};
}

// Address items with their values (write request, read answer), or addresses alone.
std::string Items(const std::uint8_t* payload, std::size_t length, bool withValues) {
    std::string text;
    for (std::size_t at = 0; at < length;) {
        const std::uint8_t address = payload[at++];
        const int index = RegisterIndex(address);
        char unknown[16];
        std::snprintf(unknown, sizeof unknown, "0x%02x?", address);
        if (index == kNoIndex) return text + " " + unknown;  // its size is unknown: the rest cannot be read
        const RegisterInfo& reg = kRegisters[static_cast<std::size_t>(index)];
        text += " " + std::string(reg.name);
        const auto size = static_cast<std::size_t>(WireSize(reg.encoding));
        if (!withValues || size == 0) continue;
        if (at + size > length) return text + "=(cut)";
        text += "=" + ValueText(reg.encoding, payload + at);
        at += size;
    }
    return text;
}

// The local time of day; std::localtime's result is shared, so only under the trace's lock.
std::string Clock() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::tm local = *std::localtime(&seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
    return text;
}

}  // namespace

std::string DescribeFrame(const std::uint8_t* frame, std::size_t size) {
    if (size < wire::kHeaderSize + wire::kChecksumSize) return "cut frame of " + std::to_string(size) + " bytes";
    const std::size_t length = std::min<std::size_t>(wire::GetU16(frame + 4), size - wire::kHeaderSize - wire::kChecksumSize);
    const std::uint8_t* payload = frame + wire::kHeaderSize;
    switch (wire::GetU16(frame)) {
    case wire::kReadRequest: return "read request:" + Items(payload, length, false);
    case wire::kWriteRequest: return "write request:" + Items(payload, length, true);
    case wire::kReadAnswer: return length == 0 ? "read answer: (empty)" : "read answer:" + Items(payload, length, true);
    case wire::kChangeIpAddress:
        if (length < 14) return "address change (cut)";
        return "address change: MAC " + Mac(payload) + " IP " + Dotted(payload + 6) + " mask " + Dotted(payload + 10);
    default: return "frame of type " + Hex32(wire::GetU16(frame)) + ", " + std::to_string(length) + " payload bytes";
    }
}

void FrameTrace::Frame(int module, bool received, bool udp, const Endpoint& peer, const std::uint8_t* frame,
                       std::size_t size) {
    const std::string rest = " module " + std::to_string(module) + (received ? " <- " : " -> ") + (udp ? "udp " : "tcp ") +
                             FormatEndpoint(peer) + " " + DescribeFrame(frame, size) + "\n";
    std::lock_guard lock(mutex_);
    std::fputs((Clock() + rest).c_str(), out_);
    std::fflush(out_);
}

void FrameTrace::Sent(int module, bool udp, const Endpoint& peer, const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t at = 0; at + wire::kHeaderSize <= size;) {
        const std::size_t frameSize = wire::kHeaderSize + wire::GetU16(bytes + at + 4) + wire::kChecksumSize;
        Frame(module, false, udp, peer, bytes + at, std::min(frameSize, size - at));
        at += frameSize;
    }
}

}  // namespace kravent::sim
