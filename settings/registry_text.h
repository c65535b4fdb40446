// Byte handling for values read from the registry, which may hold data that
// this program never wrote: any type, any length, with or without a NUL.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Whether `bytes` bytes of stored text (`data`) read whole through a buffer
// of `limit` bytes, as the settings always read: with room for a terminator
// after them, or ending in their own.
bool RegistryTextFits(const char* data, size_t bytes, size_t limit);

// A number from up to 4 little-endian bytes: fewer bytes fill the low-order
// bytes of `fallback` and leave its high-order ones.
uint32_t DwordFromRegistryBytes(const unsigned char* data, size_t length, uint32_t fallback);
