// The folders a bare editor name is looked for in. The current folder is
// none of them: whoever leaves a file where a document is opened would
// otherwise choose the program that opens it.
#pragma once

#include <stddef.h>

// Appends to `out` (`capacity` bytes, holding a NUL-terminated text) each
// entry of the ';'-separated `folders` that is an absolute path (a drive and
// its root, or a UNC path), each followed by ';'. Relative and empty entries,
// which the system would look up from the current folder, are left out.
// Returns false, with `out` unchanged, when the result does not fit.
bool AppendAbsoluteFolders(char* out, size_t capacity, const char* folders);
