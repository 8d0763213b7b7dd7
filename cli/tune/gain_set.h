// Gain sets as JSON files: a name, when it was taken, the module it came from and the
// values of the form's registers, grouped as gains and profile:
//   {"name":"stiff","time":"2026-12-09T08:12:00Z","module":{"mac":"02:4b:...","name":"AXIS-1",
//    "ip":"10.77.0.2"},"gains":{"KP":1.5,...},"profile":{"ACCELERATION":20000,...}}
#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace kravent::cli::tune {

struct GainSet {
    std::string name;
    std::string time;  // UTC, ISO 8601
    std::string mac;
    std::string moduleName;
    std::string ip;
    std::map<std::string, std::string> values;  // register name: value text
};

nlohmann::json GainSetJson(const GainSet& set);
// The set of a file's JSON; false with `error` when it is not one (its values are
// checked separately, by CheckForm).
bool ParseGainSet(const nlohmann::json& json, GainSet& set, std::string& error);
// Now, as GainSet::time shows it.
std::string UtcNow();

}  // namespace kravent::cli::tune
