; Skittera's setup: installs the 64-bit program for the current user alone, without
; administrator rights, and writes the uninstaller that takes it away again.
;
;   makensis -DVERSION=1.0 -DVERSION4=1.0.0.0 -DPROGRAM=skittera.exe -DLICENCE=LICENSE
;            -DICON=skittera.ico -DOUTFILE=Skittera-1.0-setup.exe [-DSIGN=COMMAND] skittera.nsi
;
; tools/release.py setup runs it so, with the inputs' file times fixed. SIGN, when given,
; is a command that signs the file named after it in place: it runs on the uninstaller
; before the uninstaller is packed, and on the finished setup.
;
; What it writes: %LOCALAPPDATA%\Programs\Skittera (or the /D= folder) with skittera.exe
; and uninstall.exe, the Start menu's Skittera.lnk, the uninstall entry under HKCU and,
; when chosen, the user's Run value in the form the program's own log-on box writes.
;
; Exit statuses of a silent run (the winget manifest names them too):
;   0     done
;   1618  another setup or uninstall of Skittera is running
;   32    a running Skittera did not end when asked; nothing was changed
;   267   the folder chosen (with /D= too) is a file, or no path a folder can have
;   1603  the folder cannot be made or written, or a file in it cannot be replaced

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files' times are not stored: the same inputs give the same setup.
SetDateSave off
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PUBLISHER "The Skittera developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Skittera"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define SETTINGS_KEY "Software\Skittera"
; The class of the program's hidden main window: a close sent to it ends the program as
; "Esci" does, saving the counter and today's figures first.
!define WINDOW_CLASS "Skittera"
; Setups and uninstalls of this session take turns.
!define SETUP_MUTEX "Local\Skittera.Setup"
!define END_WAIT_MS 15000
!define SYNCHRONIZE_AND_QUERY 0x101000 ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
!define ERROR_ALREADY_EXISTS 183

!define EXIT_SETUP_RUNNING 1618
!define EXIT_PROGRAM_RUNNING 32
!define EXIT_FOLDER_IS_FILE 267
!define EXIT_CANNOT_WRITE 1603

!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
  !finalize '${SIGN} "%1"' = 0
!endif

Name "Skittera"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Skittera"
; An update goes where the last setup put the program.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Skittera ${VERSION}"

Var WasRunning     ; 1 when a running copy was ended, to be started again
Var Updating       ; 1 when the folder held the program before this setup
Var LogonBefore    ; 1 when a Run value started the program before this setup
Var FolderCreated  ; 1 when the setup made the folder

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Avvia Skittera"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Skittera"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Skittera"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

; ------------------------------------------------------------------------------------------
; Shared by the setup and the uninstaller.

!macro SHARED_FUNCTIONS un

; Only one setup or uninstall at a time: a second one would replace or remove files the
; first is working on. The mutex is held until the process ends.
Function ${un}TakeSetupMutex
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $0 = 0
  ${OrIf} $1 = ${ERROR_ALREADY_EXISTS}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Un'altra installazione o disinstallazione di Skittera è in corso. Attendere che finisca, poi riprovare." /SD IDOK
    SetErrorLevel ${EXIT_SETUP_RUNNING}
    Quit
  ${EndIf}
FunctionEnd

; $R0 without the quotes that may stand around a path; anything after the closing quote
; stays.
Function ${un}Unquote
  StrCpy $0 $R0 1
  ${If} $0 == '"'
    StrCpy $R0 $R0 "" 1
    StrCpy $0 $R0 1 -1
    ${If} $0 == '"'
      StrCpy $R0 $R0 -1
    ${EndIf}
  ${EndIf}
FunctionEnd

