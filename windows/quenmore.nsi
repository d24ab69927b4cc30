; The installer of Quenmore for 64-bit Windows: quenmore-VERSION-windows-x64-setup.exe, made
; with makensis by windows/installer.cmake, which passes
;   VERSION   the program's version (major.minor.patch)
;   FILES     an include that defines the macros QuenmoreFiles (the File commands of the
;             program's folder) and QuenmoreRemoveFiles (the Delete commands of the same)
;   ICON      the program's icon, which the installer and the uninstaller carry too
;   OUTFILE   the installer to write
;
; It installs for the current user alone and never asks for administrator rights: into
; %LOCALAPPDATA%\Programs\Quenmore unless the folder page or /D= names another, with a
; Start-menu shortcut, a desktop shortcut if chosen, and an entry in Settings > Apps under
; HKCU. /S installs and uninstalls silently. An earlier version is removed by its own
; uninstaller first, so that the folder holds this version's files alone; the learner's
; best times, history, settings and courses live in AppData\Roaming, which neither side
; touches.
; While quenmore.exe runs from a folder that is to change, nothing changes: the installer
; asks the learner to close it (silently it stops at once) and ends with status 3.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenmore"
!define PUBLISHER "The Quenmore developers"
; The status of an installer or uninstaller stopped because Quenmore is running (the winget
; manifest names it).
!define EXIT_PROGRAM_RUNNING 3

Name "Quenmore"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quenmore"
; Where an earlier version went, when there is one (/D= overrides it).
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quenmore ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Quenmore touch-typing tutor"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Quenmore setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "2026 the Quenmore developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\quenmore.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quenmore"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Quenmore will be removed from the folder below. Your best \
    times, your history of lessons, your settings and your own courses are kept: they stay in \
    your AppData\Roaming folder (quenmoreTimes.bin, quenmoreHistory.db, quenmoreSettings.ini \
    and quenmoreCourses), ready for the next install."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Returns when quenmore.exe does not run from folder $R0. Windows refuses to open a running
; program's file for writing, so the file is opened for writing (and closed untouched). While
; it runs the learner may close it and retry; cancelling, or running silently, stops with
; status 3 before anything has changed.
!macro WaitWhileRunning un
    Function ${un}WaitWhileRunning
        retry:
        ${IfNot} ${FileExists} "$R0\quenmore.exe"
            Return
        ${EndIf}
        ClearErrors
        FileOpen $R1 "$R0\quenmore.exe" a
        ${IfNot} ${Errors}
            FileClose $R1
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "Quenmore is running from $R0.$\r$\n$\r$\nClose it, then choose Retry." \
            /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_PROGRAM_RUNNING}
        Quit
    FunctionEnd
!macroend
!insertmacro WaitWhileRunning ""
!insertmacro WaitWhileRunning "un."

Section "Quenmore" SectionProgram
    SectionIn RO
    ; The earlier version, wherever it went, and this one's folder must both be free.
    ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $R0 $INSTDIR
    Call WaitWhileRunning
    ${If} $R2 != ""
        StrCpy $R0 $R2
        Call WaitWhileRunning
    ${EndIf}

    ; The earlier version's own uninstaller knows its files. Run in place (_?=) it waits and
    ; cannot delete itself, so its file and folder go here.
    ${If} ${FileExists} "$R2\uninstall.exe"
        DetailPrint "Removing the earlier version from $R2"
        ExecWait '"$R2\uninstall.exe" /S _?=$R2' $R3
        ${If} $R3 != 0
            MessageBox MB_OK|MB_ICONSTOP "The earlier version in $R2 could not be removed \
                (status $R3). Nothing has been installed." /SD IDOK
            SetErrorLevel 4
            Quit
        ${EndIf}
        Delete "$R2\uninstall.exe"
        RMDir "$R2"
    ${EndIf}

    !insertmacro QuenmoreFiles
    WriteUninstaller "$INSTDIR\uninstall.exe"
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\Quenmore.lnk" "$INSTDIR\quenmore.exe" "" \
        "$INSTDIR\quenmore.exe" 0 SW_SHOWNORMAL "" "Learn to touch-type"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quenmore"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quenmore.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $R4 $R5 $R6
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $R4
SectionEnd

Section /o "Desktop shortcut" SectionDesktop
    SetOutPath "$INSTDIR"
    CreateShortcut "$DESKTOP\Quenmore.lnk" "$INSTDIR\quenmore.exe" "" \
        "$INSTDIR\quenmore.exe" 0 SW_SHOWNORMAL "" "Learn to touch-type"
SectionEnd

Function .onInit
    SetShellVarContext current
    ; An upgrade keeps the desktop shortcut that the learner chose before.
    ${If} ${FileExists} "$DESKTOP\Quenmore.lnk"
        SectionSetFlags ${SectionDesktop} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

; Removes what the installer made, and nothing else: a file the learner put in the folder
; keeps it. The shortcuts and the Settings entry go only when they belong to this folder's
; install, not to one made elsewhere since.
Section "Uninstall"
    StrCpy $R0 $INSTDIR
    Call un.WaitWhileRunning
    !insertmacro QuenmoreRemoveFiles
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R2 == $INSTDIR
        Delete "$SMPROGRAMS\Quenmore.lnk"
        Delete "$DESKTOP\Quenmore.lnk"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
