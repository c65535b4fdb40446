#include "settings/registry_text.h"

bool RegistryTextFits(const char* data, size_t bytes, size_t limit) {
    return bytes < limit || (bytes == limit && bytes > 0 && data[bytes - 1] == '\0');
}

uint32_t DwordFromRegistryBytes(const unsigned char* data, size_t length, uint32_t fallback) {
    uint32_t value = fallback;
    for (size_t i = 0; i < length && i < 4; ++i) {
        value &= ~(uint32_t{0xFF} << (8 * i));
        value |= uint32_t{data[i]} << (8 * i);
    }
    return value;
}
