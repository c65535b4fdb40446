// Paths as the system resolves them, each into a buffer sized to the result:
// none of these cuts a path short.
#pragma once

#include "launcher/heap_text.h"

// The program's own executable.
bool GetOwnModulePath(CHeapText* out);
// `name` found the way the system searches for files (SearchPathA), with
// `extension` (".exe", say) added to a name that has none.
bool SearchForFile(const char* name, CHeapText* out, const char* extension = NULL);
// A bare file name found in this program's folder, the system folders or a
// folder of PATH given by its full path: never in the current folder.
bool SearchOutsideCurrentFolder(const char* name, CHeapText* out);
// `path` made absolute, with "." and ".." segments and forward slashes resolved.
bool GetFullPath(const char* path, CHeapText* out);
// `path` with every component in its long form (the file must exist).
bool GetLongPath(const char* path, CHeapText* out);
// The long form of the full path, or the full path when the file does not exist.
bool GetResolvedPath(const char* path, CHeapText* out);
// Whether both paths open one and the same file or folder, judged by volume
// and file index; unknown when either cannot be opened.
enum FileIdentity { kSameFile, kOtherFile, kIdentityUnknown };
FileIdentity CompareFileIdentity(const char* a, const char* b);
// Whether two spellings (short names, case, "." and ".." segments, forward
// slashes, another hard link) name the same file: by identity, or where a file
// cannot be opened to tell, by long path. The cheapest test goes first.
bool IsSameFile(const char* a, const char* b);
