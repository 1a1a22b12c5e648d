; The Windows installer: the programs and the README into Program Files, where
; only administrators may write (nobody can plant a DLL beside the programs),
; Start menu entries, and an uninstaller that removes exactly what was installed.
;
; makensis -DVERSION=1.0.33.0 -DSTAGE=DIR -DFILES=files.nsh -DOUTFILE=setup.exe merivane.nsi
; STAGE holds the files to install; FILES (written by scripts/windows.sh from
; STAGE) lists them as INSTALL_FILE and REMOVE_FILE lines.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Varik Merivane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Merivane"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Varik"
VIAddVersionKey "LegalCopyright" "Varik"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro INSTALL_FILE NAME
  File "/oname=${NAME}" "${STAGE}\${NAME}"
!macroend
!macro REMOVE_FILE NAME
  Delete "$INSTDIR\${NAME}"
!macroend
!macro INSTALL_FOLDER NAME
  CreateDirectory "$INSTDIR\${NAME}"
!macroend
; Folders go after their files, deepest first; one still holding a file of
; the user's stays.
!macro REMOVE_FOLDER NAME
  RMDir "$INSTDIR\${NAME}"
!macroend

; For everyone on the machine: the registry's 64-bit view, the common Start menu.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  !define MODE_INSTALL
  !include "${FILES}"
  !undef MODE_INSTALL
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  ${If} ${FileExists} "$INSTDIR\merivane.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Merivane.lnk" "$INSTDIR\merivane.exe"
  ${EndIf}
  ; A command prompt in the program's folder, for merivane-cli.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Merivane command line.lnk" "$SYSDIR\cmd.exe" \
    '/K "cd /d "$INSTDIR" && merivane-cli --help"'
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\README.lnk" "$INSTDIR\README.md"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Varik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller runs from a copy in the temporary folder, so whoever started
; it cannot wait for it; removing uninstall.exe comes last, after the Start
; menu and the registry, so its absence means the uninstall has finished.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}\Merivane.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Merivane command line.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\README.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !define MODE_REMOVE
  !include "${FILES}"
  !undef MODE_REMOVE
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
