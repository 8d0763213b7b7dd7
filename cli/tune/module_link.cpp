#include "cli/tune/module_link.h"

#include <atomic>
#include <cmath>
#include <limits>

#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/report.h"
#include "cli/value_format.h"

namespace kravent::cli::tune {

namespace {

// The library hands the callbacks only the ComID; the tool holds one link.
std::atomic<ModuleLink*> g_link{nullptr};

constexpr std::chrono::milliseconds kConnectLimit{5000};
constexpr std::chrono::milliseconds kRetryPause{1000};
constexpr std::chrono::milliseconds kRequestLimit{10000};
constexpr std::chrono::milliseconds kTick{200};
constexpr const char* kLentWhy = "an experiment has the module";

std::size_t Index(std::string_view name) { return *FindRegister(name); }

bool AnyWritten(const RegisterValues& values) {
    for (std::size_t index = 0; index < kRegisters.size(); ++index)
        if (kRegisters[index].write != Write::No && WrittenIn(values, index)) return true;
    return false;
}

// Whether `values` is the answer to `request`: a write it names, else one of its reads.
bool Answers(const LinkRequest& request, const RegisterValues& values) {
    for (const auto& [index, value] : request.writes)
        if (WrittenIn(values, index)) return true;
    if (!request.writes.empty()) return false;
    for (const std::size_t index : request.reads)
        if (ReceivedIn(values, index)) return true;
    return false;
}

}  // namespace

const char* LinkStateName(LinkState state) {
    switch (state) {
    case LinkState::kConnecting: return "connecting";
    case LinkState::kConnected: return "connected";
    case LinkState::kLost: return "lost";
    case LinkState::kLent: return "lent";
    case LinkState::kStopped: return "stopped";
    }
    return "";
}

ModuleLink::ModuleLink(const std::array<std::int32_t, 4>& ip, std::vector<std::size_t> polled, int periodMs,
                       SampleSink onSample)
    : ip_(ip),
      polled_(std::make_shared<const std::vector<std::size_t>>(std::move(polled))),
      periodMs_(periodMs),
      onSample_(std::move(onSample)) {
    status_.address = FormatAddress(ip_.data());
    g_link.store(this);
    thread_ = std::thread([this] { Run(); });
}

ModuleLink::~ModuleLink() { Stop(); }

void ModuleLink::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wakeup_.Notify();
    if (thread_.joinable()) thread_.join();
    g_link.store(nullptr);
}

void ModuleLink::Retarget(const std::array<std::int32_t, 4>& ip) {
    {
        std::lock_guard lock(mutex_);
        ip_ = ip;
        retarget_ = true;
    }
    wakeup_.Notify();
}

void ModuleLink::SetPolling(std::vector<std::size_t> polled, int periodMs) {
    {
        std::lock_guard lock(mutex_);
        polled_ = std::make_shared<const std::vector<std::size_t>>(std::move(polled));
        periodMs_ = periodMs;
        pollChanged_ = true;
    }
    wakeup_.Notify();
}

LinkAnswer ModuleLink::Exchange(LinkRequest request, std::chrono::milliseconds limit) {
    auto job = std::make_unique<Job>();
    job->request = std::move(request);
    std::future<LinkAnswer> answer = job->done.get_future();
    {
        std::lock_guard lock(mutex_);
        if (status_.state != LinkState::kConnected) {
            LinkAnswer refused;
            refused.error = status_.state == LinkState::kLent ? kLentWhy : "the module " + status_.address + " is not connected";
            return refused;
        }
        jobs_.push_back(std::move(job));
    }
    wakeup_.Notify();
    // The link answers every job (at the latest when it disconnects); the limit guards only
    // against a link that never comes back to it.
    if (answer.wait_for(limit + kRequestLimit) != std::future_status::ready) {
        LinkAnswer late;
        late.error = "no answer from the module";
        return late;
    }
    return answer.get();
}

std::string ModuleLink::Lend(Borrower use) {
    auto job = std::make_unique<Job>();
    job->borrower = std::move(use);
    std::future<LinkAnswer> answer = job->done.get_future();
    {
        std::lock_guard lock(mutex_);
        if (status_.state != LinkState::kConnected)
            return status_.state == LinkState::kLent ? kLentWhy : "the module " + status_.address + " is not connected";
        jobs_.push_back(std::move(job));
    }
    wakeup_.Notify();
    // No limit here: the borrower keeps its own, and the link answers every job.
    const LinkAnswer done = answer.get();
    return done.ok ? std::string() : done.error;
}

LinkStatus ModuleLink::Status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::vector<std::size_t> ModuleLink::Polled() const {
    std::lock_guard lock(mutex_);
    return *polled_;
}

int ModuleLink::PeriodMs() const {
    std::lock_guard lock(mutex_);
    return periodMs_;
}

