; Which editor Notepad opens: the page that asks, the /EDITOR= and
; /PRINTEDITOR= options of a silent install, and the machine settings Setup
; writes (HKLM\Software\Corvalen\Quillgate\Paths, native view), which
; notepad.exe uses wherever a user has no value of their own.
;
; Editors are found where their installers register them (App Paths, the
; shell's Applications key) and in the usual folders, as other installers
; that offer them do. One in the installing user's profile (a per-user
; VS Code) is that user's alone: it goes to their own settings, written with
; its environment variable, and the machine's value stays.

!include nsDialogs.nsh

!define PATHS_KEY "Software\Corvalen\Quillgate\Paths" ; in HKLM, and in HKCU for a user's own
!define WINDOWS_NOTEPAD "%SystemRoot%\System32\notepad.exe"
!define APP_PATHS "Software\Microsoft\Windows\CurrentVersion\App Paths"
!define EDITOR_ROWS_FOUND 7 ; what the page has room for above Notepad's row

; Where notepad.exe reads them: the native view, as an administrator's regedit shows it.
!macro MachineView
    ${If} ${RunningX64}
        SetRegView 64
    ${Else}
        SetRegView default
    ${EndIf}
!macroend

Var EditorValue  ; what Setup writes as CommonEditor; "" keeps the earlier one
Var PrintValue   ; and as PrinterEditor; "" keeps the earlier one, or follows the editor
Var EditorShown  ; how the finish page names the choice
Var EdFinish     ; the finish page's sentence about it
Var EdOthers     ; and the editor other users get, where the choice is the user's own
Var EdEarlier    ; the choice to check on the page, expanded
Var EdEarlierRaw ; and as written
Var EdTop        ; where the page's next row goes, in dialog units
Var EdCount      ; editors found so far
Var EdSeen       ; their paths, one a line, so that each is listed once
Var EdIcons      ; icon handles to free, each followed by a blank
Var EdRow        ; the checked row's radio button
Var EdFirst      ; the first row's
Var EdOtherRow   ; "Another program…"
Var EdOtherText
Var EdName       ; texts of the details: the value written
Var EdValue

Function ReadEditorOptions
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/EDITOR=" $EditorValue
    ${If} ${Errors}
        StrCpy $EditorValue ""
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/PRINTEDITOR=" $PrintValue
    ${If} ${Errors}
        StrCpy $PrintValue ""
    ${EndIf}
FunctionEnd

Function FreeEditorIcons
    ${Do}
        StrCpy $0 0
        ${Do}
            StrCpy $1 $EdIcons 1 $0
            ${If} $1 == " "
            ${OrIf} $1 == ""
                ${Break}
            ${EndIf}
            IntOp $0 $0 + 1
        ${Loop}
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        StrCpy $1 $EdIcons $0
        IntOp $0 $0 + 1
        StrCpy $EdIcons $EdIcons "" $0
        System::Call 'user32::DestroyIcon(p r1) i .r2'
    ${Loop}
    StrCpy $EdIcons ""
FunctionEnd

; A row for the path $R4 named $R2: its icon, a radio button carrying the
; path, and the path itself. Checked when it is the earlier choice.
Function AddEditorRow
    StrCpy $R5 $EdTop
    ExpandEnvStrings $1 $R4
    System::Call 'shell32::ExtractIconExW(w r1, i 0, p 0, *p .r3, i 1) i .r2'
    ${If} $2 > 0
    ${AndIf} $3 <> 0
        ${NSD_CreateIcon} 0 $R5u 10u 10u ""
        Pop $4
        SendMessage $4 ${STM_SETICON} $3 0
        StrCpy $EdIcons "$EdIcons$3 "
    ${EndIf}
    ${If} $EdFirst == ""
        ${NSD_CreateFirstRadioButton} 14u $R5u 112u 10u $R2
    ${Else}
        ${NSD_CreateAdditionalRadioButton} 14u $R5u 112u 10u $R2
    ${EndIf}
    Pop $4
    nsDialogs::SetUserData $4 $R4
    ${NSD_OnClick} $4 EditorRowClicked
    ${If} $EdFirst == ""
        StrCpy $EdFirst $4
    ${EndIf}
    ${If} $EdRow == ""
    ${AndIf} $1 == $EdEarlier
        ${NSD_Check} $4
        StrCpy $EdRow $4
    ${EndIf}
    nsDialogs::CreateControl STATIC ${DEFAULT_STYLES}|${SS_PATHELLIPSIS}|${SS_NOPREFIX} 0 \
        128u $R5u 172u 10u $1
    Pop $4
    IntOp $EdTop $EdTop + 12
