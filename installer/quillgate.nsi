; Setup for Quillgate: installs notepad.exe into Program Files and registers it
; as the debugger of the system's notepad.exe (Image File Execution Options),
; so Windows starts it whenever something starts Notepad; the system's own
; notepad.exe files stay untouched. Built by installer/CMakeLists.txt:
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DNOTEPAD_EXE=... -DNOTEPAD_KB=...
;            -DICON=... -DOUTFILE=... quillgate.nsi
;
; Where the entry goes: the notepad.exe key in each registry view (64-bit and
; 32-bit; on 32-bit Windows its one view), and each of that key's subkeys that
; carries FilterFullPath (Windows 11 reads Debugger from the matching one).
; Each such place is decided on its own: one that holds no Debugger value, or
; Quillgate's own entry for any folder, gets ours; one that holds anything
; else belongs to another program and is left exactly as it is (reported in a
; message box and in the details). Every place written, and whether the
; notepad.exe key was created, is recorded in the uninstall key, so the
; uninstaller removes just those values (where they are still ours) and that
; key (when left empty).
;
; An earlier install in another folder is taken over: its entries are
; replaced and its files removed, since the one Apps entry now names this one.
; A notepad.exe in use is replaced at the next restart (exit code 3010 when
; silent), never silently kept. Quillgate is also registered for .txt and .log
; under RegisteredApplications, for the user to pick in Default apps (on
; Windows 11 the Store Notepad's files bypass the debugger entry).
;
; The registration itself is registration.nsh, which the uninstaller's /REPAIR
; runs too (repair.nsh): from a start-up task, from Apps' Repair, or by hand.

Unicode true
SetCompressor /SOLID lzma
; No file times from the build machine in the setup program.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include WinVer.nsh
!include StrFunc.nsh
!include FileFunc.nsh
${StrStr}
${StrRep}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillgate"
!define NOTEPAD_KEY "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\notepad.exe"
!define PRODUCT_NAME "Corvalen Quillgate" ; ProductName of notepad.exe's version resource
; The default-apps registration, in the native view, where Windows reads it.
!define REGISTERED_APPS "Software\RegisteredApplications"
!define CAPABILITIES_KEY "Software\Corvalen\Quillgate\Capabilities"
!define PROGID "Quillgate.txt"
!define PROGID_KEY "Software\Classes\${PROGID}"
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010

Name "Quillgate"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Quillgate"
; An upgrade goes where the installed one is (the uninstall key is in the
; 32-bit view, this installer's own).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "Corvalen Quillgate ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=0 "CompanyName" "Corvalen"
VIAddVersionKey /LANG=0 "FileDescription" "Quillgate Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 Corvalen"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryText)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom EditorPage EditorPageLeave
Page custom TaskPage TaskPageLeave
!insertmacro MUI_PAGE_INSTFILES
; Windows 10 and 11 let only the user choose the app for a file type.
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenDefaultApps)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenDefaultApps
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowFinish
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UninstallText)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; Japanese first: it is the default where the system's language is neither.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"
!include strings.nsh
!include editor.nsh

Var View      ; 64 or 32: the registry view being worked on
Var ViewName
Var Entry     ; the Debugger value this installation writes
Var Key       ; a key under HKLM, in the current view
Var Name      ; a value name, for ReadValue
Var Found     ; ReadValue: 1 when $Key has the value $Name
Var Value     ; ReadValue: its text
Var IsOwn     ; 1 when $Value is Quillgate's entry (un.IsOwnEntry: this install's)
Var Base      ; how messages name $Key, less the view
Var Place     ; and with it
Var Record    ; the value of the uninstall key recording a Debugger written at $Key
Var Foreign64 ; the other programs' entries met in each view, one line each
Var Foreign32
Var Earlier   ; the folder the Apps entry recorded before this install
Var OldDir    ; IsQuillgateEntry: the folder an entry names
Var LeftDirs  ; folders of Quillgate whose entries were taken over but files kept, one a line
Var File      ; IsQuillgateFile: the file looked at
Var IsOurs    ; and 1 when its version resource names this product
Var SafeRoots ; CheckInstallFolder: the Program Files folders, for its message

!macro NativeView
    ${If} ${RunningX64}
        SetRegView 64
    ${Else}
        SetRegView default
    ${EndIf}
!macroend

!macro SharedFunctions un
Function ${un}UseView
    ${If} $View == 64
        SetRegView 64
    ${Else}
        SetRegView default
    ${EndIf}
FunctionEnd

; The uninstall key and its records live in this 32-bit program's own view.
Function ${un}UseRecordView
    SetRegView default
FunctionEnd

