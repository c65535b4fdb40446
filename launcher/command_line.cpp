#include "launcher/command_line.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

bool IsCharacterStart(const char* text, size_t index, LeadByteTest isLeadByte) {
    size_t run = 0;
    while (run < index && isLeadByte(static_cast<unsigned char>(text[index - run - 1]))) {
        ++run;
    }
    // Within the run, bytes pair up from its start; an odd run leaves a lead
    // byte whose partner is text[index].
    return run % 2 == 0;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) {
        ++p;
    }
    return p;
}

// Appends bytes to a bounded buffer, remembering when one did not fit.
class ArgumentWriter {
public:
    ArgumentWriter(char* out, size_t capacity) : out_(out), capacity_(capacity) {}
    void Put(char c) {
        if (length_ + 1 < capacity_) {
            out_[length_++] = c;
        } else {
            overflow_ = true;
        }
    }
    void PutRepeated(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            Put(c);
        }
    }
    bool Finish() {
        if (capacity_ == 0) {
            return false;
        }
        out_[length_] = '\0';
        return !overflow_;
    }
    size_t Length() const { return length_; }

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
    bool overflow_ = false;
};

// True when `argument`'s file name (the text after its last separator or
// drive colon) is Notepad's.
bool NamesNotepad(const char* argument, LeadByteTest isLeadByte, SwitchTest isSwitch) {
    const char* name = argument;
    for (size_t i = 0; argument[i] != '\0'; ++i) {
        const char c = argument[i];
        if ((c == '\\' || c == '/' || c == ':') && IsCharacterStart(argument, i, isLeadByte)) {
            name = argument + i + 1;
        }
    }
    return isSwitch(name, "notepad") || isSwitch(name, "notepad.exe");
}

} // namespace

const char* SkipProgramName(const char* commandLine, LeadByteTest isLeadByte) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
                ++p;
            }
            ++p;
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p != '\0' && !IsBlank(*p)) {
            if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
                ++p;
            }
            ++p;
        }
    }
    return SkipBlanks(p);
}

namespace {

// Reads the argument that starts at `p` (no blank) and sets `*end` to the
// byte after its text.
bool ReadArgumentText(const char* p, LeadByteTest isLeadByte, char* out, size_t capacity,
                      size_t* length, const char** end) {
    ArgumentWriter writer(out, capacity);
    bool quoted = false;
    while (*p != '\0' && (quoted || !IsBlank(*p))) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\\') {
            const char* end = p;
            while (*end == '\\') {
                ++end;
            }
            size_t count = static_cast<size_t>(end - p);
            if (*end != '"') {
                writer.PutRepeated('\\', count); // not before a quote: copied as they are
                p = end;
            } else if (count % 2 == 1) {
                writer.PutRepeated('\\', count / 2); // odd: the quote is escaped
                writer.Put('"');
                p = end + 1;
            } else {
                writer.PutRepeated('\\', count / 2); // even: the quote is handled below
                p = end;
            }
        } else if (c == '"') {
            if (quoted && p[1] == '"') {
                writer.Put('"'); // "" inside quotes: one literal quote, section closed
                quoted = false;
                p += 2;
            } else {
                quoted = !quoted;
                ++p;
            }
        } else if (isLeadByte(c) && p[1] != '\0') {
            writer.Put(p[0]); // the second byte is never a blank, quote or backslash
            writer.Put(p[1]);
            p += 2;
        } else {
            writer.Put(p[0]);
            ++p;
        }
    }
    *end = p;
    *length = writer.Length();
    return writer.Finish();
}

} // namespace

ArgumentRead ReadArgument(const char** cursor, LeadByteTest isLeadByte, char* out, size_t capacity,
                          size_t* length) {
    const char* p = SkipBlanks(*cursor);
    if (*p == '\0') {
        *cursor = p;
        return kNoMoreArguments;
    }
    const char* end = p;
    const bool read = ReadArgumentText(p, isLeadByte, out, capacity, length, &end);
    *cursor = SkipBlanks(end);
    return read ? kArgumentRead : kArgumentTooLong;
}

