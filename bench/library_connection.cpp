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
    if (!Vorn_KRAVENT_OpenConnection_MAINPORT(kModuleAddress, OnData, OnEvent, &com_)) {
        error = "open failed: " + LastLibraryError();
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
    if (com_ != nullptr) Vorn_KRAVENT_CloseConnection(&com_);
    com_ = nullptr;
    gHandler.store(nullptr, std::memory_order_release);
}

std::string LastLibraryError() {
    char text[512];
    std::int32_t length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    if (length < 0 || length > static_cast<std::int32_t>(sizeof text)) return "(no last error)";
    return std::string(text, static_cast<std::size_t>(length));
}

bool FlagPollableReads(bool repetitive, ComID com) {
    return Vorn_KRAVENT_Read_VOLTAGE(repetitive, com) && Vorn_KRAVENT_Read_WARNINGS(repetitive, com) &&
           Vorn_KRAVENT_Read_REGULATIONMODE(repetitive, com) && Vorn_KRAVENT_Read_INPUT(repetitive, com) &&
           Vorn_KRAVENT_Read_POSITION(repetitive, com) && Vorn_KRAVENT_Read_SPEED(repetitive, com) &&
           Vorn_KRAVENT_Read_DESIRED(repetitive, com) && Vorn_KRAVENT_Read_FEEDBACK(repetitive, com) &&
           Vorn_KRAVENT_Read_COMMAND(repetitive, com) && Vorn_KRAVENT_Read_INTEGRALDELTA(repetitive, com) &&
           Vorn_KRAVENT_Read_DERIVATIONOFDELTA(repetitive, com);
}

}  // namespace kravent::bench
