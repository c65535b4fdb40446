// Windows starts "<Debugger> <command line>" in place of a program whose file
// name has a Debugger registered under Image File Execution Options, unless
// the program's creator debugs it. Replacements of Notepad take its place that
// way, so an editor setting that names the real Notepad can lead straight back
// to this program.
#pragma once

// Whether `program`, as a command line names it, is this program.
typedef bool (*ProgramTest)(const char* program);

// Whether a start of `editor` (a full path) would be handed to a program for
// which `isThisProgram` holds, by a registration in either registry view.
bool IsStartHandedTo(const char* editor, ProgramTest isThisProgram);
