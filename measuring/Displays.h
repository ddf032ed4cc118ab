// The monitors as the pointer hook sees them: each one's rectangle in physical pixels and
// its size in millimetres, read from Windows at start and again whenever Windows announces
// a change of the displays. The rules that turn what is read into millimetres per pixel
// are the engine's (engine/Edid.h); this file only gathers the facts.
#ifndef SKITTERA_MEASURING_DISPLAYS_H
#define SKITTERA_MEASURING_DISPLAYS_H

#include <windows.h>

#include "engine/Edid.h"
#include "engine/MonitorReport.h"
#include "engine/Monitors.h"

// Physical pixels for the calling thread: Windows 10 1607 and later give a thread the
// per-monitor awareness for a while, so that monitor rectangles come in the pixels of the
// hook's points even though the program's windows stay DPI-unaware. Returns the context to
// restore, or null where the system has no such thing (or refused it); the caller then
// reads the rectangles from the display modes instead.
DPI_AWARENESS_CONTEXT EnterPhysicalPixels();
void LeavePhysicalPixels(DPI_AWARENESS_CONTEXT previous);

// The monitor's EDID, read from the registry key of the monitor device that Windows shows on
// the display output (\\.\DISPLAY1, ...). False when there is none, or none that parses.
bool ReadMonitorEdid(const char* outputName, EdidInfo& edid);

// Every monitor's area and factors; count 0 when no monitor can be read.
MonitorLayout ReadMonitorLayout(MonitorReports* reports = nullptr);

// The whole virtual screen as one monitor, with GDI's size of the screen.
void CalibrateScreen();

// Reads the monitors and hands the table to the pointer hook; when no monitor can be read,
// the single-screen calibration stands in. A table equal to the one in force changes
// nothing, so announcements that leave the monitors as they were cost no pointer move.
void CalibrateDisplays(MonitorReports* reports = nullptr);

// The title of the box that shows how each monitor is measured.
constexpr char kMonitorReportTitle[] = "Schermi";
void ShowMonitorReport(HWND owner);

#endif
