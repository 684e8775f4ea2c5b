; The Windows installer of Klarvex: a per-machine install to Program Files
; with a Start menu shortcut, an entry in the list of installed programs and
; an uninstaller. Built by scripts/package.sh:
;   makensis -DVERSION=2.8 -DVERSION_NUMBERS=2.8.0.0 -DPUBLISHER=... -DBIN=folder -DOUTFILE=setup.exe Klarvex.nsi
; Both the installer and the uninstaller accept /S (silent).

!ifndef VERSION | VERSION_NUMBERS | PUBLISHER | BIN | OUTFILE
  !error "scripts/package.sh passes VERSION, VERSION_NUMBERS, PUBLISHER, BIN and OUTFILE"
!endif

!define PRODUCT "Klarvex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Tells the program it is the installed copy: it then keeps the user's
; files in %APPDATA%\Klarvex (src/settings/UserFiles.h names the same file).
!define INSTALLED_MARKER "installed.txt"

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!include "FileFunc.nsh"
!include "StrFunc.nsh"
${UnStrStr}

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Klarvex"
  SetOutPath "$INSTDIR"
  File "${BIN}\Klarvex.exe"
  File "${BIN}\klarvex-cli.exe"
  File "${BIN}\sqlite3.dll"
  File "${BIN}\Klarvex.dat"
  FileOpen $0 "$INSTDIR\${INSTALLED_MARKER}" w
  FileWrite $0 "Installed by the ${PRODUCT} ${VERSION} setup. Your settings, kept cookies and custom lists are kept in %APPDATA%\${PRODUCT}.$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Klarvex.exe" "" "$INSTDIR\Klarvex.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Klarvex.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; The user's files: beside the program (a copy that kept them there) and in
; the Application Data of the user who uninstalls.
!macro UserFiles Do
  !insertmacro ${Do} "$INSTDIR\settings.ini"
  !insertmacro ${Do} "$INSTDIR\Cookies.dat"
  !insertmacro ${Do} "$INSTDIR\Clist.dat"
  !insertmacro ${Do} "$INSTDIR\Winapp2.ini"
  !insertmacro ${Do} "$R9\settings.ini"
  !insertmacro ${Do} "$R9\Cookies.dat"
  !insertmacro ${Do} "$R9\Clist.dat"
  !insertmacro ${Do} "$R9\Winapp2.ini"
!macroend
!macro CountUserFile Path
  IfFileExists "${Path}" 0 +2
    IntOp $R8 $R8 + 1
!macroend
!macro DeleteUserFile Path
  Delete "${Path}"
!macroend

Section "Uninstall"
  Delete "$INSTDIR\Klarvex.exe"
  Delete "$INSTDIR\klarvex-cli.exe"
  Delete "$INSTDIR\sqlite3.dll"
  Delete "$INSTDIR\Klarvex.dat"
  Delete "$INSTDIR\${INSTALLED_MARKER}"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; The start with Windows of this copy; a portable copy's stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${UnStrStr} $1 $0 "$INSTDIR\Klarvex.exe"
  StrCmp $1 "" +2
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

  ; The user's files go only when the user says so; a silent uninstall
  ; keeps them.
  SetShellVarContext current
  StrCpy $R9 "$APPDATA\${PRODUCT}"
  SetShellVarContext all
  StrCpy $R8 0
  !insertmacro UserFiles CountUserFile
  IntCmp $R8 0 userFilesDone
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove your ${PRODUCT} settings, kept cookies list, custom lists and Winapp2.ini too?$\r$\n$\r$\nChoose No to keep them for a later install." \
    /SD IDNO IDNO userFilesDone
  !insertmacro UserFiles DeleteUserFile
  RMDir "$R9"
userFilesDone:

  RMDir "$INSTDIR"
  ; Last, so that an uninstall broken off on the way can be run again.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
