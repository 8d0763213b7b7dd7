// Hosts whose callbacks misbehave: closing the connection from inside them, and a
// data callback that keeps the notification thread longer than the sender waits.
#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "tests/misuse/misuse_host.h"
#include "tests/soak/process_resources.h"

namespace kravent::misuse {
namespace {

using testing::ResourcesSettledTo;

// Set on a thread whose open is to be slowed once its TCP socket is watched.
thread_local bool tIdleOnceWatched = false;

bool IsStreamSocket(int fd) {
    int type = 0;
    socklen_t length = sizeof type;
    return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_STREAM;
}

void SetPolicy(int policy) {
    const sched_param none{};
    ::pthread_setschedparam(::pthread_self(), policy, &none);
}

// The last steps of an open, slowed as on a busy machine: from the moment its socket is
// handed to the notification loop, the opening thread runs at idle priority on the
// processor of the loop (OneProcessor), so every notification that is ready runs first.
class IdleOnceWatched {
public:
    IdleOnceWatched() { tIdleOnceWatched = true; }
    ~IdleOnceWatched() {
        tIdleOnceWatched = false;
        SetPolicy(SCHED_OTHER);
    }
};

// Keeps the calling thread, and the threads it creates meanwhile, on the processor it
// runs on.
class OneProcessor {
public:
    OneProcessor() {
        ::sched_getaffinity(0, sizeof before_, &before_);
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(::sched_getcpu(), &one);
        ::sched_setaffinity(0, sizeof one, &one);
    }
    ~OneProcessor() { ::sched_setaffinity(0, sizeof before_, &before_); }

private:
    cpu_set_t before_;
};

}  // namespace
}  // namespace kravent::misuse

// The library watches its sockets through this call; see IdleOnceWatched.
extern "C" int epoll_ctl(int epollFd, int op, int fd, epoll_event* event) noexcept {
    using Real = int (*)(int, int, int, epoll_event*);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "epoll_ctl"));
    const int result = real(epollFd, op, fd, event);
    if (kravent::misuse::tIdleOnceWatched && op == EPOLL_CTL_ADD && kravent::misuse::IsStreamSocket(fd))
        kravent::misuse::SetPolicy(SCHED_IDLE);
    return result;
}

namespace kravent::misuse {
namespace {

TEST(CallbackMisuse, CloseFromInsideTheDataCallbackWhilePollingAtOneMillisecond) {
    auto module = StartModule();
    Host host;
    const auto before = WarmUp(host, *module);
    // The host's variable of the current round; the callback closes through it once.
    std::atomic<ComID*> target{nullptr};
    std::atomic<bool> closed{false};
    host.OnData([&](RegisterValues*, ComID c) {
        ComID* own = target.load();
        if (own == nullptr || c != *own) return;
        target.store(nullptr);
        EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(own));
        EXPECT_EQ(*own, nullptr);
        closed.store(true);
    });
    for (int round = 0; round < 10; ++round) {
        ComID com = OpenConnected(host);
        ASSERT_NE(com, nullptr) << LastError();
        closed.store(false);
        ASSERT_TRUE(Vorn_KRAVENT_Read_POSITION(true, com));
        ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(1, com));
        target.store(&com);
        ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
        const auto deadline = Clock::now() + 10s;
        while (!closed.load() && Clock::now() < deadline) host.WaitData(host.DataCalls() + 1, 50ms);
        ASSERT_TRUE(closed.load()) << "round " << round;
        EXPECT_EQ(com, nullptr);
    }
    host.OnData(nullptr);
    // A notification thread that saw its last connection closed from inside a callback
    // cannot join itself: it is parked with its two descriptors until the next open.
    ComID next = OpenConnected(host);
    ASSERT_NE(next, nullptr);
    Vorn_KRAVENT_CloseConnection(&next);
    // The close of a connection from inside a callback that its own sender delivered
    // ends on a thread of its own: once the threads have settled, it has ended.
    const auto after = ResourcesSettledTo(before);
    const std::vector<int32_t> events = host.Events();
    EXPECT_EQ(std::ranges::count(events, VORN_KRAVENT_STATE_NOT_CONNECTED),
              std::ranges::count(events, VORN_KRAVENT_STATE_CONNECTED))
        << "a close from inside the callback reports the end too";
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.descriptors, before.descriptors)
        << testing::DescribeDescriptors() << " module connections open: " << module->GetCounters().connectionsOpen;
}

