#include "launcher/editor_check.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "launcher/path_text.h"
#include "launcher/step_times.h"
#include "resources/elevation.h"
#include "resources/paths.h"
#include "resources/resource_ids.h"
#include "resources/version_text.h"
#include "settings/reg_key.h"
#include "settings/settings.h"

namespace {

// Batch files that only start a program, which stands relative to them.
struct ProgramBehindBatchFile {
    const char* fileName;
    const char* program;
};

// VS Code's command-line docs: its bin folder, on PATH, holds the batch file.
const ProgramBehindBatchFile kProgramsBehindBatchFiles[] = {
    {"code.cmd", "..\\Code.exe"},
    {"code-insiders.cmd", "..\\Code - Insiders.exe"},
    {"codium.cmd", "..\\VSCodium.exe"},
};

UINT WindowsFolder(char* buffer, DWORD size) {
    return GetSystemWindowsDirectoryA(buffer, size);
}

// The system's own Notepad, as Setup names it: the System32 one, which a
// 32-bit program finds in SysWOW64.
bool GetSystemNotepad(CHeapText* out) {
    const char kNotepad[] = "\\System32\\notepad.exe";
    CHeapText windows;
    if (!FillGrowing(&windows, WindowsFolder) ||
        !out->Allocate(static_cast<size_t>(lstrlenA(windows.Get())) + sizeof kNotepad)) {
        return false;
    }
    lstrcpyA(out->Get(), windows.Get());
    PathRemoveBackslashA(out->Get()); // a drive's root ends in one
    lstrcatA(out->Get(), kNotepad);
    return true;
}

// A name without an extension is tried with each extension of PATHEXT, in
// order, as the command prompt tries it, and never as it stands: VS Code's
// bin folder holds a shell script "code" beside "code.cmd". NULL for a name
// with an extension.
const char kDefaultPathExtensions[] = ".COM;.EXE;.BAT;.CMD";
bool ReadPathExtensions(const char* name, CHeapText* out) {
    if (*PathFindExtensionA(name) != '\0') {
        out->Free();
        return true;
    }
    return FillGrowing(out,
                       [](char* buffer, DWORD size) {
                           return GetEnvironmentVariableA("PATHEXT", buffer, size);
                       }) ||
           out->Copy(kDefaultPathExtensions);
}

// `name` in `folder` alone, with each of `extensions` (';'-separated) in turn
// where they are given.
bool SearchFolder(const char* folder, const char* name, const char* extensions, CHeapText* out) {
    if (!extensions) {
        return FillGrowing(out, [folder, name](char* buffer, DWORD size) {
            return SearchPathA(folder, name, NULL, size, buffer, NULL);
        });
    }
    CHeapText extension;
    if (!extension.Allocate(static_cast<size_t>(lstrlenA(extensions)) + 1)) {
        return false;
    }
    for (const char* entry = extensions; *entry;) {
        const char* end = StrChrA(entry, ';');
        const int length = end ? static_cast<int>(end - entry) : lstrlenA(entry);
        lstrcpynA(extension.Get(), entry, length + 1);
        const char* ext = extension.Get();
        if (ext[0] == '.' && ext[1] != '\0' &&
            FillGrowing(out, [folder, name, ext](char* buffer, DWORD size) {
                return SearchPathA(folder, name, ext, size, buffer, NULL);
            })) {
            return true;
        }
        entry += length;
        if (*entry == ';') {
            ++entry;
        }
    }
    return false;
}

// A bare file name found in this program's folder, the system folders or a
// folder of PATH given by its full path: never in the current folder. A hit
// for which `skip` holds is passed over and the search goes on; when every
// hit is skipped, the first of them is the result.
typedef bool (*SkipFile)(const char* path);
bool SearchOutsideCurrentFolder(const char* name, CHeapText* out, SkipFile skip) {
    CHeapText own, system, windows, path, extensions;
    if (!ReadPathExtensions(name, &extensions) || !GetOwnModulePath(&own) ||
        !FillGrowing(&system,
                     [](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); }) ||
        !FillGrowing(&windows,
                     [](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); })) {
        return false;
    }
    PathRemoveFileSpecA(own.Get());
    // No PATH is no error: the other folders remain.
    if (!FillGrowing(&path,
                     [](char* buffer, DWORD size) {
                         return GetEnvironmentVariableA("PATH", buffer, size);
                     }) &&
        !path.Copy("")) {
        return false;
    }
    CHeapText folders;
    const size_t size = own.Size() + system.Size() + windows.Size() + path.Size() + 4;
    if (!folders.Allocate(size) || !AppendAbsoluteFolders(folders.Get(), size, own.Get()) ||
        !AppendAbsoluteFolders(folders.Get(), size, system.Get()) ||
        !AppendAbsoluteFolders(folders.Get(), size, windows.Get()) ||
        !AppendAbsoluteFolders(folders.Get(), size, path.Get())) {
        return false;
    }
    // One folder at a time, in order, so that a skipped hit does not hide the
    // folders after it. Every entry ends in ';'.
    CHeapText skipped;
    for (char* folder = folders.Get(); *folder != '\0';) {
        char* end = StrChrA(folder, ';');
        if (!end) {
            break;
        }
        *end = '\0';
        if (SearchFolder(folder, name, extensions.Get(), out)) {
            if (!skip || !skip(out->Get())) {
                return true;
            }
            if (!skipped.Get() && !skipped.Copy(out->Get())) {
                return false;
            }
        }
        folder = end + 1;
    }
    // Only skipped hits: the first of them, for the caller to refuse.
    if (!skipped.Get()) {
        out->Free();
        return false;
    }
    return out->Copy(skipped.Get());
}

