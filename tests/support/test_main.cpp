// main() of every in-process test program: the product's globals are set as
// the entry point sets them, so LoadText reads this program's string table.
#include <gtest/gtest.h>

#include "resources/app_globals.h"
#include "resources/load_text.h"

int main(int argc, char** argv) {
    g_instance = GetModuleHandleA(NULL);
    lstrcpynA(g_caption, LoadText(1), sizeof g_caption);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
