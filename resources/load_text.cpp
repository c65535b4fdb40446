#include "resources/load_text.h"

#include "resources/app_globals.h"

const char* LoadTextTemp(unsigned int id) {
    static char text[kLoadTextSize];
    if (LoadStringA(g_instance, id, text, sizeof text) == 0) {
        ZeroMemory(text, sizeof text); // never hand back the previous string
    }
    return text;
}
