// Register operands of the command line: names, and NAME=VALUE assignments parsed
// in the register's form.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/host_value.h"

namespace kravent::cli {

struct Assignment {
    std::size_t index;
    HostValue value;
    std::string text;  // the value as typed
};

enum class RegisterUse { kRead, kPoll };

// Names in any case, each taken once; false with `error` for an unknown name, or one
// that cannot be read (kRead) or polled (kPoll).
bool ResolveRegisters(const std::vector<std::string>& names, RegisterUse use, std::vector<std::size_t>& out,
                      std::string& error);
// Writable registers with a value (WARNINGS and commands have their own commands),
// each at most once; values in their register's form and range.
bool ParseAssignments(const std::vector<std::string>& operands, std::vector<Assignment>& out, std::string& error);

}  // namespace kravent::cli
