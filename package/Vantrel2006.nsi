; Installer of Drovanex Vantrel 2006, built by makensis on Linux.
; The build passes the version and the paths of what goes in:
;   makensis -DVERSION=1.0.0.26 -DPROGRAM=... -DLICENSE=... -DICON=... -DOUTFILE=...
; Silent with /S; the uninstaller takes /S too.

; A 64-bit build of the program gets a 64-bit installer: the 64-bit Program
; Files and the registry view the program reads.
!ifdef AMD64
  Target amd64-unicode
  !define PROGRAMS_DIR "$PROGRAMFILES64"
!else
  Unicode true
  !define PROGRAMS_DIR "$PROGRAMFILES"
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Drovanex Vantrel 2006"
!define PUBLISHER "Drovanex"
!define PROGRAM_FILE "Vantrel2006.exe"
; The key the program's settings read "Installed" and "Path" from, in the
; local-machine hive; the same path in the user's hive holds the user's own
; settings, which the uninstaller leaves alone.
!define SETTINGS_KEY "Software\Drovanex\Vantrel 2006\R1"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS_DIR}\Drovanex\Vantrel 2006"
; Installing again goes to where the last installation went.
InstallDirRegKey HKLM "${SETTINGS_KEY}" "Path"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2006 Drovanex"
VIAddVersionKey /LANG=1033 "OriginalFilename" "Vantrel2006-${VERSION}-setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_FILE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ; Program Files and the shortcut of every user.
  SetShellVarContext all
  !ifdef AMD64
    SetRegView 64
  !endif
FunctionEnd

Function un.onInit
  SetShellVarContext all
  !ifdef AMD64
    SetRegView 64
  !endif
FunctionEnd

Section "Program" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM_FILE}" "${PROGRAM}"
  File "/oname=License.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "${SHORTCUT}" "$INSTDIR\${PROGRAM_FILE}" "" "$INSTDIR\${PROGRAM_FILE}" 0

  ; "Path" ends with the separator, as the settings' own fallback (the
  ; program's folder) does, so a reader gets the same form either way.
  WriteRegDWORD HKLM "${SETTINGS_KEY}" "Installed" 1
  WriteRegStr HKLM "${SETTINGS_KEY}" "Path" "$INSTDIR\"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_FILE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.drovanex.com/vantrel/"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\${PROGRAM_FILE}"
  Delete "$INSTDIR\License.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
  ${If} "$INSTDIR" == "${PROGRAMS_DIR}\Drovanex\Vantrel 2006"
    RMDir "${PROGRAMS_DIR}\Drovanex"
  ${EndIf}
  Delete "${SHORTCUT}"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Drovanex\Vantrel 2006"
  DeleteRegKey /ifempty HKLM "Software\Drovanex"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
