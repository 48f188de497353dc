; Snarvik's installer and uninstaller: for the current user, without administrator rights.
; Built by CMake (the "setup" target):
;   makensis -DVERSION=x.y.z -DEXE=snarvik.exe -DHELP=help.html -DICON=snarvik.ico
;            -DOUTFILE=snarvik-x.y.z-setup.exe snarvik.nsi
; /S installs or uninstalls silently; a silent uninstall keeps the settings unless
; /REMOVESETTINGS is given.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Snarvik"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\Snarvik"
!define MAIN_CLASS "SnarvikMainWindow"
!define STARTUP_LINK "$SMSTARTUP\Shortcut to Snarvik.lnk"
!define STILL_RUNNING "Snarvik is still running: one of its dialogs or messages is probably open.$\r$\n$\r$\nClose it and choose Retry, or choose Cancel to leave Snarvik as it is."
!define REMOVE_SETTINGS "Remove Snarvik's settings too?$\r$\n$\r$\nThey hold the number of the next file name it offers."

Name "Snarvik"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Snarvik"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Snarvik ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Snarvik"
VIAddVersionKey "CompanyName" "Snarvik"
VIAddVersionKey "FileDescription" "Snarvik setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Snarvik"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The file a shortcut points at, read through the shell's link object; "" if it cannot be
; read. Uses $6 to $9.
!macro LinkTarget LINK OUT
    StrCpy ${OUT} ""
    System::Call "ole32::CoCreateInstance(g '{00021401-0000-0000-C000-000000000046}', p 0, \
        i 1, g '{000214F9-0000-0000-C000-000000000046}', *p .r8) i .r9"
    ${If} $9 = 0
        ; IUnknown::QueryInterface for IPersistFile, then its Load and IShellLinkW's GetPath.
        System::Call "$8->0(g '{0000010B-0000-0000-C000-000000000046}', *p .r7) i .r9"
        ${If} $9 = 0
            System::Call "$7->5(w '${LINK}', i 0) i .r9"
            ${If} $9 = 0
                System::Call "$8->3(w .r6, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .r9"
                ${If} $9 = 0
                    StrCpy ${OUT} $6
                ${EndIf}
            ${EndIf}
            System::Call "$7->2()"
        ${EndIf}
        System::Call "$8->2()"
    ${EndIf}
!macroend

; Asks a running Snarvik to close: WM_CLOSE to its main window ends it as its Exit does. Waits
; up to 10 s for the process to end. If it still runs (one of its dialogs is open), an
; interactive run asks the user to close it (Retry/Cancel); a silent one, or Cancel, ends this
; run with exit code 1 before anything was changed.
!macro CloseSnarvik UN
Function ${UN}CloseSnarvik
    ${Do}
        FindWindow $0 "${MAIN_CLASS}"
        ${If} $0 = 0
            Return
        ${EndIf}
        System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
        System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2" ; SYNCHRONIZE
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        ${If} $2 != 0
            System::Call "kernel32::WaitForSingleObject(p r2, i 10000) i .r3"
            System::Call "kernel32::CloseHandle(p r2)"
            ${If} $3 = 0 ; ended
                Return
            ${EndIf}
        ${EndIf}
        ${If} ${Silent}
            SetErrorLevel 1
            Quit
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${STILL_RUNNING}" IDRETRY retry
        SetErrorLevel 1
        Quit
        retry:
    ${Loop}
FunctionEnd
!macroend
!insertmacro CloseSnarvik ""
!insertmacro CloseSnarvik "un."

Section "Snarvik"
    Call CloseSnarvik
    SetOutPath "$INSTDIR" ; also the working folder of the shortcuts made here

    ; Installed elsewhere before: that copy goes, so that one entry stands for one copy. Its
    ; Startup shortcut follows the program to its new place.
    ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 != ""
    ${AndIf} $R0 != $INSTDIR
        !insertmacro LinkTarget "${STARTUP_LINK}" $R1
        ${If} $R1 == "$R0\snarvik.exe"
            CreateShortcut "${STARTUP_LINK}" "$INSTDIR\snarvik.exe" "" "" 0 SW_SHOWNORMAL \
                "" "Shortcut to Snarvik"
        ${EndIf}
        Delete "$R0\snarvik.exe"
        Delete "$R0\help.html"
        Delete "$R0\uninstall.exe"
        RMDir "$R0"
    ${EndIf}

    File "/oname=snarvik.exe" "${EXE}"
    File "/oname=help.html" "${HELP}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Snarvik.lnk" "$INSTDIR\snarvik.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Snarvik"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Snarvik"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\snarvik.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; Its first start makes the Startup shortcut and opens the help page.
    ${IfNot} ${Silent}
        Exec '"$INSTDIR\snarvik.exe"'
    ${EndIf}
SectionEnd

Section "Uninstall"
    Call un.CloseSnarvik

    Delete "$INSTDIR\snarvik.exe"
    Delete "$INSTDIR\help.html"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR" ; only if empty: the user's own files there stay
    Delete "$SMPROGRAMS\Snarvik.lnk"
    ; The Startup shortcut only if it starts this copy. "Init" records that the first start
    ; made it: without it, a later install's first start makes it again.
    !insertmacro LinkTarget "${STARTUP_LINK}" $R0
    ${If} $R0 == "$INSTDIR\snarvik.exe"
        Delete "${STARTUP_LINK}"
        DeleteRegValue HKCU "${SETTINGS_KEY}\Settings" "Init"
    ${EndIf}
    ${GetParameters} $R1
    ClearErrors
    ${GetOptions} $R1 "/REMOVESETTINGS" $R2
    ${IfNot} ${Errors}
        DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${ElseIfNot} ${Silent}
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "${REMOVE_SETTINGS}" IDNO keep
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        keep:
    ${EndIf}
    ; The entry last: an uninstall cut short can be run again from it.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