Function ${un}Prepare
    StrCpy $Entry `"$INSTDIR\notepad.exe" /z`
    ${If} $View == 64
        StrCpy $ViewName "$(View64)"
    ${Else}
        StrCpy $ViewName "$(View32)"
    ${EndIf}
    Call ${un}UseView
FunctionEnd

; Any value of that name counts, whatever its type: the registry matches
; names case-insensitively, as StrCmp does. EnumRegValue sets the error flag
; past the last value; a name "" without it is the key's default value.
Function ${un}ReadValue
    StrCpy $Found 0
    StrCpy $Value ""
    StrCpy $0 0
    ${Do}
        ClearErrors
        EnumRegValue $1 HKLM $Key $0
        ${If} ${Errors}
            ${Break}
        ${EndIf}
        ${If} $1 == $Name
            StrCpy $Found 1
            ReadRegStr $Value HKLM $Key $Name
            ${Break}
        ${EndIf}
        IntOp $0 $0 + 1
    ${Loop}
FunctionEnd

Function ${un}NameMainKey
    StrCpy $Key "${NOTEPAD_KEY}"
    StrCpy $Base "notepad.exe"
    StrCpy $Place "$Base ($ViewName)"
    StrCpy $Record "NotepadDebugger$View"
FunctionEnd

; The subkey $R1 of the notepad.exe key; $Found and $Value tell its FilterFullPath.
Function ${un}NameSubkey
    StrCpy $Key "${NOTEPAD_KEY}\$R1"
    StrCpy $Name "FilterFullPath"
    Call ${un}ReadValue
    StrCpy $Base "notepad.exe\$R1 [$Value]"
    StrCpy $Place "$Base ($ViewName)"
    StrCpy $Record "NotepadDebugger$View $R1"
FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."
!include repair.nsh
!include registration.nsh
!include restarts.nsh

Function .onInit
    Call CheckAdmin
    Call ReadEditorOptions
    Call ReadTaskOption
FunctionEnd

Function un.onInit
    Call un.CheckAdmin
    Call un.RepairIfAsked
FunctionEnd

; The notepad.exe installed runs for every start of Notepad, elevated and
; SYSTEM ones included, so only a folder that standard users cannot change
; will do: one under a Program Files folder (as the native view names them;
; a folder of C:\ inherits rights that let any user change new files).
; Makes $INSTDIR a full path, .. resolved, and sets $0 to 1 when it lies there.
Function CheckInstallFolder
    StrCpy $SafeRoots ""
    System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r0'
    ${If} $0 = 0
    ${OrIf} $0 >= ${NSIS_MAX_STRLEN}
        StrCpy $0 0
        Return
    ${EndIf}
    StrCpy $2 $1 "" -1
    ${If} $2 == "\"
        StrCpy $1 $1 -1
    ${EndIf}
    StrCpy $INSTDIR $1
    !insertmacro NativeView
    ReadRegStr $2 HKLM "Software\Microsoft\Windows\CurrentVersion" "ProgramFilesDir"
    ReadRegStr $3 HKLM "Software\Microsoft\Windows\CurrentVersion" "ProgramFilesDir (x86)"
    SetRegView default
    ${If} "$2$3" == ""
        StrCpy $2 $PROGRAMFILES
    ${EndIf}
    StrCpy $0 0
    StrCpy $5 $2
    Call ConsiderSafeRoot
    StrCpy $5 $3
    Call ConsiderSafeRoot
FunctionEnd

; $INSTDIR lies in the Program Files folder $5 (not "C:\Program Files Evil",
; nor that folder itself)? Then $0 is 1.
Function ConsiderSafeRoot
    ${If} $5 == ""
        Return
    ${EndIf}
    ${If} $SafeRoots != ""
        StrCpy $SafeRoots "$SafeRoots, "
    ${EndIf}
    StrCpy $SafeRoots "$SafeRoots$5"
    StrLen $6 "$5\"
    StrCpy $7 $INSTDIR $6
    StrCpy $8 $INSTDIR "" $6
    ${If} $7 == "$5\"
    ${AndIf} $8 != ""
        StrCpy $0 1
    ${EndIf}
FunctionEnd

Function DirectoryLeave
    Call CheckInstallFolder
    ${If} $0 <> 1
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(FolderRefused)"
        Abort
    ${EndIf}
FunctionEnd

!macro CheckAdminFunction un
Function ${un}CheckAdmin
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro CheckAdminFunction ""
!insertmacro CheckAdminFunction "un."

