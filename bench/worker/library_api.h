// The exported functions that the benchmark worker calls, taken from a library file
// loaded at run time, so that one run can measure two builds of the library side by side.
#pragma once

#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent::bench {

struct LibraryApi {
    decltype(&Vorn_KRAVENT_OpenConnection_MAINPORT) open = nullptr;
    decltype(&Vorn_KRAVENT_CloseConnection) close = nullptr;
    decltype(&Vorn_KRAVENT_SendData_MAINPORT) send = nullptr;
    decltype(&Vorn_KRAVENT_RepetitiveAskSetTime) setTime = nullptr;
    decltype(&Vorn_KRAVENT_RepetitiveAskStart) start = nullptr;
    decltype(&Vorn_KRAVENT_RepetitiveAskStop) stop = nullptr;
    decltype(&Vorn_KRAVENT_GetLastError) lastError = nullptr;
    // The 11 reads that can be polled, in the order of the repetitive set.
    decltype(&Vorn_KRAVENT_Read_VOLTAGE) pollable[11] = {};

    // Loads `path`; false with `error` set when it or one of the functions is missing.
    bool Load(const std::string& path, std::string& error);
    std::string LastError() const;
};

// Indices into LibraryApi::pollable.
inline constexpr int kVoltage = 0;
inline constexpr int kPosition = 4;

}  // namespace kravent::bench
