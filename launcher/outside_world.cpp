#include "launcher/outside_world.h"

#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "ui/sheet/settings_sheet.h"

OutsideWorld g_outsideWorld = {ShellExecuteA,    ShellExecuteExA, MessageBoxA,
                               RunSettingsSheet, VerQueryValueA,  {}};

void ShowLauncherMessage(UINT textId, UINT icon) {
    g_outsideWorld.messageBox(NULL, LoadText(textId), g_caption, icon);
}
