// Request assembly: the worked packets, the packet and answer limits, the three-buffer
// bound, and that no flagged request is lost.
#include <gtest/gtest.h>

#include "protocol/answer_match.h"

#include <atomic>
#include <cstring>
#include <random>
#include <set>
#include <thread>

#include "connection/com_management.h"
#include "interface/connection_registry.h"
#include "protocol/frame.h"
#include "register_calls.h"

namespace kravent::test {
namespace {

// The register functions accept only connections the library holds.
ComID Handle(CComManagement& c) {
    if (c.Handle() == nullptr) RegisterConnection(&c);
    return c.Handle();
}

const std::vector<RegisterCall> kReadCalls = ReadCalls();
const std::vector<RegisterCall> kWriteCalls = WriteCalls();

void CallAll(CComManagement& c, const std::vector<RegisterCall>& calls, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) ASSERT_TRUE(calls[i].call(Handle(c))) << calls[i].name;
}

std::size_t IndexOf(const std::vector<RegisterCall>& calls, const std::string& name) {
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == name) return i;
    ADD_FAILURE() << name;
    return 0;
}

int WrittenCount(const CComManagement& c) {
    int n = 0;
    for (const auto& w : kWriteCalls) n += c.Values().*w.written ? 1 : 0;
    return n;
}

TEST(RequestAssembly, SingleRegisterPackets) {
    CComManagement c;
    ASSERT_TRUE(Vorn_KRAVENT_Read_TYPE(Handle(c)));
    EXPECT_TRUE(c.FillPacketToSend());
    ASSERT_EQ(c.Packets().count, 1);
    EXPECT_EQ(c.Packets().length[0], 9);
    EXPECT_EQ(Packet(c, 0), (Bytes{0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD}));

    ASSERT_TRUE(Vorn_KRAVENT_Write_RESETCPU(Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), (std::vector<Bytes>{{0x00, 0x22, 0x00, 0x00, 0x00, 0x01, 0x02, 0xFD, 0xDC}}));

    ASSERT_TRUE(Vorn_KRAVENT_Write_KP(1.5f, Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c),
              (std::vector<Bytes>{{0x00, 0x22, 0x00, 0x00, 0x00, 0x05, 0x33, 0x00, 0x01, 0x80, 0x00, 0xCB, 0x58}}));
}

TEST(RequestAssembly, ReadAndWriteShareTheFirstPacket) {
    CComManagement c;
    ASSERT_TRUE(Vorn_KRAVENT_Read_TYPE(Handle(c)));
    ASSERT_TRUE(Vorn_KRAVENT_Write_REGULATIONMODE(1, Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), (std::vector<Bytes>{{0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD, 0x00, 0x22,
                                               0x00, 0x00, 0x00, 0x02, 0x20, 0x01, 0xDF, 0xDA}}));
    EXPECT_TRUE(c.Values().REGULATIONMODE_Written);
    EXPECT_EQ(WrittenCount(c), 1);
}

TEST(RequestAssembly, AllReadsTakeTwoPacketsByTheAnswerLimit) {
    CComManagement c;
    ASSERT_TRUE(Vorn_KRAVENT_Read_AllRegister(Handle(c)));
    c.FillPacketToSend();
    const auto packets = Packets(c);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].size(), 42u);
    EXPECT_EQ(packets[0], ReadRequest(Items(kReadCalls, 0, 34)));  // TYPE to DEADZONE
    EXPECT_EQ(packets[1], (Bytes{0x00, 0x21, 0x00, 0x00, 0x00, 0x0B, 0x48, 0x4B, 0x4C, 0x50, 0x51, 0x52, 0x53, 0x58,
                                 0x59, 0x5A, 0x5B, 0x12, 0x33}));
    EXPECT_EQ(c.Packets().answerEstimate, 6 + 44);  // the second packet's estimate starts at 6
}