FunctionEnd

; $R3, a path or a command line that may start with one, names the editor $R0?
; Then its row is added once.
Function ConsiderEditor
    ${If} $R3 == ""
    ${OrIf} $EdCount >= ${EDITOR_ROWS_FOUND}
        Return
    ${EndIf}
    ${StrStr} $0 $R3 "\$R0"
    ${If} $0 == ""
        Return
    ${EndIf}
    StrLen $1 $R3
    StrLen $2 $0
    IntOp $1 $1 - $2
    StrLen $2 "\$R0"
    IntOp $1 $1 + $2
    StrCpy $3 $R3 1 $1 ; what follows the file name
    ${If} $3 != ""
    ${AndIf} $3 != `"`
    ${AndIf} $3 != " "
        Return
    ${EndIf}
    StrCpy $R4 $R3 $1
    StrCpy $3 $R4 1
    ${If} $3 == `"`
        StrCpy $R4 $R4 "" 1
    ${EndIf}
    ExpandEnvStrings $R4 $R4
    ${IfNot} ${FileExists} $R4
    ${OrIf} ${FileExists} "$R4\*.*"
        Return
    ${EndIf}
    ${StrStr} $0 $EdSeen "$\n$R4$\n"
    ${If} $0 != ""
        Return
    ${EndIf}
    StrCpy $EdSeen "$EdSeen$R4$\n"
    IntOp $EdCount $EdCount + 1
    Call AddEditorRow
FunctionEnd

; The editor file $R0, installed as $R1 under a programs folder, named $R2.
Function FindEditor
    ReadRegStr $R3 HKCU "${APP_PATHS}\$R0" ""
    Call ConsiderEditor
    ${If} ${RunningX64}
        SetRegView 64
        ReadRegStr $R3 HKLM "${APP_PATHS}\$R0" ""
        SetRegView default
        Call ConsiderEditor
    ${EndIf}
    ReadRegStr $R3 HKLM "${APP_PATHS}\$R0" ""
    Call ConsiderEditor
    ; The user's classes too: HKCR need not show them (Wine's does not).
    ReadRegStr $R3 HKCU "Software\Classes\Applications\$R0\shell\open\command" ""
    Call ConsiderEditor
    ReadRegStr $R3 HKCR "Applications\$R0\shell\open\command" ""
    Call ConsiderEditor
    StrCpy $R3 "$PROGRAMFILES64\$R1"
    Call ConsiderEditor
    StrCpy $R3 "$PROGRAMFILES32\$R1"
    Call ConsiderEditor
    StrCpy $R3 "$LOCALAPPDATA\Programs\$R1"
    Call ConsiderEditor
FunctionEnd

!macro FindEditor FILE FOLDER TITLE
    StrCpy $R0 "${FILE}"
    StrCpy $R1 "${FOLDER}\${FILE}"
    StrCpy $R2 "${TITLE}"
    Call FindEditor
!macroend

