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

// The history window. Wide, as the paths of the files it saves and opens are.
inline constexpr char kNoRecordDayText[] = "nessuno";
inline constexpr wchar_t kExportFileName[] = L"storico-skittera.csv";
inline constexpr wchar_t kCsvFilter[] = L"File CSV (*.csv)\0*.csv\0Tutti i file (*.*)\0*.*\0";
inline constexpr wchar_t kHistoryMessageTitle[] = L"Skittera";
inline constexpr wchar_t kExportTitle[] = L"Esporta lo storico";
inline constexpr wchar_t kExportDialogFailedText[] = L"Impossibile aprire la finestra per salvare il file.";
// The path, then the system's reason (or kSystemErrorFormat with its number).
inline constexpr wchar_t kExportFailedFormat[] = L"Impossibile salvare lo storico in\n%s\n\n%s";
inline constexpr wchar_t kSystemErrorFormat[] = L"Errore %lu.";

// "Importa...". The question's buttons, "Somma", "Mantieni" and "Annulla", are in the
// resource script (IDD_IMPORT_QUESTION).
inline constexpr wchar_t kImportTitle[] = L"Importa nello storico";
inline constexpr wchar_t kImportDialogFailedText[] = L"Impossibile aprire la finestra per scegliere il file.";
// The path, then the system's reason.
inline constexpr wchar_t kImportReadFailedFormat[] = L"Impossibile leggere il file\n%s\n\n%s";
// How many days of the file the record already holds.
inline constexpr wchar_t kImportQuestionFormat[] =
    L"Giorni del file gi\u00E0 nello storico: %u.\n\nSomma: aggiunge le cifre del file a quelle dello "
    L"storico.\nMantieni: lascia quei giorni come sono e importa solo gli altri.\nAnnulla: non importa "
    L"nulla.";
// Why nothing was imported: the line, then the field's title (kImportLineFormat without
// a field), then what is wrong with it.
inline constexpr wchar_t kImportRefusedFormat[] = L"Nessun giorno importato.\n\n%s";
inline constexpr wchar_t kImportFieldFormat[] = L"Riga %u, campo \u00AB%s\u00BB: %s";
inline constexpr wchar_t kImportLineFormat[] = L"Riga %u: %s";
inline constexpr wchar_t kImportTooLargeText[] = L"Il file supera i 10 MB: non \u00E8 uno storico esportato.";
inline constexpr wchar_t kImportNoHeaderText[] =
    L"la prima riga non \u00E8 l'intestazione che scrive Esporta... (Data, Distanza (cm), Clic, Scatti della "
    L"rotella, Secondi attivi).";
inline constexpr wchar_t kImportFieldCountFormat[] = L"%u campi invece di 5.";
inline constexpr wchar_t kImportOpenQuoteText[] = L"le virgolette non sono chiuse.";
inline constexpr wchar_t kImportBadDateText[] = L"non \u00E8 una data esistente scritta AAAA-MM-GG.";
inline constexpr wchar_t kImportRepeatedDateFormat[] = L"la stessa data \u00E8 gi\u00E0 alla riga %u.";
inline constexpr wchar_t kImportNotANumberText[] = L"non \u00E8 un numero.";
inline constexpr wchar_t kImportNegativeText[] = L"\u00E8 negativo.";
inline constexpr wchar_t kImportNotFiniteText[] = L"la distanza non \u00E8 un numero finito.";
inline constexpr wchar_t kImportBeyondADayText[] =
    L"la distanza supera 10^12 cm, pi\u00F9 di quanto conti un giorno.";
inline constexpr wchar_t kImportCountTooLargeText[] = L"supera 2^53 (9007199254740992).";
inline constexpr wchar_t kImportNoMemoryText[] = L"Memoria insufficiente per importare il file.";
inline constexpr wchar_t kImportWriteFailedText[] =
    L"Impossibile scrivere nello storico: nessun giorno importato.";
// The closing message: added, summed, kept, skipped; then a line for each reason that
// kept or skipped a day.
inline constexpr wchar_t kImportDoneFormat[] =
    L"Importazione completata.\n\nGiorni aggiunti: %u\nGiorni sommati: %u\nGiorni mantenuti: %u\nGiorni "
    L"saltati: %u";
inline constexpr wchar_t kImportKeptAnsweredFormat[] =
    L"\n\nMantenuti come da risposta, perch\u00E9 gi\u00E0 nello storico: %u.";
inline constexpr wchar_t kImportKeptUnreadableFormat[] =
    L"\n\nMantenuti perch\u00E9 lo storico ha per quel giorno un valore che il programma non sa leggere: %u.";
inline constexpr wchar_t kImportKeptTooLargeFormat[] =
    L"\n\nMantenuti perch\u00E9 la somma supererebbe quanto un giorno pu\u00F2 contenere: %u.";
inline constexpr wchar_t kImportSkippedFormat[] =
    L"\n\nSaltati perch\u00E9 di oggi o successivi (oggi appartiene al conteggio in corso): %u.";

#endif