TEST(RequestAssembly, AllWritesFillTheFirstPacketExactly) {
    CComManagement c;
    CallAll(c, kWriteCalls, 0, kWriteCalls.size());
    c.FillPacketToSend();
    const auto packets = Packets(c);
    ASSERT_EQ(packets.size(), 2u);
    const std::size_t limit1x = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_LIMIT1XINPUT");
    EXPECT_EQ(packets[0].size(), 180u);
    EXPECT_EQ(packets[0][5], 0xAC);
    EXPECT_EQ(packets[0], WriteRequest(Items(kWriteCalls, 0, limit1x)));  // ends with LIMIT1POSITION
    EXPECT_EQ(packets[1].size(), 30u);
    EXPECT_EQ(packets[1], WriteRequest(Items(kWriteCalls, limit1x, kWriteCalls.size())));
    EXPECT_EQ(WrittenCount(c), 45);
}

TEST(RequestAssembly, AllReadsAndAllWritesTakeThreePackets) {
    CComManagement c;
    ASSERT_TRUE(Vorn_KRAVENT_Read_AllRegister(Handle(c)));
    CallAll(c, kWriteCalls, 0, kWriteCalls.size());
    c.FillPacketToSend();
    const auto packets = Packets(c);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0].size(), 42u);
    EXPECT_EQ(packets[1].size(), 177u);
    EXPECT_EQ(packets[2].size(), 52u);
    const std::size_t homingPosition = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_HOMINGPOSITION");
    // Packet 2: the second read frame, then a write frame checksummed from its own header.
    EXPECT_EQ(packets[1], Concat({ReadRequest(Items(kReadCalls, 34, 45)), WriteRequest(Items(kWriteCalls, 0, homingPosition))}));
    EXPECT_EQ(packets[2], WriteRequest(Items(kWriteCalls, homingPosition, kWriteCalls.size())));
    c.FillPacketToSend();  // nothing was left behind
    EXPECT_EQ(c.Packets().count, 0);
}

TEST(RequestAssembly, AFullAnswerGivesEachWriteAPacketOfItsOwn) {
    const std::size_t kp = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_KP");
    const std::size_t position = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_POSITION");
    CComManagement c;
    CallAll(c, kReadCalls, 0, 34);
    ASSERT_TRUE(kWriteCalls[kp].call(Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), (std::vector<Bytes>{Concat({ReadRequest(Items(kReadCalls, 0, 34)),
                                                      {0x00, 0x22, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDD}}),
                                              WriteRequest(kWriteCalls[kp].item)}));

    CallAll(c, kReadCalls, 0, 34);
    ASSERT_TRUE(kWriteCalls[position].call(Handle(c)));
    ASSERT_TRUE(kWriteCalls[kp].call(Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), (std::vector<Bytes>{Concat({ReadRequest(Items(kReadCalls, 0, 34)), WriteRequest({})}),
                                              WriteRequest(kWriteCalls[position].item),
                                              WriteRequest(kWriteCalls[kp].item)}));
}

TEST(RequestAssembly, WritesBeyondTheThirdPacketWaitForTheNextSend) {
    const std::size_t input = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_INPUT");
    const std::size_t position = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_POSITION");
    const std::size_t kp = IndexOf(kWriteCalls, "Vorn_KRAVENT_Write_KP");
    CComManagement c;
    CallAll(c, kReadCalls, 0, 34);
    for (const std::size_t w : {input, position, kp}) ASSERT_TRUE(kWriteCalls[w].call(Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), (std::vector<Bytes>{Concat({ReadRequest(Items(kReadCalls, 0, 34)), WriteRequest({})}),
                                              WriteRequest(kWriteCalls[input].item),
                                              WriteRequest(kWriteCalls[position].item)}));
    EXPECT_TRUE(c.Values().POSITION_Written);
    EXPECT_FALSE(c.Values().KP_Written);

    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), (std::vector<Bytes>{WriteRequest(kWriteCalls[kp].item)}));
    EXPECT_TRUE(c.Values().KP_Written);
    EXPECT_EQ(WrittenCount(c), 1);
    c.FillPacketToSend();
    EXPECT_EQ(c.Packets().count, 0);
}

