#include "tests/misuse/misuse_host.h"

#include <thread>

namespace kravent::misuse {

namespace {
Host* gHost = nullptr;
}

std::string LastError() {
    char text[400];
    int32_t length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

Host::Host() { gHost = this; }
Host::~Host() { gHost = nullptr; }

void Host::OnData(std::function<void(RegisterValues*, ComID)> hook) {
    std::lock_guard lock(mutex_);
    onData_ = std::move(hook);
}

void Host::OnEvent(std::function<void(int32_t, ComID)> hook) {
    std::lock_guard lock(mutex_);
    onEvent_ = std::move(hook);
}

void Host::DataReceived(RegisterValues* values, ComID com) {
    Host& h = *gHost;
    std::function<void(RegisterValues*, ComID)> hook;
    {
        std::lock_guard lock(h.mutex_);
        ++h.data_;
        if (values->MODULENAME_Received) ++h.names_;
        hook = h.onData_;
    }
    h.changed_.notify_all();
    if (hook) hook(values, com);
}

void Host::ComEvent(int32_t event, ComID com) {
    Host& h = *gHost;
    std::function<void(int32_t, ComID)> hook;
    {
        std::lock_guard lock(h.mutex_);
        if (event >= 0 && event < 3) ++h.events_[event];
        hook = h.onEvent_;
    }
    h.changed_.notify_all();
    if (hook) hook(event, com);
}

bool Host::WaitData(long count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return data_ >= count; });
}

bool Host::WaitEvent(int32_t event, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return events_[event] > 0; });
}

long Host::DataCalls() {
    std::lock_guard lock(mutex_);
    return data_;
}

long Host::NameAnswers() {
    std::lock_guard lock(mutex_);
    return names_;
}

std::unique_ptr<sim::ModuleSimulator> StartModule(const std::string& address) {
    sim::ModuleSettings settings;
    settings.bindAddress = address;
    auto module = std::make_unique<sim::ModuleSimulator>(settings);
    EXPECT_TRUE(module->Start()) << module->LastError();
    return module;
}

ComID OpenConnected(Host& host, int last) {
    const int32_t ip[4] = {127, 0, 0, last};
    ComID com = nullptr;
    if (!Vorn_KRAVENT_OpenConnection_MAINPORT(ip, &Host::DataReceived, &Host::ComEvent, &com)) return nullptr;
    const auto deadline = Clock::now() + 10s;
    while (Vorn_KRAVENT_GetStateCommunication(com) != VORN_KRAVENT_STATE_CONNECTED && Clock::now() < deadline)
        host.WaitEvent(VORN_KRAVENT_STATE_CONNECTED, 100ms);
    if (Vorn_KRAVENT_GetStateCommunication(com) != VORN_KRAVENT_STATE_CONNECTED) Vorn_KRAVENT_CloseConnection(&com);
    return com;
}

testing::ProcessResources WarmUp(Host& host, sim::ModuleSimulator& module) {
    ComID com = OpenConnected(host);
    EXPECT_NE(com, nullptr);
    Vorn_KRAVENT_CloseConnection(&com);
    Vorn_KRAVENT_SendData_MAINPORT(nullptr);
    EXPECT_TRUE(module.Log().WaitFor([](const sim::Counters& c) { return c.connectionsOpen == 0; }, 10s));
    return testing::StableResources();
}

bool ReadNameAnswered(Host& host, ComID com, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    const long before = host.NameAnswers();
    // A trigger is refused while an earlier exchange is still under way: try again.
    while (Clock::now() < deadline) {
        Vorn_KRAVENT_Read_MODULENAME(com);
        if (Vorn_KRAVENT_SendData_MAINPORT(com)) break;
        host.WaitData(host.DataCalls() + 1, 100ms);
    }
    while (host.NameAnswers() == before && Clock::now() < deadline) host.WaitData(host.DataCalls() + 1, 100ms);
    return host.NameAnswers() > before;
}

}  // namespace kravent::misuse
