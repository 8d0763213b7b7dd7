#include "sim/frame_trace.h"

#include <chrono>
#include <ctime>

#include "protocol/frame.h"
#include "protocol/register_map.h"
#include "protocol/text/value_text.h"
#include "protocol/value_codec.h"

namespace kravent::sim {

namespace {

std::string Mac(const std::uint8_t* b) {
    char text[24];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

// A value in the forms of the simulator's options (protocol/text/value_text.h), but
// 16.16 numbers to six digits, words in hex and names quoted, as a trace line reads best.
std::string ValueText(std::size_t index, const std::uint8_t* value) {
    switch (kRegisters[index].encoding) {
    case Encoding::Fixed16_16: {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", wire::Fixed16_16FromWire(static_cast<std::int32_t>(wire::GetU32(value))));
        return text;
    }
    case Encoding::BitSet:
    case Encoding::HomingOptions: return text::HexWord(wire::GetU32(value));
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
    default: return text::FormatText(index, text::FromWire(index, value));
    }
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
        text += "=" + ValueText(static_cast<std::size_t>(index), payload + at);
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
        return "address change: MAC " + Mac(payload) + " IP " + text::FormatDottedQuad(payload + 6) + " mask " +
               text::FormatDottedQuad(payload + 10);
    default: return "frame of type " + text::HexWord(wire::GetU16(frame)) + ", " + std::to_string(length) + " payload bytes";
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
