#include "launcher/heap_text.h"

bool CHeapText::Allocate(size_t bytes) {
    Free();
    text = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1));
    size = text ? bytes : 0;
    return text != NULL;
}

bool CHeapText::Copy(const char* source) {
    size_t length = static_cast<size_t>(lstrlenA(source));
    if (!Allocate(length + 1)) {
        return false;
    }
    CopyMemory(text, source, length);
    return true;
}

void CHeapText::Free() {
    if (text) {
        HeapFree(GetProcessHeap(), 0, text);
    }
    text = NULL;
    size = 0;
}
