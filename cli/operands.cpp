#include "cli/operands.h"

#include <algorithm>

#include "cli/register_catalogue.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {
std::string PollableNames() {
    std::string names;
    for (const RegisterInfo& r : kRegisters)
        if (r.repetitive) names += (names.empty() ? "" : ", ") + std::string(r.name);
    return names;
}
}  // namespace

bool ResolveRegisters(const std::vector<std::string>& names, RegisterUse use, std::vector<std::size_t>& out,
                      std::string& error) {
    out.clear();
    if (names.empty()) {
        error = "name at least one register";
        return false;
    }
    for (const std::string& name : names) {
        const auto index = FindRegister(name);
        if (!index) {
            error = "unknown register " + name + " (kravent help registers lists them)";
            return false;
        }
        const RegisterInfo& r = Register(*index);
        if (use == RegisterUse::kRead && !r.readable) {
            error = std::string(r.name) + " cannot be read";
            return false;
        }
        if (use == RegisterUse::kPoll && !r.repetitive) {
            error = std::string(r.name) + " cannot be polled; pollable: " + PollableNames();
            return false;
        }
        if (std::find(out.begin(), out.end(), *index) == out.end()) out.push_back(*index);  // asked once
    }
    return true;
}

bool ParseAssignments(const std::vector<std::string>& operands, std::vector<Assignment>& out, std::string& error) {
    out.clear();
    if (operands.empty()) {
        error = "name at least one REGISTER=VALUE";
        return false;
    }
    for (const std::string& operand : operands) {
        const std::size_t eq = operand.find('=');
        if (eq == std::string::npos) {
            error = operand + ": expected REGISTER=VALUE";
            return false;
        }
        const std::string name = operand.substr(0, eq);
        const std::string text = operand.substr(eq + 1);
        const auto index = FindRegister(name);
        if (!index) {
            error = "unknown register " + name + " (kravent help registers lists them)";
            return false;
        }
        const RegisterInfo& r = Register(*index);
        if (r.write == Write::Command) {
            error = std::string(r.name) + " is a command: kravent run IP " + std::string(r.name);
            return false;
        }
        if (r.write == Write::No || r.name == "WARNINGS") {
            error = std::string(r.name) + " cannot be written" +
                    (r.name == "WARNINGS" ? std::string(" (kravent run IP reset-warnings clears it)") : std::string());
            return false;
        }
        ParsedValue parsed = ParseValue(*index, text);
        if (!parsed.value) {
            error = std::string(r.name) + "=" + text + ": " + parsed.error;
            return false;
        }
        for (const Assignment& earlier : out)
            if (earlier.index == *index) {
                error = std::string(r.name) + " is assigned twice";
                return false;
            }
        out.push_back({*index, *parsed.value, text});
    }
    return true;
}

}  // namespace kravent::cli
