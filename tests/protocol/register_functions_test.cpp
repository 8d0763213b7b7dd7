// The exported register functions, called directly on a connection object: the
// null handle, the bytes each call puts on the wire, and the argument checks.
#include <gtest/gtest.h>

#include <cstring>

#include "connection/com_management.h"
#include "interface/connection_registry.h"
#include "protocol/register_layout.h"
#include "register_calls.h"

// The name that hosts ported from 32-bit Windows look up.
extern "C" bool _Vorn_KRAVENT_Read_TYPE(ComID);

namespace kravent::test {
namespace {

const std::string kNullPrefix = "Pointer on ethernet communication not valid. ComID = NULL\t(";

// A connection with an address text, as an open leaves it.
struct Connection {
    Connection() {
        c.SetIPAddressText("192.168.37.201");
        RegisterConnection(&c);  // the register functions accept only connections the library holds
    }
    ~Connection() { ForgetConnection(&c); }
    CComManagement c;
    ComID handle() { return c.Handle(); }
    std::vector<Bytes> Send() {
        c.FillPacketToSend();
        return Packets(c);
    }
};

void ExpectRefusedWith(bool result, const std::string& message, const std::string& ip = "192.168.37.201") {
    EXPECT_FALSE(result);
    EXPECT_EQ(LastError(), message);
    EXPECT_EQ(LoggedIpOf(message), ip);
}

TEST(RegisterFunctions, EveryFunctionOnANullHandleAndOnAConnection) {
    ASSERT_EQ(RegisterCalls().size(), 90u);
    for (const RegisterCall& call : RegisterCalls()) {
        SCOPED_TRACE(call.name);
        const std::string message = kNullPrefix + call.name + ")";
        ExpectRefusedWith(call.call(nullptr), message, "None");

        Connection conn;
        ASSERT_TRUE(call.call(conn.handle()));
        EXPECT_EQ(conn.Send(), std::vector<Bytes>{call.isWrite ? WriteRequest(call.item) : ReadRequest(call.item)});
        int written = 0;
        for (const auto i : kWriteList)
            written += reinterpret_cast<const unsigned char*>(&conn.c.Values())[RecordPlaceAt(i).written];
        EXPECT_EQ(written, call.isWrite ? 1 : 0);
        if (call.isWrite) {
            EXPECT_TRUE(conn.c.Values().*call.written);
        }
    }
    for (const auto& [name, fn] : {std::pair{"Vorn_KRAVENT_Read_AllRegister", &Vorn_KRAVENT_Read_AllRegister},
                                   std::pair{"Vorn_KRAVENT_ResetAllRegisterRead", &Vorn_KRAVENT_ResetAllRegisterRead}})
        ExpectRefusedWith(fn(nullptr), kNullPrefix + name + ")", "None");
    ExpectRefusedWith(Vorn_KRAVENT_Read_VOLTAGE(true, nullptr), kNullPrefix + "Vorn_KRAVENT_Read_VOLTAGE)", "None");
}

TEST(RegisterFunctions, ExportedUnderTheirUnderscoreNamesToo) {
    EXPECT_FALSE(_Vorn_KRAVENT_Read_TYPE(nullptr));
    EXPECT_EQ(LastError(), kNullPrefix + "Vorn_KRAVENT_Read_TYPE)");
}

TEST(RegisterFunctions, RangedByteWrites) {
    Connection conn;
    const std::string timeout = "TCP TimeOut value not valid.\t(Vorn_KRAVENT_Write_TCPTIMEOUT)";
    ExpectRefusedWith(Vorn_KRAVENT_Write_TCPTIMEOUT(256, conn.handle()), timeout);
    ExpectRefusedWith(Vorn_KRAVENT_Write_TCPTIMEOUT(-1, conn.handle()), timeout);
    const std::string mode = "Regulation Mode value not valid.\t(Vorn_KRAVENT_Write_REGULATIONMODE)";
    ExpectRefusedWith(Vorn_KRAVENT_Write_REGULATIONMODE(6, conn.handle()), mode);
    ExpectRefusedWith(Vorn_KRAVENT_Write_REGULATIONMODE(-1, conn.handle()), mode);
    EXPECT_TRUE(conn.Send().empty());  // nothing stored

    EXPECT_TRUE(Vorn_KRAVENT_Write_TCPTIMEOUT(0, conn.handle()));
    EXPECT_TRUE(Vorn_KRAVENT_Write_REGULATIONMODE(0, conn.handle()));
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x14, 0x00, 0x20, 0x00})});
}

