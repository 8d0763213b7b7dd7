#include "cli/tune/sample_ring.h"

#include <algorithm>

namespace kravent::cli::tune {

void SampleRing::Push(PollSample&& sample) {
    {
        std::lock_guard lock(mutex_);
        if (samples_.size() == capacity_) samples_.pop_front();
        samples_.push_back(std::move(sample));
    }
    grown_.notify_all();
}

std::vector<PollSample> SampleRing::After(std::uint64_t sequence, std::chrono::milliseconds limit, std::size_t most) {
    std::unique_lock lock(mutex_);
    grown_.wait_for(lock, limit, [&] { return interrupted_ || (!samples_.empty() && samples_.back().sequence > sequence); });
    std::vector<PollSample> out;
    // Sequence numbers ascend through the ring: find the first newer one by halving.
    auto first = std::upper_bound(samples_.begin(), samples_.end(), sequence,
                                  [](std::uint64_t s, const PollSample& sample) { return s < sample.sequence; });
    for (; first != samples_.end() && out.size() < most; ++first) out.push_back(*first);
    return out;
}

std::optional<PollSample> SampleRing::Latest() const {
    std::lock_guard lock(mutex_);
    if (samples_.empty()) return std::nullopt;
    return samples_.back();
}

void SampleRing::Interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    grown_.notify_all();
}

}  // namespace kravent::cli::tune
