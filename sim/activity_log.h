// What a simulated module has seen: counters and the frames received, per
// connection. Shared by the services and read by tests; waits need no sleeps.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kravent::sim {

inline constexpr int kUdpConnection = -1;  // the connection id of frames received over UDP

struct ReceivedFrame {
    int connection;  // TCP connections are numbered from 1 in order of acceptance
    std::vector<std::uint8_t> bytes;
    std::chrono::steady_clock::time_point received{};  // when the frame was taken from the stream
};

struct Counters {
    std::size_t tcpFrames = 0;
    std::size_t udpFrames = 0;
    std::size_t checksumErrors = 0;
    std::size_t oversizedFrames = 0;
    std::size_t answersSent = 0;  // sends of an answer, TCP and UDP
    std::size_t connectionsAccepted = 0;
    std::size_t connectionsOpen = 0;
    std::size_t addressChanges = 0;
};

class ActivityLog {
public:
    static constexpr std::size_t kMaxLoggedFrames = 10000;  // older frames are dropped

    void AddFrame(int connection, const std::uint8_t* bytes, std::size_t size);
    void AddChecksumErrors(std::size_t count, std::size_t oversized);
    void AddAnswer();
    void AddAddressChange();
    void ConnectionOpened();
    void ConnectionClosed();

    Counters counters() const;
    std::vector<ReceivedFrame> frames() const;
    void ClearFrames();

    // Waits until pred(counters) holds; false on timeout.
    template <typename Pred>
    bool WaitFor(Pred pred, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return pred(counters_); });
    }

private:
    void Changed() { changed_.notify_all(); }
    ReceivedFrame& NextSlot();


    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Counters counters_;
    // A ring of logged frames: once a slot has been used its buffer is reused, so a
    // busy connection does not allocate per frame. The oldest frame is overwritten first.
    std::vector<ReceivedFrame> ring_;
    std::size_t oldest_ = 0;
    std::size_t logged_ = 0;
};

}  // namespace kravent::sim
