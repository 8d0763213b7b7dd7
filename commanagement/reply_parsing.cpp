// The receive side of a connection: rebuilds frames from the byte stream by their
// length fields, checks their checksums and decodes read answers into RegisterValues.
#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "commanagement/com_management.h"
#include "commanagement/value_codec.h"
#include "globalfunctions/error_log.h"

namespace kravent {

namespace {

constexpr std::int32_t kHeader = static_cast<std::int32_t>(wire::kHeaderSize);
constexpr std::int32_t kChecksum = static_cast<std::int32_t>(wire::kChecksumSize);
// The largest payload whose frame, checksum included, still fits RxFrame.
constexpr std::int32_t kMaxPayload = static_cast<std::int32_t>(wire::kMaxFrameSize) - kHeader - kChecksum;

// kRegisters index of each readable register by address, kNoIndex for all others.
constexpr std::array<std::int8_t, 256> ReadableByAddress() {
    std::array<std::int8_t, 256> out{};
    out.fill(static_cast<std::int8_t>(kNoIndex));
    for (const auto i : kReadList) out[kRegisters[i].address] = static_cast<std::int8_t>(i);
    return out;
}
constexpr auto kReadableByAddress = ReadableByAddress();

// A message of a fixed text and a number, built without allocation.
class CountMessage {
public:
    CountMessage(std::string_view head, std::int32_t number, std::string_view tail) {
        Append(head);
        const auto r = std::to_chars(text_.data() + length_, text_.data() + text_.size(), number);
        length_ = static_cast<std::size_t>(r.ptr - text_.data());
        Append(tail);
    }
    std::string_view View() const { return {text_.data(), length_}; }

private:
    void Append(std::string_view s) {
        const std::size_t n = std::min(s.size(), text_.size() - length_);
        std::copy_n(s.data(), n, text_.data() + length_);
        length_ += n;
    }
    std::array<char, 128> text_{};
    std::size_t length_ = 0;
};

}  // namespace

void CComManagement::ClearReceivedFlags() {
    auto* record = reinterpret_cast<unsigned char*>(&RegisterValues);
    for (const auto i : kReadList) record[RecordPlaceAt(i).received] = 0;
}

void CComManagement::ResetReassembly() {
    RxFill = 0;
    RxInBody = false;
    RxSkipping = false;
    RxWanted = kHeader;
}

void CComManagement::ReceivedRawData() {
    const auto count = static_cast<std::size_t>(std::clamp<std::int32_t>(RxChunkLength, 0, kRxChunkSize));
    ReceivedRawData(RxChunk, count);
}

void CComManagement::ReceivedRawData(const std::uint8_t* bytes, std::size_t count) {
    // While the first packet of an exchange is answered, the record starts afresh;
    // answers to later packets add to it.
    if (PacketCount.load() == 1 || PacketsSent.load() == 1) ClearReceivedFlags();
    ReassembleReceivedBytes(bytes, count);
}

void CComManagement::ReassembleReceivedBytes(const std::uint8_t* bytes, std::size_t count) {
    std::size_t i = 0;
    while (i < count) {
        if (RxSkipping) {
            const std::size_t n = std::min(count - i, static_cast<std::size_t>(RxWanted));
            i += n;
            RxWanted -= static_cast<std::int32_t>(n);
            if (RxWanted == 0) ResetReassembly();
            continue;
        }
        RxFrame[RxFill++] = bytes[i++];
        if (--RxWanted != 0) continue;

        const std::int32_t payload = wire::GetU16(RxFrame + 4);
        if (!RxInBody) {
            RxWanted = payload + kChecksum;
            if (payload > kMaxPayload) {
                // Too long to rebuild: drop its bytes, then read the next header.
                WriteErrorLog(CountMessage("Received frame too long. Payload length = ", payload,
                                           "\t(ReceivedRawData)")
                                  .View(),
                              kNoAddress);
                RxSkipping = true;
                RxFill = 0;
            } else {
                RxInBody = true;
            }
            continue;
        }
        CompleteFrame();
        ResetReassembly();
    }
}

void CComManagement::CompleteFrame() {
    RxFrameLength = wire::GetU16(RxFrame + 4) + kHeader;
    const auto covered = static_cast<std::size_t>(RxFrameLength);
    if (wire::FrameChecksum(RxFrame, covered) == wire::GetU16(RxFrame + covered)) {
        if (RxFrameLength > kHeader && wire::GetU16(RxFrame) == wire::kReadAnswer) ReceivedDataAnalyse();
        return;
    }
    ++ChecksumErrorCount;
    WriteErrorLog(CountMessage("ChecksumError occurs. Nb of ChecksumError = ", ChecksumErrorCount,
                               "\t(ReceivedRawData)")
                      .View(),
                  kNoAddress);
}

void CComManagement::ReceivedDataAnalyse() {
    auto* record = reinterpret_cast<unsigned char*>(&RegisterValues);
    const std::int32_t end = std::clamp<std::int32_t>(RxFrameLength, 0, kHeader + kMaxPayload);
    std::int32_t pos = kHeader;
    while (pos < end) {
        const int reg = kReadableByAddress[RxFrame[pos++]];
        if (reg == kNoIndex) {
            WriteErrorLog("Register address of received data unknown\t(ReceivedDataAnalyse)", kNoAddress);
            return;
        }
        const Encoding encoding = kRegisters[static_cast<std::size_t>(reg)].encoding;
        const int size = WireSize(encoding);
        if (pos + size > end) {
            // The value would run into the checksum: nothing of it is taken.
            WriteErrorLog("Register value of received data incomplete\t(ReceivedDataAnalyse)", kNoAddress);
            return;
        }
        const RecordPlace& place = RecordPlaceAt(static_cast<std::size_t>(reg));
        wire::DecodeValue(encoding, RxFrame + pos, record + place.value);
        record[place.received] = 1;
        pos += size;
    }
}

}  // namespace kravent
