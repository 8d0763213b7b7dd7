// The library's error log as the tool reads it: where the library keeps it, and the
// messages that it appended while the tool ran, which name the cause of a failure
// that the last-error text (the final message) leaves out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kravent::cli {

// Where the loaded library writes its error log: the directory of the library file,
// found as the library finds itself.
std::string LibraryLogPath();

// The messages of the records appended to the log since construction, oldest first.
// The log is shared by every process that uses the library, so records of another
// process writing at the same time come along.
class LibraryLogWatch {
public:
    LibraryLogWatch();
    std::vector<std::string> NewMessages() const;

private:
    std::string path_;
    std::uintmax_t start_ = 0;
};

// `message` without the tab and "(function)" that end every library message.
std::string WithoutReporter(const std::string& message);

}  // namespace kravent::cli
