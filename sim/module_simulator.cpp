#include "sim/module_simulator.h"

#include <cstdio>

#include "sim/interface_address.h"
#include "sim/register_text.h"

namespace kravent::sim {

ModuleSimulator::ModuleSimulator(ModuleSettings settings)
    : settings_(std::move(settings)),
      clock_(settings_.manualClock),
      logic_(store_, motor_, faults_, clock_),
      tcp_(logic_, store_, faults_, log_),
      udp_(logic_, store_, faults_, log_, [this](const AddressChange& c) { return TakeNewAddress(c); }) {}

ModuleSimulator::~ModuleSimulator() { Stop(); }

bool ModuleSimulator::Start() {
    if (running_) return true;
    if (const auto own = ParseDottedQuad(settings_.bindAddress); own && !IsAnyAddress(settings_.bindAddress)) {
        WireValue ip{};
        std::copy(own->begin(), own->end(), ip.begin());
        store_.SetRaw("IPADDRESS", ip);
    }
    bool ipConfigured = !IsAnyAddress(settings_.bindAddress);
    for (const auto& [index, value] : settings_.registers) {
        store_.SetRaw(kRegisters[index].name, value);
        ipConfigured = ipConfigured || kRegisters[index].name == "IPADDRESS";
    }
    logic_.FollowReachedAddress(!ipConfigured);
    store_.SaveUserParameters();
    store_.SaveFactoryParameters();
    faults_.Apply(settings_.faults);
    motor_.SetSupplyVoltage(settings_.supplyVoltage);
    motor_.Configure(settings_.motor);
    logic_.AdvanceMotor();
    {
        std::lock_guard lock(addressMutex_);
        bindAddress_ = settings_.bindAddress;
    }
    if (!settings_.manageInterface.empty() && !InPrivateNetworkNamespace()) {
        error_ = "--manage-interface is accepted only in a private network namespace (KRAVENT_IN_NETNS=1)";
        return false;
    }
    if (!tcp_.Start(settings_.bindAddress, settings_.tcpPort, error_)) return false;
    if (!udp_.Start(settings_.bindAddress, settings_.udpPort, error_)) {
        tcp_.Stop();
        return false;
    }
    running_ = true;
    return true;
}

void ModuleSimulator::Stop() {
    udp_.Stop();  // first: it may be rebinding the TCP port
    tcp_.Stop();
    running_ = false;
}

std::string ModuleSimulator::BindAddress() const {
    std::lock_guard lock(addressMutex_);
    return bindAddress_;
}

void ModuleSimulator::AdvanceClock(std::uint64_t ms) {
    clock_.SetManual(true);
    clock_.Advance(ms);
}

std::optional<std::string> ModuleSimulator::TakeNewAddress(const AddressChange& change) {
    const WireValue oldIp = store_.GetRaw("IPADDRESS");
    const WireValue oldMask = store_.GetRaw("SUBNETMASK");
    WireValue ip{};
    WireValue mask{};
    std::copy(change.ip.begin(), change.ip.end(), ip.begin());
    std::copy(change.mask.begin(), change.mask.end(), mask.begin());
    store_.SetRaw("IPADDRESS", ip);
    store_.SetRaw("SUBNETMASK", mask);
    logic_.FollowReachedAddress(false);
    const std::string newAddress = FormatDottedQuad(change.ip.data());
    if (!settings_.manageInterface.empty()) {
        std::string error;
        if (!MoveInterfaceAddress(settings_.manageInterface, {oldIp[0], oldIp[1], oldIp[2], oldIp[3]},
                                  {oldMask[0], oldMask[1], oldMask[2], oldMask[3]}, change.ip, change.mask, error))
            std::fprintf(stderr, "kravent-sim: %s\n", error.c_str());
    }
    std::lock_guard lock(addressMutex_);
    if (IsAnyAddress(bindAddress_)) return std::nullopt;
    std::string error;
    if (!tcp_.Rebind(newAddress, error)) {
        std::fprintf(stderr, "kravent-sim: %s\n", error.c_str());
        return std::nullopt;
    }
    bindAddress_ = newAddress;
    return newAddress;
}

}  // namespace kravent::sim
