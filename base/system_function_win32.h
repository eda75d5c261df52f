#pragma once

#include <windows.h>

// A function of a system library that not every supported Windows has,
// looked up by name rather than linked, so that the program still starts
// where it is missing: null there.
template <class Function>
Function LookUp(HMODULE module, char const* name)
{
    if (module == nullptr)
        return nullptr;
    // Through the one function pointer type that converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
