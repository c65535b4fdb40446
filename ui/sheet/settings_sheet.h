#pragma once

#include <windows.h>

// Shows the modal two-page settings sheet and returns when it is closed:
// TRUE when the user closed it with OK and its settings were saved.
BOOL RunSettingsSheet();
