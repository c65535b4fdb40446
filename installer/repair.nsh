; Keeping the take-over in place: Windows updates put the notepad.exe key back
; as Windows ships it (the Debugger values gone, the filter subkeys back with
; the Store redirect). The uninstaller, which stays in the install folder,
; repairs it with Setup's own code (registration.nsh):
;   "<folder>\uninstall.exe" /REPAIR [/S] _?=<folder>
; _?= keeps it from copying itself into %TEMP% first. The folder it repairs
; for is the one the Apps entry records, whatever the command line says.
; Exit codes: 0 all in place, 1 a place holds another program's entry (left
; as it is), 2 not repaired (not installed, or a write failed), 740 not an
; administrator. A start-up task runs it silently as SYSTEM at each start of
; Windows; Apps runs it as Repair; Setup adds a Start menu entry for the
; settings, which open even while Notepad is not taken over.

!define REPAIR_SWITCH "/REPAIR"
!define TASK_NAME "Quillgate Repair"
!define SCHTASKS `"$SYSDIR\schtasks.exe"`

Var Repairing    ; 1 while the uninstaller repairs
Var Report       ; what a repair did, one line each
Var RepairFailed ; 1 when something could not be written
Var AppChanged   ; RegisterApplication: 1 when it wrote a value
Var AppFailed    ; and 1 when a write failed
Var MakeTask     ; 1 when Setup is to register the start-up task
Var TaskBox      ; its check box

!macro RepairCommand OUT
    StrCpy ${OUT} `"$INSTDIR\uninstall.exe" ${REPAIR_SWITCH} _?=$INSTDIR`
!macroend

; The uninstaller's /REPAIR: repairs, shows what it did (unless /S), and quits
; with its exit code before any page.
Function un.RepairIfAsked
    StrCpy $Repairing 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "${REPAIR_SWITCH}" $1
    ${If} ${Errors}
        Return
    ${EndIf}
    StrCpy $Repairing 1
    StrCpy $Report ""
    StrCpy $RepairFailed 0
    SetRegView default
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $Earlier $INSTDIR
    StrCpy $File "$INSTDIR\notepad.exe"
    Call un.IsQuillgateFile
    ${If} $INSTDIR == ""
    ${OrIf} $IsOurs != 1
        MessageBox MB_OK|MB_ICONSTOP "$(NotInstalled)" /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    Call un.RegisterViews
    Call un.RegisterApplication
    SetRegView default
    Call un.ForeignPlaces
    ${If} $RepairFailed == 1
        MessageBox MB_OK|MB_ICONSTOP "$(RepairFailed)$\r$\n$\r$\n$Report" /SD IDOK
        SetErrorLevel 2
    ${ElseIf} $0 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(RepairDone)$\r$\n$Report$\r$\n$(RepairForeign)$\r$\n$0" /SD IDOK
        SetErrorLevel 1
    ${Else}
        ${If} $Report == ""
            StrCpy $Report "$(InPlace)$\r$\n"
        ${EndIf}
        MessageBox MB_OK|MB_ICONINFORMATION "$(RepairDone)$\r$\n$Report" /SD IDOK
        SetErrorLevel 0
    ${EndIf}
    Quit
FunctionEnd

Function ReadTaskOption
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOTASK" $1
    ${If} ${Errors}
        StrCpy $MakeTask 1
    ${Else}
        StrCpy $MakeTask 0
    ${EndIf}
FunctionEnd

; A page of its own for the task, checked unless /NOTASK was given.
Function TaskPage
    !insertmacro MUI_HEADER_TEXT "$(TaskTitle)" "$(TaskSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 84u "$(TaskText)"
    Pop $0
    ${NSD_CreateCheckbox} 0 90u 100% 12u "$(TaskOption)"
    Pop $TaskBox
    ${If} $MakeTask == 1
        ${NSD_Check} $TaskBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function TaskPageLeave
    ${NSD_GetState} $TaskBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $MakeTask 1
    ${Else}
        StrCpy $MakeTask 0
    ${EndIf}
FunctionEnd

!macro TaskLine TEXT
    FileWriteUTF16LE $9 `${TEXT}$\r$\n`
!macroend

