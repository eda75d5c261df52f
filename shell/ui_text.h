#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The language of the tray menu, the dialogs and the balloons. The settings
// file's section and keys are Chinese in every language: stored files rely
// on them.
enum class UiLanguage : std::uint8_t {
    Chinese,
    English,
};

// The settings' choice of language: 1 Chinese, 2 English, and any other
// value follows Windows' user-interface language (a LANGID), Chinese for
// every Chinese one and English for all the rest.
UiLanguage ChooseUiLanguage(int setting, std::uint16_t windowsUiLanguage);

// Every text the program shows. Those with "%s" take one value (Filled).
enum class UiText {
    MenuCaptureDelayed,
    MenuSaveMethod,
    MenuSaveAutomatically,
    MenuSaveManually,
    MenuChooseSaveFolder,
    MenuOpenSaveFolder,
    MenuOtherSettings,
    MenuAutoCrop,
    MenuIncludeCursor,
    MenuCheckerboard,
    MenuCopyToClipboard,
    MenuTimestampNames,
    MenuSetHotKey,
    MenuAbout,
    MenuExit,
    AboutTitle,
    AboutText,          // %s: the hot key
    HotKeyWarningTitle,
    HotKeyWarning,      // %s: the hot key
    HotKeyIgnored,      // %s: the stored text
    HotKeyHeld,         // %s: the hot key
    PrintScreenTaken,
    HotKeyDialogTitle,
    HotKeyDialogPrompt,
    HotKeyDialogHeld,   // %s: the hot key
    HotKeyDialogNoKey,
    HotKeyDialogUnknownKey,
    HotKeyDialogNeedsModifier,
    ButtonOk,
    ButtonCancel,
    SaveFolderPickerTitle,
    SaveFolderNotOpened, // %s: the folder
    PngFilter,
    BalloonSaved,        // followed by the file's name
    BalloonSaveFailed,   // followed by the file's name
    BalloonNotInFront,
    BalloonKeptChanging,
    BalloonNotAnswering,
    BalloonNotOnScreen,
    BalloonForbidden,
    BalloonCopyFailed,
    BalloonCopied,
    BalloonClipboardBusy,
    BalloonClipboardFailed,
    BalloonTransferUnknown,
    Count,
};

// The text; a NUL follows it, so that its data() serves the system's calls
// as it stands.
std::wstring_view Text(UiText text, UiLanguage language);

// The text with its "%s" replaced by `value`.
std::wstring Filled(UiText text, UiLanguage language, std::wstring_view value);
