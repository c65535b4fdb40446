// Asks for help popups in a process of its own, so that each test sees HTML
// Help loaded (or given up) for the first time.
//   help_loading_probe <report file> <command>...
//     server=<path>  registers <path> as the HTML Help control
//     plant=<path>   copies <path> as hhctrl.ocx into the current folder
//     standin=<path> loads <path> and stands it in for the system's control
//     show           asks for one popup and appends a line to the report:
//                    "calls=<recorded> recorder=<0|1> noentry=<0|1> hhctrl=<0|1>
//                     system=<0|1>", the last whether hhctrl.ocx came from the
//                    system folder
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "resources/app_globals.h"
#include "tests/ui/sheet/help_modules/help_record.h"
#include "ui/sheet/help_popup.h"

namespace {

const char kServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

bool Register(const char* path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kServerKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                        NULL) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExA(key, NULL, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                 static_cast<DWORD>(strlen(path) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool StandIn(const char* path) {
    HMODULE control = LoadLibraryA(path);
    if (control) {
        UseHtmlHelpControl(control);
    }
    return control != NULL;
}

bool FromSystemFolder(HMODULE module) {
    char path[MAX_PATH] = "", system[MAX_PATH] = "";
    if (!module || !GetModuleFileNameA(module, path, sizeof path) ||
        !GetSystemDirectoryA(system, sizeof system)) {
        return false;
    }
    char* name = strrchr(path, '\\');
    if (name) {
        *name = '\0';
    }
    return lstrcmpiA(path, system) == 0;
}

int RecordedCalls() {
    HMODULE recorder = GetModuleHandleA("help_recorder.dll");
    if (!recorder) {
        return 0;
    }
    auto count = reinterpret_cast<RecordedHelpCountFunction>(
        reinterpret_cast<void*>(GetProcAddress(recorder, "RecordedHelpCount")));
    return count ? count() : -1;
}

} // namespace

int main(int argc, char** argv) {
    g_instance = GetModuleHandleA(NULL);
    if (argc < 2) {
        return 2;
    }
    FILE* report = fopen(argv[1], "wb");
    if (!report) {
        return 3;
    }
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        if (strncmp(argv[i], "server=", 7) == 0) {
            failures += !Register(argv[i] + 7);
        } else if (strncmp(argv[i], "plant=", 6) == 0) {
            failures += !CopyFileA(argv[i] + 6, "hhctrl.ocx", FALSE);
        } else if (strncmp(argv[i], "standin=", 8) == 0) {
            failures += !StandIn(argv[i] + 8);
        } else if (strcmp(argv[i], "show") == 0) {
            failures += ShowHelpPopup(NULL, "probe", 10, 20) != 1;
            HMODULE hhctrl = GetModuleHandleA("hhctrl.ocx");
            fprintf(report, "calls=%d recorder=%d noentry=%d hhctrl=%d system=%d\n",
                    RecordedCalls(), GetModuleHandleA("help_recorder.dll") != NULL,
                    GetModuleHandleA("no_help_entry.dll") != NULL, hhctrl != NULL,
                    FromSystemFolder(hhctrl));
        } else {
            ++failures;
        }
    }
    fclose(report);
    return failures;
}
