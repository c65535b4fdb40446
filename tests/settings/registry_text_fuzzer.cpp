// Arbitrary registry data of any length read through a 100-byte buffer: the
// result is always a terminated text within the buffer, either the data
// itself (up to its first NUL) or the default, never a mix.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "settings/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t capacity = 1 + data[0] % 120;
    const bool read = data[1] & 1;
    data += 2;
    size -= 2;
    char* buffer = static_cast<char*>(malloc(capacity)); // exact size: ASan sees overruns
    // A query stores at most `capacity` bytes but may report a larger length.
    size_t stored = size < capacity ? size : capacity;
    memcpy(buffer, data, stored);
    const char fallback[] = "notepa~.exe";
    bool kept = FinishRegistryText(buffer, capacity, read, size, fallback);
    size_t length = strnlen(buffer, capacity);
    if (length == capacity) {
        abort(); // not terminated inside the buffer
    }
    if (kept) {
        if (!read || memcmp(buffer, data, length) != 0) {
            abort();
        }
    } else if (strncmp(buffer, fallback, capacity - 1) != 0) {
        abort();
    }
    uint32_t number = DwordFromRegistryBytes(data, size < 4 ? size : 4, 0xA5A5A5A5u);
    if (size >= 4 && number != (uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24)) {
        abort();
    }
    free(buffer);
    return 0;
}
