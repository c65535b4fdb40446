// How help popups find HTML Help: the system folder's hhctrl.ocx by its full
// path, whatever is registered or lies in the current folder, and after a
// failed attempt never again. Each case runs in a probe process of its own,
// since the outcome of the first attempt lasts for the process.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/registry_guard.h"
#include "tests/support/wine_test_support.h"

using testsupport::ToolPath;

namespace {

const char kServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

class HelpLoading : public testing::Test {
protected:
    void SetUp() override {
        saved_.reset(new testsupport::KeySnapshot(HKEY_CLASSES_ROOT, kServerKey));
    }
    void TearDown() override { saved_.reset(); }

    // The probe's report, one line per popup asked for.
    std::vector<std::string> Probe(const std::vector<std::string>& commands) {
        testsupport::ScratchDir scratch(testsupport::TempPath("help-loading"));
        const std::string report = scratch.File("report.txt");
        std::string line = "\"" + ToolPath("help_loading_probe.exe") + "\" \"" + report + "\"";
        for (const std::string& command : commands) {
            line += " \"" + command + "\"";
        }
        // In the scratch folder, as Explorer starts a program in the opened file's.
        char folder[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof folder, folder);
        SetCurrentDirectoryA(scratch.Path().c_str());
        EXPECT_EQ(testsupport::RunProcess(line), 0) << line;
        SetCurrentDirectoryA(folder);
        std::vector<std::string> lines;
        std::string text = testsupport::ReadFile(report);
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }

    static std::string Server(const char* tool) { return "server=" + ToolPath(tool); }

    std::unique_ptr<testsupport::KeySnapshot> saved_;
};

TEST_F(HelpLoading, TheSystemsControlIsLoadedWhateverIsRegisteredOrPlanted) {
    EXPECT_EQ(
        Probe({Server("help_recorder.dll"), "plant=" + ToolPath("help_recorder.dll"), "show"}),
        (std::vector<std::string>{"calls=0 recorder=0 noentry=0 hhctrl=1 system=1"}));
}

TEST_F(HelpLoading, AStandInControlHasItsOrdinal14Called) {
    EXPECT_EQ(Probe({"standin=" + ToolPath("help_recorder.dll"), "show", "show"}),
              (std::vector<std::string>{"calls=1 recorder=1 noentry=0 hhctrl=0 system=0",
                                        "calls=2 recorder=1 noentry=0 hhctrl=0 system=0"}));
}

TEST_F(HelpLoading, AControlWithoutTheEntryIsAFailureNeverRetried) {
    EXPECT_EQ(Probe({"standin=" + ToolPath("no_help_entry.dll"), "show",
                     "standin=" + ToolPath("help_recorder.dll"), "show"}),
              (std::vector<std::string>{"calls=0 recorder=0 noentry=1 hhctrl=0 system=0",
                                        "calls=0 recorder=1 noentry=1 hhctrl=0 system=0"}));
}

TEST_F(HelpLoading, WhenNothingLoadsHelpStaysOffForTheProcess) {
    // Wine's per-program override: the probe may load no hhctrl.ocx at all.
    const char kOverrides[] = "Software\\Wine\\AppDefaults\\help_loading_probe.exe\\DllOverrides";
    testsupport::KeySnapshot overrides(HKEY_CURRENT_USER, kOverrides);
    ASSERT_TRUE(testsupport::SetString(HKEY_CURRENT_USER, kOverrides, "hhctrl.ocx", ""));
    EXPECT_EQ(Probe({"show", "show"}),
              (std::vector<std::string>{"calls=0 recorder=0 noentry=0 hhctrl=0 system=0",
                                        "calls=0 recorder=0 noentry=0 hhctrl=0 system=0"}));
}

} // namespace
