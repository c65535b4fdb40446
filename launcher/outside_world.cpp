#include "launcher/launcher_seam.h"

#include <shellapi.h>

#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "ui/sheet/settings_sheet.h"

LauncherSeam g_launcherSeam = {ShellExecuteA, ShellExecuteExA, MessageBoxA, RunSettingsSheet};

void ShowLauncherMessage(UINT textId, UINT icon) {
    g_launcherSeam.messageBox(NULL, LoadText(textId), g_caption, icon);
}
