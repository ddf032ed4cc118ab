// What the user is shown of each monitor: the size the program measures it with, where
// that size came from, and the name of the registry value that states it instead. Free
// of <windows.h>.
#ifndef SKITTERA_ENGINE_MONITORREPORT_H
#define SKITTERA_ENGINE_MONITORREPORT_H

#include "engine/Edid.h"
#include "engine/OdometerState.h"
#include "support/TextString.h"

struct MonitorReport {
    MonitorArea area; // as calibrated: physical pixels and millimetres per pixel
    MonitorSizeSource source = MonitorSizeSource::Fallback;
    TextString overrideName;      // empty when the monitor has no EDID to be named by
    bool overrideRefused = false; // a value of that name is there but is not a believable size
};

struct MonitorReports {
    int count = 0;
    MonitorReport monitors[kMaxMonitors];
};

TextString DescribeMonitors(const MonitorReports& reports);

#endif
