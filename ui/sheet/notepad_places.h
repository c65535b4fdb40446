// The places Windows consults when a program starts Notepad by name, and what
// each holds: the notepad.exe key of Image File Execution Options and each of
// its filter subkeys, in the registry views Windows reads. Read only.
#pragma once

#include <windows.h>

#include "resources/paths.h"

enum PlaceState {
    kPlaceForwarded, // a Debugger that starts this program or the installed one
    kPlaceMissing,   // no Debugger: Notepad itself starts
    kPlaceReset,     // the Store redirect back, without a Debugger
    kPlaceForeign,   // another program's Debugger
};

// One place as read. `filter` is the file a filter subkey names, NULL for the
// main key; `debugger` is set for kPlaceForeign.
struct NotepadPlace {
    const char* filter;
    bool view32; // the 32-bit view, which Windows before 7 also reads
    PlaceState state;
    const char* debugger;
};

typedef void (*PlaceReport)(const NotepadPlace& place, void* context);

// Reports every place, in the order Windows looks: the main key first. A
// missing key is one missing place.
void ReadNotepadPlaces(PlaceReport report, void* context);

// The folder Setup installed to, as Apps records it; false where Setup did not.
bool ReadInstallFolder(CHeapText* folder);

// The running Windows' version (RtlGetVersion, which no compatibility shim
// changes); false where it cannot be read.
bool ReadWindowsVersion(DWORD* major, DWORD* minor, DWORD* build);
