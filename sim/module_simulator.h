// One simulated KRAVENT module: its registers, motor model and faults, served on
// a TCP main port and a UDP service port. For in-process tests and for the
// kravent-sim program.
//
//   kravent::sim::ModuleSettings settings;
//   settings.tcpPort = 0;                    // any free port
//   kravent::sim::ModuleSimulator module(settings);
//   if (!module.Start()) ...                 // returns once both ports listen
//   module.Registers().SetInt("POSITION", 10);
//   module.Log().WaitFor([](const Counters& c) { return c.tcpFrames >= 1; }, 2s);
//   module.Stop();                           // joins every thread
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "sim/activity_log.h"
#include "sim/faults.h"
#include "sim/module_logic.h"
#include "sim/motor_model.h"
#include "sim/register_store.h"
#include "sim/settings.h"
#include "sim/sim_clock.h"
#include "sim/tcp_service.h"
#include "sim/udp_service.h"

namespace kravent::sim {

class ModuleSimulator {
public:
    explicit ModuleSimulator(ModuleSettings settings = {});
    ~ModuleSimulator();
    ModuleSimulator(const ModuleSimulator&) = delete;
    ModuleSimulator& operator=(const ModuleSimulator&) = delete;

    // Applies the settings to the registers, binds both ports and starts serving.
    // Returns when the module listens; false with LastError() when a port cannot be bound.
    bool Start();
    void Stop();
    bool Running() const { return running_; }
    const std::string& LastError() const { return error_; }

    std::uint16_t TcpPort() const { return tcp_.port(); }
    std::uint16_t UdpPort() const { return udp_.port(); }
    // The address the module listens on now (it follows address changes).
    std::string BindAddress() const;

    RegisterStore& Registers() { return store_; }
    Faults& GetFaults() { return faults_; }
    MotorModel& Motor() { return motor_; }
    ActivityLog& Log() { return log_; }
    Counters GetCounters() const { return log_.counters(); }
    std::vector<ReceivedFrame> ReceivedFrames() const { return log_.frames(); }

    // Prints every frame to `trace` as module `module` (before Start).
    void SetTrace(FrameTrace* trace, int module) {
        tcp_.SetTrace(trace, module);
        udp_.SetTrace(trace, module);
    }

    // Switches the motor model to the manual clock and moves it on by `ms`.
    void AdvanceClock(std::uint64_t ms);
    void SetManualClock(bool manual) { clock_.SetManual(manual); }

private:
    std::optional<std::string> TakeNewAddress(const AddressChange& change);

    ModuleSettings settings_;
    RegisterStore store_;
    Faults faults_;
    SimClock clock_;
    MotorModel motor_;
    ActivityLog log_;
    ModuleLogic logic_;
    TcpService tcp_;
    UdpService udp_;
    mutable std::mutex addressMutex_;
    std::string bindAddress_;
    bool running_ = false;
    std::string error_;
};

}  // namespace kravent::sim
