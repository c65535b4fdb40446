/* A module that loads but has no ordinal 14: HTML Help that cannot be used. */
#include <windows.h>

int WINAPI NotHtmlHelp(void) {
    return 0;
}
