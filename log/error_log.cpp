// The error log file beside the library, shared by every process that loads it, and
// the library-wide last-error text.
#include "log/error_log.h"

#include <mutex>
#include <string>
#include <vector>

#include "log/host_buffer.h"
#include "log/log_file.h"
#include "log/log_lock.h"
#include "log/record_limiter.h"
#include "platform/platform.h"

namespace kravent {
namespace {

constexpr std::size_t kModulePathCapacity = 500;
constexpr std::string_view kLogFileName = "Error_Vorn-KRAVENT_DLLInterface.log";

constexpr char kWarningCaption[] = "Vorn-KRAVENT_DLLInterface.dll";
constexpr char kModulePathWarning[] = "Unable to get entire module path of the DLL";

constexpr std::size_t kIpFieldWidth = 15;
constexpr std::string_view kNoAddressField = "None           \t";
constexpr std::string_view kRecordEnd = "\r\n\r\n";

// `LastErrorText` has a lock of its own, so that a reader copies one whole message while
// writers replace it.
class LastErrorText {
public:
    void Set(std::string_view message) {
        std::lock_guard guard(lock_);
        text_.assign(message);
    }
    void CopyTo(char* buffer, std::int32_t* length) {
        std::lock_guard guard(lock_);
        CopyToHostBuffer(text_, buffer, length);
    }

private:
    std::mutex lock_;
    std::string text_{"No Error"};
};

LastErrorText& TheLastErrorText() {
    static LastErrorText lastErrorText;
    return lastErrorText;
}

// The log's full path: the platform's log directory for the library at `modulePath`,
// and the log's file name.
std::string LogFilePath(std::string_view modulePath) {
    const std::size_t separator = modulePath.rfind(platform::kPathSeparator);
    std::string directory;
    if (separator != std::string_view::npos) directory.assign(modulePath.substr(0, separator + 1));
    return platform::LogDirectory(directory) + std::string(kLogFileName);
}

std::string IpField(std::string_view ipText) {
    if (ipText == kNoAddress) return std::string(kNoAddressField);
    std::string field(ipText);
    if (field.size() < kIpFieldWidth) field.append(kIpFieldWidth - field.size(), ' ');
    field += '\t';
    return field;
}

std::string Record(std::string_view message, std::string_view ipText) {
    std::string record = platform::LocalDateText() + '\t' + platform::LocalTimeText() + '\t' + IpField(ipText);
    record.append(message);
    record.append(kRecordEnd);
    return record;
}

// What the user is told about the logger itself; shown once the writer has let go of
// every lock, since a Windows message box blocks its thread until it is closed.
struct UserNotes {
    std::vector<const char*> warnings;
    std::string notice;  // the log cannot be written: told, but no box that stops the host
};

// The writers of this process, one at a time: the lock across processes, the repeat
// limit and the notice of a log that cannot be written.
class LogWriter {
public:
    bool Write(std::string_view message, std::string_view ipText, UserNotes& notes) {
        std::lock_guard guard(writers_);
        std::vector<LeftOutRecords> leftOut;
        const bool admitted = limiter_.Admit(message, ipText, platform::SteadyMilliseconds(), leftOut);
        std::string records;
        for (const LeftOutRecords& ended : leftOut) records += Record(LeftOutMessage(ended), ended.ipText);
        if (admitted) records += Record(message, ipText);
        if (records.empty()) return true;  // counted; reported when its window ends

        char modulePath[kModulePathCapacity];
        const std::size_t pathLength =
            platform::ModulePath(platform::kLibraryFileName, modulePath, kModulePathCapacity);
        if (pathLength == 0 || pathLength >= kModulePathCapacity) {
            notes.warnings.push_back(kModulePathWarning);
            return false;
        }
        const std::string path = LogFilePath(std::string_view(modulePath, pathLength));

        const LogLock::Outcome locked = fileLock_.Acquire(notes.warnings);
        if (locked == LogLock::Outcome::Abandoned) {
            fileLock_.Release();
            return false;
        }
        std::string failure;
        const bool written = AppendToLogFile(path, records, failure);
        if (locked == LogLock::Outcome::Held) fileLock_.Release();
        if (!written && !unwritableNoticed_) {
            unwritableNoticed_ = true;
            notes.notice = "Unable to write the Error log file " + path + " (" + failure + ")";
        }
        return written;
    }

private:
    std::mutex writers_;
    LogLock fileLock_;
    RecordLimiter limiter_;
    bool unwritableNoticed_ = false;
};

LogWriter& TheLogWriter() {
    static LogWriter writer;
    return writer;
}

}  // namespace

bool WriteErrorLog(std::string_view message, std::string_view ipText) {
    try {
        // First, so that the host learns of its failure whatever becomes of the record.
        TheLastErrorText().Set(message);
        UserNotes notes;
        const bool written = TheLogWriter().Write(message, ipText, notes);
        for (const char* warning : notes.warnings) platform::ShowWarning(kWarningCaption, warning);
        if (!notes.notice.empty()) platform::ShowNotice(kWarningCaption, notes.notice.c_str());
        return written;
    } catch (...) {
        // Out of memory while logging: nothing may reach the caller, who is failing already.
        return false;
    }
}

void CopyLastErrorText(char* buffer, std::int32_t* length) {
    if (buffer == nullptr || length == nullptr) return;
    TheLastErrorText().CopyTo(buffer, length);
}

}  // namespace kravent
