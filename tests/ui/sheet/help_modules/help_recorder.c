/* Stands in for the HTML Help control: ordinal 14 notes its arguments and the
   text popup they describe, and shows nothing. */
#include <windows.h>
#include <htmlhelp.h>

#include "help_record.h"

static HelpRecord records[kHelpRecordCapacity];
static int count;

HWND WINAPI RecordHtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    if (count == kHelpRecordCapacity) {
        return NULL;
    }
    HelpRecord* record = &records[count++];
    ZeroMemory(record, sizeof *record);
    record->caller = caller;
    record->fileWasNull = file == NULL;
    record->command = command;
    if (command == HH_DISPLAY_TEXT_POPUP && data) {
        const HH_POPUP* popup = (const HH_POPUP*)data;
        record->size = popup->cbStruct;
        record->instance = popup->hinst;
        record->stringId = popup->idString;
        if (popup->pszText) {
            lstrcpynA(record->text, popup->pszText, sizeof record->text);
        }
        record->point = popup->pt;
        record->foreground = popup->clrForeground;
        record->background = popup->clrBackground;
        record->margins = popup->rcMargins;
        record->fontWasNull = popup->pszFont == NULL;
    }
    return NULL;
}

int WINAPI RecordedHelpCount(void) {
    return count;
}

const HelpRecord* WINAPI RecordedHelp(int index) {
    return index >= 0 && index < count ? &records[index] : NULL;
}
