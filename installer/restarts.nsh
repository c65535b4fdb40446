; What a restart would undo. An uninstall while Quillgate runs leaves its
; files to be deleted at the next restart; installing again into that folder
; before then must cancel that, or the restart removes the new notepad.exe
; that the Debugger entries name, and nothing can start Notepad. The
; uninstaller, for its part, removes this install's own entry wherever it
; finds it, so a lost record or renumbered filter subkeys leave none behind.

!define SESSION_MANAGER "System\CurrentControlSet\Control\Session Manager"
!define PENDING_RENAMES "PendingFileRenameOperations"

; $4 (a name as the list holds it, "!" already taken off) is $INSTDIR or in it.
!macro IsInInstallFolder result
    StrCpy ${result} 0
    ${If} $4 == "\??\$INSTDIR"
        StrCpy ${result} 1
    ${Else}
        StrLen $3 "\??\$INSTDIR\"
        StrCpy $3 $4 $3
        ${If} $3 == "\??\$INSTDIR\"
            StrCpy ${result} 1
        ${EndIf}
    ${EndIf}
!macroend

; Drops the pairs (source, then target: "" deletes, a leading "!" replaces)
; whose source or target is in $INSTDIR; other programs' pairs stay as they
; are. Run before the files are put in place, so that a replacement this run
; schedules for a file in use is kept.
Function ClearPendingRenames
    System::Call 'advapi32::RegOpenKeyExW(p 0x80000002, w "${SESSION_MANAGER}", i 0, i 3, *p .R3) i .r0' ; KEY_QUERY_VALUE | KEY_SET_VALUE
    ${If} $0 <> 0
        Return ; no list can be read, nor one written there
    ${EndIf}
    StrCpy $R4 0
    StrCpy $R5 0
    System::Call 'advapi32::RegQueryValueExW(p R3, w "${PENDING_RENAMES}", p 0, *i R5R5, p 0, *i R4R4) i .r0'
    ${If} $0 <> 0
    ${OrIf} $R5 <> 7 ; REG_MULTI_SZ
    ${OrIf} $R4 < 2
        System::Call 'advapi32::RegCloseKey(p R3)'
        Return
    ${EndIf}
    ; Zeroed, with room for two more NULs: every name read ends inside it.
    IntOp $0 $R4 + 4
    System::Alloc $0
    Pop $R6
    System::Alloc $0
    Pop $R7
    System::Call 'advapi32::RegQueryValueExW(p R3, w "${PENDING_RENAMES}", p 0, p 0, p R6, *i R4R4) i .r0'
    ${If} $0 <> 0
        System::Free $R6
        System::Free $R7
        System::Call 'advapi32::RegCloseKey(p R3)'
        DetailPrint "$(RestartsNotCleared)"
        Return
    ${EndIf}
    IntOp $R8 $R6 + $R4
    StrCpy $R9 $R7
    StrCpy $5 0 ; pairs dropped
    StrCpy $6 0 ; pairs kept
    StrCpy $0 $R6
    ${Do}
        System::Call 'kernel32::lstrlenW(p r0) i .r3'
        ${If} $3 = 0
            ${Break} ; the list's end
        ${EndIf}
        IntOp $1 $3 + 1
        IntOp $1 $1 * 2
        IntOp $1 $0 + $1 ; the target
        ${If} $1 U>= $R8
            ${Break} ; a source without a target: kept as it is
        ${EndIf}
        System::Call 'kernel32::lstrlenW(p r1) i .r3'
        IntOp $2 $3 + 1
        IntOp $2 $2 * 2
        IntOp $2 $1 + $2 ; the next pair
        ${If} $2 U> $R8
            ${Break}
        ${EndIf}
        ; Only the start of a name is compared: a longer one is cut, not misread.
        System::Call 'kernel32::lstrcpynW(w .r4, p r0, i ${NSIS_MAX_STRLEN}) p'
        !insertmacro IsInInstallFolder $7
        System::Call 'kernel32::lstrcpynW(w .r4, p r1, i ${NSIS_MAX_STRLEN}) p'
        StrCpy $3 $4 1
        ${If} $3 == "!"
            StrCpy $4 $4 "" 1
        ${EndIf}
        !insertmacro IsInInstallFolder $8
        ${If} $7 = 1
        ${OrIf} $8 = 1
            IntOp $5 $5 + 1
        ${Else}
            IntOp $6 $6 + 1
            IntOp $3 $2 - $0
            System::Call 'kernel32::RtlMoveMemory(p R9, p r0, i r3)'
            IntOp $R9 $R9 + $3
        ${EndIf}
        StrCpy $0 $2
    ${Loop}
    ; The rest, with the list's closing NUL, as it was.
    IntOp $3 $R8 - $0
    ${If} $3 > 0
        System::Call 'kernel32::RtlMoveMemory(p R9, p r0, i r3)'
        IntOp $R9 $R9 + $3
    ${EndIf}
    ${If} $5 > 0
        IntOp $3 $R9 - $R7
        ${If} $6 = 0
        ${AndIf} $3 <= 4
            System::Call 'advapi32::RegDeleteValueW(p R3, w "${PENDING_RENAMES}") i .r0'
        ${Else}
            System::Call 'advapi32::RegSetValueExW(p R3, w "${PENDING_RENAMES}", i 0, i 7, p R7, i r3) i .r0'
        ${EndIf}
        ${If} $0 = 0
            DetailPrint "$(RestartsCleared)"
        ${Else}
            DetailPrint "$(RestartsNotCleared)"
        ${EndIf}
    ${EndIf}
    System::Free $R6
    System::Free $R7
    System::Call 'advapi32::RegCloseKey(p R3)'
FunctionEnd

; The Debugger at $Key goes when it is this install's entry, whatever the case.
Function un.RemoveOwnEntryAt
    StrCpy $Name "Debugger"
    Call un.ReadValue
    ${If} $Found == 1
    ${AndIf} $Value == $Entry
        DeleteRegValue HKLM $Key "Debugger"
        DetailPrint "$(Removed)"
    ${EndIf}
FunctionEnd

; In the notepad.exe key and its filter subkeys of the view $View.
Function un.RemoveOwnEntriesInView
    Call un.Prepare
    Call un.NameMainKey
    Call un.RemoveOwnEntryAt
    StrCpy $R0 0
    ${Do}
        ClearErrors
        EnumRegKey $R1 HKLM "${NOTEPAD_KEY}" $R0
        ${If} ${Errors}
        ${OrIf} $R1 == ""
            ${Break}
        ${EndIf}
        Call un.NameSubkey
        ${If} $Found == 1
            Call un.RemoveOwnEntryAt
        ${EndIf}
        IntOp $R0 $R0 + 1
    ${Loop}
FunctionEnd

; Both views, whatever the uninstall record says; before the recorded places
; are dealt with, so that a key Setup created can still go when left empty.
Function un.RemoveOwnEntries
    ${If} ${RunningX64}
        StrCpy $View 64
        Call un.RemoveOwnEntriesInView
    ${EndIf}
    StrCpy $View 32
    Call un.RemoveOwnEntriesInView
FunctionEnd
