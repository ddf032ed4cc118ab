// Where the history window takes the record of the days from.
#ifndef SKITTERA_MEASURING_HISTORYRECORD_H
#define SKITTERA_MEASURING_HISTORYRECORD_H

#include "engine/DayFigures.h"

// Starts reading the stored days on a worker thread, for a history window that may be
// opened soon: a long record takes a noticeable time to read under Wine, where every
// value is a round trip to the server. Does nothing while a read is under way.
void ReadHistoryAhead();

// Every readable day of the record, today's figures as counted so far included: the days
// read ahead when they are still current, else read now.
DayList ReadHistoryForWindow();

// Waits for a read under way and lets its days go (the dialog that asked for it closes).
void ForgetHistoryReadAhead();

#endif
