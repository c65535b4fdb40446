/* What the stand-in for HTML Help saw of one call; shared by the module that
   records it and the tests that read it back. */
#pragma once

#include <windows.h>

typedef struct HelpRecord {
    HWND caller;
    int fileWasNull;
    UINT command;
    /* The HH_POPUP the call pointed to */
    int size;
    HINSTANCE instance;
    UINT stringId;
    char text[1024];
    POINT point;
    COLORREF foreground;
    COLORREF background;
    RECT margins;
    int fontWasNull;
} HelpRecord;

enum { kHelpRecordCapacity = 32 };

/* Exported by help_recorder.dll by name; its HtmlHelpA is ordinal 14. */
typedef int(WINAPI* RecordedHelpCountFunction)(void);
typedef const HelpRecord*(WINAPI* RecordedHelpFunction)(int index);
