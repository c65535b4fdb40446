#pragma once

#include <windows.h>

#include "resources/paths.h"

// The system's own text for `error`, for a message that says why something
// failed, without its line break; the number where the system has no text.
void GetSystemReason(DWORD error, CHeapText* reason);
