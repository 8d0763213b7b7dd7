// The network scan: one broadcast read of the identity registers, one record per answer.
#pragma once

#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent {

// Answers are collected until the network has been silent for kScanSilenceMs, and
// for kScanLimitMs at the most, so that no peer that keeps answering holds the caller.
inline constexpr std::uint32_t kScanSilenceMs = 200;
inline constexpr std::uint32_t kScanLimitMs = 5000;

// Returns the number of modules that answered with their MAC address (it may exceed
// `capacity`; only the first `capacity` answers are stored). A null array stores none.
std::int32_t ScanNetwork(ModuleScanRecord* records, std::int32_t capacity);

}  // namespace kravent
