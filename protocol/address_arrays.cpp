#include "protocol/address_arrays.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace kravent {

namespace {
std::int32_t PartValue(std::string_view part) {
    std::int32_t value = -1;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size()) return -1;
    return value;
}
}  // namespace

bool IsByteArrayValid(const std::int32_t* elements, int count) {
    for (int i = 0; i < count; ++i)
        if (elements[i] < 0 || elements[i] > 255) return false;
    return true;
}

std::string IPArrayToText(const std::int32_t* ip) {
    std::string text;
    for (int i = 0; i < kIpAddressBytes; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(ip[i]);
    }
    return text;
}

void IPTextToArray(const char* text, std::int32_t* ip) {
    std::string_view rest(text);
    for (int part = 0;; ++part) {
        const std::size_t dot = rest.find('.');
        if (dot == std::string_view::npos) return;
        if (part <= 2) ip[part] = PartValue(rest.substr(0, dot));
        if (part == 2) ip[3] = PartValue(rest.substr(dot + 1));
        rest.remove_prefix(dot + 1);
    }
}

}  // namespace kravent