Function EditorPage
    Call FreeEditorIcons
    !insertmacro MUI_HEADER_TEXT "$(EditorTitle)" "$(EditorSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 30u "$(EditorText)"
    Pop $0

    ; What to check: the /EDITOR= given, else what an earlier install wrote.
    StrCpy $EdEarlierRaw $EditorValue
    ${If} $EdEarlierRaw == ""
        !insertmacro MachineView
        ReadRegStr $EdEarlierRaw HKLM "${PATHS_KEY}" "CommonEditor"
        SetRegView default
    ${EndIf}
    ExpandEnvStrings $EdEarlier $EdEarlierRaw
    StrCpy $EdTop 32
    StrCpy $EdCount 0
    StrCpy $EdSeen "$\n"
    StrCpy $EdRow ""
    StrCpy $EdFirst ""
    !insertmacro FindEditor "Code.exe" "Microsoft VS Code" "Visual Studio Code"
    !insertmacro FindEditor "Code - Insiders.exe" "Microsoft VS Code Insiders" \
        "Visual Studio Code Insiders"
    !insertmacro FindEditor "VSCodium.exe" "VSCodium" "VSCodium"
    !insertmacro FindEditor "Cursor.exe" "cursor" "Cursor"
    !insertmacro FindEditor "notepad++.exe" "Notepad++" "Notepad++"
    !insertmacro FindEditor "sublime_text.exe" "Sublime Text" "Sublime Text"
    !insertmacro FindEditor "sublime_text.exe" "Sublime Text 3" "Sublime Text"
    StrCpy $R4 "${WINDOWS_NOTEPAD}"
    StrCpy $R2 "$(WindowsNotepad)"
    Call AddEditorRow

    StrCpy $R5 $EdTop
    ${NSD_CreateAdditionalRadioButton} 14u $R5u 112u 12u "$(OtherEditor)"
    Pop $EdOtherRow
    nsDialogs::SetUserData $EdOtherRow ""
    ${NSD_OnClick} $EdOtherRow EditorRowClicked
    StrCpy $0 ""
    ${If} $EdRow == ""
        ${If} $EdEarlier != ""
            StrCpy $0 $EdEarlierRaw
            ${NSD_Check} $EdOtherRow
            StrCpy $EdRow $EdOtherRow
        ${Else}
            ${NSD_Check} $EdFirst
            StrCpy $EdRow $EdFirst
        ${EndIf}
    ${EndIf}
    ${NSD_CreateText} 128u $R5u 153u 12u $0
    Pop $EdOtherText
    ${NSD_OnChange} $EdOtherText EditorOtherTyped
    ${NSD_CreateBrowseButton} 284u $R5u 16u 12u "..."
    Pop $0
    ${NSD_OnClick} $0 EditorBrowse
    nsDialogs::Show
FunctionEnd

Function EditorRowClicked
    Pop $EdRow
FunctionEnd

Function EditorOtherTyped
    Pop $0
    ${If} $EdRow != $EdOtherRow
        ${NSD_Uncheck} $EdRow
        ${NSD_Check} $EdOtherRow
        StrCpy $EdRow $EdOtherRow
    ${EndIf}
FunctionEnd

Function EditorBrowse
    Pop $0
    ${NSD_GetText} $EdOtherText $1
    nsDialogs::SelectFileDialog open $1 "$(ProgramFilter)"
    Pop $1
    ${If} $1 != ""
    ${AndIf} $1 != "error"
        ${NSD_SetText} $EdOtherText $1
    ${EndIf}
FunctionEnd

Function EditorPageLeave
    ${If} $EdRow == $EdOtherRow
        ${NSD_GetText} $EdOtherText $0
        StrCpy $1 $0 1
        StrCpy $2 $0 "" -1
        ${If} $1 == `"`
        ${AndIf} $2 == `"`
            StrCpy $0 $0 -1 1
        ${EndIf}
        ExpandEnvStrings $EditorShown $0
        ${If} $0 == ""
        ${OrIfNot} ${FileExists} $EditorShown
        ${OrIf} ${FileExists} "$EditorShown\*.*"
            MessageBox MB_OK|MB_ICONEXCLAMATION "$(EditorMissing)"
            Abort
        ${EndIf}
        StrCpy $EditorValue $0
    ${Else}
        nsDialogs::GetUserData $EdRow
        Pop $EditorValue
        ${NSD_GetText} $EdRow $EditorShown
    ${EndIf}
    ; An editor in the installing user's profile becomes that user's own
    ; setting; others keep the machine's. Else the user's own setting wins.
    StrCpy $R9 $EditorValue
    Call EditorPlace
    ${If} $R8 = 1
        !insertmacro MachineView
        ClearErrors
        ReadRegStr $0 HKLM "${PATHS_KEY}" "CommonEditor"
        SetRegView default
        ${If} ${Errors}
            StrCpy $EdOthers "$(WindowsNotepad)"
        ${Else}
            ExpandEnvStrings $EdOthers $0
        ${EndIf}
        StrCpy $EdFinish "$(FinishUserEditor)"
        Call FreeEditorIcons
        Return
    ${EndIf}
    ClearErrors
    ReadRegStr $0 HKCU "${PATHS_KEY}" "CommonEditor"
    ${If} ${Errors}
        StrCpy $EdFinish "$(FinishEditor)"
    ${Else}
        StrCpy $EditorShown $0
        StrCpy $EdFinish "$(FinishOwnEditor)"
    ${EndIf}
    Call FreeEditorIcons
