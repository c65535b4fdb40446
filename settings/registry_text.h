// Byte handling for values read from the registry, which may hold data that
// this program never wrote: any type, any length, with or without a NUL.
#pragma once

#include <stddef.h>
#include <stdint.h>

// `length` bytes of a text value were read into `buffer` (`capacity` bytes).
// Terminates the text right after the data and returns true, or returns false
// when the data and its terminator do not fit: the caller then uses its default.
bool TerminateRegistryText(char* buffer, size_t capacity, size_t length);

// A number from up to 4 little-endian bytes: fewer bytes fill the low-order
// bytes of `fallback` and leave its high-order ones.
uint32_t DwordFromRegistryBytes(const unsigned char* data, size_t length, uint32_t fallback);
