// Process-wide values set by the entry point before anything else reads them.
#pragma once

#include <windows.h>

enum { kCaptionSize = 100 };

extern HINSTANCE g_instance;         // module handle given to the entry point
extern char g_caption[kCaptionSize]; // string 1: message boxes, settings key, sheet title
