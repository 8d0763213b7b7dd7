#include "cli/tune/gain_set.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "cli/register_catalogue.h"
#include "cli/tune/gain_form.h"
#include "cli/value_format.h"

namespace kravent::cli::tune {

namespace {

bool IsGain(std::string_view name) {
    for (const std::string_view g : kGainRegisters)
        if (g == name) return true;
    return false;
}

// A value as JSON: a number when its text reads as one exactly, else the text.
nlohmann::json ValueJson(const std::string& text) {
    try {
        std::size_t used = 0;
        const double number = std::stod(text, &used);
        if (used == text.size() && std::isfinite(number)) {
            if (number == std::floor(number) && std::fabs(number) < 9e15) return static_cast<long long>(number);
            return nlohmann::json::parse(text);  // keeps the shortest text of the float
        }
    } catch (const std::exception&) {
    }
    return text;
}

std::string ValueText(const nlohmann::json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_integer()) return std::to_string(value.get<long long>());
    return value.dump();  // a real: its shortest text
}

}  // namespace

nlohmann::json GainSetJson(const GainSet& set) {
    nlohmann::json gains = nlohmann::json::object();
    nlohmann::json profile = nlohmann::json::object();
    for (const auto& [name, text] : set.values) (IsGain(name) ? gains : profile)[name] = ValueJson(text);
    return {{"name", set.name},
            {"time", set.time},
            {"module", {{"mac", set.mac}, {"name", set.moduleName}, {"ip", set.ip}}},
            {"gains", gains},
            {"profile", profile}};
}

bool ParseGainSet(const nlohmann::json& json, GainSet& set, std::string& error) {
    set = GainSet{};
    if (!json.is_object()) {
        error = "a gain set is a JSON object";
        return false;
    }
    const auto text = [&](const nlohmann::json& object, const char* key) {
        return object.is_object() && object.contains(key) && object[key].is_string() ? object[key].get<std::string>()
                                                                                     : std::string();
    };
    set.name = text(json, "name");
    set.time = text(json, "time");
    if (json.contains("module")) {
        set.mac = text(json["module"], "mac");
        set.moduleName = text(json["module"], "name");
        set.ip = text(json["module"], "ip");
    }
    for (const char* group : {"gains", "profile"}) {
        if (!json.contains(group)) continue;
        if (!json[group].is_object()) {
            error = std::string("\"") + group + "\" is not an object";
            return false;
        }
        for (const auto& [name, value] : json[group].items()) {
            if (!value.is_number() && !value.is_string()) {
                error = name + " is neither a number nor a text";
                return false;
            }
            const auto index = FindRegister(name);
            set.values[index ? std::string(Register(*index).name) : name] = ValueText(value);
        }
    }
    if (set.values.empty()) {
        error = "the set holds no gains and no profile";
        return false;
    }
    return true;
}

std::string UtcNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss clock{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
    return text;
}

}  // namespace kravent::cli::tune
