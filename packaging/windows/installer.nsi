; The Windows installer: the editor and the command-line tool
; (commonserver-cfg.exe, a console program) with what they need, a Start menu
; entry with the editor's icon, and an uninstaller. scripts/windows.sh runs
;   makensis -DVERSION=0.5 -DDIST=<folder of the program> -DOUTFILE=<setup.exe>
;            -DICON=<icon.ico> installer.nsi
Unicode true
Target amd64-unicode ; a 64-bit installer for a 64-bit program
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define PRODUCT "Editor do commonserver.cfg"
!define PUBLISHER "Equipe Vardok"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CommonServerEditor"
; "Abrir com" for .cfg files: the program, and the types it opens.
!define APP_KEY "Software\Classes\Applications\commonserver-editor.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\CommonServerEditor"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1046 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1046 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1046 "FileDescription" "Instalador do ${PRODUCT}"
VIAddVersionKey /LANG=1046 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1046 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${DIST}\*.*"
    WriteUninstaller "$INSTDIR\desinstalar.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\commonserver-editor.exe" "" "$INSTDIR\commonserver-editor.exe" 0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\commonserver-editor.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstalar.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKLM "${APP_KEY}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr HKLM "${APP_KEY}\shell\open\command" "" '"$INSTDIR\commonserver-editor.exe" "%1"'
    WriteRegStr HKLM "${APP_KEY}\SupportedTypes" ".cfg" ""
    WriteRegStr HKLM "Software\Classes\.cfg\OpenWithList\commonserver-editor.exe" "" ""
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    RMDir /r "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${APP_KEY}"
    DeleteRegKey HKLM "Software\Classes\.cfg\OpenWithList\commonserver-editor.exe"
SectionEnd
