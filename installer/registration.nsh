; The take-over itself: the Debugger entries in both views' notepad.exe key and
; its filter subkeys, and the Default apps registration. One code for Setup and
; for the uninstaller's repair (repair.nsh), which the start-up task and Apps
; run, so that what is put back is what Setup writes.
;
; Setup ($Repairing 0) writes every place that holds no entry or one of
; Quillgate's, taking over earlier installs. Repairing ($Repairing 1), it
; writes only where no Debugger value is left and Setup had written one (its
; record in the uninstall key) or Windows put its Store redirect back
; (AppExecutionAliasRedirect in a filter subkey); every other value stays, and
; where all is in place it only reads.

; Tells the shell that associations changed. Out of the install folder first:
; Wine answers by starting winemenubuilder, which keeps the working folder it
; inherits, and with it the folder, for a while.
!macro NotifyAssociations
    SetOutPath $TEMP
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED
!macroend

; Sets NAME = TEXT under HKLM\KEY where it is not so already; LANGUAGE 1 for a
; text in Setup's language.
!macro PutAppValue UN KEY NAME TEXT LANGUAGE
    StrCpy $R5 `${KEY}`
    StrCpy $R6 `${NAME}`
    StrCpy $R7 `${TEXT}`
    StrCpy $R8 ${LANGUAGE}
    Call ${UN}PutAppValue
!macroend

!macro RegistrationFunctions un
; The product name under the file's first translation, as notepad.exe itself
; knows a copy of Quillgate.
Function ${un}IsQuillgateFile
    StrCpy $IsOurs 0
    System::Call 'version::GetFileVersionInfoSizeW(w "$File", p 0) i .r0'
    ${If} $0 = 0
        Return
    ${EndIf}
    System::Alloc $0
    Pop $1
    System::Call 'version::GetFileVersionInfoW(w "$File", i 0, i r0, p r1) i .r2'
    ${If} $2 <> 0
        System::Call 'version::VerQueryValueW(p r1, w "\VarFileInfo\Translation", *p .r3, *i .r4) i .r2'
    ${EndIf}
    ${If} $2 <> 0
    ${AndIf} $4 >= 4
        System::Call '*$3(&i2 .r5, &i2 .r6)'
        IntFmt $5 "%04x" $5
        IntFmt $6 "%04x" $6
        System::Call 'version::VerQueryValueW(p r1, w "\StringFileInfo\$5$6\ProductName", *p .r3, *i .r4) i .r2'
        ${If} $2 <> 0
        ${AndIf} $4 > 0
            System::Call 'kernel32::lstrcpynW(w .r7, p r3, i ${NSIS_MAX_STRLEN}) p'
            ${If} $7 S== "${PRODUCT_NAME}"
                StrCpy $IsOurs 1
            ${EndIf}
        ${EndIf}
    ${EndIf}
    System::Free $1
FunctionEnd

; Whether $Value is Quillgate's entry for any folder ($OldDir): this one, the
; install the Apps entry recorded, or one whose notepad.exe is Quillgate.
; Anything else is another program's. The path's case does not matter; " /z"'s does.
Function ${un}IsQuillgateEntry
    StrCpy $IsOwn 0
    StrCpy $OldDir ""
    StrCpy $0 $Value 1
    StrCpy $1 $Value "" -4
    ${If} $Found != 1
    ${OrIf} $0 != `"`
    ${OrIfNot} $1 S== `" /z`
        Return
    ${EndIf}
    StrCpy $2 $Value -4 1
    StrCpy $3 $2 "" -12
    StrCpy $OldDir $2 -12
    ${If} $3 != "\notepad.exe"
    ${OrIf} $OldDir == ""
        StrCpy $OldDir ""
        Return
    ${EndIf}
    ${If} $OldDir == $INSTDIR
    ${OrIf} $OldDir == $Earlier
        StrCpy $IsOwn 1
        Return
    ${EndIf}
    StrCpy $File "$OldDir\notepad.exe"
    Call ${un}IsQuillgateFile
    StrCpy $IsOwn $IsOurs
FunctionEnd

