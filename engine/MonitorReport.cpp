#include "engine/MonitorReport.h"

namespace {

// Millimetres as an Italian reader writes them: a comma, one decimal when there is one
// ("597", "597,7").
TextString Millimetres(double mm) {
    TextString text;
    if (!(mm >= 0 && mm < 1e7)) {
        return TextString("?");
    }
    text.Format("%.1f", mm);
    if (text.length >= 2 && text.CharAt(text.length - 1) == '0') {
        return text.Left(text.length - 2);
    }
    text.buffer[text.length - 2] = ',';
    return text;
}

const char* SourceText(MonitorSizeSource source) {
    switch (source) {
    case MonitorSizeSource::Override:
        return "indicati nel Registro";
    case MonitorSizeSource::DetailedTiming:
    case MonitorSizeSource::BasicBlock:
        return "dall'EDID";
    case MonitorSizeSource::Fallback:
    default:
        return "riportati da Windows";
    }
}

void DescribeMonitor(TextString& text, int number, const MonitorReport& report) {
    const MonitorArea& area = report.area;
    // In double: the rectangle comes from outside and its sides may not fit a long.
    double widthPixels = static_cast<double>(area.right) - static_cast<double>(area.left);
    double heightPixels = static_cast<double>(area.bottom) - static_cast<double>(area.top);
    TextString line;
    line.Format("Schermo %d: %.0f x %.0f pixel, ", number, widthPixels, heightPixels);
    text.Append(line.buffer);
    if (area.mmPerPixelX > 0 && area.mmPerPixelY > 0) {
        text.Append(Millimetres(area.mmPerPixelX * widthPixels).buffer)
            .Append(" x ")
            .Append(Millimetres(area.mmPerPixelY * heightPixels).buffer)
            .Append(" mm ")
            .Append(SourceText(report.source))
            .Append(".\r\n");
    } else {
        text.Append("misura sconosciuta: qui il puntatore non conta.\r\n");
    }
    if (report.overrideName.IsEmpty()) {
        text.Append("Senza EDID: la sua misura non si pu\xF2 indicare.\r\n");
        return;
    }
    text.Append("Valore: ").Append(report.overrideName.buffer).Append("\r\n");
    if (report.overrideRefused) {
        text.Append("Il valore c'\xE8 ma non \xE8 una misura credibile: \xE8 ignorato.\r\n");
    }
}

} // namespace

// The text of the "Schermi" box: one paragraph per monitor, then how to state a size.
TextString DescribeMonitors(const MonitorReports& reports) {
    TextString text;
    int count = reports.count < kMaxMonitors ? reports.count : kMaxMonitors;
    if (count <= 0) {
        text.Append("Nessuno schermo letto uno per uno: si misura lo schermo intero con la misura "
                    "riportata da Windows.\r\n");
    }
    for (int index = 0; index < count; ++index) {
        DescribeMonitor(text, index + 1, reports.monitors[index]);
        text.Append("\r\n");
    }
    text.Append("Per indicare la misura di uno schermo: in HKEY_CURRENT_USER\\Software\\Skittera un "
                "valore stringa con il nome qui sopra e larghezza x altezza in millimetri, per esempio "
                "597x336 o 597,5x336,2. Vale dalla prossima apertura della finestra di Skittera "
                "o di questo elenco.");
    return text;
}
