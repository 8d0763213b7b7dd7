#include "sim/activity_log.h"

namespace kravent::sim {

void ActivityLog::AddFrame(int connection, const std::uint8_t* bytes, std::size_t size) {
    const auto received = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex_);
    if (frames_.size() >= kMaxLoggedFrames) frames_.pop_front();
    frames_.push_back({connection, std::vector<std::uint8_t>(bytes, bytes + size), received});
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
    return {frames_.begin(), frames_.end()};
}

void ActivityLog::ClearFrames() {
    std::lock_guard lock(mutex_);
    frames_.clear();
}

}  // namespace kravent::sim
