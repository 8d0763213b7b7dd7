// The operating-system contract of the programs around the library: the simulator,
// the tool, the benchmark and the test helpers. hostos/linux and hostos/win32 each
// implement all of it, and the build picks one; no program tests for a system.
// The library itself does not use this layer: its own is platform/.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kravent::hostos {

// ---------------------------------------------------------------------------
// Sockets: IPv4 only, over handles that mean the same on every system

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// An IPv4 address and port, both in host byte order.
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};
inline constexpr std::uint32_t kLoopback = 0x7F000001u;
std::string FormatEndpoint(const Endpoint& endpoint);  // "127.0.0.1:40112"
std::string FormatAddress(std::uint32_t address);      // "127.0.0.1"
// The address of a dotted quad as the system reads it, or nothing.
std::optional<std::uint32_t> ParseAddress(const std::string& text);

// Once signalled, stays readable until cleared: every thread that waits on it wakes.
class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;
    void Signal();
    void Clear();
    SocketHandle handle() const { return handle_; }

private:
    SocketHandle handle_ = kNoSocket;
};

// Waits until at least one of `sockets` is readable (kNoSocket entries are left out),
// at most `timeoutMs` (< 0: no limit). Bit i of the result stands for sockets[i]; 0
// means the time ran out; nothing means the wait failed.
std::optional<std::uint32_t> WaitReadable(std::span<const SocketHandle> sockets, int timeoutMs);
// Whether `socket` became readable within `timeoutMs`.
bool WaitReadable(SocketHandle socket, int timeoutMs);

enum class WaitOutcome { Readable, Woken, Timeout, Error };
// Waits until `socket` is readable or `wake` is signalled; timeoutMs < 0 waits without limit.
WaitOutcome WaitReadable(SocketHandle socket, const WakeSignal& wake, int timeoutMs = -1);
// Waits `ms`; false when `wake` was signalled first.
bool SleepUnlessWoken(const WakeSignal& wake, std::uint32_t ms);

// A TCP socket bound to `local`, or kNoSocket with `error` set. Until it listens,
// connections to it are refused.
SocketHandle OpenTcpSocket(const Endpoint& local, std::string& error);
// A listening TCP socket bound to `local`, or kNoSocket with `error` set.
SocketHandle OpenTcpListener(const Endpoint& local, std::string& error);
// A bound UDP socket with broadcast allowed that reports each datagram's destination
// address, or kNoSocket with `error` set. `shared` lets several sockets each receive
// broadcasts on one port.
SocketHandle OpenUdpSocket(const Endpoint& local, bool shared, std::string& error);
// A blocking TCP connection to `peer` made within `timeoutMs`, or kNoSocket.
SocketHandle ConnectTcp(const Endpoint& peer, int timeoutMs);
std::uint16_t BoundPort(SocketHandle socket);
void CloseSocket(SocketHandle& socket);
// Closes a connection with a reset rather than an orderly end.
void ResetConnection(SocketHandle& socket);

// The next connection of `listener`, sending without delay, or kNoSocket.
SocketHandle AcceptConnection(SocketHandle listener);
// Sends each write at once (TCP_NODELAY).
void SendWithoutDelay(SocketHandle socket);
// Ends the sends and receives of `socket` (from another thread); it stays open.
void ShutdownSocket(SocketHandle socket);
Endpoint PeerOf(SocketHandle socket);
// The local address of a bound or connected socket in host byte order (0: unknown).
std::uint32_t LocalAddressOf(SocketHandle socket);
// The local address the system sends from toward `peer` (0: unknown).
std::uint32_t SourceAddressToward(const Endpoint& peer);
// Bytes received (> 0), 0 when the peer closed, < 0 on error or when the receive was
// ended from another thread: by ShutdownSocket, or by `stop` where the system's
// receive does not end on a shutdown.
long Receive(SocketHandle socket, const WakeSignal& stop, std::uint8_t* buffer, std::size_t capacity);
// One blocking receive, as Receive without the stop.
long ReceiveAvailable(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity);
// One send: the bytes written (> 0), or <= 0 on error.
long SendSome(SocketHandle socket, const std::uint8_t* data, std::size_t size);
// Writes all bytes, in pieces of at most `piece` bytes (0: one piece); false on error.
bool SendAll(SocketHandle socket, const std::uint8_t* data, std::size_t size, std::size_t piece = 0);

// One datagram: its size (<= 0: none or an error), its sender and, when the system
// tells it, the address it was sent to.
long ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity, Endpoint& from,
                     std::optional<std::uint32_t>& destination);
// True when the whole datagram went out.
bool SendDatagram(SocketHandle socket, const std::uint8_t* data, std::size_t size, const Endpoint& to);

// ---------------------------------------------------------------------------
// Stop requests: SIGINT and SIGTERM on Linux; Ctrl-C, Ctrl-Break and closing the
// console on Windows

// Takes over the stop requests: call first in main, before any thread starts.
// WaitForStopRequest returns once one came.
void CatchStopRequests();
void WaitForStopRequest();
// Takes over the stop requests and calls `onStop` for each one, on a thread that is
// not the main thread.
void WatchStopRequests(void (*onStop)());

// ---------------------------------------------------------------------------
// The console and processes

// Call first in main: output goes out as UTF-8.
void PrepareConsole();
// True when `stream` is a terminal (a console), not a pipe or a file.
bool IsTerminal(std::FILE* stream);

// Runs the program args[0], found on the search path, with the other arguments and
// waits for it; its exit status, or -1 when it could not run.
int RunProgram(const std::vector<std::string>& args);
// Writes "ready\n" to the open file descriptor `fd` and closes it.
void WriteReadyLine(int fd);

// The directory that the loaded library writes its error log to, ending in the path
// separator, found as the library finds itself; empty when it cannot be found. Only
// for programs that link the library (and, on Linux, its core).
std::string LibraryLogDirectory();

// ---------------------------------------------------------------------------
// The wait for the library's callbacks. On Linux they run on the library's
// notification thread, which signals a condition variable. On Windows they run on
// the thread that opened the connection while it dispatches its window messages, so
// there the wait dispatches them until the condition holds.

class Wakeup {
public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;

    // Wakes the waiter to test its condition again (from any thread).
    void Notify();
    // Waits until `ready()` holds, tested with `lock` held, or `limit` has passed;
    // the result of the last test. `lock` is released while the thread waits.
    bool Wait(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit, const std::function<bool()>& ready);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kravent::hostos
