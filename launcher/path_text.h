// Paths, as text: the command line's file paths, where a path lies, and which folders a bare editor
// name is looked for in. Built without windows.h, like the command line's text.
#pragma once

#include <stddef.h>

#include "launcher/command_line.h"

// Whether `path` names an existing file or folder.
typedef bool (*FileExists)(const char* path, void* context);

// The file paths of one request, in the order the command line gives them,
// in memory the list owns.
class CFilePaths {
public:
    CFilePaths() = default;
    ~CFilePaths() { Free(); }
    CFilePaths(const CFilePaths&) = delete;
    CFilePaths& operator=(const CFilePaths&) = delete;

    size_t Count() const { return count; }
    const char* Get(size_t index) const { return text + starts[index]; }
    // Bytes of the joined file arguments the paths were cut from.
    size_t JoinedLength() const { return joinedLength; }
    void Free();

private:
    friend ArgumentScanResult ReadFilePaths(const char*, LeadByteTest, SwitchTest, FileExists,
                                            void*, CFilePaths*, bool*);

    char* text = nullptr;     // the joined file arguments, cut with NULs
    size_t* starts = nullptr; // where each path begins in `text`
    size_t count = 0;
    size_t joinedLength = 0;
};

// Turns the command line after the program's name into its switches and file
// paths. The file arguments are joined as ScanArguments joins them, then cut
// back into paths at drive-letter colons, from the end towards the front:
// every trailing part that starts with "<letter>:" and names an existing file
// or folder is a path of its own, cut off together with the one separator
// before it (a blank takes the blanks before it along); whatever is left at the front is the first
// path, even when empty. So there is always at least one path when the result is kLaunch.
ArgumentScanResult ReadFilePaths(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, FileExists exists, void* context,
                                 CFilePaths* paths, bool* print);

// Where a path lies, judged from its text: both paths are full, normalised
// paths (no "." or ".." segments) spelled the same way (both long forms).

// True when the first `length` bytes of `a` and `b` are the same text, case
// ignored as the system ignores it.
typedef bool (*SameTextIgnoringCase)(const char* a, const char* b, size_t length);

// True when `path` names something inside `folder` (at any depth): the folder's
// whole name, a separator, then more. A sibling whose name merely begins with
// the folder's name is not inside, nor is the folder itself; nothing lies
// inside an empty folder path.
bool PathLiesInFolder(const char* path, const char* folder, LeadByteTest isLeadByte,
                      SameTextIgnoringCase same);

// True when both paths name entries of one folder.
bool InSameFolder(const char* a, const char* b, LeadByteTest isLeadByte, SameTextIgnoringCase same);

// The folders a bare editor name is looked for in. The current folder is none
// of them: whoever leaves a file where a document is opened would otherwise
// choose the program that opens it.

// Appends to `out` (`capacity` bytes, holding a NUL-terminated text) each
// entry of the ';'-separated `folders` that is an absolute path (a drive and
// its root, or a UNC path), each followed by ';'. Relative and empty entries,
// which the system would look up from the current folder, are left out.
// Returns false, with `out` unchanged, when the result does not fit.
bool AppendAbsoluteFolders(char* out, size_t capacity, const char* folders);
