#include <windows.h>

#include "resources/app_globals.h"
#include "resources/load_text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    lstrcpynA(g_caption, LoadText(1), sizeof g_caption);
    return 0;
}
