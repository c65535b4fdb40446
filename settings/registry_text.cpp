#include "settings/registry_text.h"

bool TerminateRegistryText(char* buffer, size_t capacity, size_t length) {
    if (capacity == 0) {
        return false;
    }
    if (length > 0 && length <= capacity && buffer[length - 1] == '\0') {
        return true; // already terminated by whoever wrote it
    }
    if (length >= capacity) {
        return false;
    }
    buffer[length] = '\0';
    return true;
}

void CopyRegistryText(char* buffer, size_t capacity, const char* text) {
    if (capacity == 0) {
        return;
    }
    size_t i = 0;
    if (text) {
        for (; i + 1 < capacity && text[i] != '\0'; ++i) {
            buffer[i] = text[i];
        }
    }
    buffer[i] = '\0';
}

bool FinishRegistryText(char* buffer, size_t capacity, bool read, size_t length,
                        const char* fallback) {
    if (read && TerminateRegistryText(buffer, capacity, length)) {
        return true;
    }
    CopyRegistryText(buffer, capacity, fallback);
    return false;
}

uint32_t DwordFromRegistryBytes(const unsigned char* data, size_t length, uint32_t fallback) {
    uint32_t value = fallback;
    for (size_t i = 0; i < length && i < 4; ++i) {
        value &= ~(uint32_t{0xFF} << (8 * i));
        value |= uint32_t{data[i]} << (8 * i);
    }
    return value;
}
