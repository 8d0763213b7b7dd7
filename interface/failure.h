// The failure path shared by every exported function, and the guard that keeps
// exceptions inside the library.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>
#include <type_traits>

#include "log/error_log.h"

namespace kravent {

// Logs `message` with `ipText` (the connection's address, or kNoAddress) and makes it
// the last error; the function then fails, whether or not the logger could write.
inline bool ReportFailure(std::string_view message, std::string_view ipText) {
    WriteErrorLog(message, ipText);
    return false;
}

inline constexpr std::string_view kNullComIdPrefix =
    "Pointer on ethernet communication not valid. ComID = NULL\t(";

// Reports the null ComID handed to `functionName`. The message is built in a fixed
// buffer: no allocation for a call that was refused.
inline bool ReportNullComId(std::string_view functionName) {
    std::array<char, 192> message;
    const std::size_t nameLength =
        std::min(functionName.size(), message.size() - kNullComIdPrefix.size() - 1);
    char* end = std::copy(kNullComIdPrefix.begin(), kNullComIdPrefix.end(), message.begin());
    end = std::copy_n(functionName.begin(), nameLength, end);
    *end++ = ')';
    return ReportFailure(std::string_view(message.data(), static_cast<std::size_t>(end - message.data())),
                         kNoAddress);
}

// Runs the body of an exported function so that no exception reaches the host: one
// that escapes the body makes the function return `onException`.
template <typename Result, typename Body>
Result CallGuarded(Result onException, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onException;
    }
}

template <typename Body>
void CallGuarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace kravent
