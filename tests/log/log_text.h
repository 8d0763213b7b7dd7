// Reading log text in tests: dates and times change from run to run, the rest not.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace kravent::testing {

// True when `text` has the form of `pattern`, where '9' stands for any digit.
inline bool HasForm(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

// `log` with the date and time that begin every record replaced by "D\tT\t".
inline std::string WithoutTimes(std::string_view log) {
    constexpr std::string_view recordStart = "99/99/9999\t99:99:99\t";
    std::string result;
    std::size_t i = 0;
    while (i < log.size()) {
        if (HasForm(log.substr(i, recordStart.size()), recordStart)) {
            result += "D\tT\t";
            i += recordStart.size();
        } else {
            result += log[i++];
        }
    }
    return result;
}

}  // namespace kravent::testing
