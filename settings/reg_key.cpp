#include "settings/reg_key.h"

CRegKey::~CRegKey() {
    if (key) {
        RegCloseKey(key);
        key = NULL;
    }
}
