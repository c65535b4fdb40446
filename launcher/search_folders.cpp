#include "launcher/search_folders.h"

#include <string.h>

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
