// One open connection to a module: the meeting point of the host's register
// functions (request flags and write values), the sender threads (packet assembly)
// and the receive side (frame reassembly and decoding into RegisterValues). It is the
// one owner of the exchange state (`Exchange`, under its lock); the senders reach it
// only through SenderLink.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "connection/answer_receiver.h"
#include "connection/callback_turn.h"
#include "connection/exchange.h"
#include "protocol/request_assembly.h"
#include "senders/sender_link.h"

namespace kravent {

class CEthernetCom;
class TThreadSend;
class TThreadSendContinuous;

inline constexpr std::size_t kIpTextCapacity = 16;  // "255.255.255.255" and its zero

class CComManagement final : public SenderLink, private AnswerReceiver::Sink {
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

    // The module's address, for log records; the transport uses this text too.
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
    void TokenTaken(SenderRole who) override;
    void ReleaseToken(SenderRole who) override;
    void OneShotWaits(bool waiting) override;
    bool OneShotWaiting() const override;
    bool FillPacketToSend() override;
    bool FillPacketToSendContinuous() override;
    std::int32_t PacketCount() const override;
    std::uint32_t BeginExchange() override;
    bool EndExchange(std::uint32_t exchange) override;
    PacketSend SendNextPacket() override;
    platform::OwnReceive ReceiveHere(std::uint32_t timeoutMs, platform::Event& done) override;
    void ReplyAbandoned() override;
    void Report(std::string_view message) const override;

    // The packets of the last assembly.
    const PacketSet& Packets() const { return Packets_; }
    // Values of the last answers, with Received and Written flags: the record the host's
    // data callback receives.
    const ::RegisterValues& Values() const { return Receiver.Record(); }

    // ---- Transport and host callbacks -----------------------------------------------
    // The handlers of the transport's data and event callbacks (user pointer: the
    // connection), on whichever thread delivers the socket's notifications: the
    // notification thread, or a sender that waits for its answer. Each waits until the
    // open has marked the connection opened, so that a notification that comes while
    // the open still runs (on another thread) cannot close the connection under it. A
    // connection closed from inside one of them is destroyed when the outermost of them
    // returns.
    static void OnDataReceived(void* connection, const std::uint8_t* bytes, std::int32_t count,
                               CEthernetCom* transport);
    static void OnComEvent(void* connection, std::int32_t code, CEthernetCom* transport);

private:
    // Packs the requests with `assemble` into the packets of the next exchange.
    template <typename Assemble>
    bool AssembleUnderLock(Assemble assemble);
    template <typename Step>
    auto WithExchange(Step step) const {
        std::lock_guard lock(ExchangeLock);
        return step(Exchange_);
    }
    void WaitUntilOpened();
    // AnswerReceiver::Sink
    void DeliverRecord(const ::RegisterValues& record) override;
    void ReportFailure(const ReplyStep& step) override;
    void CallDataReceived();

    ComID handle_ = nullptr;
    std::atomic<bool> opened_{false};
    ClosingMark closing_;
    std::atomic<CEthernetCom*> EthernetCom{nullptr};
    Data_Received_MAINPORT_Callback DataReceived = nullptr;
    Com_Event_Callback ComEvent = nullptr;
    std::array<char, kIpTextCapacity> IPAddressText{};

    // Every thread's view of the exchanges: the trigger, the token, the exchange open,
    // its packets' count and answers.
    mutable std::mutex ExchangeLock;
    mutable Exchange Exchange_;
    // The packets of the current exchange: written by the assembly and sent by the
    // sender that holds the token.
    PacketSet Packets_;

    // The receive side: run by one thread at a time, the notification thread or a sender
    // taking its own answer, as the transport hands the socket's bytes to either.
    AnswerReceiver Receiver;

    // Guards the requests against the assembly's read-and-clear; never held across a
    // wait, a send or a callback.
    std::mutex RequestLock;
    PendingRequests Requests;

    // Declared before the threads: they outlive them and the transport.
    ConnectionEvents Events_;
    std::unique_ptr<TThreadSendContinuous> ThreadSendContinuous;
    std::unique_ptr<TThreadSend> ThreadSend;
};

// Logs a failure of the reassembly or of decoding, without an address.
void ReportReplyFailure(const ReplyStep& step);

}  // namespace kravent
