#include "sim/socket_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace kravent::sim {

WakeSignal::WakeSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
WakeSignal::~WakeSignal() {
    if (fd_ >= 0) ::close(fd_);
}
void WakeSignal::Signal() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}
void WakeSignal::Clear() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(fd_, &value, sizeof value);
}

WaitOutcome WaitReadable(int fd, const WakeSignal& wake, int timeoutMs) {
    pollfd fds[2] = {{wake.fd(), POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return WaitOutcome::Error;
        if (n == 0) return WaitOutcome::Timeout;
        if (fds[0].revents != 0) return WaitOutcome::Woken;
        return WaitOutcome::Readable;
    }
}

bool SleepUnlessWoken(const WakeSignal& wake, std::uint32_t ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        if (WaitReadable(-1, wake, static_cast<int>(left.count())) == WaitOutcome::Woken) return false;
    }
}

bool IsAnyAddress(const std::string& address) { return address.empty() || address == "0.0.0.0"; }

namespace {
bool MakeAddress(const std::string& address, std::uint16_t port, sockaddr_in& out, std::string& error) {
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    if (IsAnyAddress(address)) {
        out.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    if (::inet_pton(AF_INET, address.c_str(), &out.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return false;
    }
    return true;
}

int Fail(int fd, std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return -1;
}
}  // namespace

int OpenTcpListener(const std::string& address, std::uint16_t port, std::string& error) {
    sockaddr_in sa{};
    if (!MakeAddress(address, port, sa, error)) return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(fd, error, "socket");
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return Fail(fd, error, "bind TCP " + address + ":" + std::to_string(port));
    if (::listen(fd, 16) != 0) return Fail(fd, error, "listen");
    return fd;
}

int OpenUdpSocket(const std::string& address, std::uint16_t port, bool shared, std::string& error) {
    sockaddr_in sa{};
    if (!MakeAddress(address, port, sa, error)) return -1;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(fd, error, "socket");
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (shared) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return Fail(fd, error, "bind UDP " + address + ":" + std::to_string(port));
    return fd;
}

std::uint16_t BoundPort(int fd) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohs(sa.sin_port);
}

void CloseSocket(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool SendAll(int fd, const std::uint8_t* data, std::size_t size, std::size_t piece) {
    if (piece > 0) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    while (size > 0) {
        const std::size_t chunk = piece > 0 && piece < size ? piece : size;
        const ssize_t n = ::send(fd, data, chunk, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace kravent::sim
