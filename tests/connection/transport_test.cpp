// The TCP transport on its own: states, events and the messages of a failed send.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "tcp/ethernet_com.h"
#include "log/error_log.h"
#include "protocol/frame.h"
#include "sim/module_simulator.h"

namespace kravent {
namespace {

using namespace std::chrono_literals;

std::string LastError() {
    char text[300];
    std::int32_t length = sizeof text;
    CopyLastErrorText(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

struct Events {
    static void OnEvent(void* user, std::int32_t code, CEthernetCom*) {
        auto& self = *static_cast<Events*>(user);
        std::lock_guard lock(self.mutex);
        self.codes.push_back(code);
        self.changed.notify_all();
    }
    static void OnData(void* user, const std::uint8_t* bytes, std::int32_t count, CEthernetCom*) {
        auto& self = *static_cast<Events*>(user);
        std::lock_guard lock(self.mutex);
        self.bytes.insert(self.bytes.end(), bytes, bytes + count);
        self.changed.notify_all();
    }
    bool WaitFor(std::int32_t code) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return !codes.empty() && codes.back() == code; });
    }
    TransportCallbacks Callbacks() { return {&Events::OnData, &Events::OnEvent, this}; }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::int32_t> codes;
    std::vector<std::uint8_t> bytes;
};

TEST(Transport, SendWithoutConnectionReportsTheInactiveSocket) {
    Events events;
    CEthernetCom transport("127.0.0.1", kMainPortTcpPort, events.Callbacks());
    EXPECT_EQ(transport.StateCommunication.load(), kStateNotConnected) << "not before Connect()";
    ASSERT_TRUE(transport.Connect());
    ASSERT_TRUE(events.WaitFor(kStateError)) << "nothing listens";
    EXPECT_EQ(transport.StateCommunication.load(), kStateError);
    const std::uint8_t packet[9] = {};
    EXPECT_FALSE(transport.SendData(packet, sizeof packet));
    EXPECT_EQ(LastError(), "Socket Not active\r\nCall first : Vorn_OpenConnection().\t(Vorn_Send)");
    EXPECT_EQ(events.codes, std::vector<std::int32_t>{kStateError}) << "no close follows a failed attempt";
}

TEST(Transport, BadAddressIsRefusedAtOnce) {
    Events events;
    CEthernetCom transport("127.0.0.300", kMainPortTcpPort, events.Callbacks());
    EXPECT_FALSE(transport.Connect());
    EXPECT_TRUE(transport.ConnectRefused());
    EXPECT_EQ(transport.StateCommunication.load(), kStateNotConnected);
}

TEST(Transport, ConnectsSendsReceivesAndReportsItsCloseWhenDestroyed) {
    sim::ModuleSimulator module;
    ASSERT_TRUE(module.Start()) << module.LastError();
    Events events;
    {
        CEthernetCom transport("127.0.0.1", kMainPortTcpPort, events.Callbacks());
        ASSERT_TRUE(transport.Connect());
        const std::int32_t early = transport.StateCommunication.load();
        EXPECT_TRUE(early == kStateConnecting || early == kStateConnected) << early;
        ASSERT_TRUE(events.WaitFor(kStateConnected));
        EXPECT_FALSE(transport.Connect("127.0.0.1", kMainPortTcpPort)) << "already active";
        std::uint8_t readVoltage[9] = {0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x07};
        wire::PutU16(readVoltage + 7, wire::FrameChecksum(readVoltage, 7));
        ASSERT_TRUE(transport.SendData(readVoltage, sizeof readVoltage));
        std::unique_lock lock(events.mutex);
        ASSERT_TRUE(events.changed.wait_for(lock, 5s, [&] { return events.bytes.size() >= 13; }));
        EXPECT_EQ(events.bytes[1], 0x23) << "a read answer";
    }
    EXPECT_EQ(events.codes, (std::vector<std::int32_t>{kStateConnected, kStateNotConnected}));
}

}  // namespace
}  // namespace kravent
