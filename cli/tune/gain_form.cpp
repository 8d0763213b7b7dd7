#include "cli/tune/gain_form.h"

#include "cli/register_catalogue.h"
#include "cli/value_format.h"

namespace kravent::cli::tune {

std::vector<std::size_t> FormRegisters() {
    std::vector<std::size_t> out;
    for (const std::string_view name : kGainRegisters) out.push_back(*FindRegister(name));
    for (const std::string_view name : kProfileRegisters) out.push_back(*FindRegister(name));
    return out;
}

CheckedForm CheckForm(const std::map<std::string, std::string>& typed) {
    CheckedForm out;
    const std::vector<std::size_t> form = FormRegisters();
    for (const auto& [name, text] : typed) {
        const auto index = FindRegister(name);
        if (!index || std::find(form.begin(), form.end(), *index) == form.end()) {
            out.errors[name] = "not a register of the form";
            continue;
        }
        const std::string canonical(Register(*index).name);
        const ParsedValue parsed = ParseValue(*index, text);
        if (!parsed.value) {
            out.errors[canonical] = parsed.error;
            continue;
        }
        const HostValue sent = AsSent(*index, *parsed.value);
        out.writes.emplace_back(*index, sent);
        out.asSent[canonical] = FormatText(*index, sent);
    }
    if (!out.errors.empty()) out.writes.clear();
    return out;
}

nlohmann::json FormDescription() {
    nlohmann::json list = nlohmann::json::array();
    for (const std::size_t index : FormRegisters()) {
        const RegisterInfo& r = Register(index);
        nlohmann::json entry{{"name", r.name}, {"unit", UnitOf(index)}, {"range", RangeHelp(index)}};
        if (r.encoding == Encoding::Fixed16_16) {
            entry["kind"] = "real";
            entry["min"] = text::kFixedMin;
            entry["max"] = text::kFixedMax;
        } else {
            const IntegerRange range = WritableRange(index);
            entry["kind"] = "integer";
            entry["min"] = range.min;
            entry["max"] = range.max;
        }
        entry["group"] = std::find(std::begin(kGainRegisters), std::end(kGainRegisters), r.name) != std::end(kGainRegisters)
                             ? "gains"
                             : "profile";
        list.push_back(entry);
    }
    return list;
}

}  // namespace kravent::cli::tune
