#include "launcher/path_text.h"

#include <string.h>

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
