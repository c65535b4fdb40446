// Runs arbitrary command lines through the launcher's text logic with buffers
// sized exactly as the program sizes them; the sanitizers catch any access
// beyond them, the checks below any broken promise about lengths.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "launcher/command_line.h"
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

void Launch(const char* path, unsigned seed) {
    const char* arguments = seed & 1 ? "/p" : "";
    const size_t size = EditorParamsSize(strlen(arguments), strlen(path));
    char* params = static_cast<char*>(malloc(size));
    if (!FormatEditorParams(params, size, arguments, path)) {
        abort();
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
            Launch(paths.Get(i), files.seed);
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
