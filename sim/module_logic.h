// What a module answers to one frame, as functions over buffers (no sockets).
//
// Read request (0x0021): a read answer (0x0023) listing every asked register in
// the order asked, address byte and value. Addresses that are unknown, commands or
// write-only are skipped. Items that would make the answer exceed 1080 bytes are
// left out.
// Write request (0x0022): each value is stored, each command run; values of
// read-only registers are passed over; an unknown address ends the walk (its size
// is unknown). WARNINGS written clears every bit written as 0. The answer is an
// empty read answer.
// UDP address change (0x002A, 14 payload bytes: MAC, IP, mask): for this module's
// MAC an empty read answer and the new address; for another MAC nothing.
// Other frame types get no answer.
// A module that listens on every address has no one address of its own: until
// IPADDRESS is set, it reads as `reachedAt`, the address the request reached it at.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "sim/faults.h"
#include "sim/motor_model.h"
#include "sim/register_store.h"
#include "sim/sim_clock.h"

namespace kravent::sim {

inline constexpr std::uint8_t kUnknownAddress = 0x09;  // the address the unknown-register fault uses

struct AddressChange {
    bool requested = false;
    std::array<std::uint8_t, 4> ip{};
    std::array<std::uint8_t, 4> mask{};
};

class ModuleLogic {
public:
    ModuleLogic(RegisterStore& store, MotorModel& motor, Faults& faults, SimClock& clock)
        : store_(store), motor_(motor), faults_(faults), clock_(clock) {}

    // Brings the motor model up to the present; called before a batch of frames.
    void AdvanceMotor() { motor_.AdvanceTo(store_, clock_.NowMs()); }

    // Whether IPADDRESS reads as the address a request reached the module at; a
    // write of IPADDRESS ends it.
    void FollowReachedAddress(bool follow) { followReached_ = follow; }
    bool FollowsReachedAddress() const { return followReached_; }

    // The answer to one checked frame of the main port, written at `out`; returns
    // its size (0: no answer). `capacity` must be at least kMaxFrameSize. `reachedAt`:
    // the module's address as the request reached it, host byte order (0: unknown).
    std::size_t AnswerTcpFrame(const std::uint8_t* frame, std::size_t size, std::uint8_t* out, std::size_t capacity,
                               std::uint32_t reachedAt = 0);
    // The same for the UDP service port; a change of address is reported in `change`.
    std::size_t AnswerUdpFrame(const std::uint8_t* frame, std::size_t size, std::uint8_t* out, std::size_t capacity,
                               AddressChange& change, std::uint32_t reachedAt = 0);

private:
    std::size_t ReadAnswer(const std::uint8_t* payload, std::size_t n, bool udp, std::uint32_t reachedAt,
                           std::uint8_t* out, std::size_t capacity);
    std::size_t ApplyWrite(const std::uint8_t* payload, std::size_t n, std::uint8_t* out);
    void RunCommand(std::uint8_t address);
    std::size_t Finish(std::uint8_t* out, std::size_t payloadLength);

    RegisterStore& store_;
    MotorModel& motor_;
    Faults& faults_;
    SimClock& clock_;
    std::atomic<bool> followReached_{false};
};

}  // namespace kravent::sim
