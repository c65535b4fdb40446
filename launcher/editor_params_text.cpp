#include "launcher/editor_params_text.h"

#include <string.h>

namespace {

const char kPrintPrefix[] = "/p ";
const size_t kPrintPrefixLength = sizeof kPrintPrefix - 1;

} // namespace

size_t EditorParamsSize(size_t pathLength) {
    return kPrintPrefixLength + pathLength + 2 + 1;
}

bool FormatEditorParams(char* out, size_t capacity, const char* path, bool print) {
    if (capacity == 0) {
        return false;
    }
    out[0] = '\0';
    size_t pathLength = strlen(path);
    if (EditorParamsSize(pathLength) > capacity) {
        return false;
    }
    size_t used = 0;
    if (print) {
        memcpy(out, kPrintPrefix, kPrintPrefixLength);
        used = kPrintPrefixLength;
    }
    if (pathLength > 0) {
        out[used++] = '"';
        memcpy(out + used, path, pathLength);
        used += pathLength;
        out[used++] = '"';
    }
    out[used] = '\0';
    return true;
}

bool EditorStartsFit(size_t editorLength, size_t joinedLength, bool print,
                     size_t copySuffixLength) {
    // "<editor>" and a blank, then the longest parameter string a piece can give.
    size_t limit = kMaxCommandLineLength;
    size_t fixed = 2 + 1 + (print ? kPrintPrefixLength : 0) + 2;
    if (editorLength > limit || joinedLength > limit || copySuffixLength > limit) {
        return false;
    }
    return editorLength + fixed + joinedLength + copySuffixLength <= limit;
}
