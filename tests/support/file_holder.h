#pragma once

#include <string>

// The event that lucidframe-file-holder with this process id creates once it
// watches its folder.
inline std::wstring FileHolderReadyEvent(unsigned long processId)
{
    return L"Local\\lucidframe-file-holder-" + std::to_wstring(processId);
}
