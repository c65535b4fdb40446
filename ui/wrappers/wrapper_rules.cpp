#include "ui/wrappers/wrapper_rules.h"

#include <stddef.h>

WrapperRuleHandler g_wrapperRuleBroken = NULL;

void ReportBrokenWrapperRule(const char* rule) {
    if (g_wrapperRuleBroken) {
        g_wrapperRuleBroken(rule);
    }
}
