#include "ui/wrappers/dependent_check.h"

#include <stdlib.h>

DependentList::~DependentList() {
    free(m_records);
}

BOOL DependentList::Append(const DependentControl& record) {
    if (m_count == m_capacity) {
        const int capacity = m_capacity ? m_capacity * 2 : 4;
        void* grown = realloc(m_records, capacity * sizeof(DependentControl));
        if (!grown) {
            return FALSE;
        }
        m_records = static_cast<DependentControl*>(grown);
        m_capacity = capacity;
    }
    m_records[m_count++] = record;
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
