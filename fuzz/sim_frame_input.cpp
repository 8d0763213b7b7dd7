// Feeds arbitrary bytes to the simulator's frame input: the stream reassembly of
// the main port and the frame handling of both ports, in pieces of varying size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "protocol/frame.h"
#include "protocol/frame_reassembly.h"
#include "sim/module_logic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kravent;
    if (size < 1) return 0;
    static sim::RegisterStore store;  // kept across inputs, like a module that stays up
    static sim::MotorModel motor;
    static sim::Faults faults;
    static sim::SimClock clock(true);
    static sim::ModuleLogic logic(store, motor, faults, clock);

    const std::size_t piece = 1 + data[0] % 64;
    const bool udp = (data[0] & 0x80) != 0;
    clock.Advance(data[0]);
    logic.AdvanceMotor();
    FrameReassembler framer(Realignment::Keep);
    static std::uint8_t out[2 * wire::kMaxFrameSize];
    for (std::size_t at = 1; at < size; at += piece) {
        const std::size_t n = size - at < piece ? size - at : piece;
        TakeFrames(framer, data + at, n, [&](const std::uint8_t* frame, std::size_t frameSize) {
            if (!wire::ChecksumMatches(frame, frameSize - 8)) std::abort();
            sim::AddressChange change;
            const std::size_t answer = udp ? logic.AnswerUdpFrame(frame, frameSize, out, sizeof out, change)
                                           : logic.AnswerTcpFrame(frame, frameSize, out, sizeof out);
            if (answer == 0) return;
            if (answer > wire::kMaxFrameSize || wire::GetU16(out + 4) + 8u != answer ||
                !wire::ChecksumMatches(out, answer - 8))
                std::abort();
        });
    }
    return 0;
}
