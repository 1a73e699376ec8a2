; The per-user installer of Veilquill, built by makensis as part of each Windows build.
;
; It needs no administrator rights: it installs into the user's own
; %LOCALAPPDATA%\Programs\Veilquill, laid out as the zip (Program\, Help\, Licenses\,
; ReadMe.txt), so that the key-check records in Program\Data stay writable, and it registers its
; uninstaller for the current user only. Installing over an installation upgrades it;
; Program\Data is never touched, neither by an upgrade nor by the uninstaller.
;
; The build passes:
;   VQ_TARGET       amd64-unicode or x86-unicode
;   VQ_VERSION      1.0.1            VQ_VERSION4   1.0.1.0
;   VQ_ARCH_TEXT    64-bit or 32-bit
;   VQ_STAGE        the folder laid out as the zip's Veilquill folder
;   VQ_ICON         the program's icon          VQ_SIDE_BITMAP  the welcome and finish picture
;   VQ_OUTFILE      the installer to write

; Unicode throughout, so that an install folder of any name works.
Unicode true
Target ${VQ_TARGET}
ManifestDPIAware true
ManifestLongPathAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "Veilquill"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veilquill"
; The main window of a running Veilquill: its class and caption.
!define MAIN_CLASS "DLGCLASS"
!define MAIN_CAPTION "Veilquill"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VQ_VERSION} Setup"
UninstallCaption "Remove ${PRODUCT}"
BrandingText "${PRODUCT} ${VQ_VERSION} (${VQ_ARCH_TEXT})"
OutFile "${VQ_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Veilquill"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VQ_VERSION4}"
VIFileVersion "${VQ_VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VQ_VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VQ_VERSION} Setup (${VQ_ARCH_TEXT})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VQ_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

; ---- Look and texts -------------------------------------------------------------------------

!define MUI_ICON "${VQ_ICON}"
!define MUI_UNICON "${VQ_ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${VQ_SIDE_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${VQ_SIDE_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Stop installing Veilquill? Nothing has been changed yet."
!define MUI_UNABORTWARNING
!define MUI_UNABORTWARNING_TEXT "Stop removing Veilquill?"

!define MUI_WELCOMEPAGE_TITLE "Install Veilquill ${VQ_VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Veilquill encrypts and decrypts text files with a key that you type.$\r$\n$\r$\nIt is installed for you alone, in your own folders, so no administrator rights are needed.$\r$\n$\r$\nIf Veilquill is running, close it first. Click Next to go on."
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "What to install"
!define MUI_PAGE_HEADER_SUBTEXT "Veilquill itself, and an entry in Explorer's Send To menu if you want it."
!define MUI_COMPONENTSPAGE_TEXT_TOP "Clear the Send To entry if you do not want it. You can run this installer again to change your mind."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "Install:"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_TITLE "About this item"
!define MUI_COMPONENTSPAGE_TEXT_DESCRIPTION_INFO "Point at an item to read what it does."
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_PAGE_HEADER_TEXT "Where to install"
!define MUI_PAGE_HEADER_SUBTEXT "Veilquill keeps its key-check records in this folder, so it must be one you can write to."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Veilquill will be installed in the folder below. To install it somewhere else, click Browse and choose a folder of your own (not one under Program Files).$\r$\n$\r$\nWhen Veilquill is already installed here, it is updated and its key-check records are kept."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Folder"
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "Installing"
!define MUI_PAGE_HEADER_SUBTEXT "Copying Veilquill's files."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Installed"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Veilquill's files are in place."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Not installed"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Veilquill could not be installed."
!insertmacro MUI_PAGE_INSTFILES
; The page forgets its finish texts but keeps its abort texts; the uninstaller's come below.
!undef MUI_INSTFILESPAGE_ABORTHEADER_TEXT
!undef MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT

!define MUI_FINISHPAGE_TITLE "Veilquill is installed"
!define MUI_FINISHPAGE_TEXT "Start Veilquill from the Start menu. If you kept the Send To entry, you can also right-click a file in Explorer and choose Send to, then Veilquill."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Program\Veilquill.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Veilquill"
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_TEXT "Remove Veilquill"
!define MUI_PAGE_HEADER_SUBTEXT "Veilquill's program, guide, shortcuts and Send To entry will be removed."
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Veilquill will be removed from the folder below. Its key-check records in Program\Data are kept: without them, files encrypted with Veilquill cannot be verified when they are decrypted."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Folder"
!insertmacro MUI_UNPAGE_CONFIRM

!define MUI_PAGE_HEADER_TEXT "Removing"
!define MUI_PAGE_HEADER_SUBTEXT "Removing Veilquill's files."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Removed"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Veilquill's files are gone."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Not removed"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Veilquill could not be removed."
!insertmacro MUI_UNPAGE_INSTFILES

!define MUI_FINISHPAGE_TITLE "Veilquill is removed"
!define MUI_FINISHPAGE_TEXT "Veilquill has been removed from your computer."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; ---- Shared steps ---------------------------------------------------------------------------

