#pragma once

#include <objbase.h>

// The shell's dialogs and folder windows run on the calling thread's COM
// apartment: it is entered for as long as the object lives, and left again
// only where this object entered it.
class ComApartment {
public:
    ComApartment() : m_initialised(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(m_initialised))
            CoUninitialize();
    }
    ComApartment(ComApartment const&) = delete;
    ComApartment& operator=(ComApartment const&) = delete;

private:
    HRESULT m_initialised;
};
