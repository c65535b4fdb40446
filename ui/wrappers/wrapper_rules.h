// The rules a wrapper's owner keeps: every Attach succeeds, and no wrapper dies
// while its window's messages still come through it. The product carries on
// when one is broken (a control that could not be attached only lacks its
// wrapper's behaviour); the test programs install a handler that fails the
// running test.
#pragma once

using WrapperRuleHandler = void (*)(const char* rule);

// Null in the product.
extern WrapperRuleHandler g_wrapperRuleBroken;

// Tells the installed handler, if any, which rule was broken.
void ReportBrokenWrapperRule(const char* rule);
