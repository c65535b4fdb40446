// Times two programs against each other, alternating A B A B, from inside
// Wine so that Wine's own start-up from the Unix shell is not measured.
//   hop_timer.exe CASES PAIRS WARMUP
// CASES holds blocks of three lines:
//   case <name> [window]      "window": time until a visible "Quillgate" sheet, then close it
//   A <command line>
//   B <command line>
// hop_timer.exe --cache-folder prints the Internet cache folder.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <stdio.h>
#include <string>
#include <vector>

#include "tests/support/time_limits.h"

namespace {

struct Case {
    std::string name;
    bool untilWindow = false;
    std::string a, b;
};

double g_ticksPerMs;
bool g_stepTimes; // QUILLGATE_STEP_TIMES is set: the programs time their steps

double Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart / g_ticksPerMs;
}

HWND FindSheet(DWORD processId) {
    HWND found = NULL;
    for (HWND w = FindWindowA("#32770", "Quillgate"); w && !found;
         w = FindWindowExA(NULL, w, "#32770", "Quillgate")) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == processId && IsWindowVisible(w)) {
            found = w;
        }
    }
    return found;
}

// Milliseconds from start to exit (or to a visible sheet); negative on failure.
double TimeOnce(const std::string& commandLine, bool untilWindow) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    const double start = ticks.QuadPart / g_ticksPerMs;
    if (g_stepTimes) {
        // The programs count their own start from here (launcher/step_times.h).
        char text[32];
        wsprintfA(text, "%I64d", ticks.QuadPart);
        SetEnvironmentVariableA("QUILLGATE_BENCH_START", text);
    }
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        return -1;
    }
    double elapsed = -1;
    if (untilWindow) {
        const DWORD limit = timelimits::Scaled(timelimits::kProcessMs);
        for (DWORD begin = GetTickCount(); GetTickCount() - begin < limit && elapsed < 0;) {
            HWND sheet = FindSheet(process.dwProcessId);
            if (sheet) {
                elapsed = Now() - start;
                PostMessageA(sheet, WM_CLOSE, 0, 0);
            } else if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
                break;
            }
        }
        if (WaitForSingleObject(process.hProcess, timelimits::Scaled(timelimits::kWindowMs)) !=
            WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
        }
    } else if (WaitForSingleObject(process.hProcess, timelimits::Scaled(timelimits::kProcessMs)) ==
               WAIT_OBJECT_0) {
        elapsed = Now() - start;
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<Case> ReadCases(const char* path) {
    std::vector<Case> cases;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("case ", 0) == 0) {
            Case c;
            c.name = line.substr(5);
            size_t window = c.name.find(" window");
            if (window != std::string::npos) {
                c.untilWindow = true;
                c.name.erase(window);
            }
            cases.push_back(c);
        } else if (!cases.empty() && line.rfind("A ", 0) == 0) {
            cases.back().a = line.substr(2);
        } else if (!cases.empty() && line.rfind("B ", 0) == 0) {
            cases.back().b = line.substr(2);
        }
    }
    return cases;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && lstrcmpA(argv[1], "--cache-folder") == 0) {
        char folder[MAX_PATH] = {0};
        if (!SHGetSpecialFolderPathA(NULL, folder, CSIDL_INTERNET_CACHE, TRUE)) {
            return 1;
        }
        printf("%s\n", folder);
        return 0;
    }
    if (argc < 4) {
        fprintf(stderr, "usage: hop_timer CASES PAIRS WARMUP\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_ticksPerMs = frequency.QuadPart / 1000.0;
    g_stepTimes = GetEnvironmentVariableA("QUILLGATE_STEP_TIMES", NULL, 0) != 0;
    int pairs = atoi(argv[2]);
    int warmup = atoi(argv[3]);
    int failures = 0;
    printf("%-26s %10s %10s %8s %8s %8s\n", "case", "A median", "B median", "ratio", "min", "max");
    for (const Case& c : ReadCases(argv[1])) {
        for (int i = 0; i < warmup; ++i) {
            TimeOnce(c.a, c.untilWindow);
            TimeOnce(c.b, c.untilWindow);
        }
        std::vector<double> a, b, ratio;
        for (int i = 0; i < pairs; ++i) {
            double ta = TimeOnce(c.a, c.untilWindow);
            double tb = TimeOnce(c.b, c.untilWindow);
            if (ta < 0 || tb <= 0) {
                ++failures;
                continue;
            }
            a.push_back(ta);
            b.push_back(tb);
            ratio.push_back(ta / tb);
        }
        if (ratio.empty()) {
            printf("%-26s failed\n", c.name.c_str());
            continue;
        }
        printf("%-26s %8.1fms %8.1fms %8.3f %8.3f %8.3f\n", c.name.c_str(), Median(a), Median(b),
               Median(ratio), *std::min_element(ratio.begin(), ratio.end()),
               *std::max_element(ratio.begin(), ratio.end()));
        fflush(stdout);
    }
    return failures ? 1 : 0;
}
