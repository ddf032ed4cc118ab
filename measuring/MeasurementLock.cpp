#include "measuring/MeasurementLock.h"

#include <windows.h>

namespace {

// A critical section rather than a plain spin lock: taking a free one is a single
// interlocked operation, a short wait for the other thread is spun away (the spin
// count), and only when its owner has been preempted does the waiter sleep in the
// kernel, so the raised-priority hook thread can never spin while the thread it waits
// for gets no processor. It exists on every Windows the program runs on (slim
// reader-writer locks would need Vista's headers and give nothing more here).
constexpr DWORD kSpinCount = 4000;

struct Lock {
    CRITICAL_SECTION section;
    Lock() { InitializeCriticalSectionAndSpinCount(&section, kSpinCount); }
    // Never deleted: it lives to the end of the process, and a hook thread that failed
    // to end in time must not meet a deleted lock during static destruction.
};

Lock measurementLock;

} // namespace

MeasurementGuard::MeasurementGuard() { EnterCriticalSection(&measurementLock.section); }

MeasurementGuard::~MeasurementGuard() { LeaveCriticalSection(&measurementLock.section); }

OdometerState SnapshotMeasurement() {
    MeasurementGuard guard;
    return static_cast<const OdometerState&>(appState);
}
