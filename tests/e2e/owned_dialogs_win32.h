#pragma once

#include "tests/e2e/program_process_win32.h"

#include <windows.h>

#include <string>

// The dialogs Lucidframe opens, found by their owner and class and answered
// through their controls.

// Waits for the Save dialog of a manual save: a window of its own, owned by
// nothing, so that it has a taskbar button and can come in front.
HWND WaitForSaveDialog(ProgramProcess const& app);

// Waits for the folder picker, which the hidden host window owns.
HWND WaitForFolderPicker(HWND host, ProgramProcess const& app);

// Types `path` into the file name box and presses Save; the folder picker
// takes a folder's path the same way.
void SaveAs(HWND dialog, std::wstring const& path);

// Presses Cancel.
void CancelDialog(HWND dialog);

// Closes the dialog from its title bar, as its close box does.
void CloseDialog(HWND dialog);

void WaitForDialogClosed(HWND dialog, ProgramProcess const& app);

// Waits for the dialog of "Set hot key".
HWND WaitForHotKeyDialog(HWND host, ProgramProcess const& app);

// Puts the key of a hot-key control's value (HKM_SETHOTKEY) into the dialog's
// control and presses OK.
void ChooseHotKey(HWND dialog, WORD hotKey);

// What the dialog's status line says, once it says anything.
std::wstring WaitForHotKeyDialogStatus(HWND dialog, ProgramProcess const& app);

// Waits for the message box titled `title`, returns its text and closes it.
std::wstring ReadAndCloseMessageBox(HWND host, wchar_t const* title, ProgramProcess const& app);
