// The simulator's sockets: the few operations its services need, over handles that
// mean the same on every system. sim/os/linux (POSIX sockets) and sim/os/win32
// (Winsock) implement them; the build picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kravent::sim {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// An IPv4 address and port, both in host byte order.
struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};
std::string FormatEndpoint(const Endpoint& endpoint);  // "127.0.0.1:40112"

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

enum class WaitOutcome { Readable, Woken, Timeout, Error };
// Waits until `socket` is readable or `wake` is signalled; timeoutMs < 0 waits without limit.
WaitOutcome WaitReadable(SocketHandle socket, const WakeSignal& wake, int timeoutMs = -1);
// Waits `ms`; false when `wake` was signalled first.
bool SleepUnlessWoken(const WakeSignal& wake, std::uint32_t ms);

// A listening TCP socket, or kNoSocket with `error` set.
SocketHandle OpenTcpListener(const std::string& address, std::uint16_t port, std::string& error);
// A bound UDP socket with broadcast allowed that reports each datagram's destination
// address, or kNoSocket with `error` set. `shared` lets several modules each receive
// broadcasts on one port.
SocketHandle OpenUdpSocket(const std::string& address, std::uint16_t port, bool shared, std::string& error);
std::uint16_t BoundPort(SocketHandle socket);
void CloseSocket(SocketHandle& socket);

// The next connection of `listener`, sending without delay, or kNoSocket.
SocketHandle AcceptConnection(SocketHandle listener);
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
// Writes all bytes, in pieces of at most `piece` bytes (0: one piece); false on error.
bool SendAll(SocketHandle socket, const std::uint8_t* data, std::size_t size, std::size_t piece = 0);

// One datagram: its size (<= 0: none or an error), its sender and, when the system
// tells it, the address it was sent to.
long ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity, Endpoint& from,
                     std::optional<std::uint32_t>& destination);
bool SendDatagram(SocketHandle socket, const std::uint8_t* data, std::size_t size, const Endpoint& to);

bool IsAnyAddress(const std::string& address);
// The address to bind to in host byte order (0 for any address), or nothing.
std::optional<std::uint32_t> BindableAddress(const std::string& address);

}  // namespace kravent::sim
