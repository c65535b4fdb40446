#include "tests/support/wine_test_support.h"

#include "resources/ui_language.h"

#include <stdlib.h>

#include <vector>

namespace testsupport {

#define SETTINGS_KEY "Software\\Corvalen\\Quillgate"
const char kSettingsKey[] = SETTINGS_KEY;
const char kPathsKey[] = SETTINGS_KEY "\\Paths";
const char kSourceKey[] = SETTINGS_KEY "\\Source";
const char kEditorsKey[] = SETTINGS_KEY "\\Editors";
#undef SETTINGS_KEY
const char kDefaultEditor[] = "notepa~.exe";

std::vector<std::string> DefaultExtensions() {
    return {"htm", "html", "shtml", "xml"};
}

static std::string WindowsPath(const char* unixPath) {
    std::string path = unixPath ? unixPath : "";
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + path;
}

std::string BuildDir() {
    return WindowsPath(getenv("QUILLGATE_BUILD_DIR"));
}

std::string NotepadPath() {
    return BuildDir() + "\\notepad.exe";
}

std::string ToolPath(const char* name) {
    return BuildDir() + "\\tools\\" + name;
}

namespace {

// Through the W functions: names a test made in UTF-8 have no ANSI form.
void RemoveTreeWide(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeWide(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

void RemoveTree(const std::string& path) {
    RemoveTreeWide(Wide(path, CP_ACP));
}

std::string TempPath(const char* name) {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    std::string path(temp, length < sizeof temp ? length : 0);
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return path + "\\quillgate-" + name;
}

ScratchDir::ScratchDir(const std::string& path) : path_(path) {
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), NULL);
}

ScratchDir::~ScratchDir() {
    RemoveTree(path_);
}

std::string ScratchDir::Write(const std::string& name, const std::string& content) const {
    std::string file = File(name);
    WriteFileText(file, content);
    return file;
}

bool WriteFileText(const std::string& path, const std::string& content) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(h);
    return ok && written == content.size();
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
    std::string content;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        return content;
    }
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(h, chunk, sizeof chunk, &got, NULL) && got > 0) {
        content.append(chunk, got);
    }
    CloseHandle(h);
    return content;
}

void DeleteKeyTree(HKEY root, const char* path, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) {
        return;
    }
    char child[256];
    for (;;) {
        DWORD size = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) {
            break;
        }
        std::string sub = std::string(path) + "\\" + child;
        DeleteKeyTree(root, sub.c_str(), view);
    }
    RegCloseKey(key);
    RegDeleteKeyExA(root, path, view, 0);
}

bool SetRaw(HKEY root, const char* path, const char* value, DWORD type, const void* data,
            DWORD size, REGSAM view) {
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, NULL, 0, KEY_ALL_ACCESS | view, NULL, &key, NULL) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool SetString(HKEY root, const char* path, const char* value, const char* text, REGSAM view) {
    return SetRaw(root, path, value, REG_SZ, text, lstrlenA(text) + 1, view);
}

bool SetDword(HKEY root, const char* path, const char* value, DWORD number, REGSAM view) {
    return SetRaw(root, path, value, REG_DWORD, &number, sizeof number, view);
}

bool KeyExists(HKEY root, const char* path, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

bool ReadRaw(HKEY root, const char* path, const char* value, DWORD* type, std::string* data,
             REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, value, NULL, type, NULL, &size);
    if (result == ERROR_SUCCESS) {
        std::vector<char> bytes(size + 1);
        result =
            RegQueryValueExA(key, value, NULL, type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        data->assign(bytes.data(), size);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const char* path, const char* value, REGSAM view) {
    DWORD type;
    std::string data;
    return ReadRaw(root, path, value, &type, &data, view);
}

std::string ReadString(HKEY root, const char* path, const char* value, REGSAM view) {
    DWORD type;
    std::string data;
    if (!ReadRaw(root, path, value, &type, &data, view)) {
        return std::string();
    }
    return std::string(data.c_str()); // up to the first NUL, if any
}

void ResetSettings() {
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Corvalen");
}

int RunProcess(const std::string& commandLine, DWORD timeoutMs) {
    HANDLE process = StartProcess(commandLine, kSystemShowState, NULL);
    if (!process) {
        return -1;
    }
    int code = -1;
    if (WaitForSingleObject(process, timelimits::Scaled(timeoutMs)) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process, &exitCode);
        code = static_cast<int>(exitCode);
    } else {
        TerminateProcess(process, 1);
    }
    CloseHandle(process);
    return code;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool JapaneseSystem() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

std::string Localized(const char* japaneseUtf8, const char* english) {
    return JapaneseSystem() ? Ansi(japaneseUtf8) : english;
}

std::string DefaultMenuText() {
    return Localized("編集(&E)", "&Edit");
}

// Under Wine the loader follows the thread's locale (UseUILanguage), which is
// what comes back.
ResourceLanguage::ResourceLanguage(LANGID language) : locale_(GetThreadLocale()) {
    UseUILanguage(language);
}

ResourceLanguage::~ResourceLanguage() {
    SetThreadLocale(locale_);
}

std::string Ansi(const char* utf8) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, NULL, 0);
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), wide);
    int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), -1, NULL, 0, NULL, NULL);
    std::vector<char> n(narrow);
    WideCharToMultiByte(CP_ACP, 0, w.data(), -1, n.data(), narrow, NULL, NULL);
    return std::string(n.data());
}

const char kUserClasses[] = "Software\\Classes";

std::string MergedClassesString(const std::string& path, const char* value) {
    const std::string user = std::string(kUserClasses) + "\\" + path;
    return ValueExists(HKEY_CURRENT_USER, user.c_str(), value)
               ? ReadString(HKEY_CURRENT_USER, user.c_str(), value)
               : ReadString(HKEY_CLASSES_ROOT, path.c_str(), value);
}

} // namespace testsupport
