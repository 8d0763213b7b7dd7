// The error log file beside the library, shared by every process that loads it, and
// the library-wide last-error text.
#include "log/error_log.h"

#include <memory>
#include <mutex>
#include <string>

#include "log/host_buffer.h"
#include "log/log_file.h"
#include "platform/platform.h"

namespace kravent {
namespace {

constexpr char kLogMutexName[] = "LOG_FILE_VORN_KRAVENT_DLL";
constexpr std::uint32_t kLogMutexWaitMs = 500;
constexpr std::size_t kModulePathCapacity = 500;
constexpr std::string_view kLogFileName = "Error_Vorn-KRAVENT_DLLInterface.log";

constexpr char kWarningCaption[] = "Vorn-KRAVENT_DLLInterface.dll";
constexpr char kMutexCreationWarning[] = "Unable to Create Mutex for Log File writing";
constexpr char kMutexWaitWarning[] = "Unable to write the Error log file (Mutex error)";
constexpr char kModulePathWarning[] = "Unable to get entire module path of the DLL";

constexpr std::size_t kIpFieldWidth = 15;
constexpr std::string_view kNoAddressField = "None           \t";
constexpr std::string_view kRecordEnd = "\r\n\r\n";

// `LastErrorText` has a lock of its own, so that a reader copies one whole message while
// writers replace it; writers replace it only while they hold the log lock as well.
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

// The machine-wide lock of the log file, created on the first call that needs it and
// kept until the library goes away. A failed creation is tried again next time.
platform::NamedMutex* LogMutex() {
    static std::mutex creation;
    static std::unique_ptr<platform::NamedMutex> logMutex;
    std::lock_guard guard(creation);
    if (logMutex == nullptr) {
        auto created = std::make_unique<platform::NamedMutex>();
        if (!created->Create(kLogMutexName)) return nullptr;
        logMutex = std::move(created);
    }
    return logMutex.get();
}

class HeldLock {
public:
    explicit HeldLock(platform::NamedMutex& mutex) : mutex_(mutex) {}
    ~HeldLock() { mutex_.Unlock(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    platform::NamedMutex& mutex_;
};

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

// Called with the log lock held.
bool AppendRecord(std::string_view message, std::string_view ipText) {
    char modulePath[kModulePathCapacity];
    const std::size_t pathLength =
        platform::ModulePath(platform::kLibraryFileName, modulePath, kModulePathCapacity);
    if (pathLength == 0 || pathLength >= kModulePathCapacity) {
        platform::ShowWarning(kWarningCaption, kModulePathWarning);
        return false;
    }
    const std::string path = LogFilePath(std::string_view(modulePath, pathLength));
    std::string record = platform::LocalDateText() + '\t' + platform::LocalTimeText() + '\t' + IpField(ipText);
    record.append(message);
    record.append(kRecordEnd);
    std::string failure;
    if (AppendToLogFile(path, record, failure)) return true;
    // Once per process: a log that cannot be written stays so for a while, and the host
    // goes on regardless.
    static bool noticed = false;
    if (!noticed) {
        noticed = true;
        platform::ShowNotice(kWarningCaption, ("Unable to write the Error log file " + path + " (" + failure + ")").c_str());
    }
    return false;
}

}  // namespace

bool WriteErrorLog(std::string_view message, std::string_view ipText) {
    try {
        platform::NamedMutex* mutex = LogMutex();
        if (mutex == nullptr) {
            platform::ShowWarning(kWarningCaption, kMutexCreationWarning);
            return false;
        }
        const platform::LockResult locked = mutex->Lock(kLogMutexWaitMs);
        if (locked != platform::LockResult::Acquired) {
            platform::ShowWarning(kWarningCaption, kMutexWaitWarning);
            // A lock whose holder died is handed over owned: give it back.
            if (locked == platform::LockResult::Abandoned) mutex->Unlock();
            return false;
        }
        HeldLock held(*mutex);
        TheLastErrorText().Set(message);
        return AppendRecord(message, ipText);
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
