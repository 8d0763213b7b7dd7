// The multimedia timer: timeSetEvent sets the target event itself at every period,
// so no library code runs on the timer. While any timer runs the system timer
// resolution is raised to 1 ms, which periods of 10 ms need to be kept.
#include "platform/win32/windows_api.h"

#include <mmsystem.h>

namespace kravent::platform {
namespace {

SRWLOCK resolutionLock = SRWLOCK_INIT;
unsigned runningTimers = 0;

void CountTimer(bool started) {
    AcquireSRWLockExclusive(&resolutionLock);
    if (started) {
        if (runningTimers++ == 0) timeBeginPeriod(1);
    } else if (runningTimers > 0) {
        if (--runningTimers == 0) timeEndPeriod(1);
    }
    ReleaseSRWLockExclusive(&resolutionLock);
}

}  // namespace

std::uint32_t StartPeriodicTimer(std::uint32_t periodMs, Event& target) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs || target.impl()->handle == nullptr) return 0;
    CountTimer(true);
    const MMRESULT id = timeSetEvent(periodMs, 0, reinterpret_cast<LPTIMECALLBACK>(reinterpret_cast<DWORD_PTR>(target.impl()->handle)), 0,
                                     TIME_PERIODIC | TIME_CALLBACK_EVENT_SET);
    if (id == 0) CountTimer(false);
    return id;
}

void KillPeriodicTimer(std::uint32_t timerId) {
    if (timerId != 0 && timeKillEvent(timerId) == TIMERR_NOERROR) CountTimer(false);
}

}  // namespace kravent::platform
