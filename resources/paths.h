// Paths as the system sees them: working text buffers sized to what they
// hold, the ANSI code page's text tests, and paths resolved into buffers sized
// to the result (none of these cuts a path short).
#pragma once

#include <windows.h>

// A zero-filled working buffer from the process heap, sized to what it must
// hold and freed when it goes out of scope.
class CHeapText {
public:
    CHeapText() : text(NULL), size(0) {}
    ~CHeapText() { Free(); }

    // A fresh zero-filled buffer of `bytes` bytes; false when none could be had.
    bool Allocate(size_t bytes);
    // A copy of `source`, NUL included.
    bool Copy(const char* source);
    void Free();

    char* Get() const { return text; }
    size_t Size() const { return size; }

private:
    CHeapText(const CHeapText&) = delete;
    CHeapText& operator=(const CHeapText&) = delete;

    char* text;
    size_t size;
};

// The text logic's tests in the system's ANSI code page.

// True when `byte` opens a double-byte character of the ANSI code page.
bool AnsiLeadByte(unsigned char byte);

// True when `argument` is the switch `name`, compared as lstrcmpiA compares.
bool AnsiSwitchEquals(const char* argument, const char* name);

// True when the first `length` bytes of `a` and `b` differ in case at most,
// as the file system sees case (no other collation rule counts).
bool AnsiSameTextIgnoringCase(const char* a, const char* b, size_t length);

// Fills `out` by `call(buffer, size)`, which returns the length it wrote, the size it
// needs (NUL included) when the buffer is too small, or 0 on failure.
template <typename Call> bool FillGrowing(CHeapText* out, Call call) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 4; ++attempt) { // the needed size may change between calls
        if (!out->Allocate(size)) {
            return false;
        }
        DWORD result = call(out->Get(), size);
        if (result == 0) {
            out->Free();
            return false;
        }
        if (result < size) {
            return true;
        }
        size = result + 1;
    }
    out->Free();
    return false;
}

// The program's own executable.
bool GetOwnModulePath(CHeapText* out);
// `name` found the way the system searches for files (SearchPathA), with
// `extension` (".exe", say) added to a name that has none.
bool SearchForFile(const char* name, CHeapText* out, const char* extension = NULL);
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
