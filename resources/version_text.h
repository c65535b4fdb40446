// Version resources: the About page's version line, read from the running
// module's own, and whether a file's names this product. Each result goes
// into the caller's buffer.
#pragma once

#include <windows.h>

enum {
    kVersionValueSize = 260, // a found value, cut to 259 characters
    kVersionLineSize = 20,   // "Version " and up to 11 characters of version
};

// "Version <ProductVersion>" into `line` (`size` bytes, cut to fit),
// "Version " when there is no such value, or "" when the module's own file
// name cannot be had.
void GetProductVersionText(char* line, UINT size);

// The string `name` from the StringFileInfo of `path`'s version resource, or
// "", into `value` (`size` bytes, cut to fit).
void GetVersionString(const char* path, const char* name, char* value, UINT size);

// Whether `path`'s version resource names this product under its first
// translation: a copy of this program, under whatever name.
bool NamesThisProduct(const char* path);

// The file's whole version resource (free it with GlobalFree) and its
// Translation array with that array's length in bytes; NULL when the file
// has no readable version resource or no Translation value.
LPVOID ReadVersionBlock(const char* path, const DWORD** translation, UINT* translationBytes);

// Looks `name` up under `translation` (language in the low word, code page
// in the high word), then under every fallback pair; the first match is
// copied into `buffer` (`size` bytes, cut to fit). Returns 1 when found.
int QueryStringFileInfo(char* buffer, UINT size, LPCVOID block, DWORD translation,
                        const char* name);
