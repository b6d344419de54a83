; Per-user installer for Zarvel, built by tools/release with makensis:
;   makensis -DVERSION=1.0.0 -DARCH=x86-64 -DSTAGE=<program folder> -DOUTFILE=<setup.exe> zarvel.nsi
; The program keeps its macros and settings beside itself, so it goes into
; the user's own programs folder, which needs no administrator rights.
; Silent use: setup.exe /S [/STARTUP] [/D=folder]; the uninstaller /S keeps
; the user's macros and settings.

!ifndef ARCH
  !error "ARCH is not defined"
!endif
; The x86-64 setup is a 64-bit program itself; the i686 one runs everywhere.
!if "${ARCH}" == "x86-64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE (the program folder to install) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "zarvel-${VERSION}-${ARCH}-setup.exe"
!endif

!define PRODUCT "Zarvel"
!define APP_CLASS "ZarvelAppWindow"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvel"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zarvel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) the Zarvel authors"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\zarvel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Zarvel now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\zarvel.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the user guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Zarvel itself is removed. Your macros (the Macros folder), include.dat and zarvel.ini stay unless you tick them below."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; A running copy holds zarvel.exe and zarvel.dll open: ask the user to end it
; from its tray menu. Silent runs give up with an error instead of waiting.
!macro WaitForProgramEnd UN
Function ${UN}WaitForProgramEnd
  retry:
    System::Call 'user32::FindWindowW(w "${APP_CLASS}", p 0) p .r0'
    ${If} $0 P<> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Zarvel is running. Choose Exit in its tray menu, then press Retry." /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro WaitForProgramEnd ""
!insertmacro WaitForProgramEnd "un."

; The Macros folder: the starter categories are stored as UTF-8, and the staged
; folder carries the mark ("encoding") that says so. The mark goes only into
; a Macros folder that holds no category yet. A folder of the user's keeps
; its own form: one marked UTF-8 gets back the starter categories it lacks;
; an ANSI one (no mark: an older copy's, or one never converted) gets
; nothing: the mark would make its ANSI texts read wrongly, and categories
; in UTF-8 would read wrongly in it. (tools/release-checks installs over such
; a folder and checks this.) A starter file never replaces the user's own.
; (SetOverwrite applies to the File lines after it in this script, so it
; stands here, not at the call.)
Function InstallStarterMacros
  SetOverwrite off
  SetOutPath "$INSTDIR\Macros"
  ${IfNot} ${FileExists} "$INSTDIR\Macros\*.cat"
    File "${STAGE}\Macros\encoding"
    File "${STAGE}\Macros\*.cat"
    Return
  ${EndIf}
  ClearErrors
  FileOpen $0 "$INSTDIR\Macros\encoding" r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileRead $0 $1
  FileClose $0
  StrCpy $1 $1 5
  ${If} $1 == "utf-8"
    File "${STAGE}\Macros\*.cat"
  ${EndIf}
  SetOverwrite on
FunctionEnd

Section "Zarvel (program, user guide, starter macros)" SecProgram
  SectionIn RO
  Call WaitForProgramEnd
  SetOutPath "$INSTDIR"
  File "${STAGE}\zarvel.exe"
  File "${STAGE}\zarvel.dll"
  File "${STAGE}\zarvel.chm"
  File "${STAGE}\LICENSE.txt"
  ; The user's own files win over the starter ones on a reinstall.
  SetOverwrite off
  File "${STAGE}\tidy.cfg"
  SetOverwrite on
  Call InstallStarterMacros
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext current
  CreateDirectory "$SMPROGRAMS\Zarvel"
  CreateShortcut "$SMPROGRAMS\Zarvel\Zarvel.lnk" "$INSTDIR\zarvel.exe"
  CreateShortcut "$SMPROGRAMS\Zarvel\Zarvel user guide.lnk" "$INSTDIR\zarvel.chm"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Zarvel authors"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zarvel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The same value the settings window's "Run Zarvel at Windows startup..." writes.
Section /o "Start Zarvel with Windows" SecStartup
  WriteRegStr HKCU "${RUN_KEY}" "Zarvel" "$INSTDIR\zarvel.exe"
SectionEnd

; /STARTUP on the command line ticks start with Windows (for silent installs).
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecStartup} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Section "un.Zarvel (program files, Start-menu entry, start with Windows)" UnSecProgram
  SectionIn RO
  Call un.WaitForProgramEnd
  Delete "$INSTDIR\zarvel.exe"
  Delete "$INSTDIR\zarvel.dll"
  Delete "$INSTDIR\zarvel.chm"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\tidy.cfg"
  Delete "$INSTDIR\uninstall.exe"

  SetShellVarContext current
  Delete "$SMPROGRAMS\Zarvel\Zarvel.lnk"
  Delete "$SMPROGRAMS\Zarvel\Zarvel user guide.lnk"
  RMDir "$SMPROGRAMS\Zarvel"

  ; Only this copy's start entry: another copy elsewhere may own the value.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Zarvel"
  ${If} $0 == "$INSTDIR\zarvel.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Zarvel"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Also remove my macros and settings (Macros, include.dat, zarvel.ini)" UnSecData
  RMDir /r "$INSTDIR\Macros"
  Delete "$INSTDIR\include.dat"
  Delete "$INSTDIR\zarvel.ini"
SectionEnd

; Runs last: the folder goes only when nothing of the user's is left in it.
Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd
