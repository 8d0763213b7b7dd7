#include "sim/control_mode.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/module_simulator.h"
#include "sim/register_text.h"

namespace kravent::sim {

namespace {

class ModuleSet {
public:
    std::string Start(const std::string& firstAddress, int count) {
        const auto first = ParseDottedQuad(firstAddress);
        if (!first || count < 1 || (*first)[3] + count > 255) return "error bad address or count";
        for (int k = 0; k < count; ++k) {
            auto address = *first;
            address[3] = static_cast<std::uint8_t>(address[3] + k);
            ModuleSettings settings;
            settings.bindAddress = FormatDottedQuad(address.data());
            auto module = std::make_unique<ModuleSimulator>(settings);
            if (!module->Start()) return "error " + module->LastError();
            modules_.push_back(std::move(module));
        }
        return "ok";
    }

    std::string Stop() {
        modules_.clear();  // each destructor stops its module
        return "ok";
    }

    std::string TakeFrameTimes() {
        std::string text = std::to_string(modules_.size()) + "\n";
        for (auto& module : modules_) {
            std::vector<std::int64_t> times;
            for (const ReceivedFrame& f : module->ReceivedFrames()) {
                if (f.connection == kUdpConnection) continue;
                times.push_back(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(f.received.time_since_epoch()).count());
            }
            module->Log().ClearFrames();
            std::sort(times.begin(), times.end());
            text += std::to_string(times.size()) + "\n";
            for (const std::int64_t t : times) text += std::to_string(t) + "\n";
        }
        return text;
    }

private:
    std::vector<std::unique_ptr<ModuleSimulator>> modules_;
};

}  // namespace

int RunControlMode() {
    ModuleSet modules;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        std::string reply = "error unknown command\n";
        if (verb == "start") {
            std::string address;
            int count = 0;
            words >> address >> count;
            reply = modules.Start(address, count) + "\n";
        } else if (verb == "stop") {
            reply = modules.Stop() + "\n";
        } else if (verb == "frames") {
            reply = modules.TakeFrameTimes();
        }
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        std::fflush(stdout);
    }
    modules.Stop();
    return 0;
}

}  // namespace kravent::sim
