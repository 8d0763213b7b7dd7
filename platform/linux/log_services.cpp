// The services of the error log on Linux: a machine-wide named lock, the path of the
// loaded library, the local date and time, and the user warning.
#include "platform/platform.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include <climits>
#include <fcntl.h>
#include <link.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_THREAD__)
#define KRAVENT_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KRAVENT_THREAD_SANITIZER 1
#endif
#endif
#if defined(KRAVENT_THREAD_SANITIZER)
#include <sanitizer/tsan_interface.h>
#endif

namespace kravent::platform {

const char kLibraryFileName[] = "libVorn-KRAVENT_DLLInterface.so";
const char kPathSeparator = '/';

// ---------------------------------------------------------------------------
// NamedMutex: a robust, process-shared pthread mutex in a POSIX shared memory object.
// The kernel hands a mutex whose holder died to the next locker with EOWNERDEAD.

namespace {

constexpr std::uint32_t kSharedLockMagic = 0x4B4C4F47u;  // "KLOG"
// How long an opener waits for the creator of the object to finish setting it up.
constexpr auto kInitialisationLimit = std::chrono::seconds(2);

struct SharedLock {
    std::atomic<std::uint32_t> ready;  // kSharedLockMagic once `mutex` is usable
    std::uint32_t lockSize;            // sizeof(pthread_mutex_t) of the creator
    pthread_mutex_t mutex;
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

// "/NAME", with any further slash replaced: shm_open accepts one leading slash only.
std::string SharedObjectName(const char* name) {
    std::string result = "/";
    for (const char* c = name; *c != '\0'; ++c) result += (*c == '/') ? '_' : *c;
    return result;
}

bool InitialiseMutex(pthread_mutex_t* mutex) {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    const bool configured = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                            pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                            pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ERRORCHECK) == 0;
    const bool initialised = configured && pthread_mutex_init(mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return initialised;
}

// The deadline of pthread_mutex_timedlock, which counts on the realtime clock.
timespec DeadlineAfter(std::uint32_t timeoutMs) {
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

}  // namespace

struct NamedMutex::Impl {
    int fd = -1;
    SharedLock* shared = nullptr;

    ~Impl() {
        if (shared != nullptr) munmap(shared, sizeof(SharedLock));
        if (fd >= 0) close(fd);
    }

