// The library's register functions, chosen by register: each call only records a
// request on the connection; Vorn_KRAVENT_SendData_MAINPORT sends what is recorded.
#pragma once

#include <cstddef>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "cli/host_value.h"

namespace kravent::cli {

// Flags register `index` (readable) for the next request, or for every poll when
// `repetitive` (pollable registers only).
bool RequestRead(std::size_t index, bool repetitive, ComID com);
// Records a write of `value` to register `index` (writable, not WARNINGS), or runs
// the command. The library checks the value; false leaves its message as last error.
bool RequestWrite(std::size_t index, const HostValue& value, ComID com);

}  // namespace kravent::cli