TEST(RegisterFunctions, AddressWrites) {
    Connection conn;
    const std::int32_t first[4] = {10, 0, 0, 1};
    ASSERT_TRUE(Vorn_KRAVENT_Write_IPADDRESS(first, conn.handle()));
    const std::string bad = "Address IP not valid\t(Vorn_KRAVENT_Write_IPADDRESS)";
    for (const auto& wrong : {std::array<std::int32_t, 4>{192, 168, 0, 256}, std::array<std::int32_t, 4>{-1, 0, 0, 0},
                              std::array<std::int32_t, 4>{0, 0, 0x1000, 0}})
        ExpectRefusedWith(Vorn_KRAVENT_Write_IPADDRESS(wrong.data(), conn.handle()), bad);
    ExpectRefusedWith(Vorn_KRAVENT_Write_IPADDRESS(nullptr, conn.handle()),
                      "Pointer on data to write not valid. IPAdd = NULL\t(Vorn_KRAVENT_Write_IPADDRESS)");
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x12, 10, 0, 0, 1})});  // the earlier request stands

    const std::int32_t zero[4] = {0, 0, 0, 0};
    EXPECT_TRUE(Vorn_KRAVENT_Write_IPADDRESS(zero, conn.handle()));
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x12, 0, 0, 0, 0})});

    const std::int32_t mask[4] = {255, 0, 255, 0};  // bits need not be contiguous
    EXPECT_TRUE(Vorn_KRAVENT_Write_SUBNETMASK(mask, conn.handle()));
    const std::int32_t wrongMask[4] = {255, 255, 255, 300};
    ExpectRefusedWith(Vorn_KRAVENT_Write_SUBNETMASK(wrongMask, conn.handle()),
                      "Subnet Mask not valid\t(Vorn_KRAVENT_Write_SUBNETMASK)");
    ExpectRefusedWith(Vorn_KRAVENT_Write_SUBNETMASK(nullptr, conn.handle()),
                      "Pointer on data to write not valid. SubnetMask = NULL\t(Vorn_KRAVENT_Write_SUBNETMASK)");
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x13, 255, 0, 255, 0})});
}

TEST(RegisterFunctions, BlockWritesRefuseNullPointers) {
    Connection conn;
    ExpectRefusedWith(Vorn_KRAVENT_Write_COMMUNICATIONOPTIONS(nullptr, conn.handle()),
                      "Pointer on data to write not valid. ComOpt = NULL\t(Vorn_KRAVENT_Write_COMOPTIONS)");
    ExpectRefusedWith(Vorn_KRAVENT_Write_OPTIONS(nullptr, conn.handle()),
                      "Pointer on data to write not valid. Options = NULL\t(Vorn_KRAVENT_Write_OPTIONS)");
    ExpectRefusedWith(Vorn_KRAVENT_Write_MODULENAME(nullptr, conn.handle()),
                      "Pointer on data to write not valid. Name = NULL\t(Vorn_KRAVENT_Write_MODULENAME)");
    EXPECT_TRUE(conn.Send().empty());
}

TEST(RegisterFunctions, RealWriteStoresTheFloatAndSendsFixedPoint) {
    Connection conn;
    ASSERT_TRUE(Vorn_KRAVENT_Write_KP(1.5f, conn.handle()));
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x33, 0x00, 0x01, 0x80, 0x00})});  // 98304
}

TEST(RegisterFunctions, ResetWarningsWritesZero) {
    Connection conn;
    const std::uint8_t ones[32] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                   1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    conn.c.RequestWrite(WriteIndex("WARNINGS"), ones, sizeof ones);
    ASSERT_TRUE(Vorn_KRAVENT_Reset_WARNINGS(conn.handle()));
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x08, 0, 0, 0, 0})});
    EXPECT_TRUE(conn.c.Values().WARNINGS_Written);
}

TEST(RegisterFunctions, RepetitiveReadsJoinThePolledSetOnly) {
    Connection conn;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, conn.handle()));
    ASSERT_TRUE(Vorn_KRAVENT_Read_DERIVATIONOFDELTA(true, conn.handle()));
    EXPECT_TRUE(conn.Send().empty());
    conn.c.FillPacketToSendContinuous();
    EXPECT_EQ(Packets(conn.c), std::vector<Bytes>{ReadRequest({0x07, 0x38})});

    Connection once;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, once.handle()));
    EXPECT_EQ(once.Send(), std::vector<Bytes>{ReadRequest({0x07})});
    once.c.FillPacketToSendContinuous();
    EXPECT_TRUE(Packets(once.c).empty());
}

TEST(RegisterFunctions, ResetAllRegisterReadKeepsWritesAndThePolledSet) {
    Connection conn;
    ASSERT_TRUE(Vorn_KRAVENT_Read_AllRegister(conn.handle()));
    ASSERT_TRUE(Vorn_KRAVENT_Read_SPEED(true, conn.handle()));
    ASSERT_TRUE(Vorn_KRAVENT_Write_HOMING(conn.handle()));
    ASSERT_TRUE(Vorn_KRAVENT_ResetAllRegisterRead(conn.handle()));
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x49})});
    conn.c.FillPacketToSendContinuous();
    EXPECT_EQ(Packets(conn.c), std::vector<Bytes>{ReadRequest({0x28})});
}

TEST(RegisterFunctions, ArgumentFailureChangesNothing) {
    Connection conn;
    ASSERT_TRUE(Vorn_KRAVENT_Write_TCPTIMEOUT(7, conn.handle()));
    EXPECT_FALSE(Vorn_KRAVENT_Write_TCPTIMEOUT(1000, conn.handle()));
    EXPECT_EQ(conn.Send(), std::vector<Bytes>{WriteRequest({0x14, 7})});
}

}  // namespace
}  // namespace kravent::test
