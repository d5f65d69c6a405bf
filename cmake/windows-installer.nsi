; The Windows installer: build-windows/corvane-<version>-setup.exe, made by scripts/build-windows.sh
; with NSIS's makensis from the program folder it packs as the zip. It sits beside
; cmake/packaging.cmake, the Debian package's description: both describe an installation and are
; inputs of the build, not files shipped beside the program (those are in data/).
;
; It installs for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Corvane (another folder with /D=...): the program folder exactly as the
; zip holds it, plus what makes it an installation, which the zip never holds: the marker file
; "installed" (config/program_paths.h: the report and the configurations then go to
; %LOCALAPPDATA%\Tessoran\corvane2\), the uninstaller and the shortcuts' icon. Start-menu
; shortcuts for the window and the help page; the uninstaller registered in the user's Apps list.
; /S installs silently; "Uninstall.exe /S" uninstalls silently.
;
; Uninstalling deletes the files the installer put there, one by one from the list written at
; build time, and then the folders that are left empty: a file of the user's in the program folder
; (or a folder the user chose that held other files) stays. The user's report, configurations
; (%LOCALAPPDATA%\Tessoran\corvane2\) and settings (HKCU\Software\Tessoran\corvane2) stay.
;
; makensis -DVERSION=0.1.0 -DFILES=files.nsh -DMARKER=installed -DICON=corvane.ico
;          -DOUTFILE=corvane-0.1.0-setup.exe windows-installer.nsi
; FILES defines the macros CorvaneInstallFiles and CorvaneUninstallFiles (written by
; scripts/build-windows.sh from the staged program folder) and CorvaneInstalledSize.

; A 64-bit installer for a 64-bit program: it runs where the program runs, and the registry and
; folders it sees are the program's own, never the 32-bit views.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define SHORTCUTS "$SMPROGRAMS\Corvane"

Name "Corvane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Corvane"
; An earlier installation's folder, where the user chose another.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Corvane ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Corvane"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Tessoran"
VIAddVersionKey "FileDescription" "Corvane ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Tessoran"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\corvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Corvane"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Corvane"
  ; An earlier version installed in this very folder goes first, by its own uninstaller (run in
  ; place, and waited for), so that no file of it that this version no longer has is left behind.
  ; Only the folder the Apps list names: an "Uninstall.exe" of another program is never run.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
  ${AndIf} ${FileExists} "$INSTDIR\Uninstall.exe"
    ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  ${EndIf}

  !insertmacro CorvaneInstallFiles
  SetOutPath "$INSTDIR"
  File "/oname=installed" "${MARKER}"
  File "/oname=corvane.ico" "${ICON}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${SHORTCUTS}"
  CreateShortcut "${SHORTCUTS}\Corvane.lnk" "$INSTDIR\corvane.exe" "" "$INSTDIR\corvane.ico" 0 \
    SW_SHOWNORMAL "" "Turn DXF drawings into point lists"
  CreateShortcut "${SHORTCUTS}\Corvane help.lnk" "$INSTDIR\help_corvane2.html" "" "" 0 \
    SW_SHOWNORMAL "" "How to use Corvane"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Corvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tessoran"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvane.ico"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as the Apps list reads it.
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${CorvaneInstalledSize}
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUTS}\Corvane.lnk"
  Delete "${SHORTCUTS}\Corvane help.lnk"
  RMDir "${SHORTCUTS}"

  Delete "$INSTDIR\installed"
  Delete "$INSTDIR\corvane.ico"
  !insertmacro CorvaneUninstallFiles
  Delete "$INSTDIR\Uninstall.exe"
  ; Empty now unless it holds files of the user's: those stay, and the folder with them.
  RMDir "$INSTDIR"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