// Windows starts "<Debugger> <command line>" in place of a program whose file
// name has a Debugger registered under Image File Execution Options, unless
// the program's creator debugs it. Replacements of Notepad take its place that
// way, so an editor setting that names the real Notepad can lead straight back
// to this program.

// Whether `program`, as a command line names it, is this program.
typedef bool (*ProgramTest)(const char* program);

const char kImageOptions[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\";

// The programs a Debugger command line may start: the quoted name, or for an
// unquoted one each run of text up to a blank, as CreateProcess tries them.
bool StartsThisProgram(const char* debugger, ProgramTest isThisProgram) {
    while (*debugger == ' ' || *debugger == '\t') {
        ++debugger;
    }
    CHeapText program;
    if (!program.Allocate(static_cast<size_t>(lstrlenA(debugger)) + 1)) {
        return false;
    }
    if (*debugger == '"') {
        const char* name = debugger + 1;
        const char* end = name;
        while (*end && *end != '"') {
            end = CharNextA(end);
        }
        lstrcpynA(program.Get(), name, static_cast<int>(end - name) + 1);
        return isThisProgram(program.Get());
    }
    for (const char* end = debugger;; end = CharNextA(end)) {
        if (*end == '\0' || *end == ' ' || *end == '\t') {
            lstrcpynA(program.Get(), debugger, static_cast<int>(end - debugger) + 1);
            if (end != debugger && isThisProgram(program.Get())) {
                return true;
            }
        }
        if (*end == '\0') {
            return false;
        }
    }
}

bool DebuggerStartsThisProgram(const CRegKey& key, ProgramTest isThisProgram) {
    CHeapText debugger;
    return key.ReadText("Debugger", &debugger) && StartsThisProgram(debugger.Get(), isThisProgram);
}

// With UseFilter set, numbered subkeys name full paths (System32's Notepad,
// SysWOW64's) that have a Debugger of their own.
bool RedirectsToThisProgram(const CRegKey& options, REGSAM view, const char* editor,
                            ProgramTest isThisProgram) {
    if (DebuggerStartsThisProgram(options, isThisProgram)) {
        return true;
    }
    DWORD useFilter = 0;
    if (!options.ReadDword("UseFilter", &useFilter) || useFilter == 0) {
        return false;
    }
    for (DWORD index = 0;; ++index) {
        char name[256]; // the longest key name and its NUL
        // The end of the list, or a key deleted or gone bad under us.
        if (!options.SubkeyName(index, name, sizeof name)) {
            return false;
        }
        CRegKey filter;
        CHeapText filterPath;
        if (filter.Open(options.Get(), name, KEY_READ, view) == ERROR_SUCCESS &&
            filter.ReadText("FilterFullPath", &filterPath) &&
            IsSameFile(filterPath.Get(), editor) &&
            DebuggerStartsThisProgram(filter, isThisProgram)) {
            return true;
        }
    }
}

// Whether a registration in either registry view redirects a start of
// `editor` (a full path) to a program for which `isThisProgram` holds.
bool IsStartRedirectedTo(const char* editor, ProgramTest isThisProgram) {
    const char* fileName = PathFindFileNameA(editor);
    CHeapText keyName;
    if (!keyName.Allocate(sizeof kImageOptions + static_cast<size_t>(lstrlenA(fileName)))) {
        return false;
    }
    lstrcpyA(keyName.Get(), kImageOptions);
    lstrcatA(keyName.Get(), fileName);
    // 32-bit Windows has one view and ignores the flags.
    static const REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    for (size_t i = 0; i < sizeof kViews / sizeof kViews[0]; ++i) {
        CRegKey options;
        if (options.Open(HKEY_LOCAL_MACHINE, keyName.Get(), KEY_READ, kViews[i]) == ERROR_SUCCESS &&
            RedirectsToThisProgram(options, kViews[i], editor, isThisProgram)) {
            return true;
        }
    }
    return false;
}

// However the setting spells this program. Runs on every forward, so the
// own path is compared before anything is read from disk.
bool IsThisProgram(const char* editor) {
    CHeapText own;
    return GetOwnModulePath(&own) && IsSameFile(own.Get(), editor);
}

// A copy of this program under any name would forward to the same settings,
// and so to itself.
bool IsCopyOfThisProgram(const char* editor) {
    return NamesThisProduct(editor);
}

// A bare name (the default, notepa~.exe) is never taken from the current
// folder, which is the opened file's; the editor then starts by the full path
// found, so the shell does not look for it again. This program's own folder
// comes first, so "notepad.exe" would find this program: a hit that is this
// program or a copy is passed over.
bool IsThisProgramOrCopy(const char* path) {
    return IsThisProgram(path) || IsCopyOfThisProgram(path);
}

// A batch file with a program behind it (VS Code's bin\\code.cmd) is that
// program: the command prompt would change the file names it passes on.
bool ResolveEditor(const char* setting, CHeapText* out) {
    const bool found = PathFindFileNameA(setting) == setting
                           ? SearchOutsideCurrentFolder(setting, out, IsThisProgramOrCopy)
                           : SearchForFile(setting, out);
    if (!found) {
        return false;
    }
    return !IsBatchFile(out->Get()) || TakeProgramBehindBatchFile(out);
}

// What a debugger registration starts, as a command line names it: like
// CreateProcess, a name without an extension means an .exe.
bool NamesThisProgram(const char* program) {
    CHeapText resolved;
    if (!SearchForFile(program, &resolved, ".exe") && !resolved.Copy(program)) {
        return false;
    }
    return IsThisProgram(resolved.Get()) ||
           (PathFileExistsA(resolved.Get()) && IsCopyOfThisProgram(resolved.Get()));
}

// An elevated start runs its editor with the administrator's full token. The
// user's settings, their PATH and their profile folders can all be changed by
// any of the user's unelevated programs, so such a start takes only a program
// where standard users cannot place one, judged, as Windows judges programs
// that act for more than their user, by where the file itself lies: under a
// Program Files folder, or for the machine's setting directly in the system
// folders (whose subfolders, Tasks or Temp, standard users can write to).
// Windows' own programs there run whatever they are handed, so a user's
// setting never names them.

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The file `path` opens, every link and ".." resolved, without "\\?\".
bool GetFinalPath(const char* path, CHeapText* out) {
    typedef DWORD(WINAPI * FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);
    // Not before Windows Vista, which has no elevation either.
    const FinalPathFunction finalPath = reinterpret_cast<FinalPathFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    if (!finalPath) {
        return false;
    }
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CHeapText found;
    const bool read = FillGrowing(&found, [file, finalPath](char* buffer, DWORD size) {
        return finalPath(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    CloseHandle(file);
    if (!read) {
        return false;
    }
    char* text = found.Get();
    size_t prefix = 0;
    if (StrCmpNIA(text, "\\\\?\\UNC\\", 8) == 0) {
        prefix = 6;
        text[prefix] = '\\'; // \\?\UNC\server becomes \\server
    } else if (StrCmpNIA(text, "\\\\?\\", 4) == 0) {
        prefix = 4;
    }
    return out->Copy(text + prefix);
}

bool UnderProgramFiles(const char* editor) {
    // The machine's own record in its native view, which Windows and Wine
    // both write, rather than the environment, which the user may set.
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_READ, KEY_WOW64_64KEY) != ERROR_SUCCESS) {
        return false;
    }
    static const char* const kValues[] = {"ProgramFilesDir", "ProgramFilesDir (x86)"};
    for (const char* value : kValues) {
        CHeapText stored, folder;
        if (key.ReadText(value, &stored) && stored.Get()[0] &&
            GetFinalPath(stored.Get(), &folder) &&
            PathLiesInFolder(editor, folder.Get(), AnsiLeadByte, AnsiSameTextIgnoringCase)) {
            return true;
        }
    }
    return false;
}

bool DirectlyInSystemFolders(const char* editor) {
    CHeapText parent;
    if (!parent.Copy(editor) || !PathRemoveFileSpecA(parent.Get())) {
        return false;
    }
    typedef UINT(WINAPI * FolderFunction)(LPSTR, UINT);
    // GetSystemWow64DirectoryA fails on 32-bit Windows, which has no such folder.
    static const FolderFunction kFolders[] = {GetSystemDirectoryA, GetSystemWow64DirectoryA,
                                              GetSystemWindowsDirectoryA};
    for (FolderFunction folderOf : kFolders) {
        CHeapText folder, resolved;
        if (FillGrowing(&folder,
                        [folderOf](char* buffer, DWORD size) { return folderOf(buffer, size); }) &&
            GetFinalPath(folder.Get(), &resolved) &&
            lstrlenA(resolved.Get()) == lstrlenA(parent.Get()) &&
            AnsiSameTextIgnoringCase(resolved.Get(), parent.Get(),
                                     static_cast<size_t>(lstrlenA(parent.Get())))) {
            return true;
        }
    }
    return false;
}

bool IsProgramFile(const char* path) {
    return lstrcmpiA(PathFindExtensionA(path), ".exe") == 0;
}

// Whether an elevated start may run `editor` (a full path) from the
// machine's setting or, `machines` false, the user's.
bool MayRunElevated(const char* editor, bool machines) {
    CHeapText resolved;
    if (!IsProgramFile(editor) || !GetFinalPath(editor, &resolved) ||
        !IsProgramFile(resolved.Get())) {
        return false;
    }
    return UnderProgramFiles(resolved.Get()) ||
           (machines && DirectlyInSystemFolders(resolved.Get()));
}

// The editor setting this start goes by. Elevated, an administrator's (a
// policy, or the machine's setting) comes first, since every unelevated
// program of the user can write the user's.
bool ReadEditorSetting(bool print, bool elevated, CHeapText* setting, EditorSource* source) {
    *source = kSettingInEffect;
    if (elevated) {
        if (g_settings.ReadAdministratorsEditor(print ? TRUE : FALSE, setting) != kFromDefault) {
            *source = kMachinesSetting;
            return true;
        }
    }
    return setting->Copy(print ? g_settings.PrintEditor() : g_settings.EditEditor());
}

// Where the setting cannot be resolved, `editor` holds it as it stands, for
// the message that names it.
EditorCheck CheckEditor(const char* setting, CHeapText* editor) {
    QUILLGATE_STEP("editor choice");
    const bool resolved = ResolveEditor(setting, editor);
    QUILLGATE_STEP("editor search");
    if (!resolved) {
        if (!editor->Copy(setting)) {
            editor->Free(); // nothing to name
        }
        return kEditorMissing;
    }
    return WhereEditorLeads(editor->Get());
}

} // namespace

bool IsBatchFile(const char* editor) {
    const char* extension = PathFindExtensionA(editor);
    return lstrcmpiA(extension, ".cmd") == 0 || lstrcmpiA(extension, ".bat") == 0;
}

bool TakeProgramBehindBatchFile(CHeapText* editor) {
    const char* fileName = PathFindFileNameA(editor->Get());
    for (const ProgramBehindBatchFile& row : kProgramsBehindBatchFiles) {
        if (lstrcmpiA(row.fileName, fileName) != 0) {
            continue;
        }
        CHeapText relative, program;
        if (!relative.Allocate(static_cast<size_t>(lstrlenA(editor->Get())) +
                               static_cast<size_t>(lstrlenA(row.program)) + 2)) {
            return false;
        }
        lstrcpyA(relative.Get(), editor->Get());
        PathRemoveFileSpecA(relative.Get());
        lstrcatA(relative.Get(), "\\");
        lstrcatA(relative.Get(), row.program);
        if (!GetFullPath(relative.Get(), &program)) {
            return false;
        }
        // Not there: the batch file stays the editor.
        return !PathFileExistsA(program.Get()) || editor->Copy(program.Get());
    }
    return true;
}

bool CanStartAsDebuggee(const char* editor) {
    DWORD type = 0;
    return GetBinaryTypeA(editor, &type) && type == SCS_32BIT_BINARY;
}

EditorCheck WhereEditorLeads(const char* editor) {
    const bool self = IsThisProgram(editor);
    QUILLGATE_STEP("file identity");
    if (self) {
        return kEditorIsThisProgram;
    }
    if (!PathFileExistsA(editor)) {
        return kEditorMissing;
    }
    const bool copy = IsCopyOfThisProgram(editor);
    QUILLGATE_STEP("copy check (version)");
    if (copy) {
        return kEditorIsCopy;
    }
    const bool redirected = IsStartRedirectedTo(editor, NamesThisProgram);
    QUILLGATE_STEP("registration (IFEO)");
    return redirected ? kEditorRedirectsHere : kEditorReady;
}

EditorCheck CheckChosenEditor(bool print, bool elevated, CHeapText* editor, EditorSource* source) {
    CHeapText setting;
    if (!ReadEditorSetting(print, elevated, &setting, source)) {
        return kEditorMissing;
    }
    const EditorCheck check = CheckEditor(setting.Get(), editor);
    if (!elevated || (check != kEditorReady && check != kEditorRedirectsHere) ||
        MayRunElevated(editor->Get(), *source == kMachinesSetting)) {
        return check;
    }
    *source = kSystemNotepad;
    CHeapText notepad;
    return GetSystemNotepad(&notepad) ? CheckEditor(notepad.Get(), editor) : kEditorMissing;
}
