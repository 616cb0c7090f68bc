; Plinkora's installer for Windows: per user, without administrator rights. Built by the
; plinkora_packages target (packages.cmake), which defines
;   VERSION       the project's version, "2.22"
;   VERSION_QUAD  the same in four numbers, "2.22.0.0"
;   STAGE         the folder holding what is installed, laid out as it is installed
;   OUTFILE       the installer to write
; `makensis` builds a 32-bit installer unless told otherwise, and a 64-bit Wine without its
; 32-bit half cannot run that; the program is 64-bit anyway.
Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Plinkora"
!define DOCUMENT_CLASS "Plinkora.Document"
; SHCNE_ASSOCCHANGED: Explorer redraws the documents' icons.
!define SHCNE_ASSOCCHANGED 0x08000000

Name "Plinkora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Plinkora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Plinkora ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
; No copyright line is claimed in the version resource, and makensis need not remind us.
!pragma warning disable 9100
VIAddVersionKey /LANG=1033 "ProductName" "Plinkora"
VIAddVersionKey /LANG=1033 "FileDescription" "Plinkora ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Plinkora"

!define MUI_ICON "${STAGE}\plinkora.ico"
!define MUI_UNICON "${STAGE}\plinkora.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\plinkora.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Plinkora"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\plinkora.exe"
    File "${STAGE}\plinkora-convert.exe"
    File "${STAGE}\tips.txt"
    File "${STAGE}\plinkora.ico"
    File "${STAGE}\Plinkora.chm"
    ; Earlier versions kept the help as pages in a folder of their own; the help file replaces it.
    Delete "$INSTDIR\help\*.htm"
    Delete "$INSTDIR\help\*.css"
    RMDir "$INSTDIR\help"
    ; The shortcut starts the program in its own folder, where it finds its tips.
    CreateShortCut "$SMPROGRAMS\Plinkora.lnk" "$INSTDIR\plinkora.exe" "" \
        "$INSTDIR\plinkora.exe" 0 SW_SHOWNORMAL "" "Play music on the computer's keyboard"

    ; A double-click on a .plk opens it, and the program plays it, as its command line does.
    WriteRegStr HKCU "Software\Classes\.plk" "" "${DOCUMENT_CLASS}"
    WriteRegStr HKCU "Software\Classes\${DOCUMENT_CLASS}" "" "Plinkora performance"
    WriteRegStr HKCU "Software\Classes\${DOCUMENT_CLASS}\DefaultIcon" "" \
        "$INSTDIR\plinkora.exe,-2"
    WriteRegStr HKCU "Software\Classes\${DOCUMENT_CLASS}\shell\open\command" "" \
        '"$INSTDIR\plinkora.exe" "%1"'
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Plinkora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\plinkora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Plinkora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Takes away what the installer put in place and the tip log the program keeps beside it. A file
; of the user's own in the program's folder (a performance saved there) stays, and so does the
; folder then. The folder goes last: once it is gone, the uninstaller is done.
Section "Uninstall"
    SetShellVarContext current
    ; .plk is left alone where another program has taken it over since.
    ReadRegStr $0 HKCU "Software\Classes\.plk" ""
    ${If} $0 == "${DOCUMENT_CLASS}"
        DeleteRegKey HKCU "Software\Classes\.plk"
    ${EndIf}
    DeleteRegKey HKCU "Software\Classes\${DOCUMENT_CLASS}"
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "$SMPROGRAMS\Plinkora.lnk"

    ; The help folder of earlier versions.
    Delete "$INSTDIR\help\*.htm"
    Delete "$INSTDIR\help\*.css"
    RMDir "$INSTDIR\help"
    Delete "$INSTDIR\Plinkora.chm"
    Delete "$INSTDIR\plinkora.exe"
    Delete "$INSTDIR\plinkora-convert.exe"
    Delete "$INSTDIR\tips.txt"
    Delete "$INSTDIR\tips.log"
    Delete "$INSTDIR\plinkora.ico"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
