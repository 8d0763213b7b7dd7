#include "sim/tcp_service.h"

#include <algorithm>
#include <array>

#include "protocol/frame.h"
#include "protocol/frame_reassembly.h"

namespace kravent::sim {

bool TcpService::Start(const std::string& address, std::uint16_t port, std::string& error) {
    listener_ = OpenTcpListener(address, port, error);
    if (listener_ == kNoSocket) return false;
    port_ = BoundPort(listener_);
    stop_.Clear();
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void TcpService::Stop() {
    if (!acceptor_.joinable()) return;
    stop_.Signal();
    acceptor_.join();
    for (Connection& c : connections_) {
        {
            // Wakes a thread blocked in recv or send; the socket stays open until it closes it.
            std::lock_guard lock(c.fdMutex);
            if (c.fd != kNoSocket) ShutdownSocket(c.fd);
        }
        c.thread.join();
    }
    connections_.clear();
    CloseSocket(listener_);
}

bool TcpService::Rebind(const std::string& address, std::string& error) {
    std::unique_lock lock(rebindMutex_);
    rebindAddress_ = address;
    rebindError_.reset();
    rebind_.Signal();
    rebindDone_.wait(lock, [this] { return !rebindAddress_.has_value(); });
    if (rebindError_) error = *rebindError_;
    return !rebindError_.has_value();
}

void TcpService::AcceptLoop() {
    for (;;) {
        const SocketHandle sockets[3] = {stop_.handle(), rebind_.handle(), listener_};
        const std::optional<std::uint32_t> readable = WaitReadable(sockets, -1);
        if (!readable) continue;
        if ((*readable & 1u) != 0) {
            std::lock_guard lock(rebindMutex_);
            if (rebindAddress_) rebindError_ = "the service is stopping";
            rebindAddress_.reset();
            rebindDone_.notify_all();
            return;
        }
        if ((*readable & 2u) != 0) {
            rebind_.Clear();
            std::lock_guard lock(rebindMutex_);
            if (rebindAddress_) {
                std::string error;
                const SocketHandle fd = OpenTcpListener(*rebindAddress_, port_, error);
                if (fd != kNoSocket) {
                    CloseSocket(listener_);
                    listener_ = fd;
                } else {
                    rebindError_ = error;
                }
                rebindAddress_.reset();
                rebindDone_.notify_all();
            }
        }
        if ((*readable & 4u) != 0) Accept();
        ReapFinished();
    }
}

void TcpService::Accept() {
    // Each answer goes out at once, whatever is still unacknowledged (no send delay).
    SocketHandle fd = AcceptConnection(listener_);
    if (fd == kNoSocket) return;
    ReapFinished();
    if (connections_.size() >= kMaxConnections) {
        CloseSocket(fd);
        return;
    }
    SetOpenConnections(open_.fetch_add(1) + 1);
    log_.ConnectionOpened();
    Connection& c = connections_.emplace_back();
    c.fd = fd;
    const int id = nextId_++;
    c.thread = std::thread([this, &c, id] { Serve(c, id); });
}

void TcpService::SetOpenConnections(std::size_t count) {
    store_.SetInt("TCPCONNECTIONSOPENED", static_cast<std::int32_t>(count > 255 ? 255 : count));
}

void TcpService::ReapFinished() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->done.load()) {
            it->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

bool TcpService::SendAnswer(SocketHandle fd, const Endpoint& peer, const std::uint8_t* data, std::size_t size) {
    if (const std::uint32_t delay = faults_.delayMs.load(); delay > 0 && !SleepUnlessWoken(stop_, delay)) return false;
    const std::size_t piece = faults_.splitBytes.load();
    const std::uint32_t pause = faults_.splitPauseMs.load();
    for (std::size_t sent = 0; sent < size;) {
        const std::size_t chunk = piece > 0 && pause > 0 ? std::min(piece, size - sent) : size - sent;
        if (sent > 0 && !SleepUnlessWoken(stop_, pause)) return false;
        if (!SendAll(fd, data + sent, chunk, piece)) return false;
        sent += chunk;
    }
    if (trace_) trace_->Sent(module_, false, peer, data, size);
    log_.AddAnswer();
    return true;
}

void TcpService::Serve(Connection& connection, int id) {
    SocketHandle fd = connection.fd;  // set before this thread started; only this thread clears it
    FrameReassembler framer(Realignment::Keep);
    std::array<std::uint8_t, 2048> input{};
    // Room for several answers, so that merged answers still fit one send.
    std::array<std::uint8_t, 4 * wire::kMaxFrameSize> output{};
    std::size_t pending = 0;         // answer bytes not yet sent
    std::uint32_t heldAnswers = 0;   // answered pieces whose bytes are pending
    std::uint32_t exchanges = 0;     // answered pieces sent
    bool open = true;
    const Endpoint peer = trace_ ? PeerOf(fd) : Endpoint{};
    const std::uint32_t reachedAt = LocalAddressOf(fd);
    // A blocking receive per piece: Stop signals stop_ and shuts the socket down to end it.
    while (open) {
        const long n = Receive(fd, stop_, input.data(), input.size());
        if (n <= 0) break;
        logic_.AdvanceMotor();
        bool answered = false;
        const auto onFrame = [&](const std::uint8_t* frame, std::size_t size) {
            log_.AddFrame(id, frame, size);
            if (trace_) trace_->Frame(module_, true, false, peer, frame, size);
            if (faults_.silent.load() || !open) return;
            if (output.size() - pending < wire::kMaxFrameSize) {  // full: send what is there first
                open = SendAnswer(fd, peer, output.data(), pending);
                pending = 0;
            }
            const std::size_t answerSize =
                logic_.AnswerTcpFrame(frame, size, output.data() + pending, output.size() - pending, reachedAt);
            pending += answerSize;
            answered = answered || answerSize > 0;
        };
        const FrameFailures failed = TakeFrames(framer, input.data(), static_cast<std::size_t>(n), onFrame);
        log_.AddChecksumErrors(failed.checksumErrors, failed.tooLong);
        if (!answered || !open) continue;
        ++heldAnswers;
        const std::uint32_t merge = faults_.mergeAnswers.load();
        if (heldAnswers < (merge > 1 ? merge : 1) && output.size() - pending >= wire::kMaxFrameSize) continue;
        open = SendAnswer(fd, peer, output.data(), pending);
        pending = 0;
        exchanges += heldAnswers;
        heldAnswers = 0;
        const std::uint32_t closeAfter = faults_.closeAfterExchanges.load();
        if (closeAfter > 0 && exchanges >= closeAfter) break;
    }
    {
        std::lock_guard lock(connection.fdMutex);
        ShutdownSocket(fd);
        CloseSocket(fd);
        connection.fd = kNoSocket;
    }
    SetOpenConnections(open_.fetch_sub(1) - 1);
    log_.ConnectionClosed();  // after the register, so that a waiter finds it updated
    connection.done.store(true);
}

}  // namespace kravent::sim
