// The little JSON the tool writes: quoted strings and objects built field by field.
#pragma once

#include <string>
#include <string_view>

namespace kravent::cli {

// `text` as a JSON string literal, valid UTF-8 whatever the bytes: UTF-8 characters as
// they are, control characters as \u00XX, and a byte that is not part of a UTF-8
// character as the four characters \xNN (as the tool's text form shows it).
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
