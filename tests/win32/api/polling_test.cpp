// Polling through the repetitive sender: every answer reaches the host's data
// callback on the opening thread at roughly the chosen period.
#include <cstdio>

#include "tests/win32/api/dll_api.h"
#include "tests/win32/api/host.h"
#include "tests/win32/harness.h"

using namespace kravent::wintest;

namespace {

constexpr DWORD kInterval = 2000;

struct Rate {
    int answers;
    ULONGLONG elapsedMs;
};

// Dispatches for kInterval and counts the answers that came meanwhile.
Rate CountAnswers() {
    const int before = observed.dataCalls;
    const ULONGLONG start = GetTickCount64();
    PumpFor(kInterval);
    return {observed.dataCalls - before, GetTickCount64() - start};
}

// Generous bounds: a loaded machine misses ticks, and its timer may catch some up;
// a period half as long as asked still exceeds the upper bound.
bool PlausibleFor(const Rate& rate, int periodMs, int leastAnswers) {
    std::printf("  period %d ms: %d answers in %llu ms\n", periodMs, rate.answers, rate.elapsedMs);
    const auto ticks = static_cast<int>(rate.elapsedMs / static_cast<ULONGLONG>(periodMs));
    const int most = ticks + ticks / 2 + 3;
    return rate.answers >= leastAnswers && rate.answers <= most;
}

}  // namespace

KRAVENT_CASE(PollingAnswersArriveAtTheChosenPeriod) {
    HostConnection connection(kModuleA);
    CHECK(connection.WaitConnected());
    if (!connection.opened()) return;
    const ComID com = connection.com();
    CHECK(Dll().Read_VOLTAGE(true, com));
    CHECK(Dll().Read_POSITION(true, com));
    CHECK(Dll().RepetitiveAskSetTime(100, com));
    CHECK(Dll().RepetitiveAskStart(com));
    const Rate slow = CountAnswers();
    CHECK(PlausibleFor(slow, 100, 8));

    // A period change while polling runs.
    CHECK(Dll().RepetitiveAskSetTime(10, com));
    const Rate fast = CountAnswers();
    CHECK(PlausibleFor(fast, 10, 40));
    CHECK(fast.answers > 2 * slow.answers);

    CHECK(Dll().RepetitiveAskStop(com));
    PumpFor(300);  // the cycle under way ends, then the sender suspends itself
    const int stopped = observed.dataCalls;
    PumpFor(500);
    CHECK(observed.dataCalls == stopped);

    CHECK(observed.dataCallsWithPolledValues == observed.dataCalls);
    CHECK(observed.callsOnOtherThreads == 0);
    CHECK(observed.events[2] == 0);
}
