// When the counter and today's figures are due to be written down while the program
// runs, so that a crash, a kill or a power cut costs minutes, not a day.
#ifndef SKITTERA_ENGINE_CHECKPOINT_H
#define SKITTERA_ENGINE_CHECKPOINT_H

#include "engine/OdometerState.h"
#include "support/TextString.h"

// The longest stretch of counting that a crash, a kill or a power cut may cost.
constexpr TickCount kCheckpointPeriodMs = 5 * 60 * 1000;

// The three per-user values and today's figures as last written, and when.
struct CheckpointRecord {
    double distanceCm = 0;
    double unitDivisor = 0;
    TextString sinceDate;
    CalendarDate day;
    DayFigures dayFigures;
    TickCount savedAt = 0;
};

void RecordCheckpoint(CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                      TickCount now);
bool CheckpointPending(const CheckpointRecord& record, const OdometerState& state,
                       const TextString& sinceDate);
bool CheckpointDue(const CheckpointRecord& record, const OdometerState& state, const TextString& sinceDate,
                   TickCount now);

#endif
