// The little JSON the tool writes: quoted strings and objects built field by field.
#pragma once

#include <string>
#include <string_view>

namespace kravent::cli {

// `text` as a JSON string literal; bytes outside printable ASCII become \u00XX.
std::string JsonString(std::string_view text);

// {"key":value,...}: values are JSON texts already (numbers, strings, objects).
class JsonObject {
public:
    JsonObject& Add(std::string_view key, std::string_view jsonValue);
    JsonObject& AddString(std::string_view key, std::string_view text) { return Add(key, JsonString(text)); }
    JsonObject& AddNumber(std::string_view key, long long number) { return Add(key, std::to_string(number)); }
    JsonObject& AddBool(std::string_view key, bool value) { return Add(key, value ? "true" : "false"); }
    std::string Text() const { return body_ + "}"; }

private:
    std::string body_ = "{";
};

}  // namespace kravent::cli
