// Where the history window takes the record of the days from.
#ifndef SKITTERA_DIALOG_HISTORYRECORD_H
#define SKITTERA_DIALOG_HISTORYRECORD_H

#include "engine/DayFigures.h"

// Every readable day of the record, today's figures as counted so far included.
DayList ReadHistoryForWindow();

#endif
