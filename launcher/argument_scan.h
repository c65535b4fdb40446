// The program's arguments: the switches, and every other argument joined with
// single blanks (the runtime split unquoted paths apart at their blanks).
// Besides "/setting" and "/p" it takes Notepad's other switches, so that
// none of them reaches an editor as a file:
//   /z X              X is dropped (a debugger registration passes the path
//                     of the Notepad it stands in for)
//   /pt F P D O       the print road with file F; printer, driver and port
//                     are dropped, as the print editor prints where it prints
//   /a, /w, /.setup   ignored
#pragma once

#include <stddef.h>

#include "launcher/lead_byte.h"

// True when `argument` is the switch `name`, case ignored.
typedef bool (*SwitchTest)(const char* argument, const char* name);

enum ArgumentScanResult {
    kRunSettings,     // "/setting" was among the arguments: nothing else counts
    kLaunch,          // `joined` holds the file arguments, `print` tells whether "/p" was seen
    kArgumentsTooLong // a buffer was smaller than the text needs
};

// `arguments` is the command line after the program's name. `joined` and
// `scratch` hold `capacity` bytes each; the length of `arguments` plus one is
// always enough, since joining never makes the text longer.
ArgumentScanResult ScanArguments(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, char* joined, char* scratch, size_t capacity,
                                 bool* print);
