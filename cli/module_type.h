// The TYPE a module gives in answer to the module test, asked by the tool itself once
// the library has refused a module of another type, so that the failure can name it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kravent::cli {

struct ModuleType {
    std::int32_t high = 0;
    std::int32_t low = 0;
};

// One TYPE request to UDP 7010 of `address` (host byte order), the answer awaited for
// `timeoutMs` at most; nothing when none came.
std::optional<ModuleType> AskModuleType(std::uint32_t address, int timeoutMs);

}  // namespace kravent::cli
