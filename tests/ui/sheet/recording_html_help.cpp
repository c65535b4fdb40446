#include "tests/ui/sheet/recording_html_help.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/wine_test_support.h"
#include "ui/sheet/help_popup.h"

namespace sheettest {
namespace {

HMODULE g_recorder = NULL;

class RecordingHtmlHelp : public testing::Environment {
public:
    void SetUp() override {
        const std::string recorder = testsupport::ToolPath("help_recorder.dll");
        g_recorder = LoadLibraryA(recorder.c_str());
        ASSERT_NE(g_recorder, nullptr) << recorder;
        UseHtmlHelpControl(g_recorder);
    }
};

testing::Environment* const g_recording = testing::AddGlobalTestEnvironment(new RecordingHtmlHelp);

} // namespace

std::vector<HelpRecord> RecordedHelpCalls() {
    auto count = reinterpret_cast<RecordedHelpCountFunction>(
        reinterpret_cast<void*>(GetProcAddress(g_recorder, "RecordedHelpCount")));
    auto at = reinterpret_cast<RecordedHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(g_recorder, "RecordedHelp")));
    std::vector<HelpRecord> calls;
    for (int i = 0; count && at && i < count(); ++i) {
        calls.push_back(*at(i));
    }
    return calls;
}

} // namespace sheettest
