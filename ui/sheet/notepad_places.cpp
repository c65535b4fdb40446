#include "ui/sheet/notepad_places.h"

#include <shlwapi.h>

#include "settings/reg_key.h"

namespace {

const char kNotepadKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\notepad.exe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillgate";

// The program a Debugger value starts: the quoted path, or the text up to
// the first blank.
bool ProgramOf(const char* command, CHeapText* program) {
    const char* start = command;
    const char* end;
    if (*start == '"') {
        ++start;
        end = StrChrA(start, '"');
    } else {
        end = StrChrA(start, ' ');
    }
    const int length = end ? static_cast<int>(end - start) : lstrlenA(start);
    if (!program->Allocate(static_cast<size_t>(length) + 1)) {
        return false;
    }
    lstrcpynA(program->Get(), start, length + 1);
    return true;
}

// The programs an entry of ours starts: this one, and the installed notepad.exe.
struct OwnPrograms {
    CHeapText running;
    CHeapText installed;
};

bool IsOurs(const char* command, const OwnPrograms& own) {
    CHeapText program;
    if (!ProgramOf(command, &program) || program.Get()[0] == '\0') {
        return false;
    }
    const CHeapText* const paths[] = {&own.running, &own.installed};
    for (const CHeapText* path : paths) {
        if (path->Get() && (lstrcmpiA(program.Get(), path->Get()) == 0 ||
                            CompareFileIdentity(program.Get(), path->Get()) == kSameFile)) {
            return true;
        }
    }
    return false;
}

void ReportPlace(const CRegKey& key, const char* filter, bool view32, const OwnPrograms& own,
                 PlaceReport report, void* context) {
    NotepadPlace place = {filter, view32, kPlaceMissing, NULL};
    CHeapText debugger;
    if (key.ReadText("Debugger", &debugger) && debugger.Get()[0] != '\0') {
        place.state = IsOurs(debugger.Get(), own) ? kPlaceForwarded : kPlaceForeign;
        place.debugger = debugger.Get();
    } else if (filter) {
        DWORD redirect = 0;
        if (key.ReadDword("AppExecutionAliasRedirect", &redirect) && redirect != 0) {
            place.state = kPlaceReset;
        }
    }
    report(place, context);
}

void ReadView(REGSAM view, bool view32, const OwnPrograms& own, PlaceReport report, void* context) {
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kNotepadKey, KEY_READ, view) != ERROR_SUCCESS) {
        const NotepadPlace missing = {NULL, view32, kPlaceMissing, NULL};
        report(missing, context);
        return;
    }
    ReportPlace(key, NULL, view32, own, report, context);
    // A subkey without FilterFullPath is no place of its own.
    char name[1024];
    for (DWORD i = 0; key.SubkeyName(i, name, sizeof name); ++i) {
        CRegKey subkey;
        CHeapText filter;
        if (subkey.Open(key.Get(), name, KEY_READ) == ERROR_SUCCESS &&
            subkey.ReadText("FilterFullPath", &filter)) {
            ReportPlace(subkey, filter.Get(), view32, own, report, context);
        }
    }
}

bool IsWindows64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

} // namespace

void ReadNotepadPlaces(PlaceReport report, void* context) {
    OwnPrograms own;
    GetOwnModulePath(&own.running);
    CHeapText folder;
    if (ReadInstallFolder(&folder) &&
        own.installed.Allocate(folder.Size() + sizeof "\\notepad.exe")) {
        lstrcpyA(own.installed.Get(), folder.Get());
        lstrcatA(own.installed.Get(), "\\notepad.exe");
    }
    if (!IsWindows64()) {
        ReadView(0, false, own, report, context);
        return;
    }
    // From Windows 7 on, the loader reads the native view alone.
    ReadView(KEY_WOW64_64KEY, false, own, report, context);
    DWORD major = 0, minor = 0, build = 0;
    if (ReadWindowsVersion(&major, &minor, &build) && (major < 6 || (major == 6 && minor == 0))) {
        ReadView(KEY_WOW64_32KEY, true, own, report, context);
    }
}

bool ReadInstallFolder(CHeapText* folder) {
    CRegKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ, KEY_WOW64_32KEY) ==
               ERROR_SUCCESS &&
           key.ReadText("InstallLocation", folder) && folder->Get()[0] != '\0';
}

bool ReadWindowsVersion(DWORD* major, DWORD* minor, DWORD* build) {
    typedef LONG(WINAPI * RtlGetVersionFunction)(OSVERSIONINFOW*);
    RtlGetVersionFunction get = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!get || get(&version) != 0) {
        return false;
    }
    *major = version.dwMajorVersion;
    *minor = version.dwMinorVersion;
    *build = version.dwBuildNumber;
    return true;
}
