// main() of every in-process test program: the product's globals are set as
// the entry point sets them, so LoadTextTemp reads this program's string table,
// and a broken wrapper rule fails the running test.
#include <gtest/gtest.h>

#include "resources/app_globals.h"
#include "resources/load_text.h"
#include "ui/wrappers/wrapper_rules.h"

namespace {

void FailOnBrokenWrapperRule(const char* rule) {
    ADD_FAILURE() << "window wrapper: " << rule;
}

} // namespace

int main(int argc, char** argv) {
    g_instance = GetModuleHandleA(NULL);
    lstrcpynA(g_caption, LoadTextTemp(1), sizeof g_caption);
    g_wrapperRuleBroken = FailOnBrokenWrapperRule;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
