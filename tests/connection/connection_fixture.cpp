#include "tests/connection/connection_fixture.h"

#include <dirent.h>

#include <thread>

namespace kravent::test {

namespace {
Host* gHost = nullptr;
}

std::string LastError() {
    char text[400];
    int32_t length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

int CountEntries(const char* directory) {
    const std::string path = std::string("/proc/self/") + directory;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    ::closedir(dir);
    return directory == std::string("fd") ? count - 1 : count;  // less the directory's own descriptor
}

bool Eventually(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!pred()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

Host::Host() { gHost = this; }
Host::~Host() { gHost = nullptr; }

// The hooks run first and the call is recorded last, so that a test that saw the call
// recorded may end: nothing of the host is touched afterwards.
void Host::DataReceived(RegisterValues* values, ComID com) {
    Host& h = *gHost;
    if (h.onData) h.onData(values, com);
    std::lock_guard lock(h.mutex_);
    ++h.dataCalls_;
    h.last_ = *values;
    h.changed_.notify_all();
}

void Host::ComEvent(int32_t event, ComID com) {
    Host& h = *gHost;
    if (h.onEvent) h.onEvent(event, com);
    std::lock_guard lock(h.mutex_);
    h.events_.push_back(event);
    h.changed_.notify_all();
}

bool Host::WaitData(int count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return dataCalls_ >= count; });
}

bool Host::WaitEvent(int32_t event, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        for (const int32_t e : events_)
            if (e == event) return true;
        return false;
    });
}

bool Host::WaitEvents(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
}

int Host::DataCalls() {
    std::lock_guard lock(mutex_);
    return dataCalls_;
}

std::vector<int32_t> Host::Events() {
    std::lock_guard lock(mutex_);
    return events_;
}

RegisterValues Host::LastValues() {
    std::lock_guard lock(mutex_);
    return last_;
}

void Connection::SetUp() {
    module = std::make_unique<sim::ModuleSimulator>();
    ASSERT_TRUE(module->Start()) << module->LastError();
}

void Connection::TearDown() {
    Vorn_KRAVENT_CloseConnection(&com);
    module->Stop();
}

bool Connection::Open() {
    return Vorn_KRAVENT_OpenConnection_MAINPORT(loopback, &Host::DataReceived, &Host::ComEvent, &com);
}

void Connection::OpenConnected() {
    ASSERT_TRUE(Open()) << LastError();
    ASSERT_TRUE(host.WaitEvent(VORN_KRAVENT_STATE_CONNECTED));
}

std::vector<std::vector<std::uint8_t>> Connection::TcpFrameBytes() {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& f : module->ReceivedFrames())
        if (f.connection != sim::kUdpConnection) out.push_back(f.bytes);
    return out;
}

bool Connection::WaitTcpFrames(std::size_t count, std::chrono::milliseconds timeout) {
    return module->Log().WaitFor([&](const sim::Counters& c) { return c.tcpFrames >= count; }, timeout);
}

}  // namespace kravent::test
