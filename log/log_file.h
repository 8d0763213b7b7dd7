// The error log file itself: each call appends in one write (records of processes that
// write at once stay whole), the header goes first whenever the file is empty, and a file
// that would grow past kLogFileLimit is first moved to its name with kOldLogSuffix, which
// keeps one older generation.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kravent {

inline constexpr std::size_t kLogFileLimit = 8 * 1024 * 1024;
inline constexpr std::string_view kOldLogSuffix = ".1";

inline constexpr std::string_view kLogFileHeader =
    "Error Log File for the \"Vorn-KRAVENT_DLLInterface.dll\"\t\t"
    "Vorn KRAVENT DC-motor module interface\r\n\r\n"
    "Date\t\tHour\t\tIP Address\tError description\r\n\r\n";

// Appends `records` to the log at `path`; false with the system's reason in `failure`
// when the file cannot be opened or written.
bool AppendToLogFile(const std::string& path, std::string_view records, std::string& failure);

}  // namespace kravent
