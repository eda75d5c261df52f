#include "shell/capture_destination.h"

#include "output/save_folder_win32.h"

CaptureDestination CaptureDestinationFor(Settings const& settings, wchar_t const* programFolder, UiLanguage language)
{
    ResolvedFolder const folder = ResolveSaveFolder(settings.saveFolder, programFolder);
    CaptureDestination destination = {
        .mode = settings.saveMode != Automatic ? Manual : Automatic,
        .folder = folder.path,
        .folderError = folder.error,
        .ownFolder = !settings.saveFolder.empty(),
        .filterName = Text(UiText::PngFilter, language),
    };
    if (settings.timestampNames) {
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        destination.stamp = CaptureTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
    return destination;
}
