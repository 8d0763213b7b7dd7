#include "bench/modules.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "bench/modes.h"
#include "sim/module_simulator.h"
#include "sim/register_text.h"
#include "tests/support/sim_process.h"

namespace kravent::bench {

namespace {

constexpr auto kReplyTimeout = std::chrono::seconds(30);

// The child's side.
class ModuleSet {
public:
    std::string Start(const std::string& firstAddress, int count) {
        const auto first = sim::ParseDottedQuad(firstAddress);
        if (!first || count < 1 || (*first)[3] + count > 255) return "error bad address or count";
        for (int k = 0; k < count; ++k) {
            auto address = *first;
            address[3] = static_cast<std::uint8_t>(address[3] + k);
            sim::ModuleSettings settings;
            settings.bindAddress = sim::FormatDottedQuad(address.data());
            auto module = std::make_unique<sim::ModuleSimulator>(settings);
            if (!module->Start()) return "error " + module->LastError();
            modules_.push_back(std::move(module));
        }
        return "ok";
    }

    std::string Stop() {
        modules_.clear();  // each destructor stops its module
        return "ok";
    }

    // The module count, then per module its frame count and one arrival time a line.
    std::string TakeFrameTimes() {
        std::string text = std::to_string(modules_.size()) + "\n";
        for (auto& module : modules_) {
            std::vector<std::int64_t> times;
            for (const sim::ReceivedFrame& f : module->ReceivedFrames()) {
                if (f.connection == sim::kUdpConnection) continue;
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
    std::vector<std::unique_ptr<sim::ModuleSimulator>> modules_;
};

}  // namespace

int ModulesMode() {
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

Modules::Modules() : child_(std::make_unique<testsupport::SimProcess>(std::vector<std::string>{ThisProgram(), "--modules"})) {}

Modules::~Modules() = default;

bool Modules::Ready(std::string& error) const {
    if (!child_->Ready()) error = "the simulated modules did not start";
    return child_->Ready();
}

std::string Modules::Reply() { return child_->ReadLine(kReplyTimeout); }

bool Modules::Command(const std::string& line, std::string& reply) {
    if (!child_->WriteLine(line) || (reply = Reply()).empty()) {
        reply = "the simulated modules do not answer";
        return false;
    }
    return reply == "ok";
}

bool Modules::Start(const std::string& firstAddress, int count, std::string& error) {
    return Command("start " + firstAddress + " " + std::to_string(count), error);
}

bool Modules::Stop(std::string& error) { return Command("stop", error); }

std::vector<std::vector<std::int64_t>> Modules::TakeFrameTimesByModule() {
    std::string reply;
    Command("frames", reply);
    std::vector<std::vector<std::int64_t>> all(std::strtoull(reply.c_str(), nullptr, 10));
    for (std::vector<std::int64_t>& times : all) {
        times.resize(std::strtoull(Reply().c_str(), nullptr, 10));
        for (std::int64_t& t : times) t = std::strtoll(Reply().c_str(), nullptr, 10);
    }
    return all;
}

std::vector<std::int64_t> Modules::TakeFrameTimes() {
    std::vector<std::int64_t> times;
    for (const std::vector<std::int64_t>& module : TakeFrameTimesByModule())
        times.insert(times.end(), module.begin(), module.end());
    std::sort(times.begin(), times.end());
    return times;
}

}  // namespace kravent::bench
