; The Windows installer of Velmora: the program for every user of the machine, in Program
; Files, with a Start-menu shortcut and an entry in Add/Remove Programs. Built by
; scripts/package-windows, which defines:
;   VERSION   the program's version, e.g. 0.9.48
;   STAGE     the folder holding velmora.exe and velmora.com
;   ICON      the program's icon (resources/velmora.ico)
;   OUTFILE   the installer to write
; Uninstalling keeps the user's settings and log: reinstalling must find them again.

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

!define PRODUCT "Velmora"
!define PUBLISHER "Tessaloy"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "velmora"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An update goes where the previous version went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
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
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The program speaks Japanese; English for every other system language.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "Velmora" SectionProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${STAGE}\velmora.exe"
    File "${STAGE}\velmora.com"
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
    Delete "$INSTDIR\velmora.exe"
    Delete "$INSTDIR\velmora.com"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    Call un.RemoveOwnUserRunValue
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; HKCU\Software\Tessaloy\Velmora and %LOCALAPPDATA%\Velmora\velmora.log are the
    ; user's and stay.
SectionEnd
