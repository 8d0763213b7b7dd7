// The module's UDP service port: read requests (the TYPE test, the scan) and the
// address change. Each datagram is taken as whole frames; the answers to one
// datagram go back to its sender in one datagram.
//
// Bound to a specific address, the module receives datagrams sent to that address
// on one socket and broadcasts on a second, shared socket bound to the wildcard
// address (several modules may then share one port on one host); it answers
// broadcasts from the first, so every answer leaves from the module's address.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "sim/activity_log.h"
#include "sim/faults.h"
#include "sim/frame_trace.h"
#include "sim/module_logic.h"
#include "sim/register_store.h"
#include "sim/socket_util.h"

namespace kravent::sim {

class UdpService {
public:
    // Runs after the acknowledgement of an address change has gone out; returns the
    // address to rebind to, or nothing to stay bound as before.
    using OnAddressChange = std::function<std::optional<std::string>(const AddressChange&)>;

    UdpService(ModuleLogic& logic, RegisterStore& store, Faults& faults, ActivityLog& log, OnAddressChange onChange)
        : logic_(logic), store_(store), faults_(faults), log_(log), onChange_(std::move(onChange)) {}
    ~UdpService() { Stop(); }
    UdpService(const UdpService&) = delete;
    UdpService& operator=(const UdpService&) = delete;

    bool Start(const std::string& address, std::uint16_t port, std::string& error);
    void Stop();
    std::uint16_t port() const { return port_; }
    // Traces every frame as module `module` (before Start; null: no trace).
    void SetTrace(FrameTrace* trace, int module) {
        trace_ = trace;
        module_ = module;
    }

private:
    bool Bind(const std::string& address, std::string& error);
    void Loop();
    void Receive(SocketHandle fd, bool broadcastOnly);
    bool IsBroadcastFor(std::uint32_t destination) const;

    ModuleLogic& logic_;
    RegisterStore& store_;
    Faults& faults_;
    ActivityLog& log_;
    OnAddressChange onChange_;
    FrameTrace* trace_ = nullptr;
    int module_ = 0;

    WakeSignal stop_;
    SocketHandle unicast_ = kNoSocket;
    SocketHandle broadcast_ = kNoSocket;  // only when bound to a specific address
    std::string address_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

}  // namespace kravent::sim
