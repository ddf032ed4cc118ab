#include "dialog/HistoryRecord.h"

// TO WIRE: the record's store (settings/History.h, LoadHistory()) is built on another
// branch. Until it is merged the window opens on an empty record; the merge replaces
// this body with the store's days and today's figures as the counting holds them.
std::vector<DayEntry> ReadHistoryForWindow() { return {}; }
