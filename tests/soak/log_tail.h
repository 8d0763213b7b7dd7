// Follows the error log file while it grows and counts its records by address and
// message, with the repeats that the log left out and reported in a record of their
// count. Records end with "\r\n\r\n" (a message may hold a single "\r\n").
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace kravent::testing {

struct LogRecord {
    std::string ip;  // the IP column without its padding ("None" for no address)
    std::string message;
};

class LogTail {
public:
    using Listener = std::function<void(const LogRecord&)>;

    LogTail(std::filesystem::path path, Listener listener) : path_(std::move(path)), listener_(std::move(listener)) {}

    // Reads what was appended since the last call; calls the listener per new record.
    void Poll();

    std::size_t Count(const std::string& ip, const std::string& message) const;
    std::size_t CountMessage(const std::string& message) const;
    // Every (ip, message) seen, with its count.
    std::map<std::pair<std::string, std::string>, std::size_t> Counts() const;

private:
    void Take(const std::string& record);

    std::filesystem::path path_;
    Listener listener_;
    std::size_t offset_ = 0;
    std::string partial_;
    bool headerSeen_ = false;
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, std::size_t> counts_;
};

}  // namespace kravent::testing
