// One open connection to a module: the meeting point of the host's register
// functions (request flags and write values), the sender threads (packet assembly)
// and the receive side (frame reassembly and decoding into RegisterValues).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "commanagement/frame.h"
#include "commanagement/register_layout.h"
#include "commanagement/register_map.h"
#include "platform/platform.h"

namespace kravent {

class CEthernetCom;
class TThreadSend;
class TThreadSendContinuous;

inline constexpr std::size_t kRxChunkSize = 540;
inline constexpr std::size_t kPacketBufferCount = 3;
inline constexpr std::size_t kIpTextCapacity = 16;  // "255.255.255.255" and its zero

class CComManagement {
public:
    // Creates the events, the repetitive sender (suspended, its timer running) and the
    // one-shot sender (waiting for a trigger). The opener adds address, callbacks and
    // transport.
    CComManagement() noexcept;
    // Ends both senders and the timer, then destroys the transport (a connected socket
    // reports 0 through ComEvent); the events go last, with the object.
    ~CComManagement();
    CComManagement(const CComManagement&) = delete;
    CComManagement& operator=(const CComManagement&) = delete;

    // ---- Request recording (register functions, any host thread) ------------------
    // Each stores under RequestLock, so an assembly sees a request entirely or not at
    // all, and never a half-copied value.
    void RequestRead(int readIndex);
    void RequestRepetitive(int repetitiveIndex);
    void RequestWrite(int writeIndex, const void* value, std::size_t size);
    void RequestAllReads();
    void ClearAllReads();
    void ClearRepetitive();

    // ---- Request assembly (sender threads, holding the token HevSync) -------------
    bool FillPacketToSend();
    bool FillPacketToSendContinuous();

    // ---- Receive side (the thread that delivers the transport's notifications) ----
    // Processes RxChunk[0, RxChunkLength).
    void ReceivedRawData();
    // Processes all bytes of one notification, of any length: clears the Received
    // flags when the first packet of an exchange is being answered, then reassembles.
    void ReceivedRawData(const std::uint8_t* bytes, std::size_t count);
    // The reassembly alone, for further pieces of the same notification.
    void ReassembleReceivedBytes(const std::uint8_t* bytes, std::size_t count);
    // Decodes the read answer in RxFrame[0, RxFrameLength + 2).
    void ReceivedDataAnalyse();

    void SetIPAddressText(std::string_view text);
    std::string_view IpText() const { return {IPAddressText.data()}; }

    // ---- Transport and host callbacks -----------------------------------------------
    // The handlers of the transport's data and event callbacks (user pointer: the
    // connection). A connection closed from inside one of them is destroyed when the
    // outermost of them returns.
    static void OnDataReceived(void* connection, std::int32_t count, CEthernetCom* transport);
    static void OnComEvent(void* connection, std::int32_t code, CEthernetCom* transport);

    // Owned; set once by the opener, read by the senders and the host's state query.
    std::atomic<CEthernetCom*> EthernetCom{nullptr};
    // Set by the opener before the transport exists.
    Data_Received_MAINPORT_Callback DataReceived = nullptr;
    Com_Event_Callback ComEvent = nullptr;

    // ---- Receive side -----------------------------------------------------------------
    std::uint8_t RxChunk[kRxChunkSize] = {};
    std::int32_t RxChunkLength = 0;
    std::uint8_t RxFrame[wire::kMaxFrameSize] = {};
    std::int32_t RxFrameLength = 0;
    std::int32_t RxFill = 0;

    // ---- Packets of the current exchange --------------------------------------------
    std::uint8_t PacketBuffer[kPacketBufferCount][wire::kPacketSize] = {};
    std::int32_t PacketLength[kPacketBufferCount] = {};
    // Read by the receive side to tell whether packets of the exchange remain.
    std::atomic<std::int32_t> PacketCount{0};
    std::atomic<std::int32_t> PacketsSent{0};

    // ---- The exchange under way ------------------------------------------------------
    // A sender opens an exchange just before its first packet goes out and ends it when
    // its cycle ends. Only bytes whose notification began while the exchange was open
    // answer it; bytes that come with none open are delivered to the host and answer
    // nothing, so that a late or unasked answer cannot acknowledge a later exchange.
    // Returns the exchange's number; stale wake-ups of the sender are dropped first.
    std::uint32_t BeginExchange();
    // Ends exchange `exchange`. False when its answer has already claimed it: the
    // acknowledgement is then on its way.
    bool EndExchange(std::uint32_t exchange);

    // ---- Summary flags and the pending-send state ---------------------------------
    std::atomic<bool> ReadRequest{false};
    std::atomic<bool> RepetitiveRequest{false};
    std::atomic<bool> WriteRequest{false};
    std::atomic<bool> ReplyReceived{true};

    // Values of the last answers, with Received and Written flags; hosts read it.
    ::RegisterValues RegisterValues{};

    // ---- Write area: host-form value slots (kWriteAreaLayout) and one flag per entry -
    alignas(4) std::uint8_t WriteValue[kWriteAreaSize] = {};
    std::array<std::atomic<bool>, kWriteCount> WriteFlag{};

    std::array<std::atomic<bool>, kReadCount> ReadFlag{};
    std::array<std::atomic<bool>, kRepetitiveCount> RepetitiveFlag{};

    std::array<char, kIpTextCapacity> IPAddressText{};

    // ---- Assembly work fields (reset by every assembly) -----------------------------
    std::uint8_t* CurrentPacket = PacketBuffer[0];
    std::int32_t PacketPos = 0;
    std::int32_t WriteFrameStart = 0;
    std::int32_t ReadPayloadLength = 0;
    std::int32_t WritePayloadLength = 0;
    std::int32_t PacketSizeCheck = 0;
    std::int32_t AnswerEstimate = 0;
    bool PacketsExhausted = false;  // a further packet was needed but all three are used

    // ---- Reassembly state ---------------------------------------------------------
    std::int32_t RxWanted = static_cast<std::int32_t>(wire::kHeaderSize);
    std::int32_t ChecksumErrorCount = 0;
    bool RxInBody = false;
    bool RxSkipping = false;  // discarding a frame too long for RxFrame

    // Guards request flags and write values against the assembly's read-and-clear;
    // never held across a wait, a send or a callback.
    std::mutex RequestLock;

    // ---- Events and sender threads ------------------------------------------------
    // Auto-reset. Declared before the threads: they outlive them and the transport.
    platform::Event HevMultiplePacket{false};
    platform::Event HevSync{true};  // the token: one sender at a time owns the connection
    platform::Event HevAck{false};
    platform::Event HevTimer{false};
    platform::Event HevNewSend{false};

    std::unique_ptr<TThreadSendContinuous> ThreadSendContinuous;
    std::unique_ptr<TThreadSend> ThreadSend;

private:
    std::atomic<std::uint32_t> openExchange_{0};  // 0: none open
    std::atomic<std::uint32_t> exchangeCount_{0};

    bool AddReadRegister(std::uint8_t address);
    bool AddWriteRegister(std::uint8_t address);
    void StartNextPacket(std::uint16_t frameType);
    bool NoPacketLeft();
    void CloseOpenFrame(std::int32_t frameStart, std::int32_t payloadLength);
    void ResetAssembly();
    void ClearWrittenFlags();
    void MarkWritten(std::size_t writeIndex);
    void ClearReceivedFlags();
    void ResetReassembly();
    void CompleteFrame();
};

}  // namespace kravent
