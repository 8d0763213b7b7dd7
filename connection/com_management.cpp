#include "connection/com_management.h"

#include <algorithm>
#include <cstring>

#include "tcp/ethernet_com.h"
#include "log/error_log.h"
#include "platform/platform.h"
#include "senders/thread_send.h"
#include "senders/thread_send_continuous.h"

namespace kravent {

void CComManagement::RequestRead(int readIndex) {
    std::lock_guard<std::mutex> lock(RequestLock);
    Requests.Read(readIndex);
}

void CComManagement::RequestRepetitive(int repetitiveIndex) {
    std::lock_guard<std::mutex> lock(RequestLock);
    Requests.Repetitive(repetitiveIndex);
}

void CComManagement::RequestWrite(int writeIndex, const void* value, std::size_t size) {
    std::lock_guard<std::mutex> lock(RequestLock);
    Requests.Write(writeIndex, value, size);
}

void CComManagement::RequestAllReads() {
    std::lock_guard<std::mutex> lock(RequestLock);
    Requests.AllReads();
}

void CComManagement::ClearAllReads() {
    std::lock_guard<std::mutex> lock(RequestLock);
    Requests.ClearReads();
}

void CComManagement::ClearRepetitive() {
    std::lock_guard<std::mutex> lock(RequestLock);
    Requests.ClearRepetitive();
}

bool CComManagement::TriggerSend() {
    if (!WithExchange([](Exchange& e) { return e.Trigger(); })) return false;
    Events_.HevNewSend.Set();
    return true;
}

void CComManagement::StartPolling() { ThreadSendContinuous->Start(); }
void CComManagement::StopPollingAtNextPeriod() { ThreadSendContinuous->RequestStop(); }
void CComManagement::SuspendPolling() { ThreadSendContinuous->SuspendNow(); }
bool CComManagement::SetPollPeriod(std::int32_t periodMs) { return ThreadSendContinuous->SetPeriod(periodMs); }

bool CComManagement::OnOwnSenderThread() const {
    return (ThreadSend && ThreadSend->IsCurrent()) || (ThreadSendContinuous && ThreadSendContinuous->IsCurrent());
}

// Under RequestLock; the exchange hears of the packets once they are whole.
template <typename Assemble>
bool CComManagement::AssembleUnderLock(Assemble assemble) {
    std::lock_guard<std::mutex> lock(RequestLock);
    assemble(Requests, Packets_, Receiver.Record());
    WithExchange([this](Exchange& e) { e.Load(Packets_); });
    return true;
}

bool CComManagement::FillPacketToSend() {
    return AssembleUnderLock([](auto& requests, auto& packets, auto& record) { AssemblePackets(requests, packets, record); });
}

bool CComManagement::FillPacketToSendContinuous() {
    return AssembleUnderLock(
        [](auto& requests, auto& packets, auto& record) { AssembleRepetitivePacket(requests, packets, record); });
}

void CComManagement::TokenTaken(SenderRole who) {
    WithExchange([who](Exchange& e) { e.TokenTaken(who); });
}

void CComManagement::ReleaseToken(SenderRole who) {
    if (WithExchange([who](Exchange& e) { return e.ReleaseToken(who); })) Events_.HevSync.Set();
}

void CComManagement::OneShotWaits(bool waiting) {
    WithExchange([waiting](Exchange& e) { e.OneShotWaits(waiting); });
}

bool CComManagement::OneShotWaiting() const {
    return WithExchange([](Exchange& e) { return e.OneShotWaiting(); });
}

std::int32_t CComManagement::PacketCount() const {
    return WithExchange([](Exchange& e) { return e.PacketCount(); });
}

std::uint32_t CComManagement::BeginExchange() {
    // Wake-ups left by an earlier exchange are dropped first.
    Events_.HevAck.Wait(0);
    Events_.HevMultiplePacket.Wait(0);
    return WithExchange([](Exchange& e) { return e.Open(); });
}

bool CComManagement::EndExchange(std::uint32_t exchange) {
    return WithExchange([exchange](Exchange& e) { return e.EndUnanswered(exchange); });
}

void CComManagement::ReplyAbandoned() {
    WithExchange([](Exchange& e) { e.AnswerAbandoned(); });
}

PacketSend CComManagement::SendNextPacket() {
    const std::uint64_t now = platform::SteadyMilliseconds();
    PacketSend result;
    const auto k = static_cast<std::size_t>(WithExchange([now, &result](Exchange& e) {
        const std::int32_t index = e.PacketGoesOut(now);
        result.more = e.PacketsRemain();
        result.answerDueMs = e.AnswerDue();
        return index;
    }));
    CEthernetCom* transport = EthernetCom.load(std::memory_order_acquire);
    if (k >= kPacketBufferCount) return result;
    result.sent = transport != nullptr && transport->SendData(Packets_.buffer[k], Packets_.length[k]);
    result.carriedBytes = result.sent && Packets_.length[k] > 0;
    result.connectionLost = !result.sent && (transport == nullptr || transport->Lost());
    return result;
}

platform::OwnReceive CComManagement::ReceiveHere(std::uint32_t timeoutMs, platform::Event& done) {
    CEthernetCom* transport = EthernetCom.load(std::memory_order_acquire);
    return transport == nullptr ? platform::OwnReceive::NotHere : transport->ReceiveOnThisThread(timeoutMs, done);
}

void CComManagement::Report(std::string_view message) const { WriteErrorLog(message, IpText()); }

void CComManagement::SetCallbacks(Data_Received_MAINPORT_Callback dataReceived, Com_Event_Callback comEvent) {
    DataReceived = dataReceived;
    ComEvent = comEvent;
}

void CComManagement::AttachTransport(CEthernetCom* transport) { EthernetCom.store(transport, std::memory_order_release); }

void CComManagement::SetIPAddressText(std::string_view text) {
    const std::size_t n = std::min(text.size(), IPAddressText.size() - 1);
    std::copy_n(text.data(), n, IPAddressText.data());
    IPAddressText[n] = '\0';
}

}  // namespace kravent
