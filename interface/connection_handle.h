// The one place where an exported function turns the host's ComID into its connection.
#pragma once

#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "connection/com_management.h"
#include "interface/connection_registry.h"
#include "interface/failure.h"

namespace kravent {

// The connection behind `com` while the library holds it, or none after the null-handle
// failure of `functionName` has been reported (with the address text "0"): a ComID that
// was closed or never opened is refused like a null one. Keep the result only for the
// function's short body.
[[nodiscard]] inline ConnectionRef ConnectionFromHandle(ComID com, std::string_view functionName) {
    ConnectionRef connection = FindConnection(com);
    if (connection == nullptr) ReportNullComId(functionName);
    return connection;
}

}  // namespace kravent
