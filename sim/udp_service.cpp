#include "sim/udp_service.h"

#include <array>

#include "protocol/frame.h"
#include "protocol/frame_reassembly.h"

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
    SocketHandle unicast = OpenUdpSocket(address, port_, specific, error);
    if (unicast == kNoSocket) return false;
    SocketHandle broadcast = kNoSocket;
    if (specific) {
        broadcast = OpenUdpSocket("0.0.0.0", BoundPort(unicast), true, error);
        if (broadcast == kNoSocket) {
            CloseSocket(unicast);
            return false;
        }
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
        const SocketHandle sockets[3] = {stop_.handle(), unicast_, broadcast_};
        const std::optional<std::uint32_t> readable = WaitReadable(sockets, -1);
        if (!readable) continue;
        if ((*readable & 1u) != 0) return;
        if ((*readable & 2u) != 0) Receive(unicast_, false);
        else if ((*readable & 4u) != 0) Receive(broadcast_, true);
    }
}

bool UdpService::IsBroadcastFor(std::uint32_t destination) const {
    if (destination == 0xFFFFFFFFu) return true;
    const std::optional<std::uint32_t> own = BindableAddress(address_);
    if (!own) return false;
    const WireValue mask = store_.GetRaw("SUBNETMASK");
    const std::uint32_t m = wire::GetU32(mask.data());
    return destination == ((*own & m) | ~m);
}

void UdpService::Receive(SocketHandle fd, bool broadcastOnly) {
    std::array<std::uint8_t, 2048> input{};
    Endpoint from;
    std::optional<std::uint32_t> destination;
    const long n = ReceiveDatagram(fd, input.data(), input.size(), from, destination);
    if (n <= 0) return;  // an empty datagram, or an error report queued on the socket
    // Sent to another address of this host; a system that does not tell the
    // destination leaves it to the wildcard socket's usual share: broadcasts.
    if (broadcastOnly && destination && !IsBroadcastFor(*destination)) return;

    logic_.AdvanceMotor();
    // Where the answer leaves from: the address the host finds the module at.
    const std::uint32_t reachedAt = logic_.FollowsReachedAddress() ? SourceAddressToward(from) : 0;
    FrameReassembler framer(Realignment::Keep);
    std::array<std::uint8_t, 2 * wire::kMaxFrameSize> output{};
    std::size_t pending = 0;
    AddressChange change;
    const auto onFrame = [&](const std::uint8_t* frame, std::size_t size) {
        log_.AddFrame(kUdpConnection, frame, size);
        if (trace_) trace_->Frame(module_, true, true, from, frame, size);
        if (faults_.silent.load() || output.size() - pending < wire::kMaxFrameSize) return;
        AddressChange asked;
        pending += logic_.AnswerUdpFrame(frame, size, output.data() + pending, output.size() - pending, asked, reachedAt);
        if (asked.requested) change = asked;
    };
    const FrameFailures failed = TakeFrames(framer, input.data(), static_cast<std::size_t>(n), onFrame);
    log_.AddChecksumErrors(failed.checksumErrors, failed.tooLong);
    if (pending > 0) {
        if (const std::uint32_t delay = faults_.delayMs.load(); delay > 0 && !SleepUnlessWoken(stop_, delay)) return;
        if (SendDatagram(unicast_, output.data(), pending, from)) {
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
