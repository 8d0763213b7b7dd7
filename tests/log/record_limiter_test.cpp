// The repeat limit of the log, on an injected clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/record_limiter.h"

namespace {

using kravent::LeftOutRecords;
using kravent::RecordLimiter;

constexpr std::uint32_t kBound = RecordLimiter::kRecordsPerWindow;
constexpr std::uint64_t kWindow = RecordLimiter::kWindowMs;

class RecordLimiterTest : public ::testing::Test {
protected:
    // Admits `message` from `ip` at `nowMs`; what ended windows left out goes to `ended_`.
    bool Admit(const std::string& message, const std::string& ip, std::uint64_t nowMs) {
        return limiter_.Admit(message, ip, nowMs, ended_);
    }
    // How many of `count` calls at `nowMs` are admitted.
    int AdmittedOf(int count, const std::string& message, const std::string& ip, std::uint64_t nowMs) {
        int admitted = 0;
        for (int i = 0; i < count; ++i) admitted += Admit(message, ip, nowMs) ? 1 : 0;
        return admitted;
    }

    RecordLimiter limiter_;
    std::vector<LeftOutRecords> ended_;
};

TEST_F(RecordLimiterTest, RepeatsBeyondTheBoundAreCountedAndReportedWhenTheWindowEnds) {
    EXPECT_EQ(AdmittedOf(kBound + 37, "Cannot Send\t(A)", "10.0.0.1", 5000), static_cast<int>(kBound));
    EXPECT_FALSE(Admit("Cannot Send\t(A)", "10.0.0.1", 5000 + kWindow - 1));  // still inside
    EXPECT_TRUE(ended_.empty());

    // Its next record opens a new window; the count of the old one comes first.
    EXPECT_TRUE(Admit("Cannot Send\t(A)", "10.0.0.1", 5000 + kWindow));
    ASSERT_EQ(ended_.size(), 1u);
    EXPECT_EQ(ended_[0].message, "Cannot Send\t(A)");
    EXPECT_EQ(ended_[0].ipText, "10.0.0.1");
    EXPECT_EQ(ended_[0].count, 38u);
    EXPECT_EQ(AdmittedOf(20, "Cannot Send\t(A)", "10.0.0.1", 5000 + kWindow), static_cast<int>(kBound - 1));
    EXPECT_EQ(ended_.size(), 1u);
}

TEST_F(RecordLimiterTest, EachMessageAndAddressHasItsOwnWindow) {
    EXPECT_EQ(AdmittedOf(30, "Cannot Send\t(A)", "10.0.0.1", 0), static_cast<int>(kBound));
    EXPECT_EQ(AdmittedOf(30, "Cannot Send\t(A)", "10.0.0.2", 0), static_cast<int>(kBound));
    EXPECT_EQ(AdmittedOf(30, "Send Failed\t(B)", "10.0.0.1", 0), static_cast<int>(kBound));
    EXPECT_TRUE(ended_.empty());
}

// A burst that stops is reported by whatever is logged next, in the order the windows
// opened; a window that left nothing out reports nothing.
TEST_F(RecordLimiterTest, EndedBurstsAreReportedByAnyLaterRecord) {
    AdmittedOf(kBound + 2, "First\t(A)", "0", 100);
    AdmittedOf(1, "Quiet\t(B)", "0", 200);
    AdmittedOf(kBound + 5, "Second\t(C)", "10.0.0.3", 300);
    EXPECT_TRUE(Admit("Other\t(D)", "0", 300 + kWindow));
    ASSERT_EQ(ended_.size(), 2u);
    EXPECT_EQ(ended_[0].message, "First\t(A)");
    EXPECT_EQ(ended_[0].count, 2u);
    EXPECT_EQ(ended_[1].message, "Second\t(C)");
    EXPECT_EQ(ended_[1].count, 5u);
    EXPECT_TRUE(Admit("Other\t(D)", "0", 10 * kWindow));
    EXPECT_EQ(ended_.size(), 2u);
}

// A flood of distinct records cannot grow the table: beyond it records are written.
TEST_F(RecordLimiterTest, RecordsBeyondTheOpenWindowsAreWrittenUntracked) {
    for (std::size_t i = 0; i < RecordLimiter::kOpenWindows; ++i) Admit("Payload " + std::to_string(i), "0", 0);
    EXPECT_EQ(AdmittedOf(30, "Untracked\t(A)", "0", 0), 30);
    EXPECT_EQ(AdmittedOf(30, "Payload 0", "0", 0), static_cast<int>(kBound - 1));
    EXPECT_EQ(AdmittedOf(30, "Untracked\t(A)", "0", kWindow), static_cast<int>(kBound));
}

TEST(LeftOutMessageTest, NamesTheCountAndTheWholeMessage) {
    EXPECT_EQ(kravent::LeftOutMessage({"Cannot Send all Bytes\t(CEthernetCom::SendData)", "10.0.0.1", 37}),
              "Repeated 37 more times within 1 s, left out: \"Cannot Send all Bytes\t(CEthernetCom::SendData)\"\t"
              "(WriteErrorLog)");
}

}  // namespace
