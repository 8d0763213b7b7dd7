// Feeds arbitrary byte streams to the main port's reply reassembly, cut into
// notifications by the input itself, and checks the reassembly state after every step.
//
// Input: one mode byte (bit 0: each notification starts the record afresh, as answers
// to the first packet of an exchange do; bit 1: each notification begins a new
// exchange, which drops a partial frame), then pieces of [2-byte length][bytes].
#include <cstddef>
#include <cstdint>
#include <memory>

#include "protocol/answer_match.h"
#include "protocol/reply_reassembly.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckReassembly(const kravent::ReplyReassembler& r) {
    constexpr std::size_t capacity = kravent::ReplyReassembler::kCapacity;
    Check(r.Held() < capacity);
    Check(r.Wanted() >= 1);
    if (!r.InBody()) Check(r.Held() + r.Wanted() == 6);
    if (r.InBody()) Check(r.Held() + r.Wanted() <= capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    auto reassembler = std::make_unique<kravent::ReplyReassembler>();
    ::RegisterValues record{};
    const bool afresh = (data[0] & 1) != 0;
    const bool newExchange = (data[0] & 2) != 0;
    constexpr std::size_t capacity = kravent::ReplyReassembler::kCapacity;

    std::size_t at = 1;
    while (at + 2 <= size) {
        const std::size_t wanted = ((std::size_t{data[at]} << 8) | data[at + 1]) % 2048;
        at += 2;
        const std::size_t n = wanted < size - at ? wanted : size - at;
        if (afresh) kravent::ClearReceivedFlags(record);
        if (newExchange) reassembler->DropPartial();
        for (std::size_t taken = 0; taken < n;) {
            const kravent::ReplyStep step = reassembler->Take(data + at + taken, n - taken);
            Check(step.taken <= n - taken);
            Check(step.taken > 0);
            Check(step.frame == nullptr || step.frameLength + 2 <= capacity);
            if (step.frame != nullptr && step.failure == kravent::ReplyFailure::None) {
                kravent::DecodeAnswerFrame(step.frame, step.frameLength, record);
                const kravent::AskedRegisters asked{0x5555555555555555u, data[0] & 4u ? 0u : 0xFFu};
                kravent::FrameAnswers(asked, step.frame, step.frameLength);
            }
            taken += step.taken;
            CheckReassembly(*reassembler);
        }
        at += n;
    }
    return 0;
}
