#pragma once

#include <windows.h>

// Whether another instance of the program already runs, from what
// CreateMutexW returned for the instance mutex and the last error right after
// it. An instance of the same user at the same integrity level makes the call
// report ERROR_ALREADY_EXISTS. One started as administrator runs at a higher
// integrity level, and its mutex refuses a lower one: the call fails with
// ERROR_ACCESS_DENIED. Any other failure leaves the program to run, unguarded.
bool AnotherInstanceRuns(HANDLE mutex, DWORD lastError);
