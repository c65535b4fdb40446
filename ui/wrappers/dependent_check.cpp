#include "ui/wrappers/dependent_check.h"

#include <stdlib.h>

DependentList::~DependentList() {
    free(records);
}

BOOL DependentList::Append(const DependentControl& record) {
    if (count == capacity) {
        const int grownCapacity = capacity ? capacity * 2 : 4;
        void* grown = realloc(records, grownCapacity * sizeof(DependentControl));
        if (!grown) {
            return FALSE;
        }
        records = static_cast<DependentControl*>(grown);
        capacity = grownCapacity;
    }
    records[count++] = record;
    return TRUE;
}

LRESULT CDependentCheck::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Before the box's own procedure runs, so the dependents follow even a
    // state it is about to take; indeterminate and unknown count as unchecked.
    if (msg == BM_SETCHECK) {
        UpdateDependents(wParam == BST_CHECKED);
    }
    return CWinBase::WindowProc(hwnd, msg, wParam, lParam);
}

void CDependentCheck::UpdateDependents(BOOL checked) {
    for (int i = 0; i < dependents.Count(); ++i) {
        const DependentControl& record = dependents[i];
        // The result is the earlier state, not an error.
        EnableWindow(record.control, record.enableWhenChecked ? checked : !checked);
    }
}
