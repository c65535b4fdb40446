#include "resources/app_globals.h"

HINSTANCE g_instance;
char g_caption[kCaptionSize];
