// A wrapper that notes every message it is handed, for the wrapper tests.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/wrappers/win_base.h"

struct SeenMessage {
    UINT msg;
    LPARAM lParam;
    bool attached; // the window's messages came through this object
};

class Probe : public CWinBase {
public:
    // A page answers like a dialog procedure and never calls the base.
    bool actsAsPage = false;
    std::function<void(HWND, UINT)> onMessage;
    std::vector<SeenMessage> seen;

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({msg, lParam, Attached() != FALSE});
        if (onMessage) {
            onMessage(hwnd, msg);
        }
        if (actsAsPage) {
            return msg == WM_INITDIALOG;
        }
        return CWinBase::WindowProc(hwnd, msg, wParam, lParam);
    }

    bool Saw(UINT msg) const {
        for (const SeenMessage& m : seen) {
            if (m.msg == msg) {
                return true;
            }
        }
        return false;
    }
};
