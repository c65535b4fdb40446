// Runs arbitrary command lines through the launcher's text logic with buffers
// sized exactly as the program sizes them; the sanitizers catch any access
// beyond them, the checks below any broken promise about lengths.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "launcher/command_line.h"
#include "launcher/path_text.h"
#include "tests/launcher/text_predicates.h"

namespace {

struct Files {
    size_t total;
    unsigned seed;
};

bool SomeExist(const char* path, void* context) {
    Files* p = static_cast<Files*>(context);
    p->seed = p->seed * 1103515245u + 12345u;
    return path[0] != '\0' && (p->seed >> 16) % 3 == 0;
}

bool IsDevicePrefix(const char* text) {
    return text[0] == '\\' && text[1] == '\\' && (text[2] == '?' || text[2] == '.') &&
           text[3] == '\\';
}

// The editor, splitting its parameters as this program splits its own, reads
// back the path it was given: quoted once, with nothing added or lost.
void Launch(const char* path, unsigned seed, LeadByteTest lead) {
    const char* arguments = seed & 1 ? "/p" : "";
    const size_t size = EditorParamsSize(strlen(arguments), QuotedPathLength(path, lead));
    char* params = static_cast<char*>(malloc(size));
    const size_t length = strlen(path);
    if (!FormatEditorParams(params, size, arguments, path, lead) ||
        (length > 0 && strlen(params) + 1 != size)) {
        abort();
    }
    const bool loneLeadAtEnd = length > 0 && lead(static_cast<unsigned char>(path[length - 1])) &&
                               IsCharacterStart(path, length - 1, lead);
    if (length > 0 && !strchr(path, '"') && !loneLeadAtEnd) {
        const char* cursor = params + (arguments[0] ? strlen(arguments) + 1 : 0);
        char* read = static_cast<char*>(malloc(size));
        size_t readLength = 0;
        if (ReadArgument(&cursor, lead, read, size, &readLength) != kArgumentRead ||
            strcmp(read, path) != 0 || *cursor != '\0') {
            abort();
        }
        free(read);
    }
    free(params);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    LeadByteTest lead = data[0] & 1 ? ShiftJisLead : SingleByte;
    char* line = static_cast<char*>(malloc(size));
    memcpy(line, data + 1, size - 1);
    line[size - 1] = '\0';

    const char* arguments = SkipProgramName(line, lead);
    size_t capacity = strlen(arguments) + 1;
    char* joined = static_cast<char*>(malloc(capacity));
    char* scratch = static_cast<char*>(malloc(capacity));
    bool print = false;
    ArgumentScanResult result =
        ScanArguments(arguments, lead, AsciiSwitch, joined, scratch, capacity, &print);
    if (result == kArgumentsTooLong) {
        abort(); // the documented capacity must always suffice
    }
    if (result == kLaunch) {
        size_t joinedLength = strlen(joined);
        // Cut the text at some point into "path" and "folder" for the folder tests.
        size_t cut = joinedLength / 2;
        char* folder = static_cast<char*>(malloc(joinedLength - cut + 1));
        memcpy(folder, joined + cut, joinedLength - cut + 1);
        char* path = static_cast<char*>(malloc(cut + 1));
        memcpy(path, joined, cut);
        path[cut] = '\0';
        PathLiesInFolder(path, folder, lead, AsciiSame);
        InSameFolder(path, folder, lead, AsciiSame);
        free(path);
        free(folder);

        Files files = {0, static_cast<unsigned>(size)};
        CFilePaths paths;
        bool pathsPrint = false;
        if (ReadFilePaths(arguments, lead, AsciiSwitch, SomeExist, &files, &paths, &pathsPrint) !=
                kLaunch ||
            paths.Count() == 0 || paths.JoinedLength() != joinedLength || pathsPrint != print) {
            abort(); // the same scan, and always a path to start
        }
        for (size_t i = 0; i < paths.Count(); ++i) {
            files.total += strlen(paths.Get(i));
            Launch(paths.Get(i), files.seed, lead);
            // A path cut off at its drive letter never leaves its \\?\ behind.
            const size_t at = static_cast<size_t>(paths.Get(i) - paths.Get(0));
            if (i > 0 && at >= 4 && IsCharacterStart(joined, at - 4, lead) &&
                IsDevicePrefix(joined + at - 4)) {
                abort();
            }
        }
        if (files.total > joinedLength) {
            abort(); // file paths only ever lose their separators
        }
    }
    free(joined);
    free(scratch);
    free(line);
    return 0;
}