TEST(RequestAssembly, NothingFlaggedBuildsNoPacket) {
    CComManagement c;
    ASSERT_TRUE(Vorn_KRAVENT_Read_TYPE(Handle(c)));
    c.FillPacketToSend();
    c.FillPacketToSend();
    EXPECT_EQ(c.Packets().count, 0);
    EXPECT_EQ(c.Packets().length[0], 9);  // the buffers are left as they were
    c.FillPacketToSendContinuous();
    EXPECT_EQ(c.Packets().count, 0);
}

TEST(RequestAssembly, RepetitiveSetIsRebuiltEveryCycle) {
    CComManagement c;
    for (const auto& name : {"VOLTAGE", "WARNINGS", "REGULATIONMODE", "INPUT", "POSITION", "SPEED", "DESIRED",
                             "FEEDBACK", "COMMAND", "INTEGRALDELTA", "DERIVATIONOFDELTA"})
        c.RequestRepetitive(RepetitiveIndex(name));
    ASSERT_TRUE(Vorn_KRAVENT_Write_KP(1.0f, Handle(c)));
    c.FillPacketToSend();
    EXPECT_TRUE(c.Values().KP_Written);

    const Bytes expected = ReadRequest({0x07, 0x08, 0x20, 0x21, 0x26, 0x28, 0x30, 0x31, 0x32, 0x37, 0x38});
    for (int cycle = 0; cycle < 2; ++cycle) {
        c.FillPacketToSendContinuous();
        EXPECT_EQ(Packets(c), std::vector<Bytes>{expected});
        EXPECT_EQ(c.Packets().length[0], 19);
        EXPECT_EQ(c.Packets().answerEstimate, 60);
        EXPECT_EQ(WrittenCount(c), 0);
    }
}

TEST(RequestAssembly, LastValueBeforeTheAssemblyIsSent) {
    CComManagement c;
    ASSERT_TRUE(Vorn_KRAVENT_Write_POSITION(1, Handle(c)));
    ASSERT_TRUE(Vorn_KRAVENT_Write_POSITION(-7, Handle(c)));
    c.FillPacketToSend();
    EXPECT_EQ(Packets(c), std::vector<Bytes>{WriteRequest({0x26, 0xFF, 0xFF, 0xFF, 0xF9})});
    // Values stay in place, flags do not: a second assembly sends nothing.
    c.FillPacketToSend();
    EXPECT_EQ(c.Packets().count, 0);
    EXPECT_EQ(WrittenCount(c), 0);
}

// Splits a packet into its frames, checking every header and checksum.
std::vector<Bytes> FramesOf(const Bytes& packet) {
    std::vector<Bytes> frames;
    std::size_t at = 0;
    while (at < packet.size()) {
        EXPECT_GE(packet.size() - at, 8u);
        const std::size_t n = (std::size_t{packet[at + 4]} << 8) | packet[at + 5];
        EXPECT_LE(at + n + 8, packet.size());
        if (at + n + 8 > packet.size()) break;
        EXPECT_TRUE(wire::ChecksumMatches(packet.data() + at, n));
        frames.emplace_back(packet.begin() + static_cast<long>(at), packet.begin() + static_cast<long>(at + n + 8));
        at += n + 8;
    }
    return frames;
}

