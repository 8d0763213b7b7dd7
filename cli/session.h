// One connection to a module's main port, as a host program holds it: open and wait
// until it is established, send the recorded requests and wait for the answer, take
// the answers of a poll one by one, close.
//
// Threads: the callbacks only copy what they get and wake the waiting thread. Every
// wait of the tool goes through the Wakeup `changed_`, which on Windows dispatches
// the window messages whose handlers call the callbacks.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "hostos/hostos.h"

namespace kravent::cli {

struct Answer {
    RegisterValues values;
    std::chrono::steady_clock::time_point at;
};

class Session {
public:
    static constexpr std::chrono::milliseconds kConnectLimit{5000};
    // The library waits up to 3 s for each of at most three packets of one exchange.
    static constexpr std::chrono::milliseconds kAnswerLimit{10000};

    Session() = default;
    ~Session() { Close(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the connection to `ip` and waits for Com_Event 1. False with `error` when
    // the library refuses the open or the TCP connection fails or does not come.
    bool Open(const std::int32_t ip[4], std::string& error);
    // Vorn_KRAVENT_SendData_MAINPORT, then waits for the answer to what was recorded:
    // the first answer that `isAnswer` accepts (any answer without it). An answer to a
    // poll that was on its way when polling stopped arrives after the send too; it is
    // skipped, not taken for this request's answer.
    bool Exchange(RegisterValues& values, std::string& error,
                  const std::function<bool(const RegisterValues&)>& isAnswer = nullptr);
    enum class Wait { kAnswer, kTimeout, kBroken, kInterrupted };
    // The next answer that arrived (polling), waiting at most `limit` for it; `error`
    // says what went wrong unless an answer came.
    Wait NextAnswer(Answer& answer, std::chrono::milliseconds limit, std::string& error);
    void Close();
    // Ends the wait of NextAnswer now and every later one at once (from any thread).
    void Interrupt();
    // Waits `limit` unless interrupted; true when interrupted.
    bool WaitInterrupted(std::chrono::milliseconds limit);

    ComID com() const { return com_; }
    const std::string& address() const { return address_; }

private:
    static void VORN_KRAVENT_CALL OnData(RegisterValues* values, ComID com);
    static void VORN_KRAVENT_CALL OnEvent(std::int32_t event, ComID com);

    bool Broken(std::string& error) const;  // connection failed or closed; lock held

    static constexpr std::size_t kMaxQueuedAnswers = 256;  // a poll that is not read keeps the latest

    ComID com_ = nullptr;
    std::string address_;
    std::mutex mutex_;
    hostos::Wakeup changed_;  // every wait for a callback
    std::deque<Answer> answers_;
    bool connected_ = false;
    bool failed_ = false;        // Com_Event 2
    bool disconnected_ = false;  // Com_Event 0 after the connection was up
    bool interrupted_ = false;
};

}  // namespace kravent::cli
