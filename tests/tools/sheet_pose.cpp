// Poses the settings sheet for a screenshot (scripts/screenshots.sh). Finds
// the sheet captioned "Quillgate" of whichever process shows it, then:
//   sheet_pose <page>   shows that page (0 Settings, 1 Status, 2 About) and prints the
//                       sheet window's rectangle as WxH+X+Y
//   sheet_pose close    presses Cancel
// Exits with 1 when there is no sheet or it does not answer.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "tests/support/settings_sheet.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: sheet_pose <page index> | close\n");
        return 2;
    }
    uidriver::SettingsSheet sheet;
    if (!sheet.Find(0, timelimits::kProcessMs)) {
        fprintf(stderr, "sheet_pose: no settings sheet\n");
        return 1;
    }
    if (lstrcmpA(argv[1], "close") == 0) {
        return sheet.Press(uidriver::kCancel) ? 0 : 1;
    }
    const int page = atoi(argv[1]);
    if (!sheet.SelectPage(page) || uidriver::CurrentPageIndex(sheet.Window()) != page) {
        fprintf(stderr, "sheet_pose: page %d not shown\n", page);
        return 1;
    }
    RECT area = {};
    GetWindowRect(sheet.Window(), &area);
    printf("%ldx%ld+%ld+%ld\n", area.right - area.left, area.bottom - area.top, area.left,
           area.top);
    return 0;
}
