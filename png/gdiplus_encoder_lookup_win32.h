#pragma once

#include <windows.h>

// Index of the first GDI+ image encoder whose MIME type equals `mimeType`
// exactly (case-sensitive), with its CLSID copied to `clsidOut`; -1, with
// `clsidOut` untouched, when none matches or the list cannot be had.
int FindEncoderClsid(const wchar_t* mimeType, CLSID* clsidOut);
