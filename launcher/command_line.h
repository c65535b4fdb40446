// The command line, as text: this program's, split the way the Microsoft C
// runtime splits it, scanned for Notepad's switches and cut into file paths,
// and the editor's, which must fit in one command line. Built without
// windows.h, so that it also runs natively under sanitizers and fuzzers;
// whether a byte opens a double-byte character of the ANSI code page is asked
// through a test.
#pragma once

#include <stddef.h>

typedef bool (*LeadByteTest)(unsigned char byte);

// True when `text[index]` begins a character rather than being the second
// byte of a double-byte one. Looks back only over the run of lead-byte values
// before `index`: the byte before that run always ends a character.
bool IsCharacterStart(const char* text, size_t index, LeadByteTest isLeadByte);

// Splitting follows the Microsoft C runtime, so that the program sees the same
// vector whatever it is linked with (runtimes differ on quotes inside quoted
// sections, and on double-byte characters whose second byte looks like a
// backslash or quote).

// The text after the program's own name (argument 0) and the blanks after it.
// The name ends at the closing quote when it begins with one, otherwise at the
// first blank or tab; backslashes in it are plain characters.
const char* SkipProgramName(const char* commandLine, LeadByteTest isLeadByte);

enum ArgumentRead { kNoMoreArguments, kArgumentRead, kArgumentTooLong };

// Reads the argument at `*cursor` into `out` (NUL-terminated, at most
// `capacity` bytes) and moves `*cursor` past it. An argument never has more
// bytes than the text it comes from, so a capacity of the remaining text's
// length plus one always suffices; with less, kArgumentTooLong is returned and
// `out` holds nothing useful.
ArgumentRead ReadArgument(const char** cursor, LeadByteTest isLeadByte, char* out, size_t capacity,
                          size_t* length);

// The program's arguments: the switches, and every other argument joined with
// the blanks that stood before it on the command line (the runtime split
// unquoted paths apart at their blanks; joined with the same blanks, such a
// path is whole again).
// Besides "/setting" and "/p" it takes Notepad's other switches, so that
// none of them reaches an editor as a file:
//   /z X              X is dropped when its file name is "notepad" or
//                     "notepad.exe" (a debugger registration passes the path
//                     of the Notepad it stands in for); anything else is kept
//   /pt F P D O       print file F; printer, driver and port are dropped, as
//                     the print editor prints where it prints
//   /a, /w, /.setup   ignored

// True when `argument` is the switch `name`, case ignored.
typedef bool (*SwitchTest)(const char* argument, const char* name);

enum ArgumentScanResult {
    kRunSettings,      // "/setting" was among the arguments: nothing else counts
    kLaunch,           // `joined` holds the file arguments, `print` tells whether "/p" was seen
    kArgumentsTooLong, // a buffer was smaller than the text needs
    kNoMemory          // no memory could be had for the file paths
};

// `arguments` is the command line after the program's name. `joined` and
// `scratch` hold `capacity` bytes each; the length of `arguments` plus one is
// always enough, since joining never makes the text longer.
ArgumentScanResult ScanArguments(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, char* joined, char* scratch, size_t capacity,
                                 bool* print);

// The parameter string given to the editor: its arguments ("/p", or an
// editor's own wait or print switches) and a blank, where there are any, then
// the path in double quotes (nothing at all for an empty path). Backslashes
// that end the path are doubled, so that the closing quote stays a quote
// ("C:\tmp\\") and the editor reads the path whole.

// Bytes of `path` between its quotes: its length and its trailing backslashes
// once more.
size_t QuotedPathLength(const char* path, LeadByteTest isLeadByte);

// Bytes the parameter string needs for arguments of `argumentsLength` bytes
// and a path of `quotedPathLength` bytes between its quotes, NUL included.
size_t EditorParamsSize(size_t argumentsLength, size_t quotedPathLength);

// Writes the parameter string into `out` (`capacity` bytes). Returns false,
// leaving `out` empty, when it does not fit.
bool FormatEditorParams(char* out, size_t capacity, const char* arguments, const char* path,
                        LeadByteTest isLeadByte);

// The longest command line Windows starts, without its terminating NUL.
enum { kMaxCommandLineLength = 32766 };

// Whether every editor start fits in one command line ("<editor>"
// <arguments> "<path>"), where no path takes more than `quotedPathLength`
// bytes between its quotes, even when each one is replaced by its view-source
// copy (`copySuffixLength` bytes added: the dot and the extension).
bool EditorStartsFit(size_t editorLength, size_t argumentsLength, size_t quotedPathLength,
                     size_t copySuffixLength);

// The file paths of the command line.

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
// every trailing part that starts with "<letter>:" (or "\\?\<letter>:" or
// "\\.\<letter>:", one path with its prefix) and names an existing file
// or folder is a path of its own, cut off together with the one separator
// before it (a blank takes the blanks before it along); whatever is left at the front is the first
// path, even when empty. So there is always at least one path when the result is kLaunch.
ArgumentScanResult ReadFilePaths(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, FileExists exists, void* context,
                                 CFilePaths* paths, bool* print);
