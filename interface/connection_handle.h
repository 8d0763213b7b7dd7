// The one place where an exported function turns the host's ComID into its connection.
#pragma once

#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "commanagement/com_management.h"
#include "interface/failure.h"

namespace kravent {

// The connection behind `com`, or null after the null-handle failure of `functionName`
// has been reported (with the address text "0").
inline CComManagement* ConnectionFromHandle(ComID com, std::string_view functionName) {
    if (com == nullptr) {
        ReportNullComId(functionName);
        return nullptr;
    }
    return static_cast<CComManagement*>(com);
}

}  // namespace kravent
