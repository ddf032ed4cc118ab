// The measurement is shared by two threads. The hook thread writes the counter, the
// position and the speeds at every pointer move; the main thread reads them on its
// ticks (tooltip, dialog, checkpoint, save) and changes them on a reset, a unit change,
// a load and a change of the displays. Every access to the OdometerState fields of
// appState from either thread, and to the hook's screen geometry, happens under this
// one lock, and each holds it only to copy or update a few numbers: never around a
// system call, a drawing or a registry access.
#ifndef SKITTERA_MEASURING_MEASUREMENTLOCK_H
#define SKITTERA_MEASURING_MEASUREMENTLOCK_H

#include "engine/OdometerState.h"
#include "measuring/Globals.h"

// Holds the lock for its lifetime. May be taken again by the thread that holds it.
class MeasurementGuard {
public:
    MeasurementGuard();
    ~MeasurementGuard();
    MeasurementGuard(const MeasurementGuard&) = delete;
    MeasurementGuard& operator=(const MeasurementGuard&) = delete;
};

// A consistent copy of the measurement, for the main thread to read at leisure.
OdometerState SnapshotMeasurement();

// Runs change(measurement) under the lock. The change must be a few assignments or an
// engine step: the hook waits for it.
template <typename Change> void ModifyMeasurement(Change change) {
    MeasurementGuard guard;
    change(static_cast<OdometerState&>(appState));
}

#endif