; Asks a running copy to end as "Esci" ends it and waits, a bounded time, for its process
; to end. $WasRunning is 1 when a copy was ended; the error flag is set when one did not
; end. With $R3 = 1 a copy started from another folder is left running.
Function ${un}EndRunningCopy
  StrCpy $WasRunning 0
  ClearErrors
  FindWindow $0 "${WINDOW_CLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE_AND_QUERY}, i 0, i r1) p .r2'
  ${If} $R3 = 1
  ${AndIf} $2 <> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r4, *i ${NSIS_MAX_STRLEN}) i .r5'
    ${If} $5 <> 0
    ${AndIf} $4 != "$INSTDIR\skittera.exe"
      System::Call 'kernel32::CloseHandle(p r2)'
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $WasRunning 1
  DetailPrint "Chiusura di Skittera in esecuzione..."
  System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i .r3'
  ${If} $3 = 0
    ; Refused: a copy run as administrator takes no messages from this setup.
    System::Call 'kernel32::CloseHandle(p r2)'
    SetErrors
    Return
  ${EndIf}
  ${If} $2 <> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${END_WAIT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $3 <> 0 ; not WAIT_OBJECT_0
      SetErrors
    ${EndIf}
    Return
  ${EndIf}
  ; The process could not be opened: its window goes when it ends.
  StrCpy $1 0
  ${DoWhile} $1 < ${END_WAIT_MS}
    System::Call 'user32::IsWindow(p r0) i .r3'
    ${If} $3 = 0
      Sleep 500 ; the process ends a moment after its window
      Return
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 100
  ${Loop}
  SetErrors
FunctionEnd

!macroend

!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; ------------------------------------------------------------------------------------------
; The setup.

; $R1 = 1 when the Run value Skittera of root $R2 (HKCU or HKLM) starts the program in the
; folder, compared as Windows compares paths (without regard to case).
Function RunValueStartsProgram
  StrCpy $R1 0
  ${If} $R2 == HKLM
    ReadRegStr $R0 HKLM "${RUN_KEY}" "Skittera"
  ${Else}
    ReadRegStr $R0 HKCU "${RUN_KEY}" "Skittera"
  ${EndIf}
  Call Unquote
  ${If} $R0 == "$INSTDIR\skittera.exe"
    StrCpy $R1 1
  ${EndIf}
FunctionEnd

; Why the folder cannot take the program, in $R0 with the exit status in $R1; $R0 is empty
; when it can. Leaves the folder as it found it.
Function CheckFolder
  StrCpy $R0 ""
  StrCpy $FolderCreated 0
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    ${If} ${FileExists} "$INSTDIR"
      StrCpy $R0 "$INSTDIR è un file, non una cartella. Scegliere un'altra cartella."
      StrCpy $R1 ${EXIT_FOLDER_IS_FILE}
      Return
    ${EndIf}
    ClearErrors
    CreateDirectory "$INSTDIR"
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
      StrCpy $R0 "Non è possibile creare la cartella $INSTDIR. Scegliere un'altra cartella."
      StrCpy $R1 ${EXIT_CANNOT_WRITE}
      Return
    ${EndIf}
    StrCpy $FolderCreated 1
  ${EndIf}
  ClearErrors
  FileOpen $0 "$INSTDIR\skittera-setup.tmp" w
  ${If} ${Errors}
    StrCpy $R0 "Non è possibile scrivere nella cartella $INSTDIR (è di sola lettura?). Scegliere un'altra cartella."
    StrCpy $R1 ${EXIT_CANNOT_WRITE}
  ${Else}
    FileClose $0
    Delete "$INSTDIR\skittera-setup.tmp"
  ${EndIf}
  ${If} $FolderCreated = 1
    RMDir "$INSTDIR"
  ${EndIf}
FunctionEnd

Function LeaveFolderPage
  Call CheckFolder
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R0"
    Abort ; stays on the page
  ${EndIf}
FunctionEnd

; Ends the setup with a message (in silent mode the exit status alone), the folder as far
; as possible as it was: $R0 the message, $R1 the status.
Function Fail
  Delete "$INSTDIR\skittera.exe.new"
  ${If} $FolderCreated = 1
    RMDir "$INSTDIR"
  ${EndIf}
  ${If} $WasRunning = 1
    ${AndIf} ${FileExists} "$INSTDIR\skittera.exe"
    Exec '"$INSTDIR\skittera.exe"'
  ${EndIf}
  DetailPrint "$R0"
  MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
  SetErrorLevel $R1
  Abort
FunctionEnd

; The new program takes the old one's place; should that fail, the old one stays.
Function PutProgramInPlace
  Delete "$INSTDIR\skittera.exe.old"
  ${If} ${FileExists} "$INSTDIR\skittera.exe"
    SetFileAttributes "$INSTDIR\skittera.exe" NORMAL
    ClearErrors
    Rename "$INSTDIR\skittera.exe" "$INSTDIR\skittera.exe.old"
    ${If} ${Errors}
      StrCpy $R0 "Non è possibile sostituire $INSTDIR\skittera.exe."
      StrCpy $R1 ${EXIT_CANNOT_WRITE}
      Call Fail
    ${EndIf}
  ${EndIf}
  ClearErrors
  Rename "$INSTDIR\skittera.exe.new" "$INSTDIR\skittera.exe"
  ${If} ${Errors}
    Rename "$INSTDIR\skittera.exe.old" "$INSTDIR\skittera.exe"
    StrCpy $R0 "Non è possibile scrivere $INSTDIR\skittera.exe."
    StrCpy $R1 ${EXIT_CANNOT_WRITE}
    Call Fail
  ${EndIf}
  Delete "$INSTDIR\skittera.exe.old"
FunctionEnd

Section "Avvia Skittera all'accesso" SecLogon
  ; Written by the section above, which reads this one's tick.
SectionEnd

; The start at log-on as chosen. An update leaves the entries as they are unless the option
; was changed on its page: the user may have changed them in the program since. Ticked, the
; user's Run value gets the command the program's own log-on box writes (the path, in
; quotes when it holds a blank) and Task Manager's switch for it goes (a missing switch is
; on), unless a machine entry starts this program already; cleared, a user's value that
; points into the folder goes.
Function SetLogonEntry
  StrCpy $R4 0
  ${If} ${SectionIsSelected} ${SecLogon}
    StrCpy $R4 1
  ${EndIf}
  ${If} $Updating = 1
  ${AndIf} $R4 = $LogonBefore
    Return
  ${EndIf}
  ${If} $R4 = 1
    StrCpy $R2 HKLM
    Call RunValueStartsProgram
    ${If} $R1 = 1
      Return
    ${EndIf}
    StrCpy $R0 "$INSTDIR\skittera.exe"
    StrCpy $1 0
    ${Do}
      StrCpy $2 $R0 1 $1
      ${If} $2 == " "
        StrCpy $R0 '"$R0"'
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
    ${LoopUntil} $2 == ""
    WriteRegStr HKCU "${RUN_KEY}" "Skittera" "$R0"
    DeleteRegValue HKCU "${APPROVED_KEY}" "Skittera"
  ${Else}
    ReadRegStr $R0 HKCU "${RUN_KEY}" "Skittera"
    Call Unquote
    StrLen $1 "$INSTDIR\"
    StrCpy $2 $R0 $1
    ${If} $2 == "$INSTDIR\"
      DeleteRegValue HKCU "${RUN_KEY}" "Skittera"
      DeleteRegValue HKCU "${APPROVED_KEY}" "Skittera"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function StartProgram
  FindWindow $0 "${WINDOW_CLASS}"
  ${If} $0 = 0
    Exec '"$INSTDIR\skittera.exe"'
  ${EndIf}
