#pragma once

#include "tests/e2e/program_process_win32.h"

#include <windows.h>

#include <string>

// The dialogs Lucidframe opens over its hidden host window, found by their
// owner and class and answered through their controls.

// Waits for the Save dialog of a manual save.
HWND WaitForSaveDialog(HWND host, ProgramProcess const& app);

// Types `path` into the file name box and presses Save.
void SaveAs(HWND dialog, std::wstring const& path);

// Presses Cancel.
void CancelDialog(HWND dialog);

void WaitForDialogClosed(HWND dialog, ProgramProcess const& app);

// Waits for the message box titled `title`, returns its text and closes it.
std::wstring ReadAndCloseMessageBox(HWND host, wchar_t const* title, ProgramProcess const& app);
