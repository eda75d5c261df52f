#include "shell/capture_delivery.h"

#include "capture/capture_trace.h"
#include "output/clipboard_win32.h"
#include "output/save_capture_win32.h"
#include "png/png_writer.h"

#include <string>
#include <vector>

namespace {

// The system's own words for `error`, in the user's language, on one line.
std::wstring SystemMessage(DWORD error)
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

// What the user is told of a file that was, or was not, saved.
CaptureOutcome OutcomeOf(CaptureSave const& save, SaveMode mode)
{
    CaptureOutcome outcome = {.status = CaptureStatus::SaveFailed, .fileName = save.file.filename().wstring()};
    switch (save.result) {
    case CaptureSave::Saved:
        outcome.status = mode == Automatic ? CaptureStatus::Saved : CaptureStatus::SavedThroughDialog;
        // A click on the balloon that names the file shows it in its folder.
        if (mode == Automatic)
            outcome.savedFile = save.file.wstring();
        break;
    case CaptureSave::Cancelled:
        outcome.status = CaptureStatus::DialogCancelled;
        break;
    case CaptureSave::Failed:
        outcome.reason = SystemMessage(save.error);
        break;
    }
    return outcome;
}

} // namespace

CaptureOutcome DeliverCapture(HWND ownerWindow, HWND targetWindow, std::uint32_t const* pixels, std::int32_t width,
                              std::int32_t height, Settings const& settings, wchar_t const* programFolder)
{
    // One encode serves the file and the clipboard.
    std::vector<std::uint8_t> const png = EncodePng(pixels, width, height);
    NoteCaptureStep(CaptureStep::Encoded);
    if (png.empty())
        return {.status = CaptureStatus::SaveFailed, .reason = SystemMessage(ERROR_NOT_ENOUGH_MEMORY)};
    ClipboardStatus clipboard = ClipboardStatus::Untouched;
    auto const copy = [&] {
        if (settings.copyToClipboard)
            clipboard = CopyCaptureToClipboard(ownerWindow, png, pixels, width, height);
        NoteCaptureStep(CaptureStep::OnClipboard);
    };
    // The clipboard comes before the Save dialog, so that a capture whose
    // dialog is cancelled still reaches the user, and after an automatic
    // save, whose file the user waits for.
    SaveMode const mode = settings.saveMode != Automatic ? Manual : Automatic;
    if (mode == Manual)
        copy();
    CaptureOutcome outcome = OutcomeOf(SaveCaptureFile(mode, programFolder, ownerWindow, targetWindow, png), mode);
    NoteCaptureStep(CaptureStep::FileWritten);
    if (mode == Automatic)
        copy();
    outcome.clipboard = clipboard;
    return outcome;
}
