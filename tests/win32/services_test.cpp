// Named mutex, module path, date and time texts, and the built DLL's exports.
#include <cctype>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"
#include "tests/win32/harness.h"

using namespace kravent::platform;
using namespace kravent::wintest;

namespace {

constexpr char kMutexName[] = "KRAVENT_WIN32_TEST_MUTEX";

// Takes the mutex on a thread of its own and ends without releasing it.
class Abandoner : public Thread {
public:
    Abandoner() { Create(false); }
    ~Abandoner() override { Stop(); }
    Event locked{false};

protected:
    void Execute() override {
        NamedMutex mutex;
        if (mutex.Create(kMutexName) && mutex.Lock(5000) == LockResult::Acquired) locked.Set();
    }
};

class Locker : public Thread {
public:
    Locker() { Create(false); }
    ~Locker() override { Stop(); }
    std::atomic<LockResult> result{LockResult::Failed};
    Event done{false};

protected:
    void Execute() override {
        NamedMutex mutex;
        mutex.Create(kMutexName);
        result = mutex.Lock(100);
        if (result == LockResult::Acquired) mutex.Unlock();
        done.Set();
    }
};

bool EndsWith(const char* text, std::size_t length, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return length >= n && _strnicmp(text + length - n, tail, n) == 0;
}

bool HasDigit(const std::string& text) {
    for (const char c : text)
        if (std::isdigit(static_cast<unsigned char>(c))) return true;
    return false;
}

// A Unix path given on the command line, as wine's Z: drive shows it.
std::string WindowsPath(const char* path) {
    std::string result = path[0] == '/' ? std::string("Z:") + path : path;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

}  // namespace

KRAVENT_CASE(NamedMutexExcludesOtherHoldersAndReportsAbandonment) {
    NamedMutex mutex;
    CHECK(mutex.Lock(0) == LockResult::Failed);  // not created yet
    CHECK(mutex.Create(kMutexName));
    CHECK(mutex.Lock(500) == LockResult::Acquired);
    {
        Locker other;
        CHECK(other.done.Wait(10000) == WaitResult::Signaled);
        CHECK(other.result == LockResult::Timeout);
    }
    mutex.Unlock();
    {
        Locker other;
        CHECK(other.done.Wait(10000) == WaitResult::Signaled);
        CHECK(other.result == LockResult::Acquired);
    }
    {
        Abandoner dying;
        CHECK(dying.locked.Wait(10000) == WaitResult::Signaled);
    }  // its thread has ended while owning the mutex
    CHECK(mutex.Lock(500) == LockResult::Abandoned);
    mutex.Unlock();
    CHECK(mutex.Lock(500) == LockResult::Acquired);
    mutex.Unlock();
}

KRAVENT_CASE(ModulePathFindsModulesAndFallsBackToTheProgram) {
    CHECK(std::strcmp(kLibraryFileName, "Vorn-KRAVENT_DLLInterface.dll") == 0);
    CHECK(kPathSeparator == '\\');
    char path[500];
    const std::size_t programLength = ModulePath("no-such-module.dll", path, sizeof path);
    CHECK(programLength > 0 && programLength < sizeof path);
    CHECK(EndsWith(path, programLength, ".exe"));
    const std::size_t kernelLength = ModulePath("kernel32.dll", path, sizeof path);
    CHECK(EndsWith(path, kernelLength, "\\kernel32.dll"));
    char tiny[8];
    CHECK(ModulePath("kernel32.dll", tiny, sizeof tiny) >= sizeof tiny);  // did not fit
    CHECK(ModulePath("kernel32.dll", nullptr, 0) == 0);
}

KRAVENT_CASE(DateAndTimeTextsComeFromTheRegionalSettings) {
    const std::string date = LocalDateText();
    const std::string time = LocalTimeText();
    std::printf("  date \"%s\", time \"%s\"\n", date.c_str(), time.c_str());
    CHECK(HasDigit(date));
    CHECK(HasDigit(time));
    CHECK(date.find('\0') == std::string::npos);
    CHECK(time.find(':') != std::string::npos);
}

// With the built DLL's path as argument: it loads, its exports carry the names hosts
// look up, and the module path finds it by its file name.
KRAVENT_CASE(TheDllExportsItsFunctionsByTheirHostNames) {
    if (ArgumentCount() < 1) {
        std::printf("  skipped: no DLL path given\n");
        return;
    }
    const std::string dllPath = WindowsPath(Argument(0));
    HMODULE dll = LoadLibraryA(dllPath.c_str());
    CHECK(dll != nullptr);
    if (dll == nullptr) return;
    using CopyText = void(__cdecl*)(char*, std::int32_t*);
    auto version = reinterpret_cast<CopyText>(reinterpret_cast<void*>(GetProcAddress(dll, "_Vorn_KRAVENT_VersionDLL")));
    CHECK(version != nullptr);
    if (version != nullptr) {
        char text[100];
        std::memset(text, '#', sizeof text);
        std::int32_t length = sizeof text;
        version(text, &length);
        CHECK(length == 41);
        CHECK(std::memcmp(text, "Vorn-KRAVENT_DLLInterface_v1.00.00_140807", 41) == 0);
        CHECK(text[41] == '#');
    }
    // 32-bit: the underscored names alone; 64-bit: both forms.
    const bool plain = GetProcAddress(dll, "Vorn_KRAVENT_VersionDLL") != nullptr;
    CHECK(plain == (sizeof(void*) == 8));
    CHECK(GetProcAddress(dll, "_Vorn_KRAVENT_GetLastError") != nullptr);
    char path[500];
    const std::size_t length = ModulePath(kLibraryFileName, path, sizeof path);
    CHECK(EndsWith(path, length, "\\Vorn-KRAVENT_DLLInterface.dll"));
    FreeLibrary(dll);
}
