#include "log/log_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace kravent {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string SystemReason(int error) { return std::error_code(error, std::generic_category()).message(); }

// Opens for appending, never truncating, and unbuffered, so that one fwrite is one write
// of the system. `size` is where the file ends, -1 when that cannot be told.
File OpenForAppend(const std::string& path, long& size) {
    File file(std::fopen(path.c_str(), "ab"));
    if (file == nullptr || std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0) return nullptr;
    size = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
    return file;
}

// Makes room: the full log becomes the old generation, replacing the one before.
void MoveAside(const std::string& path) {
    const std::string old = path + std::string(kOldLogSuffix);
    std::remove(old.c_str());  // rename does not replace a file everywhere
    std::rename(path.c_str(), old.c_str());
}

}  // namespace

bool AppendToLogFile(const std::string& path, std::string_view records, std::string& failure) {
    long size = 0;
    File file = OpenForAppend(path, size);
    const auto wouldOverflow = [&] {
        return size != 0 && (size < 0 || static_cast<std::size_t>(size) + records.size() > kLogFileLimit);
    };
    if (file != nullptr && wouldOverflow()) {
        file.reset();
        MoveAside(path);
        file = OpenForAppend(path, size);  // a move that failed leaves the file as it was
    }
    if (file == nullptr) {
        failure = SystemReason(errno);
        return false;
    }

    std::string block;
    if (size == 0) block.assign(kLogFileHeader);  // new, or emptied: by a full disk, by hand
    block.append(records);
    if (std::fwrite(block.data(), 1, block.size(), file.get()) != block.size()) {
        failure = SystemReason(errno);
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        failure = SystemReason(errno);
        return false;
    }
    return true;
}

}  // namespace kravent
