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
#include "platform/platform.h"
#include "protocol/reply_reassembly.h"
#include "protocol/request_assembly.h"

namespace kravent {

class CEthernetCom;
class TThreadSend;
class TThreadSendContinuous;

inline constexpr std::size_t kRxChunkSize = 540;
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
    // Processes all bytes of one notification, of any length: clears the Received
    // flags when the first packet of an exchange is being answered, then reassembles.
    void ReceivedRawData(const std::uint8_t* bytes, std::size_t count);
    // The reassembly alone, for further pieces of the same notification.
    void ReassembleReceivedBytes(const std::uint8_t* bytes, std::size_t count);

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

    // ---- Packets of the current exchange --------------------------------------------
    // Written by the assembly, read by the sender that assembled them.
    const PacketSet& Packets() const { return Packets_; }
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

    // The pending-send state: false from a trigger until its reply has been delivered.
    std::atomic<bool> ReplyReceived{true};

    // Values of the last answers, with Received and Written flags; hosts read it.
    ::RegisterValues RegisterValues{};

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

    // Guards the requests against the assembly's read-and-clear; never held across a
    // wait, a send or a callback.
    std::mutex RequestLock;
    PendingRequests Requests;
    PacketSet Packets_;

    ReplyReassembler Reassembler;
    std::uint8_t RxChunk[kRxChunkSize] = {};

    std::array<char, kIpTextCapacity> IPAddressText{};
};

}  // namespace kravent
