#pragma once

#include <windows.h>

#include "ui/sheet/about_page.h"
#include "ui/sheet/settings_page.h"
#include "ui/sheet/settings_sheet.h"
#include "ui/sheet/status_page.h"
#include "ui/wrappers/win_base.h"

// Owns the three pages for one run of the sheet. It is never attached to a
// window itself; the pages are bound to their dialogs by PageDialogProc.
class CSettingsSheet : public CWinBase {
public:
    explicit CSettingsSheet(FindEditorInEffect findEditor) : statusPage(findEditor) {}

    // From the process heap, not the C++ runtime's operator new, whose
    // exception machinery would double the program's size. Null when out of
    // memory; the sheet is then not shown.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* sheet) noexcept;

    // Shows the modal sheet, Settings first, and returns when it is closed:
    // true when OK, or an Apply before Cancel, saved its settings.
    bool Run();

private:
    CSettingsPage settingsPage;
    CStatusPage statusPage;
    CAboutPage aboutPage;
};
