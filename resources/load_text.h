#pragma once

// Loads resource string `id` whole, in the ANSI code page, into one shared
// buffer that the next call overwrites (hence Temp: use or copy it before the
// next call). A missing string gives "".
const char* LoadTextTemp(unsigned int id);

// Room for the longest string of the table (the group help, string 32) in a
// double-byte code page, with space to spare.
enum { kLoadTextSize = 512 };