void VORN_KRAVENT_CALL ModuleLink::OnData(RegisterValues* values, ComID) {
    ModuleLink* self = g_link.load();
    if (!self || !values) return;
    {
        std::lock_guard lock(self->mutex_);
        self->inbox_.answers.emplace_back(*values, Clock::now());
    }
    self->wakeup_.Notify();
}

void VORN_KRAVENT_CALL ModuleLink::OnEvent(std::int32_t event, ComID) {
    ModuleLink* self = g_link.load();
    if (!self) return;
    {
        std::lock_guard lock(self->mutex_);
        if (event == VORN_KRAVENT_STATE_CONNECTED) self->inbox_.up = true;
        else if (event == VORN_KRAVENT_STATE_ERROR) self->inbox_.failed = true;
        else if (event == VORN_KRAVENT_STATE_NOT_CONNECTED) self->inbox_.closed = true;
    }
    self->wakeup_.Notify();
}

void ModuleLink::Run() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) break;
        }
        const bool up = Connect();
        ReturnLoan();
        if (up) Serve();
        if (lent_) RunLoan();
    }
    ReturnLoan();
    std::lock_guard lock(mutex_);
    status_.state = LinkState::kStopped;
}

bool ModuleLink::Pause(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    wakeup_.Wait(lock, limit, [&] { return stopping_ || retarget_; });
    return !stopping_;
}

bool ModuleLink::Connect() {
    std::array<std::int32_t, 4> ip;
    {
        std::lock_guard lock(mutex_);
        ip = ip_;
        inbox_ = Inbox{};
        // Another module is a new start; the same one that went away stays lost until it is back.
        if (retarget_ || status_.state != LinkState::kLost) {
            status_ = LinkStatus{LinkState::kConnecting, FormatAddress(ip.data()), {}, {}, {}, status_.connections};
        }
        retarget_ = false;
    }
    if (!Vorn_KRAVENT_OpenConnection_MAINPORT(ip.data(), &ModuleLink::OnData, &ModuleLink::OnEvent, &com_)) {
        {
            std::lock_guard lock(mutex_);
            status_.state = status_.connections ? LinkState::kLost : LinkState::kConnecting;
            status_.detail = "no module answers at " + status_.address;
        }
        Pause(kRetryPause);
        return false;
    }
    bool up = false;
    {
        std::unique_lock lock(mutex_);
        wakeup_.Wait(lock, kConnectLimit,
                     [&] { return inbox_.up || inbox_.failed || inbox_.closed || stopping_ || retarget_; });
        up = inbox_.up && !inbox_.failed && !inbox_.closed && !stopping_ && !retarget_;
    }
    if (!up) {
        Disconnect("no TCP connection to " + FormatAddress(ip.data()) + ":8010");
        Pause(kRetryPause);
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        status_.state = LinkState::kConnected;
        status_.detail.clear();
        ++status_.connections;
    }
    return true;
}

bool ModuleLink::StartPolling() {
    std::shared_ptr<const std::vector<std::size_t>> polled;
    int period = 0;
    {
        std::lock_guard lock(mutex_);
        polled = polled_;
        period = periodMs_;
        pollChanged_ = false;
    }
    Vorn_KRAVENT_RepetitiveAskStop(com_);
    Vorn_KRAVENT_RepetitiveAskReset(com_);
    if (polled->empty()) return true;
    for (const std::size_t index : *polled)
        if (!RequestRead(index, true, com_)) return false;
    return Vorn_KRAVENT_RepetitiveAskSetTime(period, com_) && Vorn_KRAVENT_RepetitiveAskStart(com_);
}

void ModuleLink::FailJobs(const std::string& why) {
    std::deque<std::unique_ptr<Job>> jobs;
    {
        std::lock_guard lock(mutex_);
        jobs.swap(jobs_);
    }
    if (current_) jobs.push_front(std::move(current_));
    for (auto& job : jobs) {
        LinkAnswer failed;
        failed.error = why;
        job->done.set_value(failed);
    }
}

void ModuleLink::Disconnect(const std::string& why) {
    if (com_) {
        Vorn_KRAVENT_RepetitiveAskStop(com_);
        Vorn_KRAVENT_CloseConnection(&com_);  // calls Com_Event 0 on this thread
    }
    {
        std::lock_guard lock(mutex_);
        if (status_.state == LinkState::kConnected) status_.state = LinkState::kLost;
        status_.detail = why;
    }
    FailJobs(why.empty() ? "the connection was closed" : why);
}

