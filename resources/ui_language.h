#pragma once

#include <windows.h>

// The language the settings ask the texts to come in (UILanguage).
enum UILanguageChoice {
    kWindowsLanguage, // none, or one the program does not have: the loader picks
    kJapanese,        // "ja"
    kEnglish,         // "en"
};

// The choice a UILanguage text makes; case is ignored.
UILanguageChoice UILanguageFromText(const char* text);

// Has every later text of this thread come in `choice`'s language; Windows'
// choice leaves the resource loader to pick by the user's UI language.
// Called before the first text is loaded.
void UseUILanguageChoice(UILanguageChoice choice);

// Has the resource loader give this thread's texts, dialogs and message
// boxes in `language` where the program has it.
void UseUILanguage(LANGID language);
