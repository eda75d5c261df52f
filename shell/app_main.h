#pragma once

#include <windows.h>

// The program's main routine: single-instance guard, paths, settings, GDI+,
// then the hidden host window until the program ends. Returns the exit code.
int AppMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine, int showCommand);
