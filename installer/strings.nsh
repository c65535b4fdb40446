; The setup program's texts, Japanese first. $Place, $Value, $ViewName, $OldDir and $File are
; set where the text is used.

LangString DirectoryText ${LANG_JAPANESE} "Quillgate (notepad.exe) を次のフォルダーにインストールし、メモ帳のデバッガーとして登録します (HKEY_LOCAL_MACHINE の Image File Execution Options)。以後、メモ帳が起動されるたびに Windows は Quillgate を起動します。Windows のメモ帳のファイルは変更しません。設定はユーザーごとに保存され、インストールでもアンインストールでも変更されません。"
LangString DirectoryText ${LANG_ENGLISH} "Setup installs Quillgate (notepad.exe) into the folder below and registers it as Notepad's debugger (Image File Execution Options in HKEY_LOCAL_MACHINE): from then on, Windows starts Quillgate whenever something starts Notepad. Notepad's own files are not changed. Settings are per user; installing and uninstalling leave them untouched."

LangString UninstallText ${LANG_JAPANESE} "Quillgate を次のフォルダーから削除し、セットアップが書き込んだメモ帳のデバッガー登録のうち、今も Quillgate を指しているものを削除します。設定 (HKEY_CURRENT_USER\Software\Corvalen\Quillgate) はそのまま残ります。"
LangString UninstallText ${LANG_ENGLISH} "Setup removes Quillgate from the folder below, and those of the Notepad debugger entries it wrote that still start Quillgate. Settings (HKEY_CURRENT_USER\Software\Corvalen\Quillgate) stay as they are."

LangString View64 ${LANG_JAPANESE} "64 ビット レジストリ"
LangString View64 ${LANG_ENGLISH} "64-bit registry"
LangString View32 ${LANG_JAPANESE} "32 ビット レジストリ"
LangString View32 ${LANG_ENGLISH} "32-bit registry"

LangString Registered ${LANG_JAPANESE} "メモ帳のデバッガーとして登録しました: $Place"
LangString Registered ${LANG_ENGLISH} "Registered as Notepad's debugger: $Place"
LangString ForeignDetail ${LANG_JAPANESE} "別のプログラムの登録なので変更しません: $Place: $Value"
LangString ForeignDetail ${LANG_ENGLISH} "Left as it is, another program's entry: $Place: $Value"
LangString ForeignMessage ${LANG_JAPANESE} "次の場所には、別のプログラムがすでにメモ帳のデバッガーとして登録されています。$\r$\nセットアップはこれらを変更しませんでした。$\r$\nこれらの登録を通して起動されるメモ帳はそのプログラムに渡り、Quillgate には届きません。"
LangString ForeignMessage ${LANG_ENGLISH} "Another program is already Notepad's debugger in these places. Setup left them as they are: starts of Notepad that Windows directs through them go to that program, not to Quillgate."
LangString WriteFailed ${LANG_JAPANESE} "メモ帳のデバッガー登録を書き込めませんでした: $Place"
LangString WriteFailed ${LANG_ENGLISH} "Could not write Notepad's debugger entry: $Place"

LangString Removed ${LANG_JAPANESE} "メモ帳のデバッガー登録を削除しました: $Place"
LangString Removed ${LANG_ENGLISH} "Removed Notepad's debugger entry: $Place"
LangString LeftChanged ${LANG_JAPANESE} "Quillgate の登録ではなくなっているので残します: $Place: $Value"
LangString LeftChanged ${LANG_ENGLISH} "Left as it is, no longer Quillgate's entry: $Place: $Value"
LangString RemovedKey ${LANG_JAPANESE} "セットアップが作成したキーを削除しました: $Place"
LangString RemovedKey ${LANG_ENGLISH} "Removed the key Setup had created: $Place"

LangString NeedAdmin ${LANG_JAPANESE} "Quillgate のインストールとアンインストールには管理者の権限が必要です。"
LangString NeedAdmin ${LANG_ENGLISH} "Installing and uninstalling Quillgate needs an administrator."

LangString TakenOver ${LANG_JAPANESE} "以前の Quillgate の登録を置き換えました: $Place: $Value"
LangString TakenOver ${LANG_ENGLISH} "Replaced an earlier Quillgate's entry: $Place: $Value"
LangString EarlierRemoved ${LANG_JAPANESE} "以前のインストール先から Quillgate を削除しました: $OldDir"
LangString EarlierRemoved ${LANG_ENGLISH} "Removed the earlier installation of Quillgate: $OldDir"
LangString LeftMessage ${LANG_JAPANESE} "以前の Quillgate の登録はこのインストール先に置き換えましたが、次のフォルダーは残っています。使用中のファイルは次回の再起動時に削除されます。不要であればフォルダーを削除してください:"
LangString LeftMessage ${LANG_ENGLISH} "Entries of an earlier Quillgate now start this one, but these folders remain (files in use are removed at the next restart); delete them if you no longer need them:"

LangString InUse ${LANG_JAPANESE} "$INSTDIR\notepad.exe は使用中のため置き換えられません。Quillgate の設定画面や、メモ帳の終了を待っているプログラムを閉じてから [再試行] を押してください。[キャンセル] を押すと、次回の再起動時に置き換えます (以前の Quillgate でない場合はインストールを中止します)。"
LangString InUse ${LANG_ENGLISH} "$INSTDIR\notepad.exe is in use and cannot be replaced. Close Quillgate's settings and any program waiting on Notepad, then press Retry. Cancel replaces it at the next restart (or, if it is not an earlier Quillgate, stops Setup)."
LangString ReplaceAtRestart ${LANG_JAPANESE} "notepad.exe は使用中のため、次回の再起動時に置き換えます: $INSTDIR\notepad.exe"
LangString ReplaceAtRestart ${LANG_ENGLISH} "notepad.exe is in use; it is replaced at the next restart: $INSTDIR\notepad.exe"
LangString CannotWrite ${LANG_JAPANESE} "$File に書き込めないため、インストールを中止しました。メモ帳の登録は変更していません。"
LangString CannotWrite ${LANG_ENGLISH} "Setup stopped: it could not write $File. Notepad's entries were not changed."
LangString RestartNeeded ${LANG_JAPANESE} "インストールを完了するには Windows を再起動してください。"
LangString RestartNeeded ${LANG_ENGLISH} "Restart Windows to complete the installation."
LangString RemovedAtRestart ${LANG_JAPANESE} "使用中のファイルは次回の再起動時に削除されます: $INSTDIR"
LangString RemovedAtRestart ${LANG_ENGLISH} "Files in use are removed at the next restart: $INSTDIR"