FunctionEnd

; The finish page names the editor before its other text, and makes room
; for it: the text grows by 24 dialog units, and the check box below moves.
Function ShowFinishEditor
    ${NSD_SetText} $mui.FinishPage.Text "$EdFinish$\r$\n$(FinishText)"
    System::Call '*(i 0, i 0, i 0, i 24) p .r0'
    ${If} $0 = 0
        Return
    ${EndIf}
    System::Call 'user32::MapDialogRect(p $mui.FinishPage, p r0) i .r1'
    System::Call '*$0(i, i, i, i .r9)'
    ${If} $1 <> 0
        System::Call 'user32::GetWindowRect(p $mui.FinishPage.Text, p r0) i .r1'
    ${EndIf}
    ${If} $1 <> 0
        System::Call 'user32::MapWindowPoints(p 0, p $mui.FinishPage, p r0, i 2)'
        System::Call '*$0(i .r2, i .r3, i .r4, i .r5)'
        IntOp $4 $4 - $2
        IntOp $5 $5 - $3
        IntOp $5 $5 + $9
        System::Call 'user32::SetWindowPos(p $mui.FinishPage.Text, p 0, i 0, i 0, i r4, i r5, i 0x16)' ; SWP_NOMOVE|SWP_NOZORDER|SWP_NOACTIVATE
        System::Call 'user32::GetWindowRect(p $mui.FinishPage.Run, p r0) i .r1'
    ${EndIf}
    ${If} $1 <> 0
        System::Call 'user32::MapWindowPoints(p 0, p $mui.FinishPage, p r0, i 2)'
        System::Call '*$0(i .r2, i .r3)'
        IntOp $3 $3 + $9
        System::Call 'user32::SetWindowPos(p $mui.FinishPage.Run, p 0, i r2, i r3, i 0, i 0, i 0x15)' ; SWP_NOSIZE|SWP_NOZORDER|SWP_NOACTIVATE
    ${EndIf}
    System::Free $0
FunctionEnd

; $R9 as written: under the user's profile by its environment variable.
Function StoredEditorForm
    ${StrStr} $0 $R9 "%"
    ${If} $0 != ""
        Return
    ${EndIf}
    ${ForEach} $1 0 2 + 1
        ${If} $1 = 0
            StrCpy $2 "$LOCALAPPDATA\"
            StrCpy $3 "%LOCALAPPDATA%\"
        ${ElseIf} $1 = 1
            StrCpy $2 "$APPDATA\"
            StrCpy $3 "%APPDATA%\"
        ${Else}
            StrCpy $2 "$PROFILE\"
            StrCpy $3 "%USERPROFILE%\"
        ${EndIf}
        StrLen $4 $2
        StrCpy $5 $R9 $4
        ${If} $4 > 1
        ${AndIf} $5 == $2
            StrCpy $5 $R9 "" $4
            StrCpy $R9 "$3$5"
            Return
        ${EndIf}
    ${Next}
FunctionEnd

; Where $R9 goes: $R8 is 1 when it lies in the installing user's profile
; (StoredEditorForm gives it as %LOCALAPPDATA%, %APPDATA% or %USERPROFILE%),
; which other users do not have: it is that user's editor, not the machine's.
Function EditorPlace
    Call StoredEditorForm
    StrCpy $R8 0
    StrCpy $0 $R9 15
    StrCpy $1 $R9 10
    StrCpy $2 $R9 14
    ${If} $0 == "%LOCALAPPDATA%\"
    ${OrIf} $1 == "%APPDATA%\"
    ${OrIf} $2 == "%USERPROFILE%\"
        StrCpy $R8 1
    ${EndIf}
FunctionEnd

