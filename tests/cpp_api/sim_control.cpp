#include "tests/cpp_api/sim_control.h"

#include "sim/module_simulator.h"

namespace kravent::test {

struct SimulatedModule::State {
    sim::ModuleSettings settings;
    std::unique_ptr<sim::ModuleSimulator> module;
    std::string error;
};

SimulatedModule::SimulatedModule(SimOptions options)
    : state_(std::make_unique<State>()) {
    for (const auto& [name, value] : options) {
        if (std::string wrong = sim::ApplyModuleOption(state_->settings, name, value); !wrong.empty())
            state_->error += wrong + "; ";
    }
}

SimulatedModule::~SimulatedModule() { Stop(); }

bool SimulatedModule::Start() {
    if (!state_->error.empty()) return false;
    state_->module = std::make_unique<sim::ModuleSimulator>(state_->settings);
    if (state_->module->Start()) return true;
    state_->error = state_->module->LastError();
    return false;
}

void SimulatedModule::Stop() {
    if (state_->module) state_->module->Stop();
    state_->module.reset();
}

const std::string& SimulatedModule::Error() const { return state_->error; }

std::size_t SimulatedModule::TcpFrames() const {
    return state_->module ? state_->module->GetCounters().tcpFrames : 0;
}

}  // namespace kravent::test
