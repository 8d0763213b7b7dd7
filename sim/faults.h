// Faults that a simulated module shows on demand. Set from options before start
// or changed at run time from any thread; the services read them per answer.
#pragma once

#include <atomic>
#include <cstdint>

namespace kravent::sim {

struct FaultSettings {
    std::uint32_t delayMs = 0;              // every answer (TCP and UDP) waits this long
    bool silent = false;                    // requests are taken in but never answered
    std::uint32_t corruptNext = 0;          // the next N answers carry a wrong checksum
    std::uint32_t splitBytes = 0;           // TCP answers are written in pieces of this size (0: whole)
    std::uint32_t splitPauseMs = 0;         // and this long apart, so that each piece arrives alone
    std::uint32_t mergeAnswers = 0;         // TCP answers are held until N of them go out in one send
    std::uint32_t closeAfterExchanges = 0;  // a TCP connection is closed after N answered requests
    bool unknownRegister = false;           // read answers end with an item of unknown address 0x09
    bool overrideType = false;              // UDP answers carry answerType instead of TYPE
    std::uint32_t answerType = 0;           // the TYPE halves, high << 16 | low
};

class Faults {
public:
    void Apply(const FaultSettings& s) {
        delayMs.store(s.delayMs);
        silent.store(s.silent);
        corruptNext.store(s.corruptNext);
        splitBytes.store(s.splitBytes);
        splitPauseMs.store(s.splitPauseMs);
        mergeAnswers.store(s.mergeAnswers);
        closeAfterExchanges.store(s.closeAfterExchanges);
        unknownRegister.store(s.unknownRegister);
        answerType.store(s.answerType);
        overrideType.store(s.overrideType);
    }
    void SetAnswerType(std::uint16_t high, std::uint16_t low) {
        answerType.store(std::uint32_t{high} << 16 | low);
        overrideType.store(true);
    }
    // True when this answer is one of the ones to corrupt; counts it down.
    bool TakeCorruption() {
        std::uint32_t left = corruptNext.load();
        while (left > 0 && !corruptNext.compare_exchange_weak(left, left - 1)) {}
        return left > 0;
    }

    std::atomic<std::uint32_t> delayMs{0};
    std::atomic<bool> silent{false};
    std::atomic<std::uint32_t> corruptNext{0};
    std::atomic<std::uint32_t> splitBytes{0};
    std::atomic<std::uint32_t> splitPauseMs{0};
    std::atomic<std::uint32_t> mergeAnswers{0};
    std::atomic<std::uint32_t> closeAfterExchanges{0};
    std::atomic<bool> unknownRegister{false};
    std::atomic<bool> overrideType{false};
    std::atomic<std::uint32_t> answerType{0};
};

}  // namespace kravent::sim