!macro WriteEditorValue ROOT
    StrCpy $EdValue $R9
    ${StrStr} $0 $R9 "%"
    ClearErrors
    ${If} $0 != ""
        WriteRegExpandStr ${ROOT} "${PATHS_KEY}" $EdName $R9
    ${Else}
        WriteRegStr ${ROOT} "${PATHS_KEY}" $EdName $R9
    ${EndIf}
!macroend

; Writes $R9 ("" for none given) as Paths\$EdName, and records what it wrote
; for the uninstaller. One in the installing user's profile goes to that
; user's settings; the machine's value then stays, as it does where none is
; given, and a machine without one gets Windows Notepad.
Function PutEditor
    StrCpy $R8 0
    ${If} $R9 != ""
        Call EditorPlace
    ${EndIf}
    ${If} $R8 = 1
        !insertmacro WriteEditorValue HKCU
        ${If} ${Errors}
            DetailPrint "$(UserEditorNotWritten)"
        ${Else}
            DetailPrint "$(UserEditorWritten)"
            SetRegView default
            WriteRegStr HKLM "${UNINSTALL_KEY}" "User$EdName" $R9
            WriteRegStr HKLM "${UNINSTALL_KEY}" "UserProfile" $PROFILE
            !insertmacro MachineView
        ${EndIf}
        StrCpy $R9 ""
    ${EndIf}
    ${If} $R9 == ""
        ClearErrors
        ReadRegStr $EdValue HKLM "${PATHS_KEY}" $EdName
        ${IfNot} ${Errors}
            DetailPrint "$(EditorKept)"
            Return
        ${EndIf}
        StrCpy $R9 "${WINDOWS_NOTEPAD}"
    ${EndIf}
    !insertmacro WriteEditorValue HKLM
    ${If} ${Errors}
        DetailPrint "$(EditorNotWritten)"
        Return
    ${EndIf}
    DetailPrint "$(EditorWritten)"
    SetRegView default
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Machine$EdName" $R9
    !insertmacro MachineView
FunctionEnd

; Setup changes only the editors it is given or shown: a print editor already
; on the machine stays when only the editor is given. Where there is none, it
; is the editor where that has a print switch (Notepad++), else Windows Notepad.
Function WriteEditors
    !insertmacro MachineView
    ${If} $PrintValue == ""
        ClearErrors
        ReadRegStr $0 HKLM "${PATHS_KEY}" "PrinterEditor"
        ${If} ${Errors}
            ExpandEnvStrings $0 $EditorValue
            ${GetFileName} $0 $0
            ${If} $0 == "notepad++.exe"
                StrCpy $PrintValue $EditorValue
            ${EndIf}
        ${EndIf}
    ${EndIf}
    StrCpy $EdName "CommonEditor"
    StrCpy $R9 $EditorValue
    Call PutEditor
    StrCpy $EdName "PrinterEditor"
    StrCpy $R9 $PrintValue
    Call PutEditor
    SetRegView default
FunctionEnd

; The value NAME where it still holds what PutEditor recorded writing: an
; administrator's, or one changed since, stays, as do other rows of the key.
; The installing user's own only when that user uninstalls.
!macro RemoveEditor NAME
    SetRegView default
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "Machine${NAME}"
    ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "User${NAME}"
    !insertmacro MachineView
    ReadRegStr $0 HKLM "${PATHS_KEY}" "${NAME}"
    ${If} $1 != ""
    ${AndIf} $0 S== $1
        DeleteRegValue HKLM "${PATHS_KEY}" "${NAME}"
    ${EndIf}
    ReadRegStr $0 HKCU "${PATHS_KEY}" "${NAME}"
    ${If} $2 != ""
    ${AndIf} $0 S== $2
    ${AndIf} $3 == $PROFILE
        DeleteRegValue HKCU "${PATHS_KEY}" "${NAME}"
    ${EndIf}
!macroend

Function un.RemoveEditors
    SetRegView default
    ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "UserProfile"
    !insertmacro RemoveEditor "CommonEditor"
    !insertmacro RemoveEditor "PrinterEditor"
    DeleteRegKey /ifempty HKLM "${PATHS_KEY}"
    DeleteRegKey /ifempty HKCU "${PATHS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Corvalen\Quillgate"
    DeleteRegKey /ifempty HKCU "Software\Corvalen"
    SetRegView default
FunctionEnd
