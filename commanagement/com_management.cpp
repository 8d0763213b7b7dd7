#include "commanagement/com_management.h"

#include <algorithm>
#include <cstring>

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

bool CComManagement::FillPacketToSend() {
    std::lock_guard<std::mutex> lock(RequestLock);
    PacketCount.store(0);
    AssemblePackets(Requests, Packets_, RegisterValues);
    PacketCount.store(Packets_.count);
    return true;
}

bool CComManagement::FillPacketToSendContinuous() {
    std::lock_guard<std::mutex> lock(RequestLock);
    PacketCount.store(0);
    AssembleRepetitivePacket(Requests, Packets_, RegisterValues);
    PacketCount.store(Packets_.count);
    return true;
}

void CComManagement::SetIPAddressText(std::string_view text) {
    const std::size_t n = std::min(text.size(), IPAddressText.size() - 1);
    std::copy_n(text.data(), n, IPAddressText.data());
    IPAddressText[n] = '\0';
}

}  // namespace kravent