; The task's definition for schtasks /xml, in UTF-16 with its mark: at each
; start of Windows, as SYSTEM, hidden, for at most two minutes.
Function WriteTaskFile
    ${StrRep} $1 $INSTDIR "&" "&amp;" ; the one character of a path XML reserves
    InitPluginsDir
    ClearErrors
    FileOpen $9 "$PLUGINSDIR\task.xml" w
    ${If} ${Errors}
        Return
    ${EndIf}
    FileWriteWord $9 0xFEFF
    !insertmacro TaskLine `<?xml version="1.0" encoding="UTF-16"?>`
    !insertmacro TaskLine `<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">`
    !insertmacro TaskLine `  <RegistrationInfo>`
    !insertmacro TaskLine `    <Author>Corvalen</Author>`
    !insertmacro TaskLine `    <Description>$(TaskDescription)</Description>`
    !insertmacro TaskLine `  </RegistrationInfo>`
    !insertmacro TaskLine `  <Triggers>`
    !insertmacro TaskLine `    <BootTrigger><Enabled>true</Enabled></BootTrigger>`
    !insertmacro TaskLine `  </Triggers>`
    !insertmacro TaskLine `  <Principals>`
    !insertmacro TaskLine `    <Principal id="System">`
    !insertmacro TaskLine `      <UserId>S-1-5-18</UserId>`
    !insertmacro TaskLine `      <RunLevel>HighestAvailable</RunLevel>`
    !insertmacro TaskLine `    </Principal>`
    !insertmacro TaskLine `  </Principals>`
    !insertmacro TaskLine `  <Settings>`
    !insertmacro TaskLine `    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>`
    !insertmacro TaskLine `    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>`
    !insertmacro TaskLine `    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>`
    !insertmacro TaskLine `    <StartWhenAvailable>true</StartWhenAvailable>`
    !insertmacro TaskLine `    <Hidden>true</Hidden>`
    !insertmacro TaskLine `    <ExecutionTimeLimit>PT2M</ExecutionTimeLimit>`
    !insertmacro TaskLine `  </Settings>`
    !insertmacro TaskLine `  <Actions Context="System">`
    !insertmacro TaskLine `    <Exec>`
    !insertmacro TaskLine `      <Command>"$1\uninstall.exe"</Command>`
    !insertmacro TaskLine `      <Arguments>${REPAIR_SWITCH} /S _?=$1</Arguments>`
    !insertmacro TaskLine `    </Exec>`
    !insertmacro TaskLine `  </Actions>`
    !insertmacro TaskLine `</Task>`
    FileClose $9
FunctionEnd

; Registers the start-up task, or removes an earlier one the user now leaves
; out; the Apps entry records whether there is one.
Function PutStartupTask
    SetRegView default
    ${If} $MakeTask != 1
        ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "StartupTask"
        ${If} $0 == 1
            nsExec::ExecToLog `${SCHTASKS} /delete /tn "${TASK_NAME}" /f`
            Pop $0
        ${EndIf}
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "StartupTask" 0
        Return
    ${EndIf}
    Call WriteTaskFile
    nsExec::ExecToLog `${SCHTASKS} /create /tn "${TASK_NAME}" /xml "$PLUGINSDIR\task.xml" /f`
    Pop $0
    Delete "$PLUGINSDIR\task.xml"
    ${If} $0 == 0
        DetailPrint "$(TaskMade)"
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "StartupTask" 1
    ${Else}
        DetailPrint "$(TaskNotMade)"
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "StartupTask" 0
    ${EndIf}
FunctionEnd

; "Quillgate Settings" in every user's Start menu; the Apps entry records its
; path, which is in Setup's language, for the uninstaller.
Function PutSettingsShortcut
    SetShellVarContext all
    SetRegView default
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "SettingsShortcut"
    StrCpy $1 "$SMPROGRAMS\$(SettingsShortcut).lnk"
    ${If} $0 != ""
    ${AndIf} $0 != $1
        Delete $0
    ${EndIf}
    ClearErrors
    CreateShortcut $1 "$INSTDIR\notepad.exe" "/setting" "$INSTDIR\notepad.exe" 0
    ${If} ${Errors}
        DetailPrint "$(ShortcutNotMade)"
    ${Else}
        WriteRegStr HKLM "${UNINSTALL_KEY}" "SettingsShortcut" $1
    ${EndIf}
    SetShellVarContext current
FunctionEnd

Function un.RemoveUpkeep
    SetRegView default
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "StartupTask"
    ${If} $0 == 1
        nsExec::ExecToLog `${SCHTASKS} /delete /tn "${TASK_NAME}" /f`
        Pop $0
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "SettingsShortcut"
    ${If} $0 != ""
        Delete $0
    ${EndIf}
FunctionEnd