FunctionEnd

Section "-Skittera"
  SectionIn RO
  StrCpy $WasRunning 0
  Call CheckFolder
  ${If} $R0 != ""
    StrCpy $FolderCreated 0
    Call Fail
  ${EndIf}
  StrCpy $Updating 0
  ${If} ${FileExists} "$INSTDIR\skittera.exe"
    StrCpy $Updating 1
  ${EndIf}
  StrCpy $R2 HKCU
  Call RunValueStartsProgram
  StrCpy $LogonBefore $R1
  ${If} $LogonBefore = 0
    StrCpy $R2 HKLM
    Call RunValueStartsProgram
    StrCpy $LogonBefore $R1
  ${EndIf}

  ; The new program goes in beside the old one first: a running copy is asked to end only
  ; once nothing can stop the update any more.
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $FolderCreated 1
  ${EndIf}
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=skittera.exe.new" "${PROGRAM}"
  ${If} ${Errors}
    StrCpy $R0 "Non è possibile scrivere nella cartella $INSTDIR."
    StrCpy $R1 ${EXIT_CANNOT_WRITE}
    Call Fail
  ${EndIf}
  StrCpy $R3 0
  Call EndRunningCopy
  ${If} ${Errors}
    StrCpy $WasRunning 0 ; it still runs: nothing to start again
    StrCpy $R0 "Skittera è in esecuzione e non si è chiusa. Chiuderla (menu dell'icona, Esci) e avviare di nuovo l'installazione; nulla è stato cambiato."
    StrCpy $R1 ${EXIT_PROGRAM_RUNNING}
    Call Fail
  ${EndIf}
  Call PutProgramInPlace

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Skittera.lnk" "$INSTDIR\skittera.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Skittera"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\skittera.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  Call SetLogonEntry

  ${If} $WasRunning = 1
    Exec '"$INSTDIR\skittera.exe"'
  ${EndIf}
SectionEnd

