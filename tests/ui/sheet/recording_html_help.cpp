#include "tests/ui/sheet/recording_html_help.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/settings/registry_guard.h"
#include "tests/support/wine_test_support.h"

namespace sheettest {
namespace {

const char kHtmlHelpServer[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

HMODULE g_recorder = NULL;

class RecordingHtmlHelp : public testing::Environment {
public:
    void SetUp() override {
        saved_.reset(new settingstest::KeySnapshot(HKEY_CLASSES_ROOT, kHtmlHelpServer));
        const std::string recorder = testsupport::ToolPath("help_recorder.dll");
        ASSERT_TRUE(
            testsupport::SetString(HKEY_CLASSES_ROOT, kHtmlHelpServer, NULL, recorder.c_str()));
        g_recorder = LoadLibraryA(recorder.c_str());
        ASSERT_NE(g_recorder, nullptr) << recorder;
    }
    void TearDown() override { saved_.reset(); }

private:
    std::unique_ptr<settingstest::KeySnapshot> saved_;
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