; Puts notepad.exe into $INSTDIR. One in use is tried again for a few seconds
; (and with a window, for as long as the user asks). Then an earlier Quillgate
; there is replaced at the next restart by a copy beside it; any other file
; fails the install before anything is registered.
Function PlaceNotepad
    SetOverwrite try ; a failed write sets the error flag, silent or not
    StrCpy $9 0
    ${Do}
        ClearErrors
        File "/oname=notepad.exe" "${NOTEPAD_EXE}"
        ${IfNot} ${Errors}
            ; A copy an earlier run left for the next restart would replace this one then.
            Delete "$INSTDIR\ns*.tmp"
            Return
        ${EndIf}
        IntOp $9 $9 + 1
        ${If} $9 < 5
            Sleep 1000
        ${ElseIf} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(InUse)" /SD IDCANCEL IDRETRY`
            StrCpy $9 0
        ${Else}
            ${Break}
        ${EndIf}
    ${Loop}
    StrCpy $File "$INSTDIR\notepad.exe"
    Call IsQuillgateFile
    ${If} $IsOurs == 1
        ClearErrors
        GetTempFileName $8 $INSTDIR
        ${IfNot} ${Errors}
            File "/oname=$8" "${NOTEPAD_EXE}"
        ${EndIf}
        ${IfNot} ${Errors}
            ; MoveFileEx itself: NSIS's Rename /REBOOTOK reports success even
            ; when the move could not be scheduled.
            System::Call 'kernel32::MoveFileExW(w r8, w "$INSTDIR\notepad.exe", i 5) i .r7' ; REPLACE_EXISTING | DELAY_UNTIL_REBOOT
            ${If} $7 <> 0
                SetRebootFlag true
                DetailPrint "$(ReplaceAtRestart)"
                Return
            ${EndIf}
        ${EndIf}
        ${If} $8 != ""
            Delete $8
        ${EndIf}
    ${EndIf}
    SetOutPath $TEMP
    RMDir $INSTDIR ; only when this run made it and nothing is in it
    MessageBox MB_OK|MB_ICONSTOP "$(CannotWrite)" /SD IDOK
    Abort "$(CannotWrite)"
FunctionEnd

Section "-Quillgate" SectionQuillgate
    AddSize ${NOTEPAD_KB} ; put in place by PlaceNotepad, which the section's size does not count
    ; Before anything is written: a silent install has had no folder page.
    Call CheckInstallFolder
    ${If} $0 <> 1
        MessageBox MB_OK|MB_ICONSTOP "$(FolderRefused)" /SD IDOK
        Abort "$(FolderRefused)"
    ${EndIf}
    SetRegView default
    ReadRegStr $Earlier HKLM "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $LeftDirs ""
    SetOutPath "$INSTDIR"
    Call ClearPendingRenames
    Call PlaceNotepad
    ClearErrors
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ${If} ${Errors}
        StrCpy $File "$INSTDIR\uninstall.exe"
        Abort "$(CannotWrite)"
    ${EndIf}

    SetRegView default
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quillgate"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvalen"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" `"$INSTDIR\uninstall.exe"`
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" `"$INSTDIR\uninstall.exe" /S`
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" `"$INSTDIR\notepad.exe",0`
    ; Apps' Repair (and Modify, where it offers that) puts the take-over back.
    !insertmacro RepairCommand $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "ModifyPath" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 0
    ; What is there, in KB: the files are put in place by PlaceNotepad, outside
    ; the section, where SectionGetSize does not count them.
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    StrCpy $Repairing 0
    Call RegisterViews
    Call RegisterApplication
    Call WriteEditors
    Call PutSettingsShortcut
    Call PutStartupTask
    SetRegView default
    Call RemoveEarlier
    Call ReportForeign
    ${If} ${RebootFlag}
        DetailPrint "$(RestartNeeded)"
        SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    ${EndIf}
SectionEnd

; The install the Apps entry named before, now replaced by this one: its files
; go (those in use at the next restart), or its folder is named.
Function RemoveEarlier
    ${If} $Earlier == ""
    ${OrIf} $Earlier == $INSTDIR
        Return
    ${EndIf}
    StrCpy $OldDir $Earlier
    Delete "$Earlier\ns*.tmp" ; a copy left there for a restart
    Delete /REBOOTOK "$Earlier\notepad.exe"
    Delete /REBOOTOK "$Earlier\uninstall.exe"
    RMDir "$Earlier"
    ${If} ${FileExists} "$Earlier\*.*"
        StrCpy $LeftDirs "$LeftDirs$Earlier$\r$\n"
    ${Else}
        DetailPrint "$(EarlierRemoved)"
    ${EndIf}
FunctionEnd

Function ShowFinish
    Call ShowFinishEditor
    ${IfNot} ${AtLeastWin10}
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Function OpenDefaultApps
    ${IfNot} ${Silent}
        ExecShell "open" "ms-settings:defaultapps"
    ${EndIf}
FunctionEnd

