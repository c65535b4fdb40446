// HTML Help as a recording stand-in for a whole test program: the HTML Help
// control's registration points at help_recorder.dll before anything asks for
// help, and is put back afterwards. Linking this file installs it.
#pragma once

#include <vector>

#include "tests/ui/sheet/help_modules/help_record.h"

namespace sheettest {

// Every popup the program has asked HTML Help for, oldest first.
std::vector<HelpRecord> RecordedHelpCalls();

} // namespace sheettest
