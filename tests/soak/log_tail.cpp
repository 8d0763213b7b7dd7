#include "tests/soak/log_tail.h"

#include <fstream>
#include <string_view>

namespace kravent::testing {

namespace {
constexpr std::string_view kRecordEnd = "\r\n\r\n";

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// The record by which the log reports repeats it left out: `Repeated N more times within
// 1 s, left out: "MESSAGE"\t(WriteErrorLog)`. True with MESSAGE and N when it is one.
bool TakeLeftOut(const std::string& message, std::string& leftOut, std::size_t& count) {
    constexpr std::string_view kStart = "Repeated ";
    constexpr std::string_view kBefore = " left out: \"";
    constexpr std::string_view kEnd = "\"\t(WriteErrorLog)";
    const std::size_t before = message.find(kBefore);
    if (!message.starts_with(kStart) || !message.ends_with(kEnd) || before == std::string::npos) return false;
    count = std::stoul(message.substr(kStart.size()));
    const std::size_t start = before + kBefore.size();
    leftOut = message.substr(start, message.size() - kEnd.size() - start);
    return true;
}
}  // namespace

void LogTail::Poll() {
    std::ifstream file(path_, std::ios::binary);
    if (!file) return;
    file.seekg(0, std::ios::end);
    const auto size = static_cast<std::size_t>(file.tellg());
    if (size <= offset_) return;
    std::string fresh(size - offset_, '\0');
    file.seekg(static_cast<std::streamoff>(offset_));
    file.read(fresh.data(), static_cast<std::streamsize>(fresh.size()));
    fresh.resize(static_cast<std::size_t>(file.gcount()));
    offset_ += fresh.size();
    partial_ += fresh;

    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find(kRecordEnd, start)) != std::string::npos;
         start = end + kRecordEnd.size()) {
        Take(partial_.substr(start, end - start));
    }
    partial_.erase(0, start);
}

void LogTail::Take(const std::string& record) {
    // The file begins with a title line and a column line, each followed by an empty line.
    if (!headerSeen_) {
        if (record.rfind("Date\t", 0) == 0) headerSeen_ = true;
        return;
    }
    // date \t time \t ip-field \t message
    std::size_t at = 0;
    for (int field = 0; field < 2 && at != std::string::npos; ++field) at = record.find('\t', at) + 1;
    const std::size_t ipEnd = record.find('\t', at);
    LogRecord parsed;
    if (at == 0 || ipEnd == std::string::npos) {
        parsed.message = record;  // not of the record form: counted under an empty address
    } else {
        parsed.ip = TrimRight(record.substr(at, ipEnd - at));
        parsed.message = record.substr(ipEnd + 1);
    }
    std::string leftOut;
    std::size_t leftOutCount = 0;
    if (TakeLeftOut(parsed.message, leftOut, leftOutCount)) {
        std::lock_guard lock(mutex_);
        counts_[{parsed.ip, leftOut}] += leftOutCount;  // counted as if written
        return;
    }
    {
        std::lock_guard lock(mutex_);
        ++counts_[{parsed.ip, parsed.message}];
    }
    if (listener_) listener_(parsed);
}

std::size_t LogTail::Count(const std::string& ip, const std::string& message) const {
    std::lock_guard lock(mutex_);
    const auto it = counts_.find({ip, message});
    return it == counts_.end() ? 0 : it->second;
}

std::size_t LogTail::CountMessage(const std::string& message) const {
    std::lock_guard lock(mutex_);
    std::size_t total = 0;
    for (const auto& [key, count] : counts_)
        if (key.second == message) total += count;
    return total;
}

std::map<std::pair<std::string, std::string>, std::size_t> LogTail::Counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

}  // namespace kravent::testing
