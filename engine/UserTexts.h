// Every text the program's code shows the user, in one table: the Italian texts, and the
// few English ones it keeps (the refusal of an unsupported system, which comes before
// anything else). The dialogs' and the menu's own labels are in the resource script; the
// texts made of the measurement (tooltip, odometer, speeds, the history's figures, the
// CSV header, the monitors' list) are put together by the rules that make them, in
// DisplayTexts.h, HistorySummary.h, HistoryCsv.h and MonitorReport.h.
#ifndef SKITTERA_ENGINE_USERTEXTS_H
#define SKITTERA_ENGINE_USERTEXTS_H

// The caption of every message box.
inline constexpr char kProgramTitle[] = "Skittera";

// Start-up.
inline constexpr char kUnsupportedPlatformText[] = "This program requires Windows 95.";
inline constexpr char kUnsupportedPlatformTitle[] = "Error";
inline constexpr char kOtherPrivilegesText[] =
    "Skittera \xE8 gi\xE0 in esecuzione con privilegi diversi (una delle due copie \xE8 stata "
    "avviata come amministratore).\n\nUsare la sua icona nell'area di notifica, oppure "
    "chiuderla con Esci e avviare di nuovo Skittera.";

// Where the icon is and how to keep it in sight, shown once at the first start: Windows
// 11 puts a new icon out of sight, behind the arrow, and only the user can bring it out.
inline constexpr char kFirstStartBalloonTitle[] = "Skittera";
inline constexpr char kFirstStartBalloonText[] =
    "L'icona \xE8 nell'area di notifica. Per vederla sempre: Impostazioni > Personalizzazione > "
    "Barra delle applicazioni > Altre icone della barra delle applicazioni (Windows 11) o Selezionare "
    "le icone da visualizzare sulla barra delle applicazioni (Windows 10).";

// The message boxes of the log-on check box when the entry is not as the box asked; wide,
// so that the accented letters show right whatever the system's code page.
inline constexpr wchar_t kLogonMessageTitle[] = L"Skittera";
inline constexpr wchar_t kLogonMachineEntryStaysText[] =
    L"Avvio automatico configurato per tutti gli utenti: solo un amministratore pu\u00F2 disattivarlo "
    L"(Gestione attivit\u00E0 > App di avvio).";
inline constexpr wchar_t kLogonAnotherCopyText[] =
    L"Un'altra copia di Skittera \u00E8 configurata per l'avvio automatico di tutti gli utenti: solo un "
    L"amministratore pu\u00F2 sostituirla (Gestione attivit\u00E0 > App di avvio).";
inline constexpr wchar_t kLogonFailedText[] = L"Non \u00E8 stato possibile cambiare l'avvio automatico.";

// The dialog's window menu entry for the monitors' list.
inline constexpr char kMonitorReportEntry[] = "Schermi...";

// The history window.
inline constexpr char kNoRecordDayText[] = "nessuno";
inline constexpr char kExportFileName[] = "storico-skittera.csv";
inline constexpr char kExportFilter[] = "File CSV (*.csv)\0*.csv\0Tutti i file (*.*)\0*.*\0";
inline constexpr char kExportTitle[] = "Esporta lo storico";
inline constexpr char kExportDialogFailedText[] = "Impossibile aprire la finestra per salvare il file.";
// The path, then the system's reason (or kExportErrorFormat with its number).
inline constexpr char kExportFailedFormat[] = "Impossibile salvare lo storico in\n%s\n\n%s";
inline constexpr char kExportErrorFormat[] = "Errore %lu.";

#endif
