#include "resources/ui_language.h"

namespace {

const char kKeyPath[] = "Software\\Corvalen\\Quillgate";
const char kValueName[] = "UILanguage";

enum Choice { kNoValue, kWindowsChoice, kJapanese, kEnglish };

// A value of ours is two letters; anything longer is nothing we know.
Choice ReadChoice(HKEY root, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, kKeyPath, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return kNoValue;
    }
    char text[8];
    ZeroMemory(text, sizeof text);
    DWORD type = REG_NONE;
    DWORD size = sizeof text - 1; // the zeroed last byte ends a value stored without one
    const LONG result =
        RegQueryValueExA(key, kValueName, NULL, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (result == ERROR_FILE_NOT_FOUND) {
        return kNoValue;
    }
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        return kWindowsChoice;
    }
    if (lstrcmpiA(text, "ja") == 0) {
        return kJapanese;
    }
    return lstrcmpiA(text, "en") == 0 ? kEnglish : kWindowsChoice;
}

} // namespace

void ApplyUILanguageSetting() {
    // The user's value, whatever it says, wins over the machine's.
    Choice choice = ReadChoice(HKEY_CURRENT_USER, 0);
    if (choice == kNoValue) {
        choice = ReadChoice(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    }
    if (choice == kJapanese) {
        UseUILanguage(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
    } else if (choice == kEnglish) {
        UseUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    }
}

void UseUILanguage(LANGID language) {
    // Windows 7 and later load resources in the thread's preferred UI
    // languages. Both functions are looked up: Windows XP has neither.
    typedef BOOL(WINAPI * SetPreferredFunction)(DWORD flags, const WCHAR* names, ULONG* count);
    typedef LANGID(WINAPI * GetLanguageFunction)();
    const DWORD kByName = 0x8; // MUI_LANGUAGE_NAME
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetPreferredFunction setPreferred = reinterpret_cast<SetPreferredFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadPreferredUILanguages")));
    GetLanguageFunction threadLanguage = reinterpret_cast<GetLanguageFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetThreadUILanguage")));
    const WCHAR* names = PRIMARYLANGID(language) == LANG_JAPANESE ? L"ja-JP\0" : L"en-US\0";
    ULONG count = 0;
    if (setPreferred && threadLanguage && setPreferred(kByName, names, &count) &&
        threadLanguage() == language) {
        return;
    }
    // Wine accepts that call and goes on loading by the thread's locale, as
    // Windows XP does; where the UI language did not follow, the locale does.
    // Should that fail too, the loader's own choice stands.
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
}
