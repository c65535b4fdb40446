#include "launcher/ansi_text.h"

#include <windows.h>

#include "launcher/heap_text.h"

bool AnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

bool AnsiSwitchEquals(const char* argument, const char* name) {
    return lstrcmpiA(argument, name) == 0;
}

bool AnsiSameTextIgnoringCase(const char* a, const char* b, size_t length) {
    if (length > MAXDWORD) {
        return false;
    }
    CHeapText upperA, upperB;
    if (!upperA.Allocate(length + 1) || !upperB.Allocate(length + 1)) {
        return false;
    }
    CopyMemory(upperA.Get(), a, length);
    CopyMemory(upperB.Get(), b, length);
    CharUpperBuffA(upperA.Get(), static_cast<DWORD>(length));
    CharUpperBuffA(upperB.Get(), static_cast<DWORD>(length));
    return RtlEqualMemory(upperA.Get(), upperB.Get(), length);
}
