#include "resources/system_reason.h"

#include <shlwapi.h>

void GetSystemReason(DWORD error, CHeapText* reason) {
    char* text = NULL;
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       NULL, error, 0, reinterpret_cast<char*>(&text), 0, NULL) &&
        reason->Copy(text)) {
        StrTrimA(reason->Get(), " \r\n");
    } else if (reason->Allocate(16)) {
        wnsprintfA(reason->Get(), 16, "%lu", error);
    }
    if (text) {
        LocalFree(text);
    }
}
