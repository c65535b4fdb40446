#include "resources/outside_world.h"

#include "resources/app_globals.h"
#include "resources/load_text.h"

OutsideWorld g_outsideWorld = {ShellExecuteA, ShellExecuteExA, MessageBoxA, NULL, VerQueryValueA};

void ShowLauncherMessage(UINT textId, UINT icon) {
    g_outsideWorld.messageBox(NULL, LoadTextTemp(textId), g_caption, icon);
}
