#include "platform/win32/tcp_client_registry.h"

#include <array>

namespace kravent::platform {
namespace {

constexpr std::uint32_t kSlotBits = 10;
constexpr std::uint32_t kSlotCount = 1u << kSlotBits;

struct Slot {
    std::uint32_t serial = 0;  // 0: free, or retired while deliveries end
    std::uint32_t generation = 0;
    TcpClient::Impl* client = nullptr;
    int deliveries = 0;  // notifications of this slot under way, on any thread
};

SRWLOCK tableLock = SRWLOCK_INIT;
CONDITION_VARIABLE deliveryEnded = CONDITION_VARIABLE_INIT;
std::array<Slot, kSlotCount> slots;

// The innermost delivery of the current thread; deliveries nest when a callback
// triggers another notification.
thread_local Delivery* innermost = nullptr;

Slot& SlotOf(std::uint32_t serial) { return slots[serial & (kSlotCount - 1)]; }

}  // namespace

std::uint32_t RegisterClient(TcpClient::Impl* client) {
    std::uint32_t serial = 0;
    AcquireSRWLockExclusive(&tableLock);
    for (std::uint32_t index = 0; index < kSlotCount; ++index) {
        Slot& slot = slots[index];
        if (slot.serial != 0 || slot.deliveries != 0) continue;
        // A new generation, so that a message of the slot's previous client never matches.
        slot.generation = (slot.generation + 1) & (0xFFFFFFFFu >> kSlotBits);
        if (slot.generation == 0) slot.generation = 1;
        serial = slot.generation << kSlotBits | index;
        slot.serial = serial;
        slot.client = client;
        break;
    }
    ReleaseSRWLockExclusive(&tableLock);
    return serial;
}

void UnregisterClient(std::uint32_t serial) {
    if (serial == 0) return;
    const int own = Delivery::CountOnThisThread(serial);
    AcquireSRWLockExclusive(&tableLock);
    Slot& slot = SlotOf(serial);
    if (slot.serial == serial) {
        slot.serial = 0;
        slot.client = nullptr;
        while (slot.deliveries > own) SleepConditionVariableSRW(&deliveryEnded, &tableLock, INFINITE, 0);
    }
    ReleaseSRWLockExclusive(&tableLock);
}

Delivery::Delivery(std::uint32_t serial) : serial_(serial) {
    if (serial == 0) return;
    AcquireSRWLockExclusive(&tableLock);
    Slot& slot = SlotOf(serial);
    if (slot.serial == serial) {
        client_ = slot.client;
        ++slot.deliveries;
    }
    ReleaseSRWLockExclusive(&tableLock);
    if (client_ != nullptr) {
        outer_ = innermost;
        innermost = this;
    }
}

Delivery::~Delivery() {
    if (client_ == nullptr) return;
    innermost = outer_;
    AcquireSRWLockExclusive(&tableLock);
    --SlotOf(serial_).deliveries;
    ReleaseSRWLockExclusive(&tableLock);
    WakeAllConditionVariable(&deliveryEnded);
}

bool Delivery::ClientAlive() const {
    AcquireSRWLockShared(&tableLock);
    const bool alive = client_ != nullptr && SlotOf(serial_).serial == serial_;
    ReleaseSRWLockShared(&tableLock);
    return alive;
}

int Delivery::CountOnThisThread(std::uint32_t serial) {
    int count = 0;
    for (const Delivery* d = innermost; d != nullptr; d = d->outer_) count += d->serial_ == serial ? 1 : 0;
    return count;
}

}  // namespace kravent::platform
