#include "launcher/path_text.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

void CFilePaths::Free() {
    free(text);
    free(starts);
    text = nullptr;
    starts = nullptr;
    count = 0;
    joinedLength = 0;
}

ArgumentScanResult ReadFilePaths(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, FileExists exists, void* context,
                                 CFilePaths* paths, bool* print) {
    paths->Free();
    *print = false;
    // Joining never makes the text longer than the arguments. Every path but
    // the front one takes a drive letter, a colon and a separator.
    const size_t capacity = strlen(arguments) + 1;
    const size_t mostPaths = capacity / 3 + 2;
    char* scratch = static_cast<char*>(malloc(capacity));
    paths->text = static_cast<char*>(malloc(capacity));
    paths->starts = static_cast<size_t*>(malloc(mostPaths * sizeof(size_t)));
    if (!scratch || !paths->text || !paths->starts) {
        free(scratch);
        paths->Free();
        return kNoMemory;
    }
    char* joined = paths->text;
    ArgumentScanResult result =
        ScanArguments(arguments, isLeadByte, isSwitch, joined, scratch, capacity, print);
    free(scratch);
    if (result != kLaunch) {
        paths->Free();
        return result;
    }
    paths->joinedLength = strlen(joined);

    // Found from the end, so the list is filled from the end too.
    size_t found = 0;
    size_t n = paths->joinedLength;
    for (;;) {
        bool cutHere = n == 0;
        if (n > 0 && joined[n] == ':' && IsCharacterStart(joined, n - 1, isLeadByte) &&
            exists(joined + n - 1, context)) {
            --n; // the drive letter
            cutHere = true;
        }
        if (cutHere) {
            if (found == mostPaths) {
                paths->Free();
                return kArgumentsTooLong;
            }
            paths->starts[mostPaths - 1 - found++] = n;
            if (n > 0) {
                // The separator before the drive letter goes with the path, and
                // where it is a blank, so does the run of blanks it ends.
                size_t end = n - 1;
                if (IsBlank(joined[end])) {
                    while (end > 0 && IsBlank(joined[end - 1]) &&
                           IsCharacterStart(joined, end - 1, isLeadByte)) {
                        --end;
                    }
                }
                joined[end] = '\0';
                n = end + 1;
            }
        }
        if (n == 0) {
            break;
        }
        --n;
    }
    memmove(paths->starts, paths->starts + (mostPaths - found), found * sizeof(size_t));
    paths->count = found;
    return kLaunch;
}

namespace {

bool IsSeparator(const char* text, size_t index, LeadByteTest isLeadByte) {
    // A Shift-JIS second byte can be 0x5C; it is no backslash.
    return (text[index] == '\\' || text[index] == '/') && IsCharacterStart(text, index, isLeadByte);
}

// Length of `folder` without the separators it may end in ("C:\" gives 2).
size_t FolderNameLength(const char* folder, LeadByteTest isLeadByte) {
    size_t length = strlen(folder);
    while (length > 0 && IsSeparator(folder, length - 1, isLeadByte)) {
        --length;
    }
    return length;
}

// Length of the part of `path` before its last separator, or 0 when it has none.
size_t ParentLength(const char* path, LeadByteTest isLeadByte) {
    size_t last = 0;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (IsSeparator(path, i, isLeadByte)) {
            last = i;
        }
    }
    return last;
}

} // namespace

bool PathLiesInFolder(const char* path, const char* folder, LeadByteTest isLeadByte,
                      SameTextIgnoringCase same) {
    if (folder[0] == '\0') {
        return false; // the folder could not be located
    }
    size_t length = FolderNameLength(folder, isLeadByte);
    size_t pathLength = strlen(path);
    if (pathLength <= length || !IsSeparator(path, length, isLeadByte) ||
        !same(path, folder, length)) {
        return false;
    }
    size_t rest = length;
    while (rest < pathLength && IsSeparator(path, rest, isLeadByte)) {
        ++rest;
    }
    return rest < pathLength;
}

bool InSameFolder(const char* a, const char* b, LeadByteTest isLeadByte,
                  SameTextIgnoringCase same) {
    size_t length = ParentLength(a, isLeadByte);
    return length > 0 && length == ParentLength(b, isLeadByte) && same(a, b, length);
}

namespace {

// ';', '\\' and '/' never begin an entry as the second byte of a character,
// so an entry is judged by its first bytes alone.
bool IsAbsoluteFolder(const char* entry, size_t length) {
    const bool separator1 = length > 1 && (entry[1] == '\\' || entry[1] == '/');
    if (length > 1 && (entry[0] == '\\' || entry[0] == '/') && separator1) {
        return true; // \\server\share
    }
    const char drive = entry[0];
    return length > 2 && ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) &&
           entry[1] == ':' && (entry[2] == '\\' || entry[2] == '/');
}

} // namespace

bool AppendAbsoluteFolders(char* out, size_t capacity, const char* folders) {
    const size_t start = strlen(out);
    size_t used = start;
    for (const char* entry = folders;;) {
        const char* end = strchr(entry, ';');
        const size_t length = end ? static_cast<size_t>(end - entry) : strlen(entry);
        if (IsAbsoluteFolder(entry, length)) {
            if (capacity - used < length + 2) {
                out[start] = '\0';
                return false;
            }
            memcpy(out + used, entry, length);
            used += length;
            out[used++] = ';';
            out[used] = '\0';
        }
        if (!end) {
            return true;
        }
        entry = end + 1;
    }
}
