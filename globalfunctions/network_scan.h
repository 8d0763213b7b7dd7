// The network scan: one broadcast read of the identity registers, one record per answer.
#pragma once

#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent {

// Returns the number of modules that answered with their MAC address (it may exceed
// `capacity`; only the first `capacity` answers are stored). A null array stores none.
std::int32_t ScanNetwork(ModuleScanRecord* records, std::int32_t capacity);

}  // namespace kravent
