// The latest poll answers, kept for the page's streams and the experiments, which each
// read on from the last sequence number they saw; a reader that falls further behind
// than the ring holds sees the gap in the numbers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "cli/tune/module_link.h"

namespace kravent::cli::tune {

class SampleRing {
public:
    explicit SampleRing(std::size_t capacity) : capacity_(capacity) {}

    void Push(PollSample&& sample);
    // The samples after `sequence` (at most `most`), waiting up to `limit` for the first
    // one; fewer or none when the time ran out or Interrupt() was called.
    std::vector<PollSample> After(std::uint64_t sequence, std::chrono::milliseconds limit, std::size_t most);
    // The newest sample, if any.
    std::optional<PollSample> Latest() const;
    // Wakes every waiting reader now and from then on.
    void Interrupt();

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable grown_;
    std::deque<PollSample> samples_;
    bool interrupted_ = false;
};

}  // namespace kravent::cli::tune
