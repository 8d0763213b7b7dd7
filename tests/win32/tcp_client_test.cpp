// The asynchronous TCP client against a loopback listener; the test thread dispatches
// its messages, so the window notifications must run on it.
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/socket_window.h"
#include "tests/win32/harness.h"
#include "tests/platform/test_listener.h"
#include "tests/win32/loopback.h"

using namespace kravent::platform;
using namespace kravent::wintest;
using kravent::testing::Listener;
using kravent::testing::Peer;

namespace {

struct Entry {
    SocketNotification what;
    int error;
    DWORD thread;
};

// Records every notification; on Read it takes the waiting bytes like the transport.
struct Recorder {
    SRWLOCK lock = SRWLOCK_INIT;
    Entry entries[64];
    int count = 0;
    TcpClient* client = nullptr;
    bool destroyOnRead = false;
    bool inNotification = false;
    char received[256] = {};
    int receivedCount = 0;

    int Count() {
        AcquireSRWLockShared(&lock);
        const int n = count;
        ReleaseSRWLockShared(&lock);
        return n;
    }
    Entry At(int index) {
        AcquireSRWLockShared(&lock);
        const Entry e = entries[index];
        ReleaseSRWLockShared(&lock);
        return e;
    }
    int Occurrences(SocketNotification what) {
        int n = 0;
        for (int i = 0; i < Count(); ++i) n += At(i).what == what ? 1 : 0;
        return n;
    }
};

void OnNotify(void* user, SocketNotification what, int error) {
    auto& r = *static_cast<Recorder*>(user);
    AcquireSRWLockExclusive(&r.lock);
    if (r.count < 64) r.entries[r.count++] = {what, error, GetCurrentThreadId()};
    ReleaseSRWLockExclusive(&r.lock);
    if (what != SocketNotification::Read || r.client == nullptr) return;
    r.inNotification = r.client->InNotification();
    const int waiting = r.client->ReceiveLength();
    const int room = static_cast<int>(sizeof r.received) - r.receivedCount;
    const int got = r.client->ReceiveBuf(r.received + r.receivedCount, waiting < room ? waiting : room);
    if (got > 0) r.receivedCount += got;
    if (r.destroyOnRead) {
        delete r.client;
        r.client = nullptr;
    }
}

struct WaitFor {
    Recorder* recorder;
    SocketNotification what;
};

bool Happened(void* context) {
    auto& w = *static_cast<WaitFor*>(context);
    return w.recorder->Occurrences(w.what) > 0;
}

bool PumpUntilNotified(Recorder& r, SocketNotification what) {
    WaitFor w{&r, what};
    return PumpUntil(&Happened, &w, 10000);
}

bool ReceivedAtLeast(void* context) {
    auto& r = *static_cast<Recorder*>(context);
    return r.receivedCount >= 5;
}

// A client connected to `listener`, with the server side accepted.
Peer Connect(TcpClient& client, Recorder& r, Listener& listener) {
    CHECK(client.Open("127.0.0.1", listener.Port()));
    CHECK(PumpUntilNotified(r, SocketNotification::Connected));
    Peer server = listener.Accept(10000);
    CHECK(server.Valid());
    return server;
}

// Sends on a thread of its own until the socket layer refuses.
class FailingSender : public Thread {
public:
    explicit FailingSender(TcpClient& c) : client(c) { Create(false); }
    ~FailingSender() override { Stop(); }
    TcpClient& client;
    Event done{false};
    std::atomic<DWORD> id{0};

protected:
    void Execute() override {
        id = GetCurrentThreadId();
        const char byte = 'x';
        for (int i = 0; i < 100000 && client.SendBuf(&byte, 1) == 1; ++i) YieldThread();
        done.Set();
    }
};

}  // namespace

KRAVENT_CASE(TcpNotificationsRunOnTheOpeningThread) {
    Listener listener;
    Recorder r;
    TcpClient client(&OnNotify, &r);
    r.client = &client;
    CHECK(client.Open("127.0.0.1", listener.Port()));
    // Lookup and Connecting come at once, inside Open.
    CHECK(r.Count() == 2);
    CHECK(r.At(0).what == SocketNotification::Lookup);
    CHECK(r.At(1).what == SocketNotification::Connecting);
    CHECK(!client.Active());
    CHECK(PumpUntilNotified(r, SocketNotification::Connected));
    CHECK(client.Active());
    Peer server = listener.Accept(10000);
    CHECK(server.Valid());

    CHECK(server.SendText("hello"));
    CHECK(PumpUntil(&ReceivedAtLeast, &r, 10000));
    CHECK(std::memcmp(r.received, "hello", 5) == 0);
    CHECK(r.inNotification);
    CHECK(!client.InNotification());
    for (int i = 0; i < r.Count(); ++i) CHECK(r.At(i).thread == GetCurrentThreadId());

    CHECK(client.SendBuf("abc", 3) == 3);
    char echo[8] = {};
    CHECK(server.ReceiveAll(echo, 3, 10000));
    CHECK(std::memcmp(echo, "abc", 3) == 0);

    // Close reports the disconnection before it returns, and only once.
    client.Close();
    CHECK(r.Occurrences(SocketNotification::Disconnected) == 1);
    CHECK(!client.Active());
    CHECK(client.SendBuf("abc", 3) == -1);
    server.Close();
    PumpFor(200);
    CHECK(r.Occurrences(SocketNotification::Disconnected) == 1);
    CHECK(r.Occurrences(SocketNotification::Error) == 0);
}