TEST(CallbackMisuse, CloseFromInsideComEventOfConnectAndOfDisconnect) {
    auto module = StartModule();
    Host host;
    // On "connected", over many opens whose last steps are slowed, so that the first
    // notification is ready while the open still runs: the open is done with the
    // connection before the callback can close it. The host's variable is written on
    // the notification thread: it is read here only after the close has said it is done.
    {
        OneProcessor pinned;
        for (std::size_t round = 1; round <= 20; ++round) {
            ComID com = nullptr;
            std::atomic<bool> closing{false}, closed{false};
            host.OnEvent([&](int32_t event, ComID c) {
                if (event != VORN_KRAVENT_STATE_CONNECTED || closing.exchange(true)) return;
                EXPECT_EQ(c, com) << "the handle the host was given";
                Vorn_KRAVENT_CloseConnection(&com);
                closed.store(true);
            });
            const int32_t ip[4] = {127, 0, 0, 1};
            {
                IdleOnceWatched slowed;
                ASSERT_TRUE(Vorn_KRAVENT_OpenConnection_MAINPORT(ip, &Host::DataReceived, &Host::ComEvent, &com));
            }
            // Its socket is closed too: the transport went with the connection.
            ASSERT_TRUE(module->Log().WaitFor(
                [&](const sim::Counters& c) { return c.connectionsAccepted == round && c.connectionsOpen == 0; }, 10s))
                << "round " << round;
            ASSERT_TRUE(closed.load());
            EXPECT_EQ(com, nullptr);
        }
        host.OnEvent(nullptr);
    }
    // On "disconnected", when the module drops the connection.
    {
        ComID com = OpenConnected(host);
        ASSERT_NE(com, nullptr);
        const ComID opened = com;
        std::atomic<bool> closing{false}, closed{false};
        host.OnEvent([&](int32_t event, ComID c) {
            if (event != VORN_KRAVENT_STATE_NOT_CONNECTED || c != opened || closing.exchange(true)) return;
            Vorn_KRAVENT_CloseConnection(&com);
            closed.store(true);
        });
        module->GetFaults().closeAfterExchanges.store(1);
        ASSERT_TRUE(ReadNameAnswered(host, opened));
        const auto deadline = Clock::now() + 10s;
        while (!closed.load() && Clock::now() < deadline) host.WaitEvent(VORN_KRAVENT_STATE_NOT_CONNECTED, 50ms);
        ASSERT_TRUE(closed.load());
        host.OnEvent(nullptr);
        module->GetFaults().closeAfterExchanges.store(0);
        EXPECT_EQ(com, nullptr);
    }
    // The library still serves new connections.
    ComID com = OpenConnected(host);
    ASSERT_NE(com, nullptr);
    EXPECT_TRUE(ReadNameAnswered(host, com));
    Vorn_KRAVENT_CloseConnection(&com);
}

TEST(CallbackMisuse, DataCallbackSlowerThanTheAcknowledgementLimit) {
    auto module = StartModule();
    Host host;
    ComID com = OpenConnected(host);
    ASSERT_NE(com, nullptr);
    std::atomic<bool> slow{true};
    std::atomic<bool> slowDone{false};
    host.OnData([&](RegisterValues* values, ComID) {
        // Blocks the delivering thread beyond the sender's 3000 ms; the sleep is the misuse.
        if (values->MODULENAME_Received && slow.exchange(false)) {
            std::this_thread::sleep_for(3500ms);
            slowDone.store(true);
        }
    });
    ASSERT_TRUE(ReadNameAnswered(host, com));  // counts the answer once the slow callback has run
    ASSERT_TRUE(slowDone.load());
    // The answer came in time: a callback that keeps it past the limit delays the next
    // exchange, but is not reported as a lost answer.
    EXPECT_NE(LastError(), "Event HevAck Timeout reached\t(TThreadSend::Execute)");
    // The connection recovers: the next requests are answered at once.
    host.OnData(nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ReadNameAnswered(host, com, 5s)) << i;
    Vorn_KRAVENT_CloseConnection(&com);
}

}  // namespace
}  // namespace kravent::misuse
