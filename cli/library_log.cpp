#include "cli/library_log.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "hostos/hostos.h"

namespace kravent::cli {

namespace {

constexpr char kLogFileName[] = "Error_Vorn-KRAVENT_DLLInterface.log";
constexpr std::string_view kRecordEnd = "\r\n\r\n";

std::uintmax_t FileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// A record is "date\ttime\tIP field\tmessage"; the file's two header lines are not.
bool TakeMessage(std::string_view record, std::string& message) {
    if (record.starts_with("Error Log File for") || record.starts_with("Date\t\tHour")) return false;
    std::size_t at = 0;
    for (int field = 0; field < 3; ++field) {
        at = record.find('\t', at);
        if (at == std::string_view::npos) return false;
        ++at;
    }
    message.assign(record.substr(at));
    return true;
}

}  // namespace

std::string LibraryLogPath() {
    const std::string directory = hostos::LibraryLogDirectory();
    return directory.empty() ? directory : directory + kLogFileName;
}

LibraryLogWatch::LibraryLogWatch() : path_(LibraryLogPath()), start_(FileSize(path_)) {}

std::vector<std::string> LibraryLogWatch::NewMessages() const {
    std::vector<std::string> messages;
    if (path_.empty() || FileSize(path_) <= start_) return messages;
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(start_));
    const std::string added{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string message;
    for (std::size_t at = 0; at < added.size();) {
        std::size_t end = added.find(kRecordEnd, at);
        if (end == std::string::npos) end = added.size();
        if (TakeMessage(std::string_view(added).substr(at, end - at), message)) messages.push_back(message);
        at = end + kRecordEnd.size();
    }
    return messages;
}

std::string WithoutReporter(const std::string& message) {
    const std::size_t tab = message.rfind("\t(");
    return tab == std::string::npos ? message : message.substr(0, tab);
}

}  // namespace kravent::cli
