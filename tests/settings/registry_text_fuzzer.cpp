// Arbitrary registry data of any length judged against a buffer of up to 120
// bytes: what fits, terminated where it must be, lies within the buffer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "settings/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const size_t limit = data[0] % 121;
    data += 1;
    size -= 1;
    // Exact size: ASan sees a read past the data.
    char* stored = static_cast<char*>(malloc(size ? size : 1));
    memcpy(stored, data, size);
    if (RegistryTextFits(stored, size, limit)) {
        // The text and a terminator (its own, or one after it) fit the buffer.
        const size_t length = strnlen(stored, size);
        if (length >= limit || (length == size && size >= limit)) {
            abort();
        }
    }
    uint32_t number = DwordFromRegistryBytes(data, size < 4 ? size : 4, 0xA5A5A5A5u);
    if (size >= 4 && number != (uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24)) {
        abort();
    }
    free(stored);
    return 0;
}
