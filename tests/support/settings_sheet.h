// The settings sheet of another process, driven from outside as a user
// drives it (ui_driver.h says what each action sends): the page on display,
// that page's controls, and the sheet's own buttons. Results are returned,
// never asserted, so that tests and helper programs share it.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/ui_driver.h"

namespace uidriver {

class SettingsSheet {
public:
    // Waits for the process's sheet captioned "Quillgate" (0: any process's)
    // and takes the page it shows.
    bool Find(DWORD processId, DWORD timeoutMs = kDefaultTimeoutMs);
    // Takes `window` when it is a property sheet that names its page within
    // `replyMs` (not scaled: a probe that fails fast, for a process that a
    // debugger may hold).
    bool Take(HWND window, DWORD replyMs);

    HWND Window() const { return sheet_; }
    HWND Page() const { return page_; }
    DWORD ProcessId() const;
    HWND Item(int id) const { return GetDlgItem(page_, id); }
    std::string TextOf(int id) const { return Text(Item(id)); }
    std::wstring WideTextOf(int id) const { return TextWide(Item(id)); }
    bool ApplyEnabled() const;

    bool SelectPage(int index);
    bool Type(int id, const std::string& text) const { return uidriver::Type(Item(id), text); }
    // A button of the page that opens something modal (Browse): posted, as
    // the sheet's own buttons are.
    bool PressModal(int id) const;
    bool Press(SheetButton button) const { return uidriver::Press(sheet_, button); }

private:
    HWND sheet_ = NULL;
    HWND page_ = NULL;
};

// A program started to show the settings sheet (notepad.exe /setting), with
// exactly the given command line.
class SheetRun : public SettingsSheet {
public:
    explicit SheetRun(const std::string& commandLine) : program_(commandLine) {}

    Program& Process() { return program_; }
    bool FindSheet() { return Find(program_.Id()); }
    // Presses OK or Cancel and waits for the program's end: its exit code, or
    // -1 when the press failed or it did not end (StillOpen then says what
    // it still showed).
    int Close(SheetButton button);
    const std::string& StillOpen() const { return stillOpen_; }

private:
    Program program_;
    std::string stillOpen_;
};

} // namespace uidriver