void ModuleLink::Handle(const RegisterValues& values, Clock::time_point at) {
    if (ReceivedIn(values, Index("ETHERNETMAC")) || ReceivedIn(values, Index("MODULENAME"))) {
        std::lock_guard lock(mutex_);
        if (ReceivedIn(values, Index("ETHERNETMAC")))
            status_.mac = FormatText(Index("ETHERNETMAC"), FromRecord(values, Index("ETHERNETMAC")));
        if (ReceivedIn(values, Index("MODULENAME")))
            status_.name = FormatText(Index("MODULENAME"), FromRecord(values, Index("MODULENAME")));
    }
    std::shared_ptr<const std::vector<std::size_t>> polled;
    {
        std::lock_guard lock(mutex_);
        polled = polled_;
    }
    bool sample = !polled->empty() && !AnyWritten(values);
    for (const std::size_t index : *polled) sample = sample && ReceivedIn(values, index);
    if (sample) {
        lastAnswer_ = at;
        PollSample s;
        s.sequence = ++sequence_;
        s.at = at;
        s.columns = polled;
        s.values.reserve(polled->size());
        for (const std::size_t index : *polled)
            s.values.push_back(NumericValue(index, FromRecord(values, index)).value_or(std::numeric_limits<double>::quiet_NaN()));
        onSample_(std::move(s));
    }
    if (current_ && Answers(current_->request, values)) {
        lastAnswer_ = at;
        LinkAnswer answer;
        answer.ok = true;
        answer.values = values;
        answer.at = at;
        answer.lastSequence = sequence_;
        current_->done.set_value(answer);
        current_.reset();
    }
}

void ModuleLink::Show(PollSample&& sample) {
    sample.sequence = ++sequence_;
    onSample_(std::move(sample));
}

void ModuleLink::RunLoan() {
    std::array<std::int32_t, 4> ip;
    {
        std::lock_guard lock(mutex_);
        ip = ip_;
        status_.state = LinkState::kLent;
        status_.detail = kLentWhy;
    }
    loanAnswer_ = LinkAnswer{};
    Session session;
    std::string error;
    if (session.Open(ip.data(), error)) {
        try {
            lent_->borrower(session, [this](PollSample&& sample) { Show(std::move(sample)); });
            loanAnswer_.ok = true;
        } catch (const std::exception& e) {
            loanAnswer_.error = e.what();
        }
    } else {
        loanAnswer_.error = error;
    }
    session.Close();
}

void ModuleLink::ReturnLoan() {
    if (!lent_) return;
    lent_->done.set_value(loanAnswer_);
    lent_.reset();
}

void ModuleLink::Serve() {
    std::string why;
    {
        auto identity = std::make_unique<Job>();
        identity->request.reads = {Index("ETHERNETMAC"), Index("MODULENAME")};
        std::lock_guard lock(mutex_);
        jobs_.push_front(std::move(identity));
    }
    if (!StartPolling()) why = "cannot start polling: " + LibraryLastError();
    lastAnswer_ = Clock::now();
    std::unique_lock lock(mutex_);
    while (why.empty()) {
        wakeup_.Wait(lock, kTick, [&] {
            return stopping_ || retarget_ || pollChanged_ || !inbox_.answers.empty() || inbox_.failed || inbox_.closed ||
                   (!current_ && !jobs_.empty());
        });
        if (stopping_ || retarget_) break;
        while (!inbox_.answers.empty()) {
            auto [values, at] = inbox_.answers.front();
            inbox_.answers.pop_front();
            lock.unlock();
            Handle(values, at);
            lock.lock();
        }
        if (inbox_.failed || inbox_.closed) {
            why = "the module " + status_.address + " closed the connection";
            break;
        }
        const bool restart = pollChanged_;
        const bool polling = !polled_->empty();
        const int period = periodMs_;
        std::unique_ptr<Job> next;
        if (!current_ && !jobs_.empty()) {
            next = std::move(jobs_.front());
            jobs_.pop_front();
        }
        if (next && next->borrower) {  // the loan starts once no request is on its way
            lent_ = std::move(next);
            status_.state = LinkState::kLent;
            why = kLentWhy;
            break;
        }
        lock.unlock();
        const auto now = Clock::now();
        if (restart && !StartPolling()) why = "cannot poll: " + LibraryLastError();
        if (current_ && now > currentDeadline_) {
            LinkAnswer late;
            late.error = "no answer from the module within " + std::to_string(kRequestLimit.count()) + " ms";
            current_->done.set_value(late);
            current_.reset();
        }
        if (next) {
            bool recorded = true;
            for (const std::size_t index : next->request.reads) recorded = recorded && RequestRead(index, false, com_);
            for (const auto& [index, value] : next->request.writes) recorded = recorded && RequestWrite(index, value, com_);
            if (!recorded || !Vorn_KRAVENT_SendData_MAINPORT(com_)) {
                Vorn_KRAVENT_ResetAllRegisterRead(com_);
                LinkAnswer refused;
                refused.error = "the library refused the request: " + LibraryLastError();
                next->done.set_value(refused);
            } else {
                current_ = std::move(next);
                currentDeadline_ = now + kRequestLimit;
                if (!polling) lastAnswer_ = now;
            }
        }
        // A module that answers nothing for longer than the library's own wait is gone.
        const auto silence = std::max(std::chrono::milliseconds(4000), std::chrono::milliseconds(3LL * period));
        if ((polling || current_) && now - lastAnswer_ > silence) why = "no answer from " + status_.address;
        lock.lock();
    }
    lock.unlock();
    Disconnect(why);
}

}  // namespace kravent::cli::tune
