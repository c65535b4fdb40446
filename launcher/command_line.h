// Splits a command line into arguments by the rules of the Microsoft C
// runtime, so that the program sees the same vector whatever it is linked
// with (runtimes differ on quotes inside quoted sections, and on double-byte
// characters whose second byte looks like a backslash or quote).
#pragma once

#include <stddef.h>

#include "launcher/lead_byte.h"

// The text after the program's own name (argument 0) and the blanks after it.
// The name ends at the closing quote when it begins with one, otherwise at the
// first blank or tab; backslashes in it are plain characters.
const char* SkipProgramName(const char* commandLine, LeadByteTest isLeadByte);

enum ArgumentRead { kNoMoreArguments, kArgumentRead, kArgumentTooLong };

// Reads the argument at `*cursor` into `out` (NUL-terminated, at most
// `capacity` bytes) and moves `*cursor` past it. An argument never has more
// bytes than the text it comes from, so a capacity of the remaining text's
// length plus one always suffices; with less, kArgumentTooLong is returned and
// `out` holds nothing useful.
ArgumentRead ReadArgument(const char** cursor, LeadByteTest isLeadByte, char* out, size_t capacity,
                          size_t* length);
