// The "Schermi" text: each monitor's size with its source and its value name.
#include "engine/MonitorReport.h"

#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

const char kHowTo[] =
    "Per indicare la misura di uno schermo: in HKEY_CURRENT_USER\\Software\\Skittera un valore "
    "stringa con il nome qui sopra e larghezza x altezza in millimetri, per esempio 597x336 o "
    "597,5x336,2. Vale dalla prossima apertura della finestra di Skittera o di questo elenco.";

MonitorReport Report(MonitorArea area, MonitorSizeSource source, const char* name, bool refused = false) {
    MonitorReport report;
    report.area = area;
    report.source = source;
    report.overrideName = name;
    report.overrideRefused = refused;
    return report;
}

// The sizes are the factors times the pixels: 597 / 1920 mm per pixel over 1920 pixels is
// 597 mm; 0.3113 x 1920 = 597.696, shown to one decimal; 339 / 1280 x 1280 = 339.
TEST(MonitorReport, EachMonitorWithItsSizeSourceAndValueName) {
    MonitorReports reports;
    reports.count = 4;
    reports.monitors[0] = Report(MonitorArea{0, 0, 1920, 1080, 597.0 / 1920, 336.0 / 1080},
                                 MonitorSizeSource::DetailedTiming, "SkitSchermo.DEL40A1.0001E240");
    reports.monitors[1] = Report(MonitorArea{1920, 0, 3840, 1080, 0.3113, 0.3113},
                                 MonitorSizeSource::Override, "SkitSchermo.SAM0F00.00000001");
    reports.monitors[2] = Report(MonitorArea{-1280, 0, 0, 1024, 339.0 / 1280, 271.0 / 1024},
                                 MonitorSizeSource::Fallback, "SkitSchermo.SAM0F00.00000002", true);
    reports.monitors[3] = Report(MonitorArea{0, 1080, 1280, 2040, 0, 0}, MonitorSizeSource::Fallback, "");
    std::string expected = "Schermo 1: 1920 x 1080 pixel, 597 x 336 mm dall'EDID.\r\n"
                           "Valore: SkitSchermo.DEL40A1.0001E240\r\n\r\n"
                           "Schermo 2: 1920 x 1080 pixel, 597,7 x 336,2 mm indicati nel Registro.\r\n"
                           "Valore: SkitSchermo.SAM0F00.00000001\r\n\r\n"
                           "Schermo 3: 1280 x 1024 pixel, 339 x 271 mm riportati da Windows.\r\n"
                           "Valore: SkitSchermo.SAM0F00.00000002\r\n"
                           "Il valore c'\xE8 ma non \xE8 una misura credibile: \xE8 ignorato.\r\n\r\n"
                           "Schermo 4: 1280 x 960 pixel, misura sconosciuta: qui il puntatore non conta.\r\n"
                           "Senza EDID: la sua misura non si pu\xF2 indicare.\r\n\r\n";
    EXPECT_EQ(std::string(DescribeMonitors(reports).buffer), expected + kHowTo);
}

TEST(MonitorReport, NoMonitorsAndNonsenseStayReadable) {
    MonitorReports none;
    none.count = -2;
    EXPECT_EQ(
        std::string(DescribeMonitors(none).buffer),
        std::string("Nessuno schermo letto uno per uno: si misura lo schermo intero con la misura riportata "
                    "da Windows.\r\n") +
            kHowTo);
    // Extreme rectangles and factors: no overflow, no "inf" or "nan" shown as a size.
    MonitorReports odd;
    odd.count = 40; // more than the table holds: the first sixteen
    odd.monitors[0] = Report(MonitorArea{std::numeric_limits<int>::min(), 0, std::numeric_limits<int>::max(),
                                         10, std::numeric_limits<double>::infinity(), 1},
                             MonitorSizeSource::BasicBlock, "SkitSchermo.X");
    std::string text = DescribeMonitors(odd).buffer;
    EXPECT_NE(text.find("Schermo 1: 4294967295 x 10 pixel, ? x 10 mm dall'EDID."), std::string::npos) << text;
    EXPECT_NE(text.find("Schermo 16: "), std::string::npos);
    EXPECT_EQ(text.find("Schermo 17: "), std::string::npos);
}

} // namespace
