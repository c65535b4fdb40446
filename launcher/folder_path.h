// Where a path lies, judged from its text: both paths are full, normalised
// paths (no "." or ".." segments) spelled the same way (both long forms).
#pragma once

#include <stddef.h>

#include "launcher/lead_byte.h"

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
