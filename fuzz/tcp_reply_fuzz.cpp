// Feeds arbitrary byte streams to a connection's receive side, cut into notifications
// by the input itself, and checks the reassembly state after every notification.
//
// Input: one mode byte (bit 0: answers to the first packet of an exchange; bit 1: hand
// short pieces over through RxChunk), then pieces of [2-byte length][bytes].
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "commanagement/com_management.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckReassembly(const kravent::CComManagement& c) {
    Check(c.RxFill >= 0 && c.RxFill < static_cast<std::int32_t>(sizeof c.RxFrame));
    Check(c.RxWanted >= 1);
    if (!c.RxInBody && !c.RxSkipping) Check(c.RxFill + c.RxWanted == 6);
    if (c.RxInBody) Check(c.RxFill + c.RxWanted <= static_cast<std::int32_t>(sizeof c.RxFrame));
    Check(!(c.RxInBody && c.RxSkipping));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    auto c = std::make_unique<kravent::CComManagement>();
    const std::uint8_t mode = data[0];
    const int packets = (mode & 1) != 0 ? 1 : 2;
    c->PacketCount.store(packets);
    c->PacketsSent.store(packets);

    std::size_t at = 1;
    while (at + 2 <= size) {
        const std::size_t wanted = ((std::size_t{data[at]} << 8) | data[at + 1]) % 2048;
        at += 2;
        const std::size_t n = wanted < size - at ? wanted : size - at;
        if ((mode & 2) != 0 && n <= sizeof c->RxChunk) {
            std::memcpy(c->RxChunk, data + at, n);
            c->RxChunkLength = static_cast<std::int32_t>(n);
            c->ReceivedRawData();
        } else {
            c->ReceivedRawData(data + at, n);
        }
        at += n;
        CheckReassembly(*c);
    }
    return 0;
}
