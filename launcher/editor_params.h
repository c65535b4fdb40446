#pragma once

#include <windows.h>

// The parameter string for one file: "/p " when `printFlag` is set, then
// `path` in double quotes, or its view-source copy when the file lies in the
// Internet cache and copies are switched on. One shared buffer, overwritten by
// the next call; NULL only when no memory could be had for it.
const char* BuildEditorParams(const char* path, BOOL printFlag);

// The Internet cache folder is looked up once per run of the launcher, on the
// first file that needs it; a new run starts by forgetting it.
void ForgetInternetCacheFolder();
