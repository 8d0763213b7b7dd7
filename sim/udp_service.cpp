#include "sim/udp_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <cstring>

#include "protocol/frame.h"
#include "sim/frame_assembler.h"

namespace kravent::sim {

bool UdpService::Start(const std::string& address, std::uint16_t port, std::string& error) {
    port_ = port;
    if (!Bind(address, error)) return false;
    stop_.Clear();
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void UdpService::Stop() {
    if (!thread_.joinable()) return;
    stop_.Signal();
    thread_.join();
    CloseSocket(unicast_);
    CloseSocket(broadcast_);
}

bool UdpService::Bind(const std::string& address, std::string& error) {
    const bool specific = !IsAnyAddress(address);
    int unicast = OpenUdpSocket(address, port_, specific, error);
    if (unicast < 0) return false;
    int broadcast = -1;
    if (specific) {
        broadcast = OpenUdpSocket("0.0.0.0", BoundPort(unicast), true, error);
        if (broadcast < 0) {
            CloseSocket(unicast);
            return false;
        }
        const int on = 1;
        ::setsockopt(broadcast, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    }
    CloseSocket(unicast_);
    CloseSocket(broadcast_);
    unicast_ = unicast;
    broadcast_ = broadcast;
    address_ = address;
    port_ = BoundPort(unicast_);
    return true;
}

void UdpService::Loop() {
    for (;;) {
        pollfd fds[3] = {{stop_.fd(), POLLIN, 0}, {unicast_, POLLIN, 0}, {broadcast_, POLLIN, 0}};
        if (::poll(fds, broadcast_ >= 0 ? 3 : 2, -1) < 0) continue;
        if (fds[0].revents != 0) return;
        if (fds[1].revents != 0) Receive(unicast_, false);
        else if (broadcast_ >= 0 && fds[2].revents != 0) Receive(broadcast_, true);
    }
}

bool UdpService::IsBroadcastFor(std::uint32_t destination) const {
    if (destination == INADDR_BROADCAST) return true;
    in_addr own{};
    if (::inet_pton(AF_INET, address_.c_str(), &own) != 1) return false;
    const WireValue mask = store_.GetRaw("SUBNETMASK");
    const std::uint32_t m = wire::GetU32(mask.data());
    return destination == ((ntohl(own.s_addr) & m) | ~m);
}

void UdpService::Receive(int fd, bool broadcastOnly) {
    std::array<std::uint8_t, 2048> input{};
    sockaddr_in from{};
    iovec iov{input.data(), input.size()};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control{};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control.data();
    msg.msg_controllen = control.size();
    const ssize_t n = ::recvmsg(fd, &msg, 0);
    if (n <= 0) return;  // an empty datagram, or an error report queued on the socket
    if (broadcastOnly) {
        bool accepted = false;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            accepted = IsBroadcastFor(ntohl(info.ipi_addr.s_addr));
        }
        if (!accepted) return;  // sent to another address of this host
    }

    logic_.AdvanceMotor();
    FrameAssembler assembler;
    std::array<std::uint8_t, 2 * wire::kMaxFrameSize> output{};
    std::size_t pending = 0;
    AddressChange change;
    assembler.Feed(input.data(), static_cast<std::size_t>(n), [&](const std::uint8_t* frame, std::size_t size) {
        log_.AddFrame(kUdpConnection, frame, size);
        if (trace_) trace_->Frame(module_, true, true, from, frame, size);
        if (faults_.silent.load() || output.size() - pending < wire::kMaxFrameSize) return;
        AddressChange asked;
        pending += logic_.AnswerUdpFrame(frame, size, output.data() + pending, output.size() - pending, asked);
        if (asked.requested) change = asked;
    });
    log_.AddChecksumErrors(assembler.checksumErrors(), assembler.oversizedFrames());
    if (pending > 0) {
        if (const std::uint32_t delay = faults_.delayMs.load(); delay > 0 && !SleepUnlessWoken(stop_, delay)) return;
        if (::sendto(unicast_, output.data(), pending, 0, reinterpret_cast<sockaddr*>(&from), sizeof from) > 0) {
            if (trace_) trace_->Sent(module_, true, from, output.data(), pending);
            log_.AddAnswer();
        }
    }
    if (!change.requested) return;
    const std::optional<std::string> rebindTo = onChange_ ? onChange_(change) : std::nullopt;
    std::string error;
    if (rebindTo) Bind(*rebindTo, error);  // on failure the old sockets stay
    log_.AddAddressChange();  // last, so that whoever waits for it finds the module moved
}

}  // namespace kravent::sim
