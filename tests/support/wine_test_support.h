// Shared set-up for tests that run under Wine: paths into the build tree,
// scratch folders, registry and process helpers. The registry and file system
// are the test prefix's real ones.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/process_start.h"
#include "tests/support/time_limits.h"

namespace testsupport {

// Windows path of the build tree (the prefix maps / as Z:).
std::string BuildDir();
std::string NotepadPath();              // notepad.exe of this build, as shipped
std::string ToolPath(const char* name); // a helper program in build/tools

// A fresh, empty folder for one test at `path` (its parent must exist),
// removed with everything in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& path);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Write(const std::string& name, const std::string& content = "text") const;

private:
    std::string path_;
};
// quillgate-<name> in the temporary folder.
std::string TempPath(const char* name);

bool FileExists(const std::string& path);
bool WriteFileText(const std::string& path, const std::string& content);
void RemoveTree(const std::string& path); // a folder and everything in it
std::string ReadFile(const std::string& path);

// Registry helpers; paths are relative to `root`. `view` (KEY_WOW64_64KEY or
// KEY_WOW64_32KEY) picks a registry view; 0 is this program's own.
void DeleteKeyTree(HKEY root, const char* path, REGSAM view = 0);
bool SetString(HKEY root, const char* path, const char* value, const char* text, REGSAM view = 0);
bool SetDword(HKEY root, const char* path, const char* value, DWORD number, REGSAM view = 0);
bool SetRaw(HKEY root, const char* path, const char* value, DWORD type, const void* data,
            DWORD size, REGSAM view = 0);
bool KeyExists(HKEY root, const char* path, REGSAM view = 0);
bool ValueExists(HKEY root, const char* path, const char* value, REGSAM view = 0);
// The value's type and bytes as stored; false when absent.
bool ReadRaw(HKEY root, const char* path, const char* value, DWORD* type, std::string* data,
             REGSAM view = 0);
std::string ReadString(HKEY root, const char* path, const char* value, REGSAM view = 0);

// The user's classes, which Windows lays over the machine's (HKEY_CLASSES_ROOT
// under Wine), and a default value or `value` of a class's key as that merged
// view shows it: the user's where the user's key has it, else the machine's.
extern const char kUserClasses[]; // Software\Classes
std::string MergedClassesString(const std::string& path, const char* value = NULL);

// The program's settings key, removed so that a test starts from first run.
extern const char kSettingsKey[]; // Software\Corvalen\Quillgate
// Its subkeys: the editors and the view-source copies, and the known editors' rows.
extern const char kPathsKey[];
extern const char kSourceKey[];
extern const char kEditorsKey[];
void ResetSettings();
// What a first run offers: both editors, the source copies' extensions in
// list order, and the Unknown verb's menu text as this system shows it.
extern const char kDefaultEditor[]; // notepa~.exe
std::vector<std::string> DefaultExtensions();
std::string DefaultMenuText();

// Starts `commandLine` exactly as given; waits up to `timeoutMs` (scaled) for
// the exit.
// Returns the exit code, or -1 when it could not be started or did not end.
int RunProcess(const std::string& commandLine, DWORD timeoutMs = timelimits::kProcessMs);

// `text` in double quotes, as a command line gives a path with blanks.
std::string Quoted(const std::string& text);

// Text of a UTF-8 literal in the current ANSI code page, as the program sees it.
std::string Ansi(const char* utf8);

// Whether the system's UI language is Japanese; on every other system the
// program speaks English.
bool JapaneseSystem();
// What the program shows on this system, in the current ANSI code page.
std::string Localized(const char* japaneseUtf8, const char* english);

// For one test, this thread's texts and dialogs come from the resources in
// `language`, as the program's UILanguage setting has it; afterwards the
// loader picks by the system again.
class ResourceLanguage {
public:
    explicit ResourceLanguage(LANGID language);
    ~ResourceLanguage();
    ResourceLanguage(const ResourceLanguage&) = delete;
    ResourceLanguage& operator=(const ResourceLanguage&) = delete;

private:
    LCID locale_;
};
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

} // namespace testsupport
