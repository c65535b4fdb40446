#pragma once

// Whether this process runs with an administrator's full token. Any
// unelevated program of the user can change the user's settings and files, so
// what such a process runs or changes is taken from the machine alone.
bool IsElevated();
