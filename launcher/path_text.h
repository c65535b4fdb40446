// Paths as text: where a path lies, and which folders a bare editor name is
// looked for in. Built without windows.h, like the command line's text, and
// fuzzed with it; the caller says how the ANSI code page and the file system
// compare.
#pragma once

#include <stddef.h>

#include "launcher/command_line.h"

// Where a path lies, judged from its text: both paths are full, normalised
// paths (no "." or ".." segments) spelled the same way (both long forms).

// True when the first `length` bytes of `a` and `b` are the same text, case
// ignored as the system ignores it.
typedef bool (*SameTextIgnoringCase)(const char* a, const char* b, size_t length);

// True when `path` names something inside `folder` (at any depth): the folder's
// whole name, a separator, then more. A sibling whose name merely begins with
// the folder's name is not inside, nor is the folder itself; nothing lies
// inside an empty folder path.
bool PathLiesInFolder(const char* path, const char* folder, LeadByteTest isLeadByte,
                      SameTextIgnoringCase same);

// True when both paths name entries of one folder.
bool InSameFolder(const char* a, const char* b, LeadByteTest isLeadByte, SameTextIgnoringCase same);

// The folders a bare editor name is looked for in. The current folder is none
// of them: whoever leaves a file where a document is opened would otherwise
// choose the program that opens it.

// Appends to `out` (`capacity` bytes, holding a NUL-terminated text) each
// entry of the ';'-separated `folders` that is an absolute path (a drive and
// its root, or a UNC path), each followed by ';'. Relative and empty entries,
// which the system would look up from the current folder, are left out.
// Returns false, with `out` unchanged, when the result does not fit.
bool AppendAbsoluteFolders(char* out, size_t capacity, const char* folders);
