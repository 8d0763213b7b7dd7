#include "sim/activity_log.h"

namespace kravent::sim {

ReceivedFrame& ActivityLog::NextSlot() {
    std::size_t slot = oldest_;
    if (logged_ < kMaxLoggedFrames) {
        slot = (oldest_ + logged_++) % kMaxLoggedFrames;
    } else {
        oldest_ = (oldest_ + 1) % kMaxLoggedFrames;
    }
    if (slot == ring_.size()) ring_.emplace_back();  // slots are taken in order until the ring is full
    return ring_[slot];
}

void ActivityLog::AddFrame(int connection, const std::uint8_t* bytes, std::size_t size) {
    const auto received = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    ReceivedFrame& frame = NextSlot();
    frame.connection = connection;
    frame.bytes.assign(bytes, bytes + size);
    frame.received = received;
    ++(connection == kUdpConnection ? counters_.udpFrames : counters_.tcpFrames);
    Changed();
}

void ActivityLog::AddChecksumErrors(std::size_t count, std::size_t oversized) {
    if (count == 0 && oversized == 0) return;
    std::lock_guard lock(mutex_);
    counters_.checksumErrors += count;
    counters_.oversizedFrames += oversized;
    Changed();
}

void ActivityLog::AddAnswer() {
    std::lock_guard lock(mutex_);
    ++counters_.answersSent;
    Changed();
}

void ActivityLog::AddAddressChange() {
    std::lock_guard lock(mutex_);
    ++counters_.addressChanges;
    Changed();
}

void ActivityLog::ConnectionOpened() {
    std::lock_guard lock(mutex_);
    ++counters_.connectionsAccepted;
    ++counters_.connectionsOpen;
    Changed();
}

void ActivityLog::ConnectionClosed() {
    std::lock_guard lock(mutex_);
    --counters_.connectionsOpen;
    Changed();
}

Counters ActivityLog::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

std::vector<ReceivedFrame> ActivityLog::frames() const {
    std::lock_guard lock(mutex_);
    std::vector<ReceivedFrame> frames;
    frames.reserve(logged_);
    for (std::size_t k = 0; k < logged_; ++k) frames.push_back(ring_[(oldest_ + k) % kMaxLoggedFrames]);
    return frames;
}

void ActivityLog::ClearFrames() {
    std::lock_guard lock(mutex_);
    oldest_ = 0;  // the slots keep their buffers for the frames to come
    logged_ = 0;
}

}  // namespace kravent::sim