; The folder asked for with /D=, which is the last argument and may hold blanks; empty
; without one. Read from the process's own command line: the setup's copy of it ends
; before /D=. A /D= in quotes, which the setup does not take, is found too.
Function FolderAskedFor
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrCpy $R0 ""
  StrLen $2 $0
  StrCpy $1 0
  ${DoWhile} $1 < $2
    StrCpy $3 $0 4 $1
    StrCpy $4 $0 5 $1
    ${If} $3 == " /D="
      IntOp $1 $1 + 4
      StrCpy $R0 $0 "" $1
      ${Break}
    ${ElseIf} $4 == ' "/D='
      ; With its closing quote, it never names the folder taken.
      IntOp $1 $1 + 5
      StrCpy $R0 $0 "" $1
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  ; A trailing backslash is not part of the folder's name.
  StrCpy $3 $R0 1 -1
  ${If} $3 == "\"
    StrCpy $R0 $R0 -1
  ${EndIf}
FunctionEnd

Function .onInit
  Call TakeSetupMutex
  ; A /D= folder the setup cannot take (a file, a name that is no path) would otherwise
  ; be passed over for the default one, without a word.
  Call FolderAskedFor
  ${If} $R0 != ""
  ${AndIf} $R0 != $INSTDIR
    MessageBox MB_OK|MB_ICONSTOP "/D=$R0 non indica una cartella in cui installare: non deve essere un file, e va scritto per ultimo e senza virgolette. Nulla è stato cambiato." /SD IDOK
    SetErrorLevel ${EXIT_FOLDER_IS_FILE}
    Quit
  ${EndIf}
  ; An update shows the log-on entry as it is.
  ${If} ${FileExists} "$INSTDIR\skittera.exe"
    StrCpy $R2 HKCU
    Call RunValueStartsProgram
    ${If} $R1 = 0
      StrCpy $R2 HKLM
      Call RunValueStartsProgram
    ${EndIf}
    ${If} $R1 = 0
      !insertmacro UnselectSection ${SecLogon}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ------------------------------------------------------------------------------------------
; The uninstaller.

; A Run value Skittera of root $R2 that points into the folder goes, with Task Manager's
; switch for it; one that starts another copy stays. $R1 is 1 when a value of the folder's
; could not be deleted.
Function un.RemoveRunValue
  StrCpy $R1 0
  ${If} $R2 == HKLM
    ReadRegStr $R0 HKLM "${RUN_KEY}" "Skittera"
  ${Else}
    ReadRegStr $R0 HKCU "${RUN_KEY}" "Skittera"
  ${EndIf}
  Call un.Unquote
  StrLen $1 "$INSTDIR\"
  StrCpy $2 $R0 $1
  ${If} $2 != "$INSTDIR\"
    Return
  ${EndIf}
  ClearErrors
  ${If} $R2 == HKLM
    DeleteRegValue HKLM "${RUN_KEY}" "Skittera"
    ${IfNot} ${Errors}
      DeleteRegValue HKLM "${APPROVED_KEY}" "Skittera"
    ${EndIf}
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "Skittera"
    ${IfNot} ${Errors}
      DeleteRegValue HKCU "${APPROVED_KEY}" "Skittera"
    ${EndIf}
  ${EndIf}
  ${If} ${Errors}
    StrCpy $R1 1
  ${EndIf}
  ClearErrors
FunctionEnd

Section "-un.Skittera"
  StrCpy $R3 1
  Call un.EndRunningCopy
  ${If} ${Errors}
    StrCpy $R0 "Skittera è in esecuzione e non si è chiusa. Chiuderla (menu dell'icona, Esci) e avviare di nuovo la disinstallazione; nulla è stato tolto."
    DetailPrint "$R0"
    MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
    SetErrorLevel ${EXIT_PROGRAM_RUNNING}
    Abort
  ${EndIf}
  SetFileAttributes "$INSTDIR\skittera.exe" NORMAL
  Delete "$INSTDIR\skittera.exe"
  ${If} ${FileExists} "$INSTDIR\skittera.exe"
    StrCpy $R0 "Non è possibile togliere $INSTDIR\skittera.exe; la voce in App installate resta, per riprovare."
    DetailPrint "$R0"
    MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
    SetErrorLevel ${EXIT_CANNOT_WRITE}
    Abort
  ${EndIf}

  StrCpy $R2 HKCU
  Call un.RemoveRunValue
  StrCpy $R2 HKLM
  Call un.RemoveRunValue
  ${If} $R1 = 1
    MessageBox MB_OK|MB_ICONINFORMATION "L'avvio di Skittera all'accesso è impostato per tutti gli utenti: solo un amministratore può toglierlo (Gestione attività > App di avvio)." /SD IDOK
  ${EndIf}

  ; Another installation's entry (a setup run with another folder since) stays.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == "$INSTDIR"
    Delete "$SMPROGRAMS\Skittera.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Elimina anche il contatore e lo storico" SecPurge
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

Function un.onInit
  Call un.TakeSetupMutex
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPurge}
  ${EndIf}
FunctionEnd
