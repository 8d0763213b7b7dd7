#include "cli/json.h"

#include <cstdio>

#include "protocol/text/text_escape.h"

namespace kravent::cli {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        char escaped[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else if (const std::size_t length = text::Utf8CharacterLength(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else if (byte < 0x80) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            std::snprintf(escaped, sizeof escaped, "\\\\x%02x", byte);  // not UTF-8: the four characters \xNN
            out += escaped;
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view jsonValue) {
    if (body_.size() > 1) body_ += ',';
    body_ += JsonString(key);
    body_ += ':';
    body_ += jsonValue;
    return *this;
}

}  // namespace kravent::cli
