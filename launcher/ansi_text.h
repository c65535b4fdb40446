// The launcher's text tests in the system's ANSI code page.
#pragma once

#include <stddef.h>

// True when `byte` opens a double-byte character of the ANSI code page.
bool AnsiLeadByte(unsigned char byte);

// True when `argument` is the switch `name`, compared as lstrcmpiA compares.
bool AnsiSwitchEquals(const char* argument, const char* name);

// True when the first `length` bytes of `a` and `b` differ in case at most,
// as the file system sees case (no other collation rule counts).
bool AnsiSameTextIgnoringCase(const char* a, const char* b, size_t length);
