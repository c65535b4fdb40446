// The launcher's text logic runs without windows.h; whether a byte opens a
// double-byte character of the ANSI code page is asked through this test.
#pragma once

#include <stddef.h>

typedef bool (*LeadByteTest)(unsigned char byte);

// True when `text[index]` begins a character rather than being the second
// byte of a double-byte one. Looks back only over the run of lead-byte values
// before `index`: the byte before that run always ends a character.
bool IsCharacterStart(const char* text, size_t index, LeadByteTest isLeadByte);