TEST(RequestAssembly, RandomRequestSetsStayInBoundsAndAreSentExactlyOnce) {
    std::mt19937 random(20140807);
    for (int round = 0; round < 300; ++round) {
        CComManagement c;
        std::multiset<Bytes> wanted;
        for (const auto* calls : {&kReadCalls, &kWriteCalls})
            for (const auto& call : *calls)
                if (random() % 3 == 0) {
                    ASSERT_TRUE(call.call(Handle(c)));
                    wanted.insert(call.isWrite ? Concat({{0x22}, call.item}) : Concat({{0x21}, call.item}));
                }
        std::multiset<Bytes> sent;
        for (int send = 0; send < 10; ++send) {
            c.FillPacketToSend();
            if (c.Packets().count == 0) break;
            ASSERT_LE(c.Packets().count, 3);
            for (const Bytes& packet : Packets(c)) {
                ASSERT_LE(packet.size(), 180u);
                ASSERT_GE(packet.size(), 8u);
                for (const Bytes& frame : FramesOf(packet)) {
                    const std::uint8_t type = frame[1];
                    std::size_t at = 6;
                    while (at < frame.size() - 2) {
                        const int size = type == 0x21 ? 0 : RegisterSize(frame[at]);
                        ASSERT_GE(size, 0);
                        sent.insert(Concat({{type}, Bytes(frame.begin() + static_cast<long>(at),
                                                          frame.begin() + static_cast<long>(at + 1 + size))}));
                        at += 1 + static_cast<std::size_t>(size);
                    }
                }
            }
        }
        EXPECT_EQ(c.Packets().count, 0);
        EXPECT_EQ(sent, wanted) << "round " << round;
    }
}

TEST(RequestAssembly, ConcurrentWritesAreNeverTornOrLost) {
    CComManagement c;
    std::atomic<bool> done{false};
    std::thread host([&] {
        for (int i = 0; i < 20000; ++i) {
            Vorn_KRAVENT_Write_POSITION(i % 2 == 0 ? 0x11111111 : 0x22222222, Handle(c));
            Vorn_KRAVENT_Read_TYPE(Handle(c));
        }
        done.store(true);
    });
    int positionsSent = 0;
    Bytes lastSent;
    auto drain = [&] {
        c.FillPacketToSend();
        for (const Bytes& packet : Packets(c))
            for (const Bytes& frame : FramesOf(packet)) {
                if (frame[1] != 0x22) continue;
                ASSERT_EQ(frame.size(), 13u);
                const Bytes value(frame.begin() + 7, frame.begin() + 11);
                EXPECT_TRUE(value == Bytes(4, 0x11) || value == Bytes(4, 0x22));
                lastSent = value;
                ++positionsSent;
            }
    };
    while (!done.load()) drain();
    host.join();
    drain();
    EXPECT_GT(positionsSent, 0);
    EXPECT_EQ(lastSent, Bytes(4, 0x22));  // the host's last write went out
    c.FillPacketToSend();
    EXPECT_EQ(c.Packets().count, 0);
}

TEST(AnswerMatch, PacketsNameWhatTheyAsk) {
    // Read TYPE and VOLTAGE, then write REGULATIONMODE and the command RESETCPU.
    PendingRequests requests;
    requests.Read(ReadIndex("TYPE"));
    requests.Read(ReadIndex("VOLTAGE"));
    const std::int32_t mode = 1;
    requests.Write(WriteIndex("REGULATIONMODE"), &mode, sizeof mode);
    requests.Write(WriteIndex("RESETCPU"), nullptr, 0);
    PacketSet packets;
    RegisterValues record{};
    AssemblePackets(requests, packets, record);
    ASSERT_EQ(packets.count, 1);
    const AskedRegisters asked = packets.asked[0];
    const auto bit = [](const char* name) { return RegisterBit(RegisterIndex(name)); };
    EXPECT_EQ(asked.reads, bit("TYPE") | bit("VOLTAGE"));
    EXPECT_EQ(asked.writes, bit("REGULATIONMODE") | bit("RESETCPU"));
    const Bytes unknownFirst = ReadAnswer({0x09, 0x07, 0x00, 0x18, 0x00, 0x00});
    EXPECT_FALSE(FrameAnswers(asked, unknownFirst.data(), unknownFirst.size() - 2));
}

}  // namespace
}  // namespace kravent::test
