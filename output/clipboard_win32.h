#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "output/clipboard_status.h"

// Puts a finished capture on the clipboard, owned by `owner`, in three
// formats and no others, in this order: the registered format "PNG" holding
// `png`, the bytes of its file, which Office, Paint.NET and GIMP read with
// their alpha; CF_DIBV5 with straight alpha; CF_DIB laid over white, for
// programs that ignore alpha (clipboard_image.h). Another program that holds
// the clipboard is waited for, about a quarter of a second.
//
// "PNG" is put there at once, so that it outlives the program; the bitmaps
// are only promised: each is made when a program first asks for it, from a
// copy of the capture kept until another owner empties the clipboard. The owner's window procedure hands WM_RENDERFORMAT to
// RenderClipboardFormat, WM_RENDERALLFORMATS to RenderAllClipboardFormats
// and WM_DESTROYCLIPBOARD to ForgetClipboardCapture.
ClipboardStatus CopyCaptureToClipboard(HWND owner, std::span<const std::uint8_t> png, const std::uint32_t* pixels,
                                       std::int32_t width, std::int32_t height);

// Makes one promised format, for the program that asked, while it holds the
// clipboard open.
void RenderClipboardFormat(UINT format);

// Makes every promised format before `owner` goes, so that what it put on the
// clipboard stays there.
void RenderAllClipboardFormats(HWND owner);

// Lets go of the kept capture: the clipboard holds something else now.
void ForgetClipboardCapture();