; Program files in use cannot be replaced or deleted: waits until the user has closed Veilquill,
; or gives up (a silent run gives up at once).
!macro WAIT_WHILE_VEILQUILL_RUNS UN
Function ${UN}WaitWhileVeilquillRuns
  ${Do}
    FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
    ${If} $0 == 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Veilquill is running. Close it, then click Retry." /SD IDCANCEL IDRETRY +2
    Abort "Veilquill is running."
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_WHILE_VEILQUILL_RUNS ""
!insertmacro WAIT_WHILE_VEILQUILL_RUNS "un."

; ---- Installer ------------------------------------------------------------------------------

Section "Veilquill" SecProgram
  SectionIn RO
  Call WaitWhileVeilquillRuns

  SetOutPath "$INSTDIR\Program"
  File "${VQ_STAGE}/Program/Veilquill.exe"
  File "${VQ_STAGE}/Program/SendTo.exe"
  File "${VQ_STAGE}/Program/veilquill-cli.exe"
  File "${VQ_STAGE}/Program/libgcrypt-20.dll"
  File "${VQ_STAGE}/Program/libgpg-error-0.dll"
  SetOutPath "$INSTDIR\Help"
  File "${VQ_STAGE}/Help/Veilquill.chm"
  SetOutPath "$INSTDIR\Licenses"
  File "${VQ_STAGE}/Licenses/libgcrypt.txt"
  File "${VQ_STAGE}/Licenses/libgpg-error.txt"
  File "${VQ_STAGE}/Licenses/LGPL-2.1.txt"
  File "${VQ_STAGE}/Licenses/Sources.txt"
  SetOutPath "$INSTDIR"
  File "${VQ_STAGE}/ReadMe.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcut starts the program in its own folder.
  SetOutPath "$INSTDIR\Program"
  CreateShortcut "$SMPROGRAMS\Veilquill.lnk" "$INSTDIR\Program\Veilquill.exe" "" \
      "$INSTDIR\Program\Veilquill.exe" 0 SW_SHOWNORMAL "" "Encrypt and decrypt text files"
SectionEnd

Section "Send To entry" SecSendTo
  ; Carried out by the last section, which knows whether this one was chosen.
SectionEnd

Section "-Register"
  ; The companion keeps the Send To entry; "decline" also stops Veilquill from making it at start.
  ${If} ${SectionIsSelected} ${SecSendTo}
    ExecWait '"$INSTDIR\Program\SendTo.exe" add'
  ${Else}
    ExecWait '"$INSTDIR\Program\SendTo.exe" decline'
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VQ_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Program\Veilquill.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, its guide and a shortcut in the Start menu."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSendTo} "Puts Veilquill into the Send To menu that Explorer shows when you right-click a file, so that Send to, then Veilquill, opens the file."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ; An update offers what the user has now: without a Send To entry the option starts cleared.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIfNot} ${FileExists} "$SENDTO\Veilquill.lnk"
    !insertmacro UnselectSection ${SecSendTo}
  ${EndIf}
FunctionEnd

; ---- Uninstaller ----------------------------------------------------------------------------

Section "Uninstall"
  Call un.WaitWhileVeilquillRuns

  ; The Send To entry goes first, while its companion is still there to take it back.
  ExecWait '"$INSTDIR\Program\SendTo.exe" remove'
  Delete "$SMPROGRAMS\Veilquill.lnk"
  Delete "$INSTDIR\Program\Veilquill.exe"
  Delete "$INSTDIR\Program\SendTo.exe"
  Delete "$INSTDIR\Program\veilquill-cli.exe"
  Delete "$INSTDIR\Program\libgcrypt-20.dll"
  Delete "$INSTDIR\Program\libgpg-error-0.dll"
  Delete "$INSTDIR\Help\Veilquill.chm"
  RMDir "$INSTDIR\Help"
  Delete "$INSTDIR\Licenses\libgcrypt.txt"
  Delete "$INSTDIR\Licenses\libgpg-error.txt"
  Delete "$INSTDIR\Licenses\LGPL-2.1.txt"
  Delete "$INSTDIR\Licenses\Sources.txt"
  RMDir "$INSTDIR\Licenses"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; Key-check records are never deleted: without them, files encrypted with Veilquill cannot be
  ; verified. Only folders left empty are removed.
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\Program\Data\*.dat"
  FindClose $0
  ${If} $1 != ""
    DetailPrint "Kept the key-check records in $INSTDIR\Program\Data"
    MessageBox MB_OK|MB_ICONINFORMATION "Your key-check records were kept in$\r$\n$\r$\n$INSTDIR\Program\Data$\r$\n$\r$\nWithout them, files encrypted with Veilquill cannot be verified when they are decrypted. Keep this folder as long as you have encrypted files. If you install Veilquill again into the same folder, it uses them again." /SD IDOK
  ${EndIf}
  RMDir "$INSTDIR\Program\Data"
  RMDir "$INSTDIR\Program"
  RMDir "$INSTDIR"
SectionEnd
