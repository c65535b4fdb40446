// The parameter string handed to the editor: an optional "/p " and the path
// in double quotes (nothing at all for an empty path).
#pragma once

#include <stddef.h>

// Bytes the parameter string of a path of `pathLength` bytes needs, NUL included.
size_t EditorParamsSize(size_t pathLength);

// Writes the parameter string into `out` (`capacity` bytes). Returns false,
// leaving `out` empty, when it does not fit.
bool FormatEditorParams(char* out, size_t capacity, const char* path, bool print);

// The longest command line Windows starts, without its terminating NUL.
enum { kMaxCommandLineLength = 32766 };

// Whether every editor start for `joinedLength` bytes of file arguments fits
// in one command line ("<editor>" <parameters>), whichever way the text is cut
// into pieces and even when each piece is handed on as its view-source copy
// (`copySuffixLength` bytes added: the dot and the extension).
bool EditorStartsFit(size_t editorLength, size_t joinedLength, bool print, size_t copySuffixLength);
