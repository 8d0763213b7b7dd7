#include "cli/session.h"

#include <atomic>

#include "cli/value_format.h"

namespace kravent::cli {

namespace {
// The library hands the callbacks only the ComID; the tool holds one connection at a time.
std::atomic<Session*> g_active{nullptr};
}  // namespace

void VORN_KRAVENT_CALL Session::OnData(RegisterValues* values, ComID) {
    Session* self = g_active.load();
    if (!self || !values) return;
    {
        std::lock_guard lock(self->mutex_);
        if (self->answers_.size() == kMaxQueuedAnswers) self->answers_.pop_front();
        self->answers_.push_back({*values, std::chrono::steady_clock::now()});
    }
    self->changed_.Notify();
}

void VORN_KRAVENT_CALL Session::OnEvent(std::int32_t event, ComID) {
    Session* self = g_active.load();
    if (!self) return;
    {
        std::lock_guard lock(self->mutex_);
        if (event == VORN_KRAVENT_STATE_CONNECTED) self->connected_ = true;
        else if (event == VORN_KRAVENT_STATE_ERROR) self->failed_ = true;
        else if (event == VORN_KRAVENT_STATE_NOT_CONNECTED) self->disconnected_ = true;
    }
    self->changed_.Notify();
}

bool Session::Broken(std::string& error) const {
    if (failed_) error = "the connection to " + address_ + " failed (Com_Event 2)";
    else if (disconnected_) error = "the module " + address_ + " closed the connection (Com_Event 0)";
    else return false;
    return true;
}

bool Session::Open(const std::int32_t ip[4], std::string& error) {
    Close();
    address_ = FormatAddress(ip);
    {
        std::lock_guard lock(mutex_);
        answers_.clear();
        connected_ = failed_ = disconnected_ = false;
    }
    g_active.store(this);
    if (!Vorn_KRAVENT_OpenConnection_MAINPORT(ip, &Session::OnData, &Session::OnEvent, &com_)) {
        error = "cannot open a connection to " + address_;
        return false;
    }
    std::unique_lock lock(mutex_);
    if (!changed_.Wait(lock, kConnectLimit, [&] { return connected_ || failed_ || disconnected_; })) {
        error = "no TCP connection to " + address_ + ":8010 within 5 s";
        return false;
    }
    return !Broken(error);
}

bool Session::Exchange(RegisterValues& values, std::string& error,
                       const std::function<bool(const RegisterValues&)>& isAnswer) {
    {
        std::lock_guard lock(mutex_);
        answers_.clear();
    }
    if (!Vorn_KRAVENT_SendData_MAINPORT(com_)) {
        error = "the library refused to send";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        Answer answer;
        if (left.count() <= 0) {
            error = "no answer from " + address_ + " within " + std::to_string(kAnswerLimit.count()) + " ms";
            return false;
        }
        if (NextAnswer(answer, left, error) != Wait::kAnswer) return false;
        if (!isAnswer || isAnswer(answer.values)) {
            values = answer.values;
            return true;
        }
    }
}

Session::Wait Session::NextAnswer(Answer& answer, std::chrono::milliseconds limit, std::string& error) {
    std::unique_lock lock(mutex_);
    changed_.Wait(lock, limit, [&] { return !answers_.empty() || failed_ || disconnected_ || interrupted_; });
    if (interrupted_) return Wait::kInterrupted;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
        return Wait::kAnswer;
    }
    if (Broken(error)) return Wait::kBroken;
    error = "no answer from " + address_ + " within " + std::to_string(limit.count()) + " ms";
    return Wait::kTimeout;
}

void Session::Interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    changed_.Notify();
}

bool Session::WaitInterrupted(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.Wait(lock, limit, [&] { return interrupted_; });
}

void Session::Close() {
    if (com_) Vorn_KRAVENT_CloseConnection(&com_);  // calls Com_Event 0 on this thread
    g_active.store(nullptr);
}

}  // namespace kravent::cli
