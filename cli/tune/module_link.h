// The page's one connection to a module, held by a thread of its own: it connects,
// polls the chosen registers, carries out the requests of the page one at a time and,
// when the module goes away, connects again and resumes polling without writing
// anything. Every library call of the connection happens on that thread (on Windows
// the callbacks come through its message dispatch while it waits).
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "cli/host_value.h"
#include "cli/session.h"
#include "hostos/hostos.h"

namespace kravent::cli::tune {

using Clock = std::chrono::steady_clock;

// One poll answer: the values of the polled registers, in the order of `columns`.
struct PollSample {
    std::uint64_t sequence = 0;  // counts every poll answer the library delivered
    Clock::time_point at;        // when it arrived
    std::shared_ptr<const std::vector<std::size_t>> columns;
    std::vector<double> values;
};

// kLent: an experiment has the module over a session of its own (ModuleLink::Lend).
enum class LinkState { kConnecting, kConnected, kLost, kLent, kStopped };
const char* LinkStateName(LinkState state);

struct LinkStatus {
    LinkState state = LinkState::kConnecting;
    std::string address;
    std::string detail;  // why it is lost, the last failure
    std::string mac;     // of the module, once read
    std::string name;
    int connections = 0;  // how often it came up
};

// One request of the page: registers to read and values to write, in one exchange.
struct LinkRequest {
    std::vector<std::size_t> reads;
    std::vector<std::pair<std::size_t, HostValue>> writes;
};
struct LinkAnswer {
    bool ok = false;
    std::string error;
    RegisterValues values{};
    Clock::time_point at;
    std::uint64_t lastSequence = 0;  // of the poll answers delivered before this one
};

class ModuleLink {
public:
    using SampleSink = std::function<void(PollSample&&)>;
    // What Lend() hands over: a session of its own to the module, and `show`, which
    // passes a sample on as if the poll had brought it (its sequence number is set).
    using Borrower = std::function<void(Session& session, const SampleSink& show)>;

    ModuleLink(const std::array<std::int32_t, 4>& ip, std::vector<std::size_t> polled, int periodMs, SampleSink onSample);
    ~ModuleLink();  // Stop()
    ModuleLink(const ModuleLink&) = delete;
    ModuleLink& operator=(const ModuleLink&) = delete;

    // Ends polling, closes the connection and joins the thread.
    void Stop();
    // A new module: the connection moves there.
    void Retarget(const std::array<std::int32_t, 4>& ip);
    void SetPolling(std::vector<std::size_t> polled, int periodMs);
    // Carries out `request` and waits for its answer, at most `limit`.
    LinkAnswer Exchange(LinkRequest request, std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

    // Runs `use` on the link's thread with the module to itself: polling stops, the
    // link's connection closes and `use` gets a Session over a new one; then the link
    // connects again and resumes polling before Lend returns. Empty, or why `use` did not run.
    std::string Lend(Borrower use);

    LinkStatus Status() const;
    std::vector<std::size_t> Polled() const;
    int PeriodMs() const;

private:
    struct Job {
        LinkRequest request;
        Borrower borrower;  // set for Lend(): the job is the loan
        std::promise<LinkAnswer> done;
    };
    struct Inbox {  // what the callbacks leave for the thread; guarded by mutex_
        std::deque<std::pair<RegisterValues, Clock::time_point>> answers;
        bool up = false;
        bool failed = false;
        bool closed = false;
    };

    static void VORN_KRAVENT_CALL OnData(RegisterValues* values, ComID com);
    static void VORN_KRAVENT_CALL OnEvent(std::int32_t event, ComID com);

    void Run();
    bool Connect();  // false when stopping or retargeted
    void Serve();    // while connected
    bool StartPolling();
    void Disconnect(const std::string& why);
    // Waits until stopping or retargeted, at most `limit`; false when it should end.
    bool Pause(std::chrono::milliseconds limit);
    void FailJobs(const std::string& why);
    void Handle(const RegisterValues& values, Clock::time_point at);
    void RunLoan();     // lent_, while disconnected
    void ReturnLoan();  // answers lent_ once the link is back (or could not be)
    void Show(PollSample&& sample);

    mutable std::mutex mutex_;
    hostos::Wakeup wakeup_;
    Inbox inbox_;
    std::deque<std::unique_ptr<Job>> jobs_;
    std::unique_ptr<Job> current_;  // sent, waiting for its answer; link thread only
    std::unique_ptr<Job> lent_;     // the loan under way or just ended; link thread only
    LinkAnswer loanAnswer_;
    Clock::time_point currentDeadline_;
    std::array<std::int32_t, 4> ip_;
    bool retarget_ = false;
    bool pollChanged_ = false;
    bool stopping_ = false;
    std::shared_ptr<const std::vector<std::size_t>> polled_;
    int periodMs_;
    std::uint64_t sequence_ = 0;
    Clock::time_point lastAnswer_;
    LinkStatus status_;
    SampleSink onSample_;
    ComID com_ = nullptr;
    std::thread thread_;
};

}  // namespace kravent::cli::tune
