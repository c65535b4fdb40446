#include "resources/ui_language.h"

UILanguageChoice UILanguageFromText(const char* text) {
    if (lstrcmpiA(text, "ja") == 0) {
        return kJapanese;
    }
    return lstrcmpiA(text, "en") == 0 ? kEnglish : kWindowsLanguage;
}

void UseUILanguageChoice(UILanguageChoice choice) {
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
