// One open connection to a module: the meeting point of the host's register
// functions (request flags and write values), the sender threads (packet assembly)
// and the receive side (frame reassembly and decoding into RegisterValues). It owns
// all state of an exchange; the senders reach it only through SenderLink.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/answer_match.h"
#include "protocol/reply_reassembly.h"
#include "protocol/request_assembly.h"
#include "senders/sender_link.h"

namespace kravent {

class CEthernetCom;
class TThreadSend;
class TThreadSendContinuous;

inline constexpr std::size_t kRxChunkSize = 540;
inline constexpr std::size_t kIpTextCapacity = 16;  // "255.255.255.255" and its zero

class CComManagement final : public SenderLink {
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

    // ---- Set up by the opener, in this order, before the connection is used ---------
    // The value the host holds for this connection; its callbacks receive it.
    void SetHandle(ComID handle) { handle_ = handle; }
    ComID Handle() const { return handle_; }
    void SetIPAddressText(std::string_view text);
    void SetCallbacks(Data_Received_MAINPORT_Callback dataReceived, Com_Event_Callback comEvent);
    // Takes ownership of the transport.
    void AttachTransport(CEthernetCom* transport);
    // The open is done with the connection, on success or failure: the handlers, which
    // wait for this, may now run its callbacks (and a callback may close it). Also
    // marked when the connection is destroyed.
    void MarkOpened();

    std::string_view IpText() const { return {IPAddressText.data()}; }
    // Null until attached; read by the host's state query.
    const CEthernetCom* Transport() const { return EthernetCom.load(std::memory_order_acquire); }

    // ---- Request recording (register functions, any host thread) ------------------
    // Each stores under RequestLock, so an assembly sees a request entirely or not at
    // all, and never a half-copied value.
    void RequestRead(int readIndex);
    void RequestRepetitive(int repetitiveIndex);
    void RequestWrite(int writeIndex, const void* value, std::size_t size);
    void RequestAllReads();
    void ClearAllReads();
    void ClearRepetitive();

    // ---- Sending and polling (host threads) -------------------------------------------
    // Wakes the one-shot sender. False, with nothing sent, while the reply to the last
    // trigger is still outstanding; of two racing triggers only one is accepted.
    bool TriggerSend();
    // False for a connection whose sender threads could not be created: it polls nothing.
    bool HasSenders() const { return ThreadSend != nullptr && ThreadSendContinuous != nullptr; }
    void StartPolling();
    // Polling suspends itself at its next period.
    void StopPollingAtNextPeriod();
    // Polling stops wherever it is.
    void SuspendPolling();
    // False, with the period unchanged, when the platform's timer cannot serve it.
    bool SetPollPeriod(std::int32_t periodMs);
    // True on one of this connection's sender threads, which cannot destroy it.
    bool OnOwnSenderThread() const;

    // ---- SenderLink: the sender threads, the one holding the token ----------------
    ConnectionEvents& Events() override { return Events_; }
    bool FillPacketToSend() override;
    bool FillPacketToSendContinuous() override;
    std::int32_t PacketCount() const override { return PacketCount_.load(); }
    std::uint32_t BeginExchange() override;
    bool EndExchange(std::uint32_t exchange) override;
    PacketSend SendPacket(std::int32_t index) override;
    bool PacketsRemain() const override { return PacketsSent.load() < PacketCount_.load(); }
    void ReplyAbandoned() override { ReplyReceived.store(true); }
    void Report(std::string_view message) const override;

    // The packets of the last assembly.
    const PacketSet& Packets() const { return Packets_; }

    // ---- Receive side (the thread that delivers the transport's notifications) ----
    // Processes all bytes of one notification, of any length. Whole frames that answer
    // the exchange under way go into the record (afresh at its first answer); every
    // other whole frame is delivered to the host on its own and answers nothing. True
    // when a frame answered the exchange.
    bool ReceivedRawData(const std::uint8_t* bytes, std::size_t count);
    // Values of the last answers, with Received and Written flags: the record the host's
    // data callback receives.
    const ::RegisterValues& Values() const { return RegisterValues; }

    // ---- Transport and host callbacks -----------------------------------------------
    // The handlers of the transport's data and event callbacks (user pointer: the
    // connection). Each waits until the open has marked the connection opened, so that
    // a notification that comes while the open still runs (on another thread) cannot
    // close the connection under it. A connection closed from inside one of them is
    // destroyed when the outermost of them returns.
    static void OnDataReceived(void* connection, std::int32_t count, CEthernetCom* transport);
    static void OnComEvent(void* connection, std::int32_t code, CEthernetCom* transport);

private:
    // Packs the requests with `assemble` into the packets of the next exchange.
    template <typename Assemble>
    bool AssembleUnderLock(Assemble assemble);
    void WaitUntilOpened();

    ComID handle_ = nullptr;
    std::atomic<bool> opened_{false};
    std::atomic<CEthernetCom*> EthernetCom{nullptr};
    Data_Received_MAINPORT_Callback DataReceived = nullptr;
    Com_Event_Callback ComEvent = nullptr;
    std::array<char, kIpTextCapacity> IPAddressText{};

    // The packets of the current exchange: written by the assembly, sent by the sender
    // that assembled them; the counts tell the receive side whether packets remain.
    PacketSet Packets_;
    std::atomic<std::int32_t> PacketCount_{0};
    std::atomic<std::int32_t> PacketsSent{0};

    // The exchange under way. Only bytes whose notification began while the exchange
    // was open answer it; bytes that come with none open are delivered to the host and
    // answer nothing, so that a late or unasked answer cannot acknowledge a later one.
    std::atomic<std::uint32_t> openExchange_{0};  // 0: none open
    std::atomic<std::uint32_t> exchangeCount_{0};

    // The pending-send state: false from a trigger until its reply has been delivered.
    std::atomic<bool> ReplyReceived{true};

    // What each packet of the current exchange asked, for telling its answer from
    // other frames; written by the assembly before the exchange opens.
    std::array<std::atomic<std::uint64_t>, kPacketBufferCount> askedReads_{};
    std::array<std::atomic<std::uint64_t>, kPacketBufferCount> askedWrites_{};

    // The bytes of one notification, taken against the exchange open when it came.
    struct Notification {
        std::uint32_t exchange = 0;
        AskedRegisters asked;
        bool answered = false;
    };
    Notification BeginNotification();
    void ReceiveBytes(Notification& n, const std::uint8_t* bytes, std::size_t count);
    void TakeFrame(Notification& n, const ReplyStep& step);
    // Frames that answer nothing are shown to the host with their own Received flags;
    // the flags of the answer under way are put back afterwards.
    void BeginStray();
    void DeliverStray();
    void CallDataReceived();

    ::RegisterValues RegisterValues{};
    ReplyReassembler Reassembler;
    std::uint8_t RxChunk[kRxChunkSize] = {};
    // Receive side only.
    std::uint32_t lastExchangeSeen_ = 0;
    std::uint32_t answerBegunFor_ = 0;
    bool strayOpen_ = false;
    ReceivedFlags answerFlags_{};

    // Guards the requests against the assembly's read-and-clear; never held across a
    // wait, a send or a callback.
    std::mutex RequestLock;
    PendingRequests Requests;

    // Declared before the threads: they outlive them and the transport.
    ConnectionEvents Events_;
    std::unique_ptr<TThreadSendContinuous> ThreadSendContinuous;
    std::unique_ptr<TThreadSend> ThreadSend;
};

}  // namespace kravent
