; Vantorel's installer: a per-user install that needs no administrator, into a folder the user can
; write, so Vantorel.ini beside the programs keeps the user's settings. Makes Vantorel the current
; screensaver and registers an uninstaller that puts back the screensaver it replaced.
;
; makensis -DBIN_DIR=<folder of Vantorel.scr and Vantorel.dll> -DICON=<vantorel.ico>
;          -DOUT_FILE=<setup.exe> vantorel.nsi

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!define PRODUCT_NAME "Vantorel (ScreenSaver)"
!define PRODUCT_VERSION "1.00"
!define PUBLISHER "s-vell"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel"
!define DESKTOP_KEY "Control Panel\Desktop"
!define UNINSTALLER "Uninstall.exe"
; The front-end writes its texture pictures here for the renderer.
!define PICTURE_FOLDER "C:\s_vell"

!include MUI2.nsh
!include LogicLib.nsh

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantorel"
; A reinstall goes where the last one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenSettingsText)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The product speaks Japanese; the installer follows the user's language where it can.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString OpenSettingsText ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"
LangString OpenSettingsText ${LANG_ENGLISH} "Open the Screen Saver Settings"

; The same version block as the programs.
VIProductVersion 1.0.0.0
VIFileVersion 1.0.0.0
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "${PUBLISHER}"

; $R0 = the path that names the installed Vantorel.scr in the registry: the short 8.3 path where the
; file system has one, since Windows does not reliably start a screensaver path with blanks.
!macro ScreenSaverPath Result
  GetFullPathName /SHORT ${Result} "$INSTDIR\Vantorel.scr"
  ${If} ${Result} == ""
    StrCpy ${Result} "$INSTDIR\Vantorel.scr"
  ${EndIf}
!macroend

Section "Vantorel" SecMain
  SetOutPath "$INSTDIR"
  ; Only the programs are replaced: a Vantorel.ini the user stored stays as it is.
  File "${BIN_DIR}/Vantorel.scr"
  File "${BIN_DIR}/Vantorel.dll"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; Remember the screensaver we replace, unless it is a Vantorel already (a reinstall): then the one
  ; remembered by the first install is still the one to give back.
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
    StrCpy $1 "absent"
  ${Else}
    StrCpy $1 "present"
  ${EndIf}
  StrCpy $2 $0 "" -13
  ${If} $2 != "\Vantorel.scr"
    ${If} $1 == "present"
      WriteRegStr HKCU "${UNINSTALL_KEY}" "ReplacedScreenSaver" $0
    ${Else}
      DeleteRegValue HKCU "${UNINSTALL_KEY}" "ReplacedScreenSaver"
    ${EndIf}
    ClearErrors
    ReadRegStr $3 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${If} ${Errors}
      DeleteRegValue HKCU "${UNINSTALL_KEY}" "ReplacedScreenSaveActive"
    ${Else}
      WriteRegStr HKCU "${UNINSTALL_KEY}" "ReplacedScreenSaveActive" $3
    ${EndIf}
  ${EndIf}

  !insertmacro ScreenSaverPath $R0
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $R0
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"

  ; The entry of the system's list of installed programs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantorel.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  SectionGetSize ${SecMain} $4
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $4
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The finish page's offer: the Screen Saver Settings, where Vantorel is now the chosen one.
Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section "Uninstall"
  ; Give back the screensaver we replaced, but only while ours is still the chosen one: a choice the
  ; user made since then stays.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  !insertmacro ScreenSaverPath $1
  ${If} $0 == $1
  ${OrIf} $0 == "$INSTDIR\Vantorel.scr"
    ClearErrors
    ReadRegStr $2 HKCU "${UNINSTALL_KEY}" "ReplacedScreenSaver"
    ${If} ${Errors}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $2
    ${EndIf}
    ClearErrors
    ReadRegStr $3 HKCU "${UNINSTALL_KEY}" "ReplacedScreenSaveActive"
    ${If} ${Errors}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $3
    ${EndIf}
  ${EndIf}

  ; Exactly what Vantorel put there; any other file keeps the folder.
  Delete "$INSTDIR\Vantorel.scr"
  Delete "$INSTDIR\Vantorel.dll"
  Delete "$INSTDIR\Vantorel.ini"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${PICTURE_FOLDER}\Nerlo01.bmp"
  Delete "${PICTURE_FOLDER}\Nerlo02.bmp"
  Delete "${PICTURE_FOLDER}\Nerlo03.bmp"
  RMDir "${PICTURE_FOLDER}"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
