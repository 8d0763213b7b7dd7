// The operating-system contract of the library. Everything above this layer uses only
// what is declared here; platform/linux and platform/win32 each implement all of it,
// and the build picks one. No code above this layer tests for an operating system.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kravent::platform {

// ---------------------------------------------------------------------------
// Waits and auto-reset events

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// The results of a wait, with the values of the Win32 wait results.
enum class WaitResult : std::uint32_t {
    Signaled = 0,     // WAIT_OBJECT_0
    Abandoned = 128,  // WAIT_ABANDONED
    Timeout = 258,    // WAIT_TIMEOUT
    Failed = 0xFFFFFFFFu,
};

// An unnamed auto-reset event: a successful wait lets one waiter through and clears
// it; setting an event that is already set changes nothing (events do not count).
class Event {
public:
    explicit Event(bool initiallySet);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    WaitResult Wait(std::uint32_t timeoutMs);

    struct Impl;
    Impl* impl() const { return impl_.get(); }

private:
    std::unique_ptr<Impl> impl_;
};

// Gives up the rest of the calling thread's time slice (a sleep of 0 ms).
void YieldThread();

// Milliseconds of a steady clock, for time limits and measurements.
std::uint64_t SteadyMilliseconds();

// ---------------------------------------------------------------------------
// Threads with cooperative suspension
//
// Suspend() only records the request: Suspended() reads true at once, and the thread
// stops at its next SafePoint(), which its body calls before every send and every
// wait, never while it holds a lock. Resume() lets it go on.

class Thread {
public:
    Thread();
    virtual ~Thread();  // a derived destructor must call Stop() first
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Creates the system thread; with `suspended` its body does not begin before Resume().
    // Called at the end of the derived constructor, once the object is whole. A thread
    // whose termination is requested before its body has begun never runs the body.
    bool Create(bool suspended);

    void Suspend();
    void Resume();
    bool Suspended() const { return suspendRequested_.load(std::memory_order_acquire); }

    void Terminate();
    bool Terminated() const { return terminateRequested_.load(std::memory_order_acquire); }

    // Terminate, let the thread run, and wait until its body has returned.
    void Stop();

    // True while the body runs on the calling thread.
    bool IsCurrent() const;

protected:
    virtual void Execute() = 0;

    // Blocks while a suspension is requested and termination is not; returns true
    // when the thread was held here (it was suspended and has been resumed).
    bool SafePoint();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::atomic<bool> suspendRequested_{false};
    std::atomic<bool> terminateRequested_{false};

    friend struct ThreadAccess;
};

// ---------------------------------------------------------------------------
// Periodic timer standing for the multimedia timer: every `periodMs` it sets `target`,
// on absolute deadlines (no drift), and does nothing else. Returns its identifier, or
// 0 when the period cannot be served (0, or above kMaxTimerPeriodMs).

inline constexpr std::uint32_t kMaxTimerPeriodMs = 1000000;

std::uint32_t StartPeriodicTimer(std::uint32_t periodMs, Event& target);
void KillPeriodicTimer(std::uint32_t timerId);

// ---------------------------------------------------------------------------
// Non-blocking TCP client with notifications
//
// Open() raises Lookup and Connecting on the calling thread and starts the connect;
// the outcome comes later as Connected or Error. Readable data comes as Read. Close()
// closes the socket and, if it was connected, raises Disconnected on the calling thread
// before it returns. A send that fails in the socket layer (other than would-block)
// raises Error and then Disconnected on the sending thread.
//
// All other notifications are delivered one at a time and in order: on Linux by one
// library-wide notification thread, on Windows as window messages to a hidden window
// of the thread that called Open().

enum class SocketNotification { Lookup, Connecting, Connected, Read, Disconnected, Error };

// What a thread's own wait for a client's bytes brought.
enum class OwnReceive {
    Delivered,  // bytes came: Read was raised on the calling thread
    Timeout,    // nothing came in time
    NotHere,    // this thread cannot take them (see ReceiveOnThisThread): they come as usual
    Done,       // the event it waits for was set, by a delivery on another thread
};

class TcpClient {
public:
    using NotifyFn = void (*)(void* user, SocketNotification what, int errorCode);

