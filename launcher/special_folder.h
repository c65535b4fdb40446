#pragma once

// The file-system path of shell special folder `csidl` in one shared buffer
// that the next call overwrites; "" when the folder cannot be located.
const char* GetSpecialFolderPath(int csidl);
