#include "bench/sim_host.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "sim/module_simulator.h"
#include "sim/register_text.h"

namespace kravent::bench {

namespace {

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadLine(int fd, std::string& line) {
    line.clear();
    char c = 0;
    while (ReadAll(fd, &c, 1)) {
        if (c == '\n') return true;
        line += c;
    }
    return false;
}

bool WriteLine(int fd, const std::string& line) { return WriteAll(fd, (line + "\n").data(), line.size() + 1); }

// The child's side: serves commands until "quit" or the end of its input.
class ModuleHost {
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

    // Per module, in the order of their addresses.
    std::vector<std::vector<std::int64_t>> TakeFrameTimes() {
        std::vector<std::vector<std::int64_t>> all;
        for (auto& module : modules_) {
            std::vector<std::int64_t>& times = all.emplace_back();
            for (const sim::ReceivedFrame& f : module->ReceivedFrames()) {
                if (f.connection == sim::kUdpConnection) continue;
                times.push_back(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(f.received.time_since_epoch()).count());
            }
            module->Log().ClearFrames();
            std::sort(times.begin(), times.end());
        }
        return all;
    }

private:
    std::vector<std::unique_ptr<sim::ModuleSimulator>> modules_;
};

[[noreturn]] void ServeCommands(int in, int out) {
    ModuleHost host;
    std::string line;
    while (ReadLine(in, line)) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "start") {
            std::string address;
            int count = 0;
            words >> address >> count;
            WriteLine(out, host.Start(address, count));
        } else if (verb == "stop") {
            WriteLine(out, host.Stop());
        } else if (verb == "frames") {
            const std::vector<std::vector<std::int64_t>> all = host.TakeFrameTimes();
            WriteLine(out, std::to_string(all.size()));
            for (const std::vector<std::int64_t>& times : all) {
                WriteLine(out, std::to_string(times.size()));
                WriteAll(out, times.data(), times.size() * sizeof(std::int64_t));
            }
        } else if (verb == "quit") {
            break;
        } else {
            WriteLine(out, "error unknown command");
        }
    }
    host.Stop();
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace

SimHost::~SimHost() {
    if (pid_ <= 0) return;
    WriteLine(toChild_, "quit");
    ::close(toChild_);
    ::close(fromChild_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

bool SimHost::Launch(std::string& error) {
    int commands[2];
    int replies[2];
    if (::pipe(commands) != 0 || ::pipe(replies) != 0) {
        error = "pipe failed";
        return false;
    }
    pid_ = ::fork();
    if (pid_ < 0) {
        error = "fork failed";
        return false;
    }
    if (pid_ == 0) {
        ::close(commands[1]);
        ::close(replies[0]);
        ServeCommands(commands[0], replies[1]);
    }
    ::close(commands[0]);
    ::close(replies[1]);
    toChild_ = commands[1];
    fromChild_ = replies[0];
    return true;
}

bool SimHost::Command(const std::string& line, std::string& reply) {
    if (!WriteLine(toChild_, line) || !ReadLine(fromChild_, reply)) {
        reply = "the simulator process does not answer";
        return false;
    }
    return reply == "ok";
}

bool SimHost::Start(const std::string& firstAddress, int count, std::string& error) {
    return Command("start " + firstAddress + " " + std::to_string(count), error);
}

bool SimHost::Stop(std::string& error) { return Command("stop", error); }

std::vector<std::vector<std::int64_t>> SimHost::TakeFrameTimesByModule() {
    std::string reply;
    Command("frames", reply);
    std::vector<std::vector<std::int64_t>> all(std::strtoull(reply.c_str(), nullptr, 10));
    for (std::vector<std::int64_t>& times : all) {
        if (!ReadLine(fromChild_, reply)) return {};
        times.resize(std::strtoull(reply.c_str(), nullptr, 10));
        if (!ReadAll(fromChild_, times.data(), times.size() * sizeof(std::int64_t))) return {};
    }
    return all;
}

std::vector<std::int64_t> SimHost::TakeFrameTimes() {
    std::vector<std::int64_t> times;
    for (const std::vector<std::int64_t>& module : TakeFrameTimesByModule())
        times.insert(times.end(), module.begin(), module.end());
    std::sort(times.begin(), times.end());
    return times;
}

}  // namespace kravent::bench
