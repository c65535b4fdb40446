// A check box that enables and disables other controls by its check state. It
// watches BM_SETCHECK, which an automatic check box also sends itself on a
// click, so the program's own setting and the user's clicks are both followed.
#pragma once

#include <windows.h>

#include "ui/wrappers/win_base.h"

struct DependentControl {
    HWND control;
    BOOL enableWhenChecked; // 0: enabled while the box is not checked
};

static_assert(sizeof(DependentControl) == 8, "a handle and a 32-bit BOOL");

// The records in the order they were appended; released as a whole.
class DependentList {
public:
    DependentList() {}
    DependentList(const DependentList&) = delete;
    DependentList& operator=(const DependentList&) = delete;
    ~DependentList();

    // 0 when there is no memory for one more record; the list is then unchanged.
    BOOL Append(const DependentControl& record);
    int Count() const { return count; }
    const DependentControl& operator[](int index) const { return records[index]; }

private:
    DependentControl* records = NULL;
    int count = 0;
    int capacity = 0;
};

class CDependentCheck : public CWinBase {
public:
    // Filled by the owner after Attach and before its first BM_SETCHECK; a
    // control listed twice takes the state of its later record.
    DependentList dependents;

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // checked is 0 or 1. Changes no state of the box itself.
    void UpdateDependents(BOOL checked);
};