KRAVENT_CASE(TcpPeerCloseRaisesDisconnectedAfterTheLastBytes) {
    Listener listener;
    Recorder r;
    TcpClient client(&OnNotify, &r);
    r.client = &client;
    Peer server = Connect(client, r, listener);
    server.SendText("bye!!");
    server.Close();
    CHECK(PumpUntilNotified(r, SocketNotification::Disconnected));
    CHECK(r.receivedCount == 5);  // handed on before the close
    CHECK(!client.Active());
    const int before = r.Count();
    CHECK(client.SendBuf("x", 1) == -1);  // closed: nothing more is raised
    CHECK(r.Count() == before);
}

KRAVENT_CASE(TcpRefusedConnectEndsInErrorAlone) {
    int freePort = 0;
    {
        Listener closed;
        freePort = closed.Port();
    }
    Recorder r;
    TcpClient client(&OnNotify, &r);
    CHECK(client.Open("127.0.0.1", freePort));
    CHECK(PumpUntilNotified(r, SocketNotification::Error));
    CHECK(r.At(r.Count() - 1).error == WSAECONNREFUSED);
    PumpFor(200);
    CHECK(r.Occurrences(SocketNotification::Disconnected) == 0);
    CHECK(r.Occurrences(SocketNotification::Connected) == 0);
    CHECK(!client.Active());
    client.Close();
    CHECK(r.Occurrences(SocketNotification::Disconnected) == 0);
}

KRAVENT_CASE(TcpOpenRefusesNamesBadPortsAndASecondOpen) {
    Listener listener;
    Recorder r;
    TcpClient client(&OnNotify, &r);
    CHECK(!client.Open("localhost", listener.Port()));
    CHECK(!client.Open("127.0.0", listener.Port()));
    CHECK(!client.Open(nullptr, listener.Port()));
    CHECK(!client.Open("127.0.0.1", 0));
    CHECK(!client.Open("127.0.0.1", 70000));
    CHECK(r.Count() == 0);  // nothing raised for an attempt never made
    CHECK(client.Open("127.0.0.1", listener.Port()));
    CHECK(!client.Open("127.0.0.1", listener.Port()));  // connecting already
}

KRAVENT_CASE(TcpMessagesQueuedForADestroyedClientAreIgnored) {
    Listener listener;
    Recorder r;
    auto* client = new TcpClient(&OnNotify, &r);
    r.client = client;
    Peer server = Connect(*client, r, listener);
    server.SendText("late");
    server.Close();
    // Wait until Winsock has posted its message, without dispatching it.
    MSG queued;
    const auto limit = SteadyMilliseconds() + 10000;
    while (!PeekMessageA(&queued, nullptr, kSocketMessage, kSocketMessage, PM_NOREMOVE) &&
           SteadyMilliseconds() < limit)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
    const int before = r.Count();
    delete client;
    r.client = nullptr;
    // A new client in the freed slot must not receive the old client's messages.
    Recorder other;
    TcpClient next(&OnNotify, &other);
    PumpFor(300);
    CHECK(r.Count() == before);  // nothing delivered, not even Disconnected
    CHECK(other.Count() == 0);
}

KRAVENT_CASE(TcpClientMayBeDestroyedInItsOwnNotification) {
    Listener listener;
    Recorder r;
    r.client = new TcpClient(&OnNotify, &r);
    Peer server = Connect(*r.client, r, listener);
    r.destroyOnRead = true;
    server.SendText("first");
    CHECK(PumpUntil(&ReceivedAtLeast, &r, 10000));
    CHECK(r.client == nullptr);
    const int after = r.Count();
    server.SendText("more");
    server.Close();
    PumpFor(300);
    CHECK(r.Count() == after);
}

KRAVENT_CASE(TcpFailingSendRaisesErrorThenDisconnectedOnTheSender) {
    Listener listener;
    Recorder r;
    TcpClient client(&OnNotify, &r);
    Peer server = Connect(client, r, listener);
    // A reset from the peer; the test thread does not dispatch, so only the sender learns of it.
    server.Reset();
    FailingSender sender(client);
    CHECK(sender.done.Wait(30000) == WaitResult::Signaled);
    const int errorAt = r.Count() - 2;
    CHECK(errorAt >= 0);
    if (errorAt >= 0) {
        CHECK(r.At(errorAt).what == SocketNotification::Error);
        CHECK(r.At(errorAt).thread == sender.id);
        CHECK(r.At(errorAt + 1).what == SocketNotification::Disconnected);
        CHECK(r.At(errorAt + 1).thread == sender.id);
    }
    CHECK(!client.Active());
    PumpFor(200);  // the queued FD_CLOSE belongs to a closed session
    CHECK(r.Occurrences(SocketNotification::Disconnected) == 1);
}

KRAVENT_CASE(TcpConnectWithoutARouteEndsInError) {
    if (!InPrivateNetwork()) {
        std::printf("  skipped: only inside a private network namespace\n");
        return;
    }
    Recorder r;
    TcpClient client(&OnNotify, &r);
    // The namespace has no route beyond loopback: the system refuses at once, and the
    // refusal still comes as an Error notification.
    CHECK(client.Open("10.255.255.1", 8010));
    CHECK(PumpUntilNotified(r, SocketNotification::Error));
    CHECK(r.At(r.Count() - 1).error != 0);
    CHECK(r.Occurrences(SocketNotification::Connected) == 0);
    CHECK(!client.Active());
    CHECK(client.Open("10.255.255.1", 8010));  // the failed socket is gone: a new attempt is possible
}
