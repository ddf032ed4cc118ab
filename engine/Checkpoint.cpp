#include "engine/Checkpoint.h"

#include <cstring>

#include "engine/Odometer.h"

void RecordCheckpoint(CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                      TickCount now) {
    record.distanceCm = state.distanceCm;
    record.unitDivisor = state.unitDivisor;
    record.sinceDate = sinceDate;
    record.day = state.day;
    record.dayFigures = state.dayFigures;
    record.savedAt = now;
}

// Something the registry does not hold yet: the distance grew, the dialog changed the
// unit or reset the counter, or today's figures changed (a click or a turn of the
// wheel without a move, a new day).
bool CheckpointPending(const CheckpointRecord& record, const OdometerState& state,
                       const TextString& sinceDate) {
    const DayFigures& day = state.dayFigures;
    const DayFigures& saved = record.dayFigures;
    return state.distanceCm != record.distanceCm || state.unitDivisor != record.unitDivisor ||
           std::strcmp(sinceDate.buffer, record.sinceDate.buffer) != 0 || state.day != record.day ||
           day.distanceCm != saved.distanceCm || day.presses != saved.presses ||
           day.wheelNotches != saved.wheelNotches || day.activeSeconds != saved.activeSeconds;
}

// A change waits at most one checkpoint period before it is written; a counter that
// stands still is never rewritten.
bool CheckpointDue(const CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                   TickCount now) {
    return CheckpointPending(record, state, sinceDate) &&
           TicksBetween(record.savedAt, now) >= kCheckpointPeriodMs;
}
