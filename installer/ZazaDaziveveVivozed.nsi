; The Windows installer: the program, the console front end, the language file,
; config.xml and the read-me go into Program Files, with a Start-menu shortcut and
; an uninstaller that Windows lists under Apps. CMake runs makensis with
;   -DVERSION=1.0 -DVERSION_DOTTED=1.0.0.0 -DSTAGE_DIR=<files> -DICON=<.ico> -DOUTFILE=<setup.exe>
; The uninstaller keeps config.xml (the user's choices) and the backup folder unless
; asked to remove them: on its components page, or with /REMOVEDATA when silent.
; Both are beside the program, or, for a user who cannot write there, in that
; user's $LOCALAPPDATA\ZazaDaziveveVivozed.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "ZazaDaziveveVivozed"
!define PROGRAM "${PRODUCT}.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION_DOTTED}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "The ${PRODUCT} authors"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Section "-Program"
    SetShellVarContext all
    SetRegView 64
    SetOutPath "$INSTDIR"
    File "${STAGE_DIR}/${PROGRAM}"
    File "${STAGE_DIR}/zdv.exe"
    File "${STAGE_DIR}/${PRODUCT}.language"
    File "${STAGE_DIR}/ReadMe.txt"
    ; An update keeps the settings the user has made.
    SetOverwrite off
    File "${STAGE_DIR}/config.xml"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The ${PRODUCT} authors"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.${PRODUCT}" SecUnProgram
    SectionIn RO
    SetShellVarContext all
    SetRegView 64
    Delete "$INSTDIR\${PROGRAM}"
    Delete "$INSTDIR\zdv.exe"
    Delete "$INSTDIR\${PRODUCT}.language"
    Delete "$INSTDIR\ReadMe.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Settings and registry backups" SecUnData
    Delete "$INSTDIR\config.xml"
    Delete "$INSTDIR\config.xml.new"
    RMDir /r "$INSTDIR\Data"
    ; A standard user's copies: those of the user who runs the uninstaller.
    SetShellVarContext current
    RMDir /r "$LOCALAPPDATA\${PRODUCT}"
    SetShellVarContext all
SectionEnd

Section "-un.Folder"
    ; Only an empty folder goes: what the user keeps stays where it was.
    RMDir "$INSTDIR"
SectionEnd

LangString DESC_SecUnProgram ${LANG_ENGLISH} "The program files, the Start-menu shortcut and the uninstall entry."
LangString DESC_SecUnData ${LANG_ENGLISH} "Your settings (config.xml) and every registry backup, in the Data folder and in your local application data folder. Keep them unless you are sure you will never restore a backup."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} $(DESC_SecUnProgram)
    !insertmacro MUI_DESCRIPTION_TEXT ${SecUnData} $(DESC_SecUnData)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVEDATA" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecUnData}
    ${EndIf}
FunctionEnd
