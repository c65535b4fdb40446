// What each step of a forward costs, in the benchmark's build alone
// (QUILLGATE_BENCH): every call below is empty in the product. With
// QUILLGATE_STEP_TIMES naming a file, the run appends one line to it:
// "<program> <step>=<microseconds> ..." in the order the steps first ran,
// each the sum of its times. QUILLGATE_BENCH_START, the timer's QueryPerformanceCounter value
// just before it created this process, adds the step "process start" (the
// loader and the imported libraries, up to WinMain).
#pragma once

#include <windows.h>

#ifdef QUILLGATE_BENCH
#include <shlwapi.h>
#include <stdlib.h>

namespace steptimes {

struct Step {
    const char* name;
    LONGLONG ticks;
};

struct Record {
    Step steps[24];
    int count;
    LONGLONG last;
};

inline Record& TheRecord() {
    static Record record;
    return record;
}

inline LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline void Add(const char* name, LONGLONG ticks) {
    Record& record = TheRecord();
    for (int i = 0; i < record.count; ++i) {
        if (lstrcmpA(record.steps[i].name, name) == 0) {
            record.steps[i].ticks += ticks;
            return;
        }
    }
    if (record.count < static_cast<int>(sizeof record.steps / sizeof record.steps[0])) {
        record.steps[record.count].name = name;
        record.steps[record.count++].ticks = ticks;
    }
}

// The first call: from the timer's start of this process to here.
inline void Begin() {
    Record& record = TheRecord();
    record.last = Now();
    char start[32];
    const DWORD length = GetEnvironmentVariableA("QUILLGATE_BENCH_START", start, sizeof start);
    if (length > 0 && length < sizeof start) {
        Add("process start", record.last - _atoi64(start));
    }
}

// The time since the previous mark goes to `name`.
inline void Mark(const char* name) {
    Record& record = TheRecord();
    const LONGLONG now = Now();
    Add(name, now - record.last);
    record.last = now;
}

// Appends the line, which begins with `program`.
inline void Write(const char* program) {
    char path[MAX_PATH];
    const DWORD pathLength = GetEnvironmentVariableA("QUILLGATE_STEP_TIMES", path, sizeof path);
    if (pathLength == 0 || pathLength >= sizeof path) {
        return;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    char line[1024];
    int used = wnsprintfA(line, sizeof line, "%s", program);
    const Record& record = TheRecord();
    for (int i = 0; i < record.count && used < static_cast<int>(sizeof line) - 64; ++i) {
        // Microseconds: wnsprintf has no floating point.
        const LONGLONG us = record.steps[i].ticks * 1000000 / frequency.QuadPart;
        char name[64];
        lstrcpynA(name, record.steps[i].name, sizeof name);
        for (char* c = name; *c; ++c) {
            *c = *c == ' ' ? '_' : *c; // blanks separate the steps
        }
        used += wnsprintfA(line + used, sizeof line - used, " %s=%lu", name,
                           static_cast<unsigned long>(us));
    }
    used += wnsprintfA(line + used, sizeof line - used, "\r\n");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(used), &written, NULL);
        CloseHandle(file);
    }
}

} // namespace steptimes

#define QUILLGATE_STEPS_BEGIN() steptimes::Begin()
#define QUILLGATE_STEP(name) steptimes::Mark(name)
#define QUILLGATE_STEPS_WRITE(program) steptimes::Write(program)
#else
#define QUILLGATE_STEPS_BEGIN() ((void)0)
#define QUILLGATE_STEP(name) ((void)0)
#define QUILLGATE_STEPS_WRITE(program) ((void)0)
#endif
