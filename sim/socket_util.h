// Small POSIX socket helpers for the simulator's services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kravent::sim {

// An eventfd that, once signalled, stays readable: every thread that polls it wakes.
class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;
    void Signal();
    void Clear();
    int fd() const { return fd_; }

private:
    int fd_;
};

enum class WaitOutcome { Readable, Woken, Timeout, Error };
// Waits until `fd` is readable or `wake` is signalled; timeoutMs < 0 waits without limit.
WaitOutcome WaitReadable(int fd, const WakeSignal& wake, int timeoutMs = -1);
// Waits `ms`; false when `wake` was signalled first.
bool SleepUnlessWoken(const WakeSignal& wake, std::uint32_t ms);

// A listening TCP socket, or -1 with `error` set.
int OpenTcpListener(const std::string& address, std::uint16_t port, std::string& error);
// A bound UDP socket with broadcast allowed, or -1 with `error` set. `shared` sets
// SO_REUSEADDR, so that several modules can each receive broadcasts on one port.
int OpenUdpSocket(const std::string& address, std::uint16_t port, bool shared, std::string& error);
std::uint16_t BoundPort(int fd);
void CloseSocket(int& fd);

// Writes all bytes, in pieces of at most `piece` bytes (0: one piece); false on error.
bool SendAll(int fd, const std::uint8_t* data, std::size_t size, std::size_t piece = 0);

bool IsAnyAddress(const std::string& address);

}  // namespace kravent::sim