    TcpClient(NotifyFn notify, void* user);
    // Closes the socket without raising anything (an owner that wants Disconnected calls
    // Close() first); waits until notifications of this client under way on other
    // threads have returned; afterwards none is ever delivered. It may run inside one of
    // this client's own notifications.
    ~TcpClient();
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Numeric IPv4 address only. False when a socket is already open (connecting or
    // connected), or when no attempt can be made (bad address or port, no socket): then
    // nothing is raised. A connect that fails at once still ends in Error, delivered
    // like any other outcome.
    bool Open(const char* ipText, int port);
    void Close();
    bool Active() const;

    int ReceiveLength();                       // bytes that can be read now
    int ReceiveBuf(void* buffer, int count);   // bytes read, or -1
    int SendBuf(const void* buffer, int count);  // bytes taken, or -1

    // True while the calling thread is delivering one of this client's notifications.
    bool InNotification() const;

    // Lets the calling thread take the bytes it waits for off the socket itself, saving
    // the hand-over from the notification thread: waits up to `timeoutMs` for bytes of
    // the connected socket and raises Read for them on the calling thread, never at the
    // same time as another delivery of this client and in the socket's order. `done` is
    // what the caller waits for: when a delivery on another thread has set it, it is
    // taken and the result is Done (a delivery that ended just before this thread
    // took the socket cannot wake it any more). NotHere,
    // at once, where the platform delivers on its own threads only (Windows), when the
    // socket is not connected or has closed, while another thread delivers this client,
    // and after InterruptReceivers(): the bytes and the close then come as usual. The
    // client must outlive every thread inside this call.
    OwnReceive ReceiveOnThisThread(std::uint32_t timeoutMs, Event& done);
    // Ends a ReceiveOnThisThread under way on another thread, and refuses every later one.
    void InterruptReceivers();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------------------
// UDP with broadcast, and the ICMP echo

// What a wait for a datagram brought.
enum class DatagramKind {
    None,       // time-out or socket error
    Whole,      // a datagram that fitted the buffer
    Empty,      // a datagram of zero bytes
    Truncated,  // a datagram longer than the buffer: only its first bytes are there
};

class UdpSocket {
public:
    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Open();  // any free local port, broadcast sending allowed
    void Close();
    bool SendTo(const char* ipText, int port, const void* data, int length);
    // Sends `data` to the limited broadcast address at `port` out of every interface
    // that is up and has an IPv4 broadcast address, each time from that interface's
    // address, since the routing table alone would pick one interface. Without such an
    // interface it is one datagram as the routing table sends it (loopback, for one).
    // Answers arrive through ReceiveFrom. Returns how many interfaces it went out
    // through; `onFailure` hears of each interface where the send failed, by address.
    using BroadcastFailureFn = void (*)(void* user, const char* interfaceAddress);
    int SendBroadcast(int port, const void* data, int length, BroadcastFailureFn onFailure = nullptr,
                      void* user = nullptr);
    // Asks for a receive queue of at least `bytes`, so that a burst of answers is not
    // dropped by the system; the system may grant less. False when nothing was raised.
    bool EnlargeReceiveBuffer(int bytes);

    // Waits up to `timeoutMs` for a datagram. Returns its length (at most `capacity`,
    // the rest of a longer datagram is dropped) and the sender; 0 with an empty sender
    // on time-out, on an empty datagram and on any socket error. `kind`, when given,
    // tells these cases apart.
    int ReceiveFrom(void* buffer, int capacity, std::uint32_t timeoutMs, char* senderText,
                    std::size_t senderCapacity, int* senderPort, DatagramKind* kind = nullptr);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// One echo request to `ipText`; true only when an echo reply came within `timeoutMs`.
bool IcmpEchoAnswered(const char* ipText, std::uint32_t timeoutMs);

// ---------------------------------------------------------------------------
// Services of the error log

enum class LockResult { Acquired, Abandoned, Timeout, Failed };

// A lock shared by every process of the machine, by name. A holder that dies leaves
// it "abandoned": the next Lock() gets it with LockResult::Abandoned.
class NamedMutex {
public:
    NamedMutex();
    ~NamedMutex();  // closes the handle
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool Create(const char* name);  // create or open
    LockResult Lock(std::uint32_t timeoutMs);
    void Unlock();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// The file name of the library on this platform ("Vorn-KRAVENT_DLLInterface.dll" on
// Windows) and the separator of path components.
extern const char kLibraryFileName[];
extern const char kPathSeparator;

// Full path of the loaded module whose file name is `moduleFileName`, else of the host
// executable, written into `buffer`. Returns the path's length like GetModuleFileNameA:
// `capacity` or more when the path did not fit, 0 on failure.
std::size_t ModulePath(const char* moduleFileName, char* buffer, std::size_t capacity);

// The directory of the error log, given the loaded library's directory (ending in the
// separator, or empty for the current directory); the result is in the same form.
// Windows: the library's directory. Linux: $VORN_KRAVENT_LOG_DIR when set; else the
// library's directory when it is writable; else the user's state directory.
std::string LogDirectory(const std::string& libraryDirectory);

// The current local date and time as the system's regional settings show them (short
// date, long time); a fixed local format where the system has no such settings.
std::string LocalDateText();
std::string LocalTimeText();

// A warning the user must see: a message box on Windows, standard error on Linux.
void ShowWarning(const char* caption, const char* text);

// A notice that must not stop the host: standard error on Linux, the debugger's output
// on Windows (no box).
void ShowNotice(const char* caption, const char* text);

}  // namespace kravent::platform
