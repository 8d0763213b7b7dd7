#include "tests/connection/connection_fixture.h"

#include <dirent.h>

#include <thread>

namespace kravent::test {

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

void Connection::StartModule(const sim::ModuleSettings& settings) {
    module = std::make_unique<sim::ModuleSimulator>(settings);
    ASSERT_TRUE(module->Start()) << module->LastError();
}

void RefusedConnection::SetUp() {
    sim::ModuleSettings settings;
    settings.tcpPort = 8011;  // the module test passes, nothing listens on 8010
    ASSERT_NO_FATAL_FAILURE(StartModule(settings));
    ASSERT_TRUE(Open()) << LastError();
    ASSERT_TRUE(host.WaitEvent(VORN_KRAVENT_STATE_ERROR));
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

void Connection::OpenAndLetTheModuleClose() {
    module->GetFaults().closeAfterExchanges = 1;
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    ASSERT_TRUE(host.WaitEvent(VORN_KRAVENT_STATE_NOT_CONNECTED));
    EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(com), VORN_KRAVENT_STATE_NOT_CONNECTED);
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
