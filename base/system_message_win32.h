#pragma once

#include <windows.h>

#include <string>

// The system's own words for `error`, in the user's language, on one line;
// its number where the system has none, and nothing for ERROR_SUCCESS.
inline std::wstring SystemMessage(DWORD error)
{
    if (error == ERROR_SUCCESS)
        return {};
    wchar_t text[512] = {};
    DWORD const length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                        ARRAYSIZE(text), nullptr);
    std::wstring message(text, length);
    for (wchar_t& c : message)
        if (c == L'\r' || c == L'\n')
            c = L' ';
    message.erase(message.find_last_not_of(L' ') + 1);
    return message.empty() ? L"0x" + std::to_wstring(error) : message;
}
