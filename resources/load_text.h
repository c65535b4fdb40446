#pragma once

// Loads resource string `id` whole, in the ANSI code page, into one shared
// buffer that the next call overwrites. A missing string gives "".
const char* LoadText(unsigned int id);

// Room for the longest string of the table (the group help, string 32) in a
// double-byte code page, with space to spare.
enum { kLoadTextSize = 512 };
