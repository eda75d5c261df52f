#include "shell/capture_delivery.h"

#include "base/system_message_win32.h"
#include "capture/capture_trace.h"
#include "output/clipboard_win32.h"
#include "png/png_writer.h"

#include <vector>

namespace {

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
                              std::int32_t height, Settings const& settings, CaptureDestination const& destination)
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
    SaveMode const mode = destination.mode;
    if (mode == Manual)
        copy();
    CaptureOutcome outcome = OutcomeOf(SaveCaptureFile(destination, targetWindow, png), mode);
    NoteCaptureStep(CaptureStep::FileWritten);
    if (mode == Automatic)
        copy();
    outcome.clipboard = clipboard;
    return outcome;
}
