#include "capture/display_affinity_win32.h"

#include "base/system_function_win32.h"

std::optional<std::uint32_t> DisplayAffinityOf(HWND window)
{
    // Looked up rather than linked: Windows Vista has none, and the program
    // must start there.
    using GetWindowDisplayAffinityFunction = BOOL(WINAPI*)(HWND, DWORD*);
    static auto const getAffinity =
        LookUp<GetWindowDisplayAffinityFunction>(GetModuleHandleW(L"user32.dll"), "GetWindowDisplayAffinity");
    DWORD affinity = 0;
    if (getAffinity == nullptr || !getAffinity(window, &affinity))
        return std::nullopt;
    return affinity;
}