; Repairing, with no Debugger at $Key: $0 is 1 where Setup had written one
; there, or where Windows put a filter subkey back with its Store redirect.
Function ${un}IsPlaceToRestore
    Call ${un}UseRecordView
    ClearErrors
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" $Record
    Call ${un}UseView
    ${If} $0 == 1
    ${OrIf} $Key == "${NOTEPAD_KEY}"
        Return
    ${EndIf}
    StrCpy $Name "AppExecutionAliasRedirect"
    Call ${un}ReadValue
    StrCpy $0 $Found
FunctionEnd

; The text on the stack into the details, and into what a repair shows.
Function ${un}Tell
    Exch $0
    DetailPrint $0
    StrCpy $Report "$Report$0$\r$\n"
    Pop $0
FunctionEnd

; Writes $Entry as Debugger at $Key unless another program's entry is there.
Function ${un}RegisterPlace
    StrCpy $Name "Debugger"
    Call ${un}ReadValue
    Call ${un}IsQuillgateEntry
    ${If} $Repairing == 1
    ${AndIf} $Found == 1
        ${If} $IsOwn == 1
        ${AndIf} $OldDir == $INSTDIR
            Return ; in place
        ${EndIf}
        StrCpy $IsOwn 0 ; even an earlier copy's entry: a repair replaces nothing
    ${EndIf}
    ${If} $Found == 1
    ${AndIf} $IsOwn == 0
        Push "$(ForeignDetail)"
        Call ${un}Tell
        ${If} $View == 64
            StrCpy $Foreign64 "$Foreign64$Base: $Value$\r$\n"
        ${Else}
            StrCpy $Foreign32 "$Foreign32$Base: $Value$\r$\n"
        ${EndIf}
        Return
    ${EndIf}
    ${If} $Repairing == 1
        Call ${un}IsPlaceToRestore
        ${If} $0 != 1
            Return
        ${EndIf}
    ${EndIf}
    !if "${un}" == "" ; a repair has made IsOwn 0 for these
    ${If} $IsOwn == 1
    ${AndIf} $OldDir != $INSTDIR
        DetailPrint "$(TakenOver)"
        ${If} $OldDir != $Earlier ; RemoveEarlier deals with that one
            ${StrStr} $0 $LeftDirs "$OldDir$\r$\n"
            ${If} $0 == ""
                StrCpy $LeftDirs "$LeftDirs$OldDir$\r$\n"
            ${EndIf}
        ${EndIf}
    ${EndIf}
    !endif
    ClearErrors
    WriteRegStr HKLM $Key "Debugger" $Entry
    ${If} ${Errors}
        ${If} $Repairing == 1
            StrCpy $RepairFailed 1
            Push "$(WriteFailed)"
            Call ${un}Tell
            Return
        ${EndIf}
        Abort "$(WriteFailed)"
    ${EndIf}
    ${If} $Repairing == 1
        Push "$(Restored)"
        Call ${un}Tell
    ${Else}
        DetailPrint "$(Registered)"
    ${EndIf}
    Call ${un}UseRecordView
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" $Record 1
    Call ${un}UseView
FunctionEnd

Function ${un}RegisterView
    Call ${un}Prepare
    ClearErrors
    EnumRegKey $0 HKLM "${NOTEPAD_KEY}" 0
    ${If} ${Errors}
        StrCpy $R2 1 ; no notepad.exe key yet: writing makes it
    ${Else}
        StrCpy $R2 0
    ${EndIf}
    Call ${un}NameMainKey
    Call ${un}RegisterPlace
    ClearErrors
    EnumRegKey $0 HKLM "${NOTEPAD_KEY}" 0
    ${If} $R2 == 1
    ${AndIfNot} ${Errors}
        Call ${un}UseRecordView
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NotepadKeyCreated$View" 1
        Call ${un}UseView
    ${EndIf}
    StrCpy $R0 0
    ${Do}
        ClearErrors
        EnumRegKey $R1 HKLM "${NOTEPAD_KEY}" $R0
        ${If} ${Errors}
        ${OrIf} $R1 == ""
            ${Break}
        ${EndIf}
        Call ${un}NameSubkey
        ${If} $Found == 1
            Call ${un}RegisterPlace
        ${EndIf}
        IntOp $R0 $R0 + 1
    ${Loop}
FunctionEnd

