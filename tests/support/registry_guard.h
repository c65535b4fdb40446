// Registry set-up for the settings tests: a key tree saved and put back as it
// was, and a key whose security denies what the program asks for.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The values and subkeys of root\path (in registry view `view`, 0 for this
// program's own), saved on construction and restored by Restore() (or the
// destructor): whatever is there then is removed and the saved tree is written
// back; a key that did not exist is removed again.
class KeySnapshot {
public:
    KeySnapshot(HKEY root, const std::string& path, REGSAM view = 0);
    ~KeySnapshot();
    void Restore();
    // The tree as it is now, as text, for comparing two moments; "" when the
    // key does not exist.
    static std::string Describe(HKEY root, const std::string& path, REGSAM view = 0);

private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    struct Tree {
        std::vector<Value> values;
        std::vector<std::pair<std::string, std::unique_ptr<Tree>>> subkeys;
    };
    static bool Save(HKEY root, const std::string& path, REGSAM view, Tree* tree);
    static void Write(HKEY root, const std::string& path, REGSAM view, const Tree& tree);
    static void Print(const Tree& tree, const std::string& name, std::string* text);

    HKEY root_;
    std::string path_;
    REGSAM view_;
    bool existed_;
    bool restored_;
    Tree tree_;
};

// The shell's Unknown class, the machine's (HKEY_CLASSES_ROOT) and the user's
// (HKCU\Software\Classes), without a shell key while it lives, so that a test
// starts from neither; both are put back as they were when it goes.
class EmptyUnknownShell {
public:
    EmptyUnknownShell();

private:
    KeySnapshot machine_, user_;
};

// While it lives, root\path (which must exist) has a DACL that grants Everyone
// only KEY_READ and WRITE_DAC: opening or creating it with KEY_ALL_ACCESS fails
// with ERROR_ACCESS_DENIED, as under Windows without the rights to the key.
// Wine's server enforces key DACLs (checked by Applied()). The key's own DACL
// is put back by the destructor.
class ScopedDeniedKey {
public:
    ScopedDeniedKey(HKEY root, const std::string& path);
    ~ScopedDeniedKey();
    // True when the DACL was set and an open with KEY_ALL_ACCESS is refused.
    bool Applied() const { return applied_; }

private:
    HKEY root_;
    std::string path_;
    std::vector<BYTE> saved_;
    bool applied_;
};

// The value's type and stored data as the wide API returns them: its length is
// the stored length (the ANSI API may add a terminator the data does not hold).
bool ReadRawWide(HKEY root, const char* path, const char* value, DWORD* type, std::wstring* data);

// Stored text data less the one terminator that RegSetValueExA adds itself
// (as NT does) when the program counts a non-empty text without its NUL and
// the byte after it is NUL. The empty text, counted as 0 bytes, gets none.
std::wstring WithoutAddedTerminator(std::wstring data);

// While it lives, the 32-bit registry view has an Image File Execution
// Options key of its own, as Windows may keep one, in place of the link to the
// 64-bit key that Wine's prefix has; the link is put back.
class SeparateImageOptionsViews {
public:
    SeparateImageOptionsViews();
    ~SeparateImageOptionsViews();

private:
    SeparateImageOptionsViews(const SeparateImageOptionsViews&) = delete;
    SeparateImageOptionsViews& operator=(const SeparateImageOptionsViews&) = delete;

    wchar_t target_[512] = {};
    DWORD targetSize_ = sizeof target_;
    bool unlinked_ = false;
};

} // namespace testsupport