    bool MapShared() {
        void* address = mmap(nullptr, sizeof(SharedLock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address == MAP_FAILED) return false;
        shared = static_cast<SharedLock*>(address);
        return true;
    }

    // The first process sizes the object and sets the mutex up; `ready` publishes it.
    bool CreateObject(const std::string& objectName) {
        fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        fchmod(fd, 0666);  // every user's processes share the lock, whatever the umask
        if (ftruncate(fd, sizeof(SharedLock)) != 0 || !MapShared()) return false;
        shared->lockSize = sizeof(pthread_mutex_t);
        if (!InitialiseMutex(&shared->mutex)) return false;
        shared->ready.store(kSharedLockMagic, std::memory_order_release);
        return true;
    }

    // Another process created the object: wait until it is sized and set up.
    bool OpenObject(const std::string& objectName) {
        fd = shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC, 0);
        if (fd < 0) return false;
        const auto limit = std::chrono::steady_clock::now() + kInitialisationLimit;
        for (;;) {
            struct stat status {};
            if (fstat(fd, &status) != 0) return false;
            if (static_cast<std::size_t>(status.st_size) >= sizeof(SharedLock)) break;
            if (std::chrono::steady_clock::now() > limit) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!MapShared()) return false;
        while (shared->ready.load(std::memory_order_acquire) != kSharedLockMagic) {
            if (std::chrono::steady_clock::now() > limit) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return shared->lockSize == sizeof(pthread_mutex_t);
    }
};

NamedMutex::NamedMutex() = default;
NamedMutex::~NamedMutex() = default;

bool NamedMutex::Create(const char* name) {
    if (impl_ != nullptr || name == nullptr || *name == '\0') return false;
    const std::string objectName = SharedObjectName(name);
    auto impl = std::make_unique<Impl>();
    bool done = impl->CreateObject(objectName);
    if (!done && impl->fd >= 0) {
        // Created but not set up: remove it, or every later opener would wait in vain.
        shm_unlink(objectName.c_str());
    } else if (!done && errno == EEXIST) {
        done = impl->OpenObject(objectName);
    }
    if (!done) return false;
    impl_ = std::move(impl);
    return true;
}

LockResult NamedMutex::Lock(std::uint32_t timeoutMs) {
    if (impl_ == nullptr) return LockResult::Failed;
    pthread_mutex_t* mutex = &impl_->shared->mutex;
    int result = 0;
    if (timeoutMs == kInfinite) {
        result = pthread_mutex_lock(mutex);
    } else {
        const timespec deadline = DeadlineAfter(timeoutMs);
        result = pthread_mutex_timedlock(mutex, &deadline);
    }
    switch (result) {
    case 0:
        return LockResult::Acquired;
    case EOWNERDEAD:
        // The holder died; the lock is ours now. Mark it usable again for everyone.
        pthread_mutex_consistent(mutex);
#if defined(KRAVENT_THREAD_SANITIZER)
        // ThreadSanitizer's timedlock interceptor records no owner on EOWNERDEAD.
        if (timeoutMs != kInfinite) {
            __tsan_mutex_pre_lock(mutex, 0);
            __tsan_mutex_post_lock(mutex, 0, 0);
        }
#endif
        return LockResult::Abandoned;
    case ETIMEDOUT:
        return LockResult::Timeout;
    default:
        return LockResult::Failed;
    }
}

void NamedMutex::Unlock() {
    if (impl_ != nullptr) pthread_mutex_unlock(&impl_->shared->mutex);
}

// ---------------------------------------------------------------------------
// ModulePath

namespace {

struct ModuleSearch {
    const char* fileName;
    std::string path;
};

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

// `name` is `fileName` itself or one of its versioned names ("fileName.1", "fileName.1.0.0").
bool IsNameOrVersionedName(const char* name, const char* fileName) {
    const std::size_t length = std::strlen(fileName);
    if (std::strncmp(name, fileName, length) != 0) return false;
    for (const char* rest = name + length; *rest != '\0'; ++rest) {
        if (*rest != '.' || !std::isdigit(static_cast<unsigned char>(rest[1]))) return false;
        while (std::isdigit(static_cast<unsigned char>(rest[1]))) ++rest;
    }
    return true;
}

int FindModule(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<ModuleSearch*>(data);
    if (info->dlpi_name == nullptr || info->dlpi_name[0] == '\0') return 0;
    if (!IsNameOrVersionedName(BaseName(info->dlpi_name), search->fileName)) return 0;
    search->path = info->dlpi_name;
    return 1;
}

// Copies like GetModuleFileNameA: the length when the path fits with its zero,
// otherwise the path cut to capacity - 1 characters and the result `capacity`.
std::size_t CopyPath(const std::string& path, char* buffer, std::size_t capacity) {
    if (path.empty()) return 0;
    if (path.size() < capacity) {
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return path.size();
    }
    std::memcpy(buffer, path.data(), capacity - 1);
    buffer[capacity - 1] = '\0';
    return capacity;
}

// The host executable's path; `cut` tells that it did not fit into PATH_MAX characters.
std::string ExecutablePath(bool& cut) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    cut = length >= static_cast<ssize_t>(sizeof path);
    if (length <= 0) return {};
    return std::string(path, static_cast<std::size_t>(length));
}

}  // namespace

std::size_t ModulePath(const char* moduleFileName, char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    ModuleSearch search{moduleFileName != nullptr ? moduleFileName : "", {}};
    if (search.fileName[0] != '\0') dl_iterate_phdr(FindModule, &search);
    if (!search.path.empty() && search.path.front() != '/') {
        // Loaded by a relative path: make it absolute, as the host would see it.
        if (char* absolute = realpath(search.path.c_str(), nullptr)) {
            search.path = absolute;
            free(absolute);
        }
    }
    if (search.path.empty()) {
        bool cut = false;
        search.path = ExecutablePath(cut);
        if (cut) {
            CopyPath(search.path, buffer, capacity);
            return capacity;  // whatever was copied, it is not the whole path
        }
    }
    return CopyPath(search.path, buffer, capacity);
}

// ---------------------------------------------------------------------------
// Date, time and warning

namespace {

std::string FormatLocalNow(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return {};
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

}  // namespace

std::string LocalDateText() { return FormatLocalNow("%d/%m/%Y"); }
std::string LocalTimeText() { return FormatLocalNow("%H:%M:%S"); }

void ShowWarning(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

void ShowNotice(const char* caption, const char* text) { ShowWarning(caption, text); }

}  // namespace kravent::platform