; Both views (on 32-bit Windows its one), each place on its own.
Function ${un}RegisterViews
    StrCpy $Foreign64 ""
    StrCpy $Foreign32 ""
    ${If} ${RunningX64}
        StrCpy $View 64
        Call ${un}RegisterView
    ${EndIf}
    StrCpy $View 32
    Call ${un}RegisterView
FunctionEnd

; $R6 = $R7 under HKLM\$R5, written only where it differs. Repairing, a text
; in Setup's language ($R8 1) is written only where there is none: the repair
; may run in another language than Setup did.
Function ${un}PutAppValue
    ClearErrors
    ReadRegStr $0 HKLM $R5 $R6
    ${IfNot} ${Errors}
        ${If} $0 S== $R7
            Return
        ${EndIf}
        ${If} $Repairing == 1
        ${AndIf} $R8 == 1
            Return
        ${EndIf}
    ${EndIf}
    ClearErrors
    WriteRegStr HKLM $R5 $R6 $R7
    ${If} ${Errors}
        StrCpy $AppFailed 1
    ${EndIf}
    StrCpy $AppChanged 1
FunctionEnd

; Quillgate as an application that can open .txt and .log files, through a
; ProgID of its own. The choice itself (UserChoice) is the user's.
Function ${un}RegisterApplication
    !insertmacro NativeView
    StrCpy $AppChanged 0
    StrCpy $AppFailed 0
    !insertmacro PutAppValue "${un}" "${PROGID_KEY}" "" "$(ProgIdName)" 1
    !insertmacro PutAppValue "${un}" "${PROGID_KEY}\DefaultIcon" "" "$INSTDIR\notepad.exe,0" 0
    !insertmacro PutAppValue "${un}" "${PROGID_KEY}\shell\open\command" "" `"$INSTDIR\notepad.exe" "%1"` 0
    !insertmacro PutAppValue "${un}" "${PROGID_KEY}\shell\print\command" "" \
        `"$INSTDIR\notepad.exe" /p "%1"` 0
    !insertmacro PutAppValue "${un}" "${PROGID_KEY}\shell\printto\command" "" \
        `"$INSTDIR\notepad.exe" /pt "%1" "%2" "%3" "%4"` 0
    !insertmacro PutAppValue "${un}" "${CAPABILITIES_KEY}" "ApplicationName" "Quillgate" 0
    !insertmacro PutAppValue "${un}" "${CAPABILITIES_KEY}" "ApplicationDescription" "$(AppDescription)" 1
    !insertmacro PutAppValue "${un}" "${CAPABILITIES_KEY}\FileAssociations" ".txt" "${PROGID}" 0
    !insertmacro PutAppValue "${un}" "${CAPABILITIES_KEY}\FileAssociations" ".log" "${PROGID}" 0
    !insertmacro PutAppValue "${un}" "${REGISTERED_APPS}" "Quillgate" "${CAPABILITIES_KEY}" 0
    ${If} $AppFailed == 1
        StrCpy $RepairFailed 1
        Push "$(AppNotRegistered)"
        Call ${un}Tell
    ${ElseIf} $Repairing != 1
        DetailPrint "$(AppRegistered)"
    ${ElseIf} $AppChanged == 1
        Push "$(AppRestored)"
        Call ${un}Tell
    ${EndIf}
    ${If} $AppChanged == 1
        !insertmacro NotifyAssociations
    ${EndIf}
    SetRegView default
FunctionEnd

; The places left alone, in $0 for a message, "" where there are none. Where
; the views list the same (as they do when they share one key), they are
; named once.
Function ${un}ForeignPlaces
    ${If} "$Foreign64$Foreign32" == ""
        StrCpy $0 ""
    ${ElseIf} $Foreign64 S== $Foreign32
        StrCpy $0 "$(View64) / $(View32):$\r$\n$Foreign64"
    ${Else}
        StrCpy $0 ""
        ${If} $Foreign64 != ""
            StrCpy $0 "$(View64):$\r$\n$Foreign64$\r$\n"
        ${EndIf}
        ${If} $Foreign32 != ""
            StrCpy $0 "$0$(View32):$\r$\n$Foreign32"
        ${EndIf}
    ${EndIf}
FunctionEnd
!macroend
!insertmacro RegistrationFunctions ""
!insertmacro RegistrationFunctions "un."
