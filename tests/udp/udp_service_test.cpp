#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "udp/ip_change.h"
#include "udp/udp_service.h"
#include "log/error_log.h"
#include "protocol/frame.h"
#include "protocol/service_frames.h"

namespace kravent {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A scan answer of the simulator's default module: TYPE 2/2, VERSION 1/5, its name
// and MAC 02:4B:52:00:00:01, in the order asked (42 bytes).
Bytes ScanAnswer() {
    Bytes b = {0x00, 0x23, 0x00, 0x00, 0x00, 0x22, 0x00, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00, 0x01, 0x00, 0x05, 0x15};
    const std::string name("KRAVENT-SIM\0\0\0\0\0", 16);
    for (const char c : name) b.push_back(static_cast<std::uint8_t>(c));
    for (const int c : {0x11, 0x02, 0x4B, 0x52, 0x00, 0x00, 0x01, 0x24, 0x90}) b.push_back(static_cast<std::uint8_t>(c));
    return b;
}

Bytes AnswerFrame(const Bytes& payload) {
    Bytes frame(wire::kHeaderSize + payload.size() + wire::kChecksumSize);
    wire::WriteHeader(frame.data(), wire::kReadAnswer);
    std::copy(payload.begin(), payload.end(), frame.begin() + wire::kHeaderSize);
    wire::CloseFrame(frame.data(), payload.size());
    return frame;
}

std::string LastError() {
    char text[300];
    std::int32_t length = sizeof text;
    CopyLastErrorText(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

class UdpParsing : public ::testing::Test {
protected:
    void StartScan(int capacity) { state->scan = ScanTable{true, records, capacity, 0}; }
    void Receive(const Bytes& datagram, const char* sender = "10.0.0.7") {
        ReceivedUDPRawData(*state, datagram.data(), datagram.size(), sender, 7010);
    }

    std::unique_ptr<UdpServiceState> state = std::make_unique<UdpServiceState>();
    ModuleScanRecord records[4] = {};
};

TEST_F(UdpParsing, ScanAnswerFillsOneRecord) {
    StartScan(4);
    Receive(ScanAnswer());
    ASSERT_EQ(state->scan.count, 1);
    const ModuleScanRecord& r = records[0];
    EXPECT_EQ((std::vector<int>{r.TypeHigh, r.TypeLow, r.VersionHigh, r.VersionLow}), (std::vector<int>{2, 2, 1, 5}));
    EXPECT_EQ((std::vector<int>{r.ModuleMac, r.ModuleMac + 6}), (std::vector<int>{2, 0x4B, 0x52, 0, 0, 1}));
    EXPECT_EQ((std::vector<int>{r.ModuleIP, r.ModuleIP + 4}), (std::vector<int>{10, 0, 0, 7}));
    EXPECT_EQ(std::memcmp(r.ModuleName, "KRAVENT-SIM\0\0\0\0\0", 16), 0);
}

TEST_F(UdpParsing, FrameSplitAtAnyByteGivesTheSameRecord) {
    const Bytes whole = ScanAnswer();
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        StartScan(4);
        Receive(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
        EXPECT_EQ(state->scan.count, 0) << "cut " << cut;
        Receive(Bytes(whole.begin() + static_cast<long>(cut), whole.end()));
        ASSERT_EQ(state->scan.count, 1) << "cut " << cut;
        EXPECT_EQ(records[0].ModuleMac[5], 1);
    }
}

TEST_F(UdpParsing, TwoFramesInOneDatagramAreBothParsed) {
    StartScan(4);
    Bytes two = ScanAnswer();
    const Bytes again = ScanAnswer();
    two.insert(two.end(), again.begin(), again.end());
    Receive(two);
    EXPECT_EQ(state->scan.count, 2);
}

TEST_F(UdpParsing, CapacityLimitsRecordsNotTheCount) {
    StartScan(2);
    for (int i = 0; i < 3; ++i) Receive(ScanAnswer());
    EXPECT_EQ(state->scan.count, 3);
    EXPECT_EQ(records[2].TypeHigh, 0) << "no record beyond the capacity";
}

TEST_F(UdpParsing, NoRecordIsWrittenOutsideAScan) {
    state->scan = ScanTable{false, records, 4, 0};
    Receive(ScanAnswer());
    EXPECT_EQ(records[0].TypeHigh, 0);
}

TEST_F(UdpParsing, WrongChecksumIsCountedReportedAndDropped) {
    StartScan(4);
    Bytes bad = ScanAnswer();
    bad.back() ^= 0x01;
    const std::uint32_t before = UdpChecksumErrorCount();
    const auto message = [](std::uint32_t n) {
        return "ChecksumError occurs. Nb of ChecksumError = " + std::to_string(n) + "\t(ReceivedUDPRawData)";
    };
    Receive(bad);
    EXPECT_EQ(state->scan.count, 0);
    EXPECT_EQ(LastError(), message(before + 1));
    Receive(bad);
    EXPECT_EQ(LastError(), message(before + 2));
    Receive(ScanAnswer());
    EXPECT_EQ(state->scan.count, 1) << "the stream recovers after a bad frame";
}

TEST_F(UdpParsing, UnknownRegisterStopsTheWalkButKeepsEarlierItems) {
    state->typeTest = TypeTestState{true, 0, 0};
    // TYPE 2/3, then VOLTAGE, which the UDP path does not know; nothing after it is read.
    Receive(AnswerFrame({0x00, 0x00, 0x02, 0x00, 0x03, 0x07, 0x00, 0x18, 0x00, 0x00}));
    EXPECT_EQ(LastError(), "Receive unknown module gegister\t(ReceiveUDP_Data)");
    EXPECT_EQ(state->typeTest.valueHigh, 2);
    EXPECT_EQ(state->typeTest.valueLow, 3);
}

TEST_F(UdpParsing, ItemCutByThePayloadEndIsNotRead) {
    StartScan(4);
    // TYPE 2/2 then an ETHERNETMAC item with only 3 of its 6 bytes.
    Receive(AnswerFrame({0x00, 0x00, 0x02, 0x00, 0x02, 0x11, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(state->scan.count, 0);
}

TEST_F(UdpParsing, OversizedHeaderIsDiscardedAndTheNextDatagramParses) {
    StartScan(4);
    Receive({0x00, 0x23, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x02, 0x03});
    Receive(ScanAnswer());
    EXPECT_EQ(state->scan.count, 1);
}

TEST_F(UdpParsing, EmptyReceiveReportsNothingReceived) {
    EXPECT_FALSE(ReceivedUDPRawData(*state, nullptr, 0, "", 0));
}

TEST(ChangeIpFrame, CarriesMacAddressAndMaskWithItsChecksum) {
    const std::int32_t mac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x01};
    const std::int32_t ip[] = {10, 0, 0, 50};
    const std::int32_t mask[] = {255, 255, 255, 0};
    std::uint8_t frame[22];
    BuildChangeIpFrame(mac, ip, mask, frame);
    const Bytes expected = {0x00, 0x2A, 0x00, 0x01, 0x00, 0x0E, 0x02, 0x4B, 0x52, 0x00, 0x00,
                            0x01, 10,   0,    0,    50,   255,  255,  255,  0,    0xA2, 0x47};
    EXPECT_EQ(Bytes(frame, frame + 22), expected);
}

TEST(ChangeIpChecks, RunInOrderBeforeAnythingIsSent) {
    const std::int32_t mac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x01};
    const std::int32_t badMac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 256};
    const std::int32_t ip[] = {10, 0, 0, 50};
    const std::int32_t badIp[] = {10, 0, 0, 300};
    const std::int32_t mask[] = {255, 255, 255, 0};
    const std::int32_t badMask[] = {255, 255, -1, 0};

    EXPECT_FALSE(ChangeIPAddress(nullptr, nullptr, nullptr));
    EXPECT_EQ(LastError(), "Pointer on data to write not valid. MacAddress = NULL\t(ChangeIPAddress)");
    EXPECT_FALSE(ChangeIPAddress(mac, nullptr, mask));
    EXPECT_EQ(LastError(), "Pointer on data to write not valid. IPAddress = NULL\t(ChangeIPAddress)");
    EXPECT_FALSE(ChangeIPAddress(mac, ip, nullptr));
    EXPECT_EQ(LastError(), "Pointer on data to write not valid. SubnetMaskAddress = NULL\t(ChangeIPAddress)");
    EXPECT_FALSE(ChangeIPAddress(badMac, badIp, badMask));
    EXPECT_EQ(LastError(), "Mac Address not valid\t(ChangeIPAddress)");
    EXPECT_FALSE(ChangeIPAddress(mac, badIp, badMask));
    EXPECT_EQ(LastError(), "IP Address not valid\t(ChangeIPAddress)");
    EXPECT_FALSE(ChangeIPAddress(mac, ip, badMask));
    EXPECT_EQ(LastError(), "Subnet Mask Address not valid\t(ChangeIPAddress)");
}

}  // namespace
}  // namespace kravent
