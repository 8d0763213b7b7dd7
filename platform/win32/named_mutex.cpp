// The machine-wide lock of the error log, over a named kernel mutex.
#include "platform/win32/windows_api.h"

namespace kravent::platform {

struct NamedMutex::Impl {
    HANDLE handle = nullptr;
};

NamedMutex::NamedMutex() : impl_(std::make_unique<Impl>()) {}

NamedMutex::~NamedMutex() {
    if (impl_->handle != nullptr) CloseHandle(impl_->handle);
}

bool NamedMutex::Create(const char* name) {
    if (impl_->handle != nullptr) return true;
    impl_->handle = CreateMutexA(nullptr, FALSE, name);  // opens it when it exists
    return impl_->handle != nullptr;
}

LockResult NamedMutex::Lock(std::uint32_t timeoutMs) {
    if (impl_->handle == nullptr) return LockResult::Failed;
    switch (WaitForSingleObject(impl_->handle, timeoutMs)) {
        case WAIT_OBJECT_0: return LockResult::Acquired;
        case WAIT_ABANDONED: return LockResult::Abandoned;  // owned now, by this thread
        case WAIT_TIMEOUT: return LockResult::Timeout;
        default: return LockResult::Failed;
    }
}

void NamedMutex::Unlock() {
    if (impl_->handle != nullptr) ReleaseMutex(impl_->handle);
}

}  // namespace kravent::platform
