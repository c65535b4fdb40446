// The code-page and comparison functions the launcher's text logic is given
// on Windows, as plain C for the native tests and the fuzzer.
#pragma once

#include <stddef.h>
#include <strings.h>

// Lead bytes of code page 932 (Shift-JIS).
inline bool ShiftJisLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A single-byte code page such as 1252: no lead bytes.
inline bool SingleByte(unsigned char) {
    return false;
}

inline bool AsciiSwitch(const char* argument, const char* name) {
    return strcasecmp(argument, name) == 0;
}

inline bool AsciiSame(const char* a, const char* b, size_t length) {
    return strncasecmp(a, b, length) == 0;
}
