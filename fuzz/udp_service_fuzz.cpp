// Feeds arbitrary datagrams to the UDP service reassembly and its register walk, as
// the module test, the scan and the address change receive them, and checks the
// reassembly state and the scan table after every step.
//
// Input: one mode byte (bit 0: a module test is under way; bit 1: a scan is under
// way; bits 2-4: the capacity of the scan array, 0 to 7), then datagrams of
// [1-byte length][bytes]. The state starts fresh for each input.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "protocol/service_frames.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckState(const kravent::UdpServiceState& s, std::int32_t capacity, std::int32_t countBefore) {
    Check(s.fill < kravent::kUdpReassemblySize);
    Check(s.wanted >= 1);
    if (!s.headerComplete) Check(s.fill + s.wanted == 6);
    Check(s.fill + s.wanted <= kravent::kUdpReassemblySize);
    Check(s.scan.count >= countBefore);
    Check(s.scan.capacity == capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    auto state = std::make_unique<kravent::UdpServiceState>();
    const std::uint8_t mode = data[0];
    const std::int32_t capacity = (mode >> 2) & 7;
    // Exactly as many records as the capacity says, so a write past them is caught.
    auto records = std::make_unique<ModuleScanRecord[]>(static_cast<std::size_t>(capacity));
    state->typeTest.active = (mode & 1) != 0;
    state->scan = {(mode & 2) != 0, capacity > 0 ? records.get() : nullptr, capacity, 0};

    std::size_t at = 1;
    while (at < size) {
        const std::size_t wanted = data[at++];
        const std::size_t n = wanted < size - at ? wanted : size - at;
        if (n > 0) kravent::BeginServiceDatagram(*state, "127.0.0.1");
        for (std::size_t taken = 0; taken < n;) {
            const std::int32_t countBefore = state->scan.count;
            const kravent::ServiceStep step = kravent::TakeServiceBytes(*state, data + at + taken, n - taken);
            Check(step.taken > 0 && step.taken <= n - taken);
            taken += step.taken;
            CheckState(*state, capacity, countBefore);
        }
        at += n;
    }
    return 0;
}
