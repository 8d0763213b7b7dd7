#include "tests/misuse/misuse_host.h"

namespace kravent::misuse {

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