; One message for the places left alone, and one for earlier folders left.
Function ReportForeign
    Call ForeignPlaces
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(ForeignMessage)$\r$\n$\r$\n$0" /SD IDOK
    ${EndIf}
    ${If} $LeftDirs != ""
        DetailPrint "$(LeftMessage) $LeftDirs"
        MessageBox MB_OK|MB_ICONINFORMATION "$(LeftMessage)$\r$\n$\r$\n$LeftDirs" /SD IDOK
    ${EndIf}
FunctionEnd

; The path may differ in case (Windows paths do not care); " /z" may not.
Function un.IsOwnEntry
    StrCpy $IsOwn 0
    StrCpy $0 $Value "" -3
    StrCpy $1 $Value -3
    ${If} $Found == 1
    ${AndIf} $0 S== " /z"
    ${AndIf} $1 == `"$INSTDIR\notepad.exe"`
        StrCpy $IsOwn 1
    ${EndIf}
FunctionEnd

; Removes the Debugger at $Key if this installation recorded it and it is still ours.
Function un.UnregisterPlace
    Call un.UseRecordView
    ClearErrors
    ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" $Record
    Call un.UseView
    ${If} $2 != 1
        Return
    ${EndIf}
    StrCpy $Name "Debugger"
    Call un.ReadValue
    Call un.IsOwnEntry
    ${If} $IsOwn == 1
        DeleteRegValue HKLM $Key "Debugger"
        DetailPrint "$(Removed)"
    ${ElseIf} $Found == 1
        DetailPrint "$(LeftChanged)"
    ${EndIf}
FunctionEnd

Function un.UnregisterView
    Call un.Prepare
    Call un.NameMainKey
    Call un.UnregisterPlace
    StrCpy $R0 0
    ${Do}
        ClearErrors
        EnumRegKey $R1 HKLM "${NOTEPAD_KEY}" $R0
        ${If} ${Errors}
        ${OrIf} $R1 == ""
            ${Break}
        ${EndIf}
        Call un.NameSubkey
        Call un.UnregisterPlace
        IntOp $R0 $R0 + 1
    ${Loop}

    ; The key it created goes only when nothing else has come into it.
    Call un.UseRecordView
    ClearErrors
    ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" "NotepadKeyCreated$View"
    Call un.UseView
    ${If} $2 == 1
        ClearErrors
        EnumRegKey $0 HKLM "${NOTEPAD_KEY}" 0
        ${IfNot} ${Errors}
        ${AndIf} $0 == ""
            EnumRegValue $1 HKLM "${NOTEPAD_KEY}" 0
            ${If} ${Errors} ; no value, not even a default one
                DeleteRegKey /ifempty HKLM "${NOTEPAD_KEY}"
                Call un.NameMainKey
                DetailPrint "$(RemovedKey)"
            ${EndIf}
        ${EndIf}
    ${EndIf}
FunctionEnd

; What RegisterApplication wrote; the value only while it still names ours.
Function un.UnregisterApplication
    !insertmacro NativeView
    ReadRegStr $0 HKLM "${REGISTERED_APPS}" "Quillgate"
    ${If} $0 == "${CAPABILITIES_KEY}"
        DeleteRegValue HKLM "${REGISTERED_APPS}" "Quillgate"
    ${EndIf}
    DeleteRegKey HKLM "${CAPABILITIES_KEY}"
    DeleteRegKey /ifempty HKLM "Software\Corvalen\Quillgate"
    DeleteRegKey /ifempty HKLM "Software\Corvalen"
    DeleteRegKey HKLM "${PROGID_KEY}"
    !insertmacro NotifyAssociations
    SetRegView default
FunctionEnd

Section "Uninstall"
    Call un.RemoveUpkeep
    Call un.RemoveOwnEntries
    ${If} ${RunningX64}
        StrCpy $View 64
        Call un.UnregisterView
    ${EndIf}
    StrCpy $View 32
    Call un.UnregisterView
    Call un.RemoveEditors
    Call un.UnregisterApplication

    SetRegView default
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Files in use go at the next restart. Run in place (_?=), the
    ; uninstaller cannot remove itself: whoever ran it so does.
    Delete "$INSTDIR\ns*.tmp" ; a new copy Setup left for the next restart
    Delete /REBOOTOK "$INSTDIR\notepad.exe"
    ${If} $EXEPATH != "$INSTDIR\uninstall.exe"
        Delete /REBOOTOK "$INSTDIR\uninstall.exe"
    ${EndIf}
    ${If} ${RebootFlag}
        RMDir /REBOOTOK "$INSTDIR"
        DetailPrint "$(RemovedAtRestart)"
        MessageBox MB_OK|MB_ICONINFORMATION "$(RemovedAtRestart)" /SD IDOK
        SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    ${Else}
        RMDir "$INSTDIR"
    ${EndIf}
SectionEnd
