// A zero-filled working buffer from the process heap, sized to what it must
// hold and freed when it goes out of scope.
#pragma once

#include <windows.h>

class CHeapText {
public:
    CHeapText() : text(NULL), size(0) {}
    ~CHeapText() { Free(); }

    // A fresh zero-filled buffer of `bytes` bytes; false when none could be had.
    bool Allocate(size_t bytes);
    // A copy of `source`, NUL included.
    bool Copy(const char* source);
    void Free();

    char* Get() const { return text; }
    size_t Size() const { return size; }

private:
    CHeapText(const CHeapText&);
    CHeapText& operator=(const CHeapText&);

    char* text;
    size_t size;
};
