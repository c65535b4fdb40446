// Stands in for the shell's ShellExecuteA (g_outsideWorld.shellExecute) for
// its lifetime: every call is recorded, and answered as a successful start.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/outside_world.h"

namespace testsupport {

struct ShellCall {
    HWND owner;
    std::string verb; // "" for a null verb, as are parameters and folder
    std::string file;
    std::string parameters;
    std::string folder;
    bool noVerb, noParameters, noFolder;
    INT show;
};

class ShellExecuteRecorder {
public:
    // `seen`, when given, hears each call as it is made.
    explicit ShellExecuteRecorder(std::function<void(const ShellCall&)> seen = nullptr);
    ~ShellExecuteRecorder();
    ShellExecuteRecorder(const ShellExecuteRecorder&) = delete;
    ShellExecuteRecorder& operator=(const ShellExecuteRecorder&) = delete;

    const std::vector<ShellCall>& Calls() const { return calls_; }
    std::vector<std::string> Files() const; // what each call opened, in order
    void Clear() { calls_.clear(); }

private:
    static HINSTANCE WINAPI Record(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                   LPCSTR folder, INT show);
    decltype(OutsideWorld::shellExecute) earlier_;
    std::function<void(const ShellCall&)> seen_;
    std::vector<ShellCall> calls_;
};

} // namespace testsupport
