// Byte handling for values read from the registry, which may hold data that
// this program never wrote: any type, any length, with or without a NUL.
#pragma once

#include <stddef.h>
#include <stdint.h>

// `length` bytes of a text value were read into `buffer` (`capacity` bytes).
// Terminates the text right after the data and returns true, or returns false
// when the data and its terminator do not fit: the caller then uses its default.
bool TerminateRegistryText(char* buffer, size_t capacity, size_t length);

// The outcome of one read of a text value into `buffer` (`capacity` bytes):
// `read` tells whether the query succeeded and `length` how many bytes it
// stored. A value that was read and fits with its terminator is kept, ended
// right after its data; anything else leaves the buffer holding `fallback`
// (cut to fit, always terminated), so nothing of an earlier read or of partial
// data stays behind. Returns true when the stored value was kept.
// `fallback` must not point into `buffer`.
bool FinishRegistryText(char* buffer, size_t capacity, bool read, size_t length,
                        const char* fallback);

// Copies `text` into `buffer` (`capacity` bytes), cut to fit, always terminated.
void CopyRegistryText(char* buffer, size_t capacity, const char* text);

// A number from up to 4 little-endian bytes: fewer bytes fill the low-order
// bytes of `fallback` and leave its high-order ones.
uint32_t DwordFromRegistryBytes(const unsigned char* data, size_t length, uint32_t fallback);
