// Browsing for an editor from the Settings page. The open-file dialog is the
// real one, found and operated from the sheet's timer; what the page hands to
// it is also recorded through the GetOpenFileNameA seam, which then shows the
// dialog as usual.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include "resources/outside_world.h"
#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"
#include "tests/ui/sheet/sheet_session.h"
#include "ui/sheet/browse_for_editor.h"
#include "ui/sheet/sheet_libraries.h"

using namespace sheettest;

namespace {

struct GivenDialog {
    int calls = 0;
    DWORD structSize = 0;
    HWND owner = NULL;
    std::string filter; // with its NULs, up to the closing double NUL
    DWORD filterIndex = 0;
    std::string file;
    DWORD maxFile = 0;
    bool hasFileTitle = false;
    DWORD maxFileTitle = 0;
    std::string initialDir;
    std::string title;
    DWORD flags = 0;
    bool customFilter = false, defaultExtension = false, hook = false, dialogTemplate = false;
};

GivenDialog g_given;

BOOL WINAPI RecordAndShow(LPOPENFILENAMEA dialog) {
    ++g_given.calls;
    g_given.structSize = dialog->lStructSize;
    g_given.owner = dialog->hwndOwner;
    const char* end = dialog->lpstrFilter;
    while (end[0] || end[1]) {
        ++end;
    }
    g_given.filter.assign(dialog->lpstrFilter, end + 2);
    g_given.filterIndex = dialog->nFilterIndex;
    g_given.file = dialog->lpstrFile;
    g_given.maxFile = dialog->nMaxFile;
    g_given.hasFileTitle = dialog->lpstrFileTitle != NULL;
    g_given.maxFileTitle = dialog->nMaxFileTitle;
    g_given.initialDir = dialog->lpstrInitialDir ? dialog->lpstrInitialDir : "(null)";
    g_given.title = dialog->lpstrTitle ? dialog->lpstrTitle : "(null)";
    g_given.flags = dialog->Flags;
    g_given.customFilter = dialog->lpstrCustomFilter != NULL;
    g_given.defaultExtension = dialog->lpstrDefExt != NULL;
    g_given.hook = dialog->lpfnHook != NULL;
    g_given.dialogTemplate = dialog->lpTemplateName != NULL;
    return GetOpenFileNameA(dialog);
}

// What the open-file dialog shows.
struct ShownDialog {
    std::string title;
    std::string folder;
    std::string fileName;
    std::vector<std::string> filters;
};

HWND FileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, edt1);
    return field ? field : GetDlgItem(dialog, cmb13);
}

ShownDialog Read(HWND dialog) {
    ShownDialog shown;
    shown.title = uidriver::Text(dialog);
    char folder[MAX_PATH] = {0};
    SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    shown.folder = folder;
    shown.fileName = uidriver::Text(FileNameField(dialog));
    shown.filters = uidriver::ComboItems(GetDlgItem(dialog, cmb1));
    return shown;
}

bool SameFolder(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

class Browsing : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        g_given = GivenDialog();
        ASSERT_TRUE(LoadSheetLibraries());
        realGetOpenFileName_ = g_sheetLibraries.GetOpenFileNameA;
        g_sheetLibraries.GetOpenFileNameA = RecordAndShow;
        GetCurrentDirectoryA(sizeof savedDirectory_, savedDirectory_);
    }
    void TearDown() override {
        g_sheetLibraries.GetOpenFileNameA = realGetOpenFileName_;
        SetCurrentDirectoryA(savedDirectory_);
        SheetTest::TearDown();
    }

    // Clicks browse button `button`, waits for the open-file dialog and
    // hands it to `use`, which closes it.
    void Browse(int button, std::function<void(HWND)> use) {
        session.Do([this, button] { session.Click(button); }).WaitFor([this, use] {
            std::vector<HWND> dialogs = ThreadDialogs(session.Sheet());
            if (dialogs.empty()) {
                return false;
            }
            use(dialogs.front());
            return true;
        });
    }

    char savedDirectory_[MAX_PATH] = {0};
    BOOL(WINAPI* realGetOpenFileName_)(LPOPENFILENAMEA) = NULL;
};

std::string ProgramsFilter() {
    return testsupport::Localized("プログラム (*.exe)", "Programs (*.exe)");
}
std::string AllFilesFilter() {
    return testsupport::Localized("すべてのファイル (*.*)", "All Files (*.*)");
}
std::string AnsiFilter() {
    return ProgramsFilter() + '\0' + "*.exe" + '\0' + AllFilesFilter() + '\0' + "*.*" + '\0' + '\0';
}
std::string EditTitle() {
    return testsupport::Localized("編集用エディタの選択", "Edit Editor - Browse");
}
std::string PrintTitle() {
    return testsupport::Localized("印刷用エディタの選択", "Print Editor - Browse");
}

