// The page's form of gains and profile: which registers it holds, what each may be
// (the tool's own forms and ranges) and the check of typed values before any is sent.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/host_value.h"

namespace kravent::cli::tune {

inline constexpr std::string_view kGainRegisters[] = {"KP", "KI", "KD", "ANTIRESETWINDUP", "DEADZONE"};
inline constexpr std::string_view kProfileRegisters[] = {"ACCELERATION", "DECELERATION",    "TOPSPEED",
                                                         "CURRENTMAX",   "OUPUTVOLTAGEMAX", "LOOPTIME",
                                                         "REGULATIONMODE"};

// Every register of the form, gains first.
std::vector<std::size_t> FormRegisters();

struct CheckedForm {
    std::vector<std::pair<std::size_t, HostValue>> writes;  // empty when any value was refused
    std::map<std::string, std::string> errors;              // register name: why it was refused
    std::map<std::string, std::string> asSent;              // register name: the value as the module will hold it
};

// Checks each value (register name in any case: text as typed); a register that is not
// in the form is refused too. Nothing is written unless every value passes.
CheckedForm CheckForm(const std::map<std::string, std::string>& typed);

// What the page needs to check a value before it asks: per register its name, unit,
// kind ("real" or "integer"), least and greatest value, and the help of its range.
nlohmann::json FormDescription();

}  // namespace kravent::cli::tune
