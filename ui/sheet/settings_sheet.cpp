#include "ui/sheet/settings_sheet.h"

// Placeholder until the property sheet lands.
void RunSettingsSheet() {}
