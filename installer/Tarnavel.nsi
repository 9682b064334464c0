; Tarnavel's installer: per user, no administrator rights. Installs tarnavel.exe
; and its hand pointer under the user's local programs folder, the
; administrative templates for Group Policy in its subfolder policy (for an
; administrator to copy into a policy store), a Start menu shortcut, an
; uninstaller and the entry of "Apps & features". Silent with /S. It installs
; no Tarnavel.ini: an installed copy keeps its settings in the registry.
;
; The uninstaller removes all of that and the program's start with Windows;
; the settings stay unless the user ticks the box that removes them (a silent
; uninstall keeps them).
;
; Built on Linux or Windows with NSIS 3 (scripts/package does it):
;   makensis -DEXE=path/tarnavel.exe -DCURSOR=path/HAND-M.CUR -DPOLICY=path/policy \
;            -DOUTFILE=path/setup.exe Tarnavel.nsi
; Without the defines it takes the cross build's files and writes into dist/.
; makensis works in this script's folder: the paths here are relative to it.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

; --- the version, from the one place that holds it -----------------------------
!searchparse /file "../resources/version.h" "#define TARNAVEL_VERSION_MAJOR " MAJOR
!searchparse /file "../resources/version.h" "#define TARNAVEL_VERSION_MINOR " MINOR
!searchparse /file "../resources/version.h" "#define TARNAVEL_VERSION_PATCH " PATCH
!searchparse /file "../resources/version.h" "#define TARNAVEL_VERSION_BUILD " BUILD
!define VERSION "${MAJOR}.${MINOR}.${PATCH}"

!ifndef EXE
  !define EXE "../build/win/win32/tarnavel.exe"
!endif
!ifndef CURSOR
  !define CURSOR "../build/win/win32/HAND-M.CUR"
!endif
!ifndef POLICY
  !define POLICY "../policy"
!endif
!ifndef OUTFILE
  !define OUTFILE "../dist/Tarnavel-Setup-${VERSION}.exe"
!endif

!define PRODUCT "Tarnavel"
!define PUBLISHER "Kestrine"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnavel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "tarnavel.exe"
!define SETTINGS_KEY "Software\Kestrine\Tarnavel"
!define WINDOW_CLASS "Tarnavel.Form1"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarnavel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${MAJOR}.${MINOR}.${PATCH}.${BUILD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${MAJOR}.${MINOR}.${PATCH}.${BUILD}"
VIAddVersionKey "ProductVersion" "${MAJOR}.${MINOR}.${PATCH}.${BUILD}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!include "WinVer.nsh"

!define MUI_ICON "../resources/app.ico"
!define MUI_UNICON "../resources/app.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarnavel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
UninstPage custom un.KeepSettingsPage un.KeepSettingsLeave
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Every running Tarnavel, shown or in the tray, is asked to close as its close
; box would (it saves its queue) and given a few seconds to end: its files
; cannot be replaced or deleted while it runs.
!macro CloseRunning UN
Function ${UN}CloseRunning
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    ${If} $1 == 0
      DetailPrint "Closing the running ${PRODUCT}..."
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    Sleep 200
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 50
FunctionEnd
!macroend
!insertmacro CloseRunning ""
!insertmacro CloseRunning "un."

; The program needs Windows 10 version 1607 (build 14393) or later: older
; systems lack calls it makes and would not start it. Every older Windows has
; a lower build number (8.1 is 9600, the first Windows 10 10240). A silent
; install shows no box and ends with ERROR_OLD_WIN_VERSION.
!define MIN_BUILD 14393
!define ERROR_OLD_WIN_VERSION 1150

Function .onInit
  ${IfNot} ${AtLeastBuild} ${MIN_BUILD}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs Windows 10 version 1607 or later." /SD IDOK
    SetErrorLevel ${ERROR_OLD_WIN_VERSION}
    Abort
  ${EndIf}
FunctionEnd

Section "Tarnavel"
  Call CloseRunning
  SetOutPath "$INSTDIR"
  File "/oname=tarnavel.exe" "${EXE}"
  File "/oname=HAND-M.CUR" "${CURSOR}"
  SetOutPath "$INSTDIR\policy"
  File "/oname=Tarnavel.admx" "${POLICY}/Tarnavel.admx"
  SetOutPath "$INSTDIR\policy\en-US"
  File "/oname=Tarnavel.adml" "${POLICY}/en-US/Tarnavel.adml"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tarnavel.exe" "" "$INSTDIR\tarnavel.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnavel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; --- uninstall -----------------------------------------------------------------

Var RemoveSettings
Var RemoveSettingsBox

Function un.KeepSettingsPage
  !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT}" "Remove ${PRODUCT} from your computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "${PRODUCT} will be removed from $INSTDIR, with its Start menu \
      shortcut, and will no longer start with Windows.$\r$\n$\r$\nYour queue and settings stay, \
      for a later installation, unless you tick the box below."
  Pop $0
  ${NSD_CreateCheckbox} 0 52u 100% 12u "&Also remove my ${PRODUCT} settings and queue"
  Pop $RemoveSettingsBox
  nsDialogs::Show
FunctionEnd

Function un.KeepSettingsLeave
  ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

Section "Uninstall"
  Call un.CloseRunning
  Delete "$INSTDIR\tarnavel.exe"
  Delete "$INSTDIR\HAND-M.CUR"
  Delete "$INSTDIR\policy\en-US\Tarnavel.adml"
  RMDir "$INSTDIR\policy\en-US"
  Delete "$INSTDIR\policy\Tarnavel.admx"
  RMDir "$INSTDIR\policy"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The start with Windows of this copy; one that names another copy of the
  ; program stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\tarnavel.exe"'
  ${OrIf} $0 == "$INSTDIR\tarnavel.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}

  ${If} $RemoveSettings == ${BST_CHECKED}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Kestrine"
  ${EndIf}

  ; The folder goes last, and only if nothing else was put there: once it is
  ; gone, everything else is done.
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
