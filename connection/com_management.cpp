#include "connection/com_management.h"

#include <algorithm>
#include <cstring>

#include "tcp/ethernet_com.h"
#include "log/error_log.h"
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
    if (!ReplyReceived.exchange(false)) return false;
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

// Under RequestLock; the counts say "no packets" while the buffers are rewritten.
template <typename Assemble>
bool CComManagement::AssembleUnderLock(Assemble assemble) {
    std::lock_guard<std::mutex> lock(RequestLock);
    PacketCount_.store(0);
    assemble(Requests, Packets_, RegisterValues);
    for (std::size_t k = 0; k < kPacketBufferCount; ++k) {
        askedReads_[k].store(Packets_.asked[k].reads, std::memory_order_relaxed);
        askedWrites_[k].store(Packets_.asked[k].writes, std::memory_order_relaxed);
    }
    PacketCount_.store(Packets_.count);
    PacketsSent.store(0);
    return true;
}

bool CComManagement::FillPacketToSend() {
    return AssembleUnderLock([](auto& requests, auto& packets, auto& record) { AssemblePackets(requests, packets, record); });
}

bool CComManagement::FillPacketToSendContinuous() {
    return AssembleUnderLock(
        [](auto& requests, auto& packets, auto& record) { AssembleRepetitivePacket(requests, packets, record); });
}

PacketSend CComManagement::SendPacket(std::int32_t index) {
    PacketsSent.fetch_add(1);
    CEthernetCom* transport = EthernetCom.load(std::memory_order_acquire);
    const auto k = static_cast<std::size_t>(index);
    PacketSend result;
    result.sent = transport != nullptr && transport->SendData(Packets_.buffer[k], Packets_.length[k]);
    result.carriedBytes = result.sent && Packets_.length[k] > 0;
    result.connectionLost = !result.sent && (transport == nullptr || transport->Lost());
    return result;
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
