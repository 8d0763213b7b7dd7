#include "bench/modules.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "tests/support/sim_process.h"

namespace kravent::bench {

namespace {
constexpr auto kReplyTimeout = std::chrono::seconds(30);
}  // namespace

Modules::Modules()
    : child_(std::make_unique<testsupport::SimProcess>(
          std::vector<std::string>{testsupport::SimulatorPath(), "--control"})) {}

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
