#include "resources/version_key.h"

#include <string.h>

const uint16_t kFallbackCodePages[kFallbackCodePageCount] = {
    0x0000, 0x03a4, 0x03b5, 0x03b6, 0x04b0, 0x04e2, 0x04e3, 0x04e4, 0x04e5, 0x04e6, 0x04e7, 0x04e8,
};

const uint16_t kFallbackLanguages[kFallbackLanguageCount] = {
    0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040a, 0x040b, 0x040c,
    0x040d, 0x040e, 0x040f, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418,
    0x0419, 0x041a, 0x041b, 0x041c, 0x041d, 0x041e, 0x041f, 0x0420, 0x0421, 0x0804, 0x0807, 0x0809,
    0x080a, 0x080c, 0x0810, 0x0813, 0x0814, 0x0816, 0x081a, 0x0c0c, 0x100c,
};

static void PutHex4(char* out, uint16_t value) {
    static const char digits[] = "0123456789abcdef";
    for (int i = 3; i >= 0; --i) {
        out[i] = digits[value & 0xF];
        value = static_cast<uint16_t>(value >> 4);
    }
}

bool FormatStringFileInfoKey(char* key, size_t size, uint16_t language, uint16_t codePage,
                             const char* name) {
    static const char prefix[] = "\\StringFileInfo\\";
    const size_t prefixLength = sizeof prefix - 1;
    const size_t nameLength = strlen(name);
    const size_t length = prefixLength + 8 + 1 + nameLength;
    if (size == 0) {
        return false;
    }
    if (length >= size) {
        key[0] = '\0';
        return false;
    }
    memcpy(key, prefix, prefixLength);
    PutHex4(key + prefixLength, language);
    PutHex4(key + prefixLength + 4, codePage);
    key[prefixLength + 8] = '\\';
    memcpy(key + prefixLength + 9, name, nameLength + 1);
    return true;
}
