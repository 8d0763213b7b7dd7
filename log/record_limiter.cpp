#include "log/record_limiter.h"

#include <algorithm>

namespace kravent {

bool RecordLimiter::Admit(std::string_view message, std::string_view ipText, std::uint64_t nowMs,
                          std::vector<LeftOutRecords>& ended) {
    const auto over = [&](const Window& window) { return nowMs - window.startMs >= kWindowMs; };
    for (const Window& window : windows_) {
        if (over(window) && window.leftOut > 0) ended.push_back({window.message, window.ipText, window.leftOut});
    }
    std::erase_if(windows_, over);

    const auto open = std::find_if(windows_.begin(), windows_.end(), [&](const Window& window) {
        return window.message == message && window.ipText == ipText;
    });
    if (open == windows_.end()) {
        if (windows_.size() < kOpenWindows) windows_.push_back({std::string(message), std::string(ipText), nowMs, 1, 0});
        return true;
    }
    if (open->written < kRecordsPerWindow) {
        ++open->written;
        return true;
    }
    ++open->leftOut;
    return false;
}

std::string LeftOutMessage(const LeftOutRecords& leftOut) {
    return "Repeated " + std::to_string(leftOut.count) + " more times within " +
           std::to_string(RecordLimiter::kWindowMs / 1000) + " s, left out: \"" + leftOut.message +
           "\"\t(WriteErrorLog)";
}

}  // namespace kravent