ArgumentScanResult ScanArguments(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, char* joined, char* scratch, size_t capacity,
                                 bool* print) {
    *print = false;
    if (capacity == 0) {
        return kArgumentsTooLong;
    }
    joined[0] = '\0';
    size_t used = 0;
    size_t dropNext = 0;            // arguments still to drop after /pt's file
    bool printToFile = false;       // the next argument is the file of /pt
    bool afterZ = false;            // the next argument may be the Notepad of /z
    const char* cursor = arguments; // the end of the previous argument
    for (;;) {
        // The blanks before the argument join it to the previous file argument.
        const char* start = SkipBlanks(cursor);
        if (*start == '\0') {
            return kLaunch;
        }
        const size_t blanks = static_cast<size_t>(start - cursor);
        size_t length = 0;
        if (!ReadArgumentText(start, isLeadByte, scratch, capacity, &length, &cursor)) {
            return kArgumentsTooLong;
        }
        if (dropNext > 0) {
            --dropNext;
            continue;
        }
        if (afterZ) {
            afterZ = false;
            if (NamesNotepad(scratch, isLeadByte, isSwitch)) {
                continue;
            }
        }
        if (printToFile) {
            printToFile = false;
            dropNext = 3; // printer, driver, port
        } else if (isSwitch(scratch, "/setting")) {
            return kRunSettings;
        } else if (isSwitch(scratch, "/p")) {
            *print = true; // anywhere, any number of times
            continue;
        } else if (isSwitch(scratch, "/pt")) {
            *print = true;
            printToFile = true;
            continue;
        } else if (isSwitch(scratch, "/z")) {
            afterZ = true;
            continue;
        } else if (isSwitch(scratch, "/a") || isSwitch(scratch, "/w") ||
                   isSwitch(scratch, "/.setup")) {
            continue;
        }
        const size_t separator = used > 0 ? blanks : 0;
        if (used + separator + length + 1 > capacity) {
            return kArgumentsTooLong;
        }
        for (size_t i = separator; i > 0; --i) {
            joined[used++] = start[-static_cast<ptrdiff_t>(i)];
        }
        for (size_t i = 0; i < length; ++i) {
            joined[used++] = scratch[i];
        }
        joined[used] = '\0';
    }
}

namespace {

// Backslashes that end `path` (`length` bytes), a double-byte character's
// second byte not counted.
size_t TrailingBackslashes(const char* path, size_t length, LeadByteTest isLeadByte) {
    size_t count = 0;
    while (count < length && path[length - count - 1] == '\\' &&
           IsCharacterStart(path, length - count - 1, isLeadByte)) {
        ++count;
    }
    return count;
}

} // namespace

size_t QuotedPathLength(const char* path, LeadByteTest isLeadByte) {
    const size_t length = strlen(path);
    return length + TrailingBackslashes(path, length, isLeadByte);
}

size_t EditorParamsSize(size_t argumentsLength, size_t quotedPathLength) {
    return (argumentsLength > 0 ? argumentsLength + 1 : 0) + quotedPathLength + 2 + 1;
}

bool FormatEditorParams(char* out, size_t capacity, const char* arguments, const char* path,
                        LeadByteTest isLeadByte) {
    if (capacity == 0) {
        return false;
    }
    out[0] = '\0';
    const size_t argumentsLength = strlen(arguments);
    const size_t pathLength = strlen(path);
    if (argumentsLength >= capacity || pathLength >= capacity) {
        return false;
    }
    const size_t doubled = TrailingBackslashes(path, pathLength, isLeadByte);
    if (EditorParamsSize(argumentsLength, pathLength + doubled) > capacity) {
        return false;
    }
    size_t used = 0;
    if (argumentsLength > 0) {
        memcpy(out, arguments, argumentsLength);
        used = argumentsLength;
        out[used++] = ' ';
    }
    if (pathLength > 0) {
        out[used++] = '"';
        memcpy(out + used, path, pathLength);
        used += pathLength;
        // Before the closing quote, 2n backslashes read as n.
        memset(out + used, '\\', doubled);
        used += doubled;
        out[used++] = '"';
    }
    out[used] = '\0';
    return true;
}

bool EditorStartsFit(size_t editorLength, size_t argumentsLength, size_t quotedPathLength,
                     size_t copySuffixLength) {
    // "<editor>" and a blank, then the longest parameter string one file path can give.
    const size_t limit = kMaxCommandLineLength;
    if (editorLength > limit || argumentsLength > limit || quotedPathLength > limit ||
        copySuffixLength > limit) {
        return false;
    }
    const size_t fixed = 2 + 1 + (argumentsLength > 0 ? argumentsLength + 1 : 0) + 2;
    return editorLength + fixed + quotedPathLength + copySuffixLength <= limit;
}

void CFilePaths::Free() {
    free(text);
    free(starts);
    text = nullptr;
    starts = nullptr;
    count = 0;
    joinedLength = 0;
}

namespace {

// "\\?\" and "\\.\" before a drive letter make one path with it.
const size_t kDevicePrefixLength = 4;

bool HasDevicePrefix(const char* text, size_t drive, LeadByteTest isLeadByte) {
    if (drive < kDevicePrefixLength ||
        !IsCharacterStart(text, drive - kDevicePrefixLength, isLeadByte)) {
        return false;
    }
    const char* prefix = text + drive - kDevicePrefixLength;
    return prefix[0] == '\\' && prefix[1] == '\\' && (prefix[2] == '?' || prefix[2] == '.') &&
           prefix[3] == '\\';
}

} // namespace

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
            if (HasDevicePrefix(joined, n, isLeadByte)) {
                n -= kDevicePrefixLength; // \\?\ or \\.\ belongs to the path
            }
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