TEST_F(Browsing, StartsWhereTheEditorIsAndChoosingAProgramPutsItsFullPathInTheList) {
    testsupport::ScratchDir editors(testsupport::TempPath("browse-editors"));
    const std::string current = editors.Write("current.exe");
    const std::string chosen = editors.Write("chosen.exe");
    Store(kPaths, "CommonEditor", current);
    LoadSettings();
    ShownDialog shown;
    session.WaitForSheet();
    Browse(IDC_EDIT_EDITOR_BROWSE, [&](HWND dialog) {
        shown = Read(dialog);
        SetWindowTextA(FileNameField(dialog), chosen.c_str());
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    session.WaitFor([&] { return ThreadDialogs(session.Sheet()).empty(); }).Do([&] {
        EXPECT_EQ(lstrcmpiA(uidriver::Text(session.Item(IDC_EDIT_EDITOR)).c_str(), chosen.c_str()),
                  0)
            << uidriver::Text(session.Item(IDC_EDIT_EDITOR));
        EXPECT_TRUE(session.ApplyEnabled());
        session.PressButton(PSBTN_OK);
    });
    EXPECT_TRUE(session.Run());

    EXPECT_EQ(shown.title, EditTitle());
    EXPECT_TRUE(SameFolder(shown.folder, editors.Path())) << shown.folder;
    EXPECT_EQ(shown.fileName, "current.exe");
    EXPECT_EQ(shown.filters, (std::vector<std::string>{ProgramsFilter(), AllFilesFilter()}));
    EXPECT_EQ(lstrcmpiA(Stored(kPaths, "CommonEditor").c_str(), chosen.c_str()), 0);
}

TEST_F(Browsing, ThePageAsksForAnExistingProgramWithTheTwoFilters) {
    testsupport::ScratchDir editors(testsupport::TempPath("browse-given"));
    Store(kPaths, "PrinterEditor", editors.Write("printer.exe"));
    LoadSettings();
    session.WaitForSheet();
    Browse(IDC_PRINT_EDITOR_BROWSE,
           [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); });
    session.WaitFor([&] { return ThreadDialogs(session.Sheet()).empty(); }).Do([&] {
        EXPECT_EQ(g_given.owner, session.Page());
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());

    ASSERT_EQ(g_given.calls, 1);
    EXPECT_EQ(g_given.structSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A));
    EXPECT_EQ(g_given.filter, AnsiFilter());
    EXPECT_EQ(g_given.filterIndex, 1u);
    EXPECT_EQ(g_given.file, "printer.exe");
    EXPECT_EQ(g_given.maxFile, static_cast<DWORD>(MAX_PATH));
    EXPECT_TRUE(g_given.hasFileTitle);
    EXPECT_EQ(g_given.maxFileTitle, static_cast<DWORD>(MAX_PATH));
    EXPECT_TRUE(SameFolder(g_given.initialDir, editors.Path())) << g_given.initialDir;
    EXPECT_EQ(g_given.title, PrintTitle());
    EXPECT_EQ(g_given.flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_FALSE(g_given.customFilter || g_given.defaultExtension || g_given.hook ||
                 g_given.dialogTemplate);
}

TEST_F(Browsing, TheDefaultEditorIsLookedForOnTheSearchPath) {
    testsupport::ScratchDir here(testsupport::TempPath("browse-search"));
    here.Write(testsupport::kDefaultEditor);
    ASSERT_TRUE(SetCurrentDirectoryA(here.Path().c_str()));
    LoadSettings();
    ShownDialog shown;
    session.WaitForSheet();
    Browse(IDC_PRINT_EDITOR_BROWSE, [&](HWND dialog) {
        shown = Read(dialog);
        SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    session.WaitFor([&] { return ThreadDialogs(session.Sheet()).empty(); }).Do([&] {
        EXPECT_EQ(uidriver::Text(session.Item(IDC_PRINT_EDITOR)), testsupport::kDefaultEditor);
        EXPECT_FALSE(session.ApplyEnabled()) << "cancelling changes nothing";
        EXPECT_EQ(session.ChangedCount(), 0);
        session.PressButton(PSBTN_OK);
    });
    EXPECT_TRUE(session.Run());
    SetCurrentDirectoryA(savedDirectory_); // lets the scratch folder go

    EXPECT_EQ(shown.title, PrintTitle());
    EXPECT_TRUE(SameFolder(shown.folder, here.Path())) << shown.folder;
    EXPECT_EQ(shown.fileName, testsupport::kDefaultEditor);
}

TEST_F(Browsing, AnEditorThatIsNowhereGivesNoStartFolder) {
    Store(kPaths, "CommonEditor", "Z:\\no such folder\\missing.exe");
    LoadSettings();
    session.WaitForSheet();
    Browse(IDC_EDIT_EDITOR_BROWSE,
           [](HWND dialog) { SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); });
    session.WaitFor([&] { return ThreadDialogs(session.Sheet()).empty(); }).Do([&] {
        EXPECT_EQ(uidriver::Text(session.Item(IDC_EDIT_EDITOR)), "Z:\\no such folder\\missing.exe");
        session.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(session.Run());
    EXPECT_EQ(g_given.initialDir, "");
    EXPECT_EQ(g_given.file, "missing.exe");
}

} // namespace
