#include "resources/elevation.h"

#include <windows.h>

bool IsElevated() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation = {0};
    DWORD bytes = 0;
    const BOOL read =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &bytes);
    CloseHandle(token);
    return read && elevation.TokenIsElevated != 0;
}
