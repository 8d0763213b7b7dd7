// The registers as the tool names and shows them: the names, bit names, ranges and
// units of the value-text codec (protocol/text/register_forms.h), and the tool's help.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/register_layout.h"
#include "protocol/register_map.h"
#include "protocol/text/register_forms.h"

namespace kravent::cli {

using text::BitByName;
using text::BitName;
using text::EqualIgnoringCase;
using text::FindRegister;
using text::FormHelp;
using text::IntegerRange;
using text::RangeHelp;
using text::UnitOf;
using text::WritableRange;

inline const RegisterInfo& Register(std::size_t index) { return kRegisters[index]; }

// The register list of --help: name, access (read, poll, write, command) and form.
std::string RegistersHelp();

// The commands of `kravent run`: the command registers and reset-warnings.
inline constexpr std::string_view kRunCommands =
    "RESETCPU, SAVEUSERPARAMETERS, RESTOREUSERPARAMETERS, RESTOREFACTORYPARAMETERS, SAVEFACTORYPARAMETERS, HOMING, "
    "STOPHOMING or reset-warnings (any case)";

}  // namespace kravent::cli
