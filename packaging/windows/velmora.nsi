; The Windows installer of Velmora: the program for every user of the machine, in Program
; Files, with a Start-menu shortcut and an entry in Add/Remove Programs. Built by
; scripts/package-windows, which defines:
;   VERSION   the program's version, e.g. 0.9.48
;   STAGE     the folder holding velmora.exe, velmora.com and PolicyDefinitions\
;   ICON      the program's icon (resources/velmora.ico)
;   OUTFILE   the installer to write
; Uninstalling keeps the user's settings and log: reinstalling must find them again.
;
; The program always goes into Program Files, which only administrators can change, so no
; other user can replace what every user runs; neither a page nor /D= chooses another folder.
; A running Velmora is asked to end first, as taskkill asks it, and an update starts it
; again afterwards for the user who ran it.

Unicode true
; A 64-bit installer for a 64-bit program: it sees the 64-bit registry and Program Files
; without redirection, and needs no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Velmora"
!define PUBLISHER "Tessaloy"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "velmora"
!define UNINSTALLER "uninstall.exe"
; Every window of the program, its hidden ones included, is of this class.
!define WINDOW_CLASS "Velmora.Window"
; How long a running Velmora has to end once asked, and then once ended by force.
!define CLOSE_WAIT_MS 10000
!define FORCE_WAIT_MS 5000
; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE
!define PROCESS_RIGHTS 0x00101001
; TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE | TOKEN_QUERY: what starting a process with it needs.
!define TOKEN_RIGHTS 0x0000000B
!define CREATE_UNICODE_ENVIRONMENT 0x00000400

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The program speaks Japanese; English for every other system language.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

; The token of the Velmora this setup ended, kept to start the new version as the same
; user; 0 when none was running.
Var ProgramToken

Function .onInit
    SetShellVarContext all
    SetRegView 64
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    StrCpy $ProgramToken 0
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

!macro CLOSE_FUNCTIONS UN
; Ends the process that owns the window $R0 when it runs the program $R1 (a full path):
; WM_CLOSE, the request taskkill makes, then up to CLOSE_WAIT_MS for it to end, and only
; then by force. $R2 is 1 when the process was ours to end, else 0.
Function ${UN}EndProgramOfWindow
    Push $R3
    Push $R4
    Push $R5
    StrCpy $R2 0
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i 0 R3)'
    System::Call 'kernel32::OpenProcess(i ${PROCESS_RIGHTS}, i 0, i R3) p .R4'
    ${If} $R4 != 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p R4, i 0, w .R5, *i ${NSIS_MAX_STRLEN})'
        ${If} $R5 == $R1
            StrCpy $R2 1
            !if "${UN}" == ""
                ${If} $ProgramToken == 0
                    System::Call 'advapi32::OpenProcessToken(p R4, i ${TOKEN_RIGHTS}, *p 0 R5) i .R3'
                    ${If} $R3 != 0
                        StrCpy $ProgramToken $R5
                    ${EndIf}
                ${EndIf}
            !endif
            DetailPrint "Asking Velmora to end"
            System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)'
            System::Call 'kernel32::WaitForSingleObject(p R4, i ${CLOSE_WAIT_MS}) i .R3'
            ${If} $R3 != 0
                DetailPrint "Velmora did not end when asked; ending it"
                System::Call 'kernel32::TerminateProcess(p R4, i 1)'
                System::Call 'kernel32::WaitForSingleObject(p R4, i ${FORCE_WAIT_MS})'
            ${EndIf}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p R4)'
    ${EndIf}
    Pop $R5
    Pop $R4
    Pop $R3
FunctionEnd

; Ends every Velmora of this desktop started from the folder on the stack, so that its files
; can be replaced or removed. Another copy of Velmora is left running.
Function ${UN}CloseVelmoraIn
    Exch $R1
    Push $R0
    Push $R2
    StrCpy $R1 "$R1\velmora.exe"
    StrCpy $R0 0
    ${Do}
        FindWindow $R0 "${WINDOW_CLASS}" "" 0 $R0
        ${If} $R0 == 0
            ${Break}
        ${EndIf}
        Call ${UN}EndProgramOfWindow
        ${If} $R2 == 1
            ; Its windows went with it: look again from the first.
            StrCpy $R0 0
        ${EndIf}
    ${Loop}
    Pop $R2
    Pop $R0
    Pop $R1
FunctionEnd
!macroend
!insertmacro CLOSE_FUNCTIONS ""
!insertmacro CLOSE_FUNCTIONS "un."

