#pragma once

#include <windows.h>

// Reads UILanguage ("ja" or "en") from the user's settings key, else from the
// machine's, and has every later text of this thread come in that language.
// Without such a value the resource loader picks by the user's UI language.
// Called before the first text is loaded.
void ApplyUILanguageSetting();

// Has the resource loader give this thread's texts, dialogs and message
// boxes in `language` where the program has it.
void UseUILanguage(LANGID language);
