#pragma once

#include <windows.h>

// Owns one open registry key and closes it when destroyed.
class CRegKey {
public:
    CRegKey() : key(NULL) {}
    virtual ~CRegKey();

protected:
    HKEY key;

private:
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
};
