#include "bench/library_connection.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "bench/stats.h"

namespace kravent::bench {

namespace {

constexpr auto kConnectTimeout = std::chrono::seconds(10);

std::atomic<DataHandler> gHandler{nullptr};
std::mutex gStateMutex;
std::condition_variable gStateChanged;
int gLastEvent = -1;

void VORN_KRAVENT_CALL OnData(RegisterValues* values, ComID com) {
    if (const DataHandler handler = gHandler.load(std::memory_order_acquire)) handler(values, com);
}

void VORN_KRAVENT_CALL OnEvent(std::int32_t event, ComID) {
    std::lock_guard lock(gStateMutex);
    gLastEvent = event;
    gStateChanged.notify_all();
}

}  // namespace

bool LibraryConnection::Open(DataHandler handler, std::string& error, std::int64_t* callReturnedNs) {
    Close();
    {
        std::lock_guard lock(gStateMutex);
        gLastEvent = -1;
    }
    gHandler.store(handler, std::memory_order_release);
    if (!Library().OpenConnection_MAINPORT(kModuleAddress, OnData, OnEvent, &com_)) {
        error = "open failed: " + Library().LastError();
        return false;
    }
    if (callReturnedNs != nullptr) *callReturnedNs = NowNs();
    std::unique_lock lock(gStateMutex);
    if (!gStateChanged.wait_for(lock, kConnectTimeout, [] { return gLastEvent >= 0; }) ||
        gLastEvent != VORN_KRAVENT_STATE_CONNECTED) {
        error = "no connection (event " + std::to_string(gLastEvent) + ")";
        lock.unlock();
        Close();
        return false;
    }
    return true;
}

void LibraryConnection::Close() {
    if (com_ != nullptr) Library().CloseConnection(&com_);
    com_ = nullptr;
    gHandler.store(nullptr, std::memory_order_release);
}

}  // namespace kravent::bench
