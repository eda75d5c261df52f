#include "shell/single_instance.h"

bool AnotherInstanceRuns(HANDLE mutex, DWORD lastError)
{
    return lastError == ERROR_ALREADY_EXISTS || (mutex == nullptr && lastError == ERROR_ACCESS_DENIED);
}
