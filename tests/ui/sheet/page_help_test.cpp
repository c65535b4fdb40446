// Context help on the Settings page: the "?" then a click on a control sends
// the page WM_HELP, and the control's text pops up through HTML Help. In this
// program HTML Help is a recording stand-in: the HTML Help control's
// registration points at it before anything asks for help.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include "resources/load_text.h"
#include "resources/resource_ids.h"
#include "tests/support/wine_test_support.h"
#include "tests/ui/sheet/recording_html_help.h"
#include "tests/ui/sheet/sheet_session.h"

using namespace sheettest;

namespace {

class PageHelp : public SheetTest {
protected:
    // Asks for help on each control as a user does, and returns what HTML
    // Help was given for each.
    std::vector<HelpRecord> HelpOn(std::vector<int> ids) {
        LoadSettings();
        const size_t before = sheettest::RecordedHelpCalls().size();
        session.WaitForSheet().Do([&] {
            for (size_t i = 0; i < ids.size(); ++i) {
                HELPINFO help = {};
                help.cbSize = sizeof help;
                help.iContextType = HELPINFO_WINDOW;
                help.iCtrlId = ids[i];
                help.hItemHandle = session.Item(ids[i]);
                help.MousePos.x = 100 + static_cast<LONG>(i);
                help.MousePos.y = 200 + static_cast<LONG>(i);
                SendMessageA(session.Page(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
            }
            controls_.clear();
            for (int id : ids) {
                controls_.push_back(session.Item(id));
            }
            session.PressButton(PSBTN_CANCEL);
        });
        EXPECT_TRUE(session.Run());
        std::vector<HelpRecord> calls = sheettest::RecordedHelpCalls();
        calls.erase(calls.begin(), calls.begin() + before);
        return calls;
    }

    std::vector<HWND> controls_;
};

TEST_F(PageHelp, TheGroupBoxesShareTheTextThatExplainsTheOthers) {
    std::vector<HelpRecord> calls =
        HelpOn({IDC_EDITORS_GROUP, IDC_SOURCE_GROUP, IDC_UNKNOWN_GROUP});
    ASSERT_EQ(calls.size(), 3u);
    const std::string groupHelp = LoadTextTemp(IDS_GROUP_HELP);
    ASSERT_FALSE(groupHelp.empty());
    for (const HelpRecord& call : calls) {
        EXPECT_EQ(call.text, groupHelp);
    }
}

TEST_F(PageHelp, AControlShowsTheStringOfItsOwnId) {
    const std::vector<int> ids = {IDC_EDIT_EDITOR,    IDC_EDIT_EDITOR_BROWSE, IDC_PRINT_EDITOR,
                                  IDC_EXTENSION_FLAG, IDC_EXTENSION,          IDC_UNKNOWN_ASSOCIATE,
                                  IDC_MENU_TEXT};
    std::vector<HelpRecord> calls = HelpOn(ids);
    ASSERT_EQ(calls.size(), ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(std::string(calls[i].text), LoadTextTemp(ids[i])) << ids[i];
        EXPECT_FALSE(std::string(calls[i].text).empty()) << ids[i];
    }
}

TEST_F(PageHelp, TheLabelsHaveAnEmptyPopup) {
    std::vector<HelpRecord> calls = HelpOn({IDC_EDIT_EDITOR_LABEL, IDC_PRINT_EDITOR_LABEL});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_STREQ(calls[0].text, "");
    EXPECT_STREQ(calls[1].text, "");
}

TEST_F(PageHelp, ThePopupIsAPlainTextPopupAtTheMouseForTheControl) {
    std::vector<HelpRecord> calls = HelpOn({IDC_SOURCE_GROUP, IDC_EXTENSION_FLAG});
    ASSERT_EQ(calls.size(), 2u);
    for (size_t i = 0; i < calls.size(); ++i) {
        const HelpRecord& call = calls[i];
        EXPECT_EQ(call.caller, controls_[i]);
        EXPECT_TRUE(call.fileWasNull);
        EXPECT_EQ(call.command, static_cast<UINT>(HH_DISPLAY_TEXT_POPUP));
        EXPECT_EQ(call.size, static_cast<int>(sizeof(HH_POPUP)));
        EXPECT_EQ(call.instance, GetModuleHandleA(NULL));
        EXPECT_EQ(call.stringId, 0u);
        EXPECT_EQ(call.point.x, 100 + static_cast<LONG>(i));
        EXPECT_EQ(call.point.y, 200 + static_cast<LONG>(i));
        EXPECT_EQ(call.foreground, static_cast<COLORREF>(-1));
        EXPECT_EQ(call.background, static_cast<COLORREF>(-1));
        EXPECT_EQ(call.margins.left, -1);
        EXPECT_EQ(call.margins.top, -1);
        EXPECT_EQ(call.margins.right, -1);
        EXPECT_EQ(call.margins.bottom, -1);
        EXPECT_TRUE(call.fontWasNull);
    }
}

} // namespace
