// Keys of string values in a version resource, and the order in which the
// About page tries language and code-page pairs. Text only, no windows.h.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    kVersionKeySize = 261, // 260 characters and the terminator
    kFallbackCodePageCount = 12,
    kFallbackLanguageCount = 45,
};

extern const uint16_t kFallbackCodePages[kFallbackCodePageCount];
extern const uint16_t kFallbackLanguages[kFallbackLanguageCount];

// Writes "\StringFileInfo\<language><codePage>\<name>" with both IDs as four
// lower-case hex digits. Returns false, leaving "", when it does not fit.
bool FormatStringFileInfoKey(char* key, size_t size, uint16_t language, uint16_t codePage,
                             const char* name);
