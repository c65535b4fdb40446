#include "launcher/argument_scan.h"

#include "launcher/command_line.h"

ArgumentScanResult ScanArguments(const char* arguments, LeadByteTest isLeadByte,
                                 SwitchTest isSwitch, char* joined, char* scratch, size_t capacity,
                                 bool* print) {
    *print = false;
    if (capacity == 0) {
        return kArgumentsTooLong;
    }
    joined[0] = '\0';
    size_t used = 0;
    size_t dropNext = 0;      // arguments still to drop after /z or /pt's file
    bool printToFile = false; // the next argument is the file of /pt
    const char* cursor = arguments;
    for (;;) {
        size_t length = 0;
        ArgumentRead read = ReadArgument(&cursor, isLeadByte, scratch, capacity, &length);
        if (read == kNoMoreArguments) {
            return kLaunch;
        }
        if (read == kArgumentTooLong) {
            return kArgumentsTooLong;
        }
        if (dropNext > 0) {
            --dropNext;
            continue;
        }
        if (printToFile) {
            printToFile = false;
            dropNext = 3; // printer, driver, port
        } else if (isSwitch(scratch, "/setting")) {
            return kRunSettings;
        } else if (isSwitch(scratch, "/p")) {
            *print = true; // anywhere, any number of times
            continue;
        } else if (isSwitch(scratch, "/pt")) {
            *print = true;
            printToFile = true;
            continue;
        } else if (isSwitch(scratch, "/z")) {
            dropNext = 1;
            continue;
        } else if (isSwitch(scratch, "/a") || isSwitch(scratch, "/w") ||
                   isSwitch(scratch, "/.setup")) {
            continue;
        }
        size_t blank = used > 0 ? 1 : 0;
        if (used + blank + length + 1 > capacity) {
            return kArgumentsTooLong;
        }
        if (blank) {
            joined[used++] = ' ';
        }
        for (size_t i = 0; i < length; ++i) {
            joined[used++] = scratch[i];
        }
        joined[used] = '\0';
    }
}
