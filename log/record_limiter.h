// Keeps one failure that repeats from filling the error log: the same message with the
// same IP text is written at most kRecordsPerWindow times in a window of kWindowMs that
// opens with its first record; the rest are only counted, and once the window has ended
// one record says how many were left out. Pure code: the caller passes the time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kravent {

// The records of one message and IP text that a window left out.
struct LeftOutRecords {
    std::string message;
    std::string ipText;
    std::uint64_t count = 0;
};

class RecordLimiter {
public:
    static constexpr std::uint32_t kRecordsPerWindow = 10;
    static constexpr std::uint64_t kWindowMs = 1000;
    // Windows open at once; a record beyond them is written untracked (the file's size
    // bound still holds), so a flood of distinct messages cannot grow this table.
    static constexpr std::size_t kOpenWindows = 256;

    // True when the record (`message`, `ipText`) logged at `nowMs` is to be written.
    // Appends to `ended` what each window that has ended by `nowMs` left out, oldest
    // first, before the record itself is counted.
    bool Admit(std::string_view message, std::string_view ipText, std::uint64_t nowMs,
               std::vector<LeftOutRecords>& ended);

private:
    struct Window {
        std::string message;
        std::string ipText;
        std::uint64_t startMs = 0;
        std::uint32_t written = 0;
        std::uint64_t leftOut = 0;
    };
    std::vector<Window> windows_;  // in the order they opened
};

// The message of the record that reports `leftOut`.
std::string LeftOutMessage(const LeftOutRecords& leftOut);

}  // namespace kravent
