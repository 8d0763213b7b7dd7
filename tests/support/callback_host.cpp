#include "tests/support/callback_host.h"

#include <algorithm>

namespace kravent::testsupport {

namespace {
Host* gHost = nullptr;
}

std::string LastError() {
    char text[400];
    int32_t length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

Host::Host() { gHost = this; }
Host::~Host() { gHost = nullptr; }

void Host::OnData(std::function<void(RegisterValues*, ComID)> hook) {
    std::lock_guard lock(mutex_);
    onData_ = std::move(hook);
}

void Host::OnEvent(std::function<void(int32_t, ComID)> hook) {
    std::lock_guard lock(mutex_);
    onEvent_ = std::move(hook);
}

void Host::DataReceived(RegisterValues* values, ComID com) {
    Host& h = *gHost;
    std::function<void(RegisterValues*, ComID)> hook;
    {
        std::lock_guard lock(h.mutex_);
        hook = h.onData_;
    }
    if (hook) hook(values, com);
    std::lock_guard lock(h.mutex_);
    ++h.dataCalls_;
    if (values->MODULENAME_Received) ++h.nameAnswers_;
    h.last_ = *values;
    h.changed_.notify_all();
}

void Host::ComEvent(int32_t event, ComID com) {
    Host& h = *gHost;
    std::function<void(int32_t, ComID)> hook;
    {
        std::lock_guard lock(h.mutex_);
        hook = h.onEvent_;
    }
    if (hook) hook(event, com);
    std::lock_guard lock(h.mutex_);
    h.events_.push_back(event);
    h.changed_.notify_all();
}

bool Host::WaitData(long count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return dataCalls_ >= count; });
}

bool Host::WaitEvent(int32_t event, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return std::ranges::find(events_, event) != events_.end(); });
}

bool Host::WaitEvents(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
}

long Host::DataCalls() {
    std::lock_guard lock(mutex_);
    return dataCalls_;
}

long Host::NameAnswers() {
    std::lock_guard lock(mutex_);
    return nameAnswers_;
}

std::vector<int32_t> Host::Events() {
    std::lock_guard lock(mutex_);
    return events_;
}

RegisterValues Host::LastValues() {
    std::lock_guard lock(mutex_);
    return last_;
}

}  // namespace kravent::testsupport
