#include "tests/support/shell_execute_recorder.h"

namespace testsupport {

namespace {
ShellExecuteRecorder* g_current = nullptr;
}

ShellExecuteRecorder::ShellExecuteRecorder(std::function<void(const ShellCall&)> seen)
    : earlier_(g_outsideWorld.shellExecute), seen_(std::move(seen)) {
    g_current = this;
    g_outsideWorld.shellExecute = Record;
}

ShellExecuteRecorder::~ShellExecuteRecorder() {
    g_outsideWorld.shellExecute = earlier_;
    g_current = nullptr;
}

std::vector<std::string> ShellExecuteRecorder::Files() const {
    std::vector<std::string> files;
    for (const ShellCall& call : calls_) {
        files.push_back(call.file);
    }
    return files;
}

HINSTANCE WINAPI ShellExecuteRecorder::Record(HWND owner, LPCSTR verb, LPCSTR file,
                                              LPCSTR parameters, LPCSTR folder, INT show) {
    ShellCall call = {owner,
                      verb ? verb : "",
                      file ? file : "",
                      parameters ? parameters : "",
                      folder ? folder : "",
                      verb == nullptr,
                      parameters == nullptr,
                      folder == nullptr,
                      show};
    if (g_current) {
        g_current->calls_.push_back(call);
        if (g_current->seen_) {
            g_current->seen_(g_current->calls_.back());
        }
    }
    // More than 32: started.
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

} // namespace testsupport
