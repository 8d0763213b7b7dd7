#include "commanagement/com_management.h"

#include <algorithm>
#include <cstring>

namespace kravent {

void CComManagement::RequestRead(int readIndex) {
    std::lock_guard<std::mutex> lock(RequestLock);
    ReadFlag[static_cast<std::size_t>(readIndex)].store(true, std::memory_order_relaxed);
    ReadRequest.store(true, std::memory_order_relaxed);
}

void CComManagement::RequestRepetitive(int repetitiveIndex) {
    std::lock_guard<std::mutex> lock(RequestLock);
    RepetitiveFlag[static_cast<std::size_t>(repetitiveIndex)].store(true, std::memory_order_relaxed);
    RepetitiveRequest.store(true, std::memory_order_relaxed);
}

void CComManagement::RequestWrite(int writeIndex, const void* value, std::size_t size) {
    const auto k = static_cast<std::size_t>(writeIndex);
    const int slot = kWriteAreaLayout.slot[k];
    std::lock_guard<std::mutex> lock(RequestLock);
    if (slot != kAbsent && size == wire::HostSize(kRegisters[kWriteList[k]].encoding))
        std::memcpy(WriteValue + slot, value, size);
    WriteFlag[k].store(true, std::memory_order_relaxed);
    WriteRequest.store(true, std::memory_order_relaxed);
}

void CComManagement::RequestAllReads() {
    std::lock_guard<std::mutex> lock(RequestLock);
    for (auto& flag : ReadFlag) flag.store(true, std::memory_order_relaxed);
    ReadRequest.store(true, std::memory_order_relaxed);
}

void CComManagement::ClearAllReads() {
    std::lock_guard<std::mutex> lock(RequestLock);
    for (auto& flag : ReadFlag) flag.store(false, std::memory_order_relaxed);
    ReadRequest.store(false, std::memory_order_relaxed);
}

void CComManagement::ClearRepetitive() {
    std::lock_guard<std::mutex> lock(RequestLock);
    for (auto& flag : RepetitiveFlag) flag.store(false, std::memory_order_relaxed);
    RepetitiveRequest.store(false, std::memory_order_relaxed);
}

void CComManagement::SetIPAddressText(std::string_view text) {
    const std::size_t n = std::min(text.size(), IPAddressText.size() - 1);
    std::copy_n(text.data(), n, IPAddressText.data());
    IPAddressText[n] = '\0';
}

}  // namespace kravent