; Starts the installed Velmora again when this setup ended one, with the token, environment
; and profile folder of the user who ran it: never elevated, never as the administrator who
; installs.
Function StartVelmoraAgain
    ${If} $ProgramToken == 0
        Return
    ${EndIf}
    System::Call 'userenv::CreateEnvironmentBlock(*p 0 R0, p $ProgramToken, i 1) i .R2'
    ${If} $R2 == 0
        StrCpy $R0 0
    ${EndIf}
    System::Call 'userenv::GetUserProfileDirectoryW(p $ProgramToken, w .R1, *i ${NSIS_MAX_STRLEN}) i .R2'
    ${If} $R2 == 0
        StrCpy $R1 "$INSTDIR"
    ${EndIf}
    ; STARTUPINFOW (104 bytes, zeroed but for its size) and PROCESS_INFORMATION (24 bytes).
    System::Alloc 104
    Pop $R3
    System::Call '*$R3(i 104)'
    System::Alloc 24
    Pop $R4
    System::Call 'advapi32::CreateProcessWithTokenW(p $ProgramToken, i 0, w "$INSTDIR\velmora.exe", w "$\"$INSTDIR\velmora.exe$\"", i ${CREATE_UNICODE_ENVIRONMENT}, p R0, w R1, p R3, p R4) i .R2'
    ${If} $R2 != 0
        System::Call '*$R4(p .R5, p .R6)'
        System::Call 'kernel32::CloseHandle(p R5)'
        System::Call 'kernel32::CloseHandle(p R6)'
    ${Else}
        DetailPrint "Velmora could not be started again; start it from the Start menu"
    ${EndIf}
    System::Free $R3
    System::Free $R4
    ${If} $R0 != 0
        System::Call 'userenv::DestroyEnvironmentBlock(p R0)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p $ProgramToken)'
    StrCpy $ProgramToken 0
FunctionEnd

; An earlier installer let the folder be chosen: a copy it put elsewhere is ended and
; removed, so that one Velmora stays, in Program Files.
Function RemoveCopyElsewhere
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 == ""
    ${OrIf} $R0 == $INSTDIR
        Return
    ${EndIf}
    Push $R0
    Call CloseVelmoraIn
    Delete "$R0\velmora.exe"
    Delete "$R0\velmora.com"
    Delete "$R0\${UNINSTALLER}"
    RMDir "$R0"
FunctionEnd

Section "Velmora" SectionProgram
    SectionIn RO
    Push $INSTDIR
    Call CloseVelmoraIn
    Call RemoveCopyElsewhere

    SetOutPath "$INSTDIR"
    File "${STAGE}\velmora.exe"
    File "${STAGE}\velmora.com"
    ; The Group Policy templates, for administrators to copy into PolicyDefinitions.
    SetOutPath "$INSTDIR\PolicyDefinitions"
    File "${STAGE}\PolicyDefinitions\velmora.admx"
    SetOutPath "$INSTDIR\PolicyDefinitions\en-US"
    File "${STAGE}\PolicyDefinitions\en-US\velmora.adml"
    SetOutPath "$INSTDIR\PolicyDefinitions\ja-JP"
    File "${STAGE}\PolicyDefinitions\ja-JP\velmora.adml"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The program keeps its packages and log in the user's own folders, so the shortcut
    ; starts it in the user's profile rather than in Program Files, which an ordinary user
    ; cannot write. The variable is expanded when the shortcut is used, for each user.
    StrCpy $OUTDIR "%USERPROFILE%"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\velmora.exe" "" \
        "$INSTDIR\velmora.exe" 0
    SetOutPath "$INSTDIR"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\velmora.exe$\",0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\${UNINSTALLER}$\""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
        "$\"$INSTDIR\${UNINSTALLER}$\" /S"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

    Call StartVelmoraAgain
SectionEnd

; Removes the current user's start-up entry only when it starts this copy of the program:
; the value may name another copy the user keeps elsewhere.
Function un.RemoveOwnUserRunValue
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == "$INSTDIR\velmora.exe"
    ${OrIf} $0 == "$\"$INSTDIR\velmora.exe$\""
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Push $INSTDIR
    Call un.CloseVelmoraIn
    Delete "$INSTDIR\velmora.exe"
    Delete "$INSTDIR\velmora.com"
    Delete "$INSTDIR\PolicyDefinitions\en-US\velmora.adml"
    Delete "$INSTDIR\PolicyDefinitions\ja-JP\velmora.adml"
    Delete "$INSTDIR\PolicyDefinitions\velmora.admx"
    RMDir "$INSTDIR\PolicyDefinitions\en-US"
    RMDir "$INSTDIR\PolicyDefinitions\ja-JP"
    RMDir "$INSTDIR\PolicyDefinitions"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    Call un.RemoveOwnUserRunValue
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; HKCU\Software\Tessaloy\Velmora and %LOCALAPPDATA%\Velmora\velmora.log are the
    ; user's and stay.
SectionEnd
