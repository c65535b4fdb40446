#pragma once

#include <windows.h>

// Shows the modal two-page settings sheet and returns when it is closed:
// TRUE when its settings were saved, by OK or by an Apply before Cancel.
BOOL RunSettingsSheet();
