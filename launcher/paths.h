// Paths as the system sees them: working text buffers sized to what they
// hold, the ANSI code page's text tests, paths resolved into buffers sized to
// the result (none of these cuts a path short), and the Internet cache folder.
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
    CHeapText(const CHeapText&);
    CHeapText& operator=(const CHeapText&);

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

// The program's own executable.
bool GetOwnModulePath(CHeapText* out);
// `name` found the way the system searches for files (SearchPathA), with
// `extension` (".exe", say) added to a name that has none.
bool SearchForFile(const char* name, CHeapText* out, const char* extension = NULL);
// A bare file name found in this program's folder, the system folders or a
// folder of PATH given by its full path: never in the current folder. A hit
// for which `skip` holds is passed over and the search goes on; when every
// hit is skipped, the first of them is the result.
typedef bool (*SkipFile)(const char* path);
bool SearchOutsideCurrentFolder(const char* name, CHeapText* out, SkipFile skip = NULL);
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

// The file-system path of shell special folder `csidl` in one shared buffer
// that the next call overwrites; "" when the folder cannot be located.
const char* GetSpecialFolderPath(int csidl);

// Whether `path` lies inside the Internet cache folder. The folder is looked
// up once per run of the launcher, on the first file that asks; a new run
// starts by forgetting it.
bool LiesInInternetCache(const char* path);
void ForgetInternetCacheFolder();
