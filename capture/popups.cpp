#include "capture/popups.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// The window styles the choice reads, by value: portable code knows no
// <windows.h>.
std::uint32_t const kCaption = 0x00C00000; // WS_CAPTION: a title bar, as dialogs and tool palettes have

// The classes Windows, the common controls and today's frameworks give
// their transient popups.
std::wstring_view const kPopupClasses[] = {
    L"#32768",                                  // a menu or submenu
    L"tooltips_class32",                        // a tooltip
    L"ComboLBox",                               // the list of a combo box
    L"Auto-Suggest Dropdown",                   // the list of auto-complete
    L"SysShadow",                               // the shadow of a classic menu or tooltip
    L"Xaml_WindowedPopupClass",                 // a XAML popup: Windows 11 Explorer's context menu
    L"Microsoft.UI.Content.PopupWindowSiteBridge", // a Windows App SDK popup's window
    L"MozillaDropShadowWindowClass",            // a Firefox menu
    L"MozillaPopupWindowClass",                 // a Firefox popup panel
};

bool HasPopupClass(std::wstring_view className)
{
    return std::find(std::begin(kPopupClasses), std::end(kPopupClasses), className) != std::end(kPopupClasses);
}

} // namespace

bool IsTransientPopup(WindowRecord const& window)
{
    if (!window.visible || !window.targetProcess || (window.style & kCaption) == kCaption || !HasPixels(window.rect))
        return false;
    // A dialog without a caption is still a dialog: it stays open while the
    // user works elsewhere.
    if (window.className == L"#32770")
        return false;
    return HasPopupClass(window.className) || window.ownedByTarget;
}

bool CapturesOwnerInstead(WindowRecord const& foreground, CaptureRect screen)
{
    if ((foreground.style & kCaption) == kCaption)
        return false;
    return HasPopupClass(foreground.className) || !HasPixels(Intersection(foreground.rect, screen));
}

CaptureRect WithPopups(CaptureRect target, std::vector<WindowRecord> const& windows)
{
    CaptureRect grown = target;
    for (WindowRecord const& window : windows) {
        if (!IsTransientPopup(window))
            continue;
        grown.left = std::min(grown.left, window.rect.left);
        grown.top = std::min(grown.top, window.rect.top);
        grown.right = std::max(grown.right, window.rect.right);
        grown.bottom = std::max(grown.bottom, window.rect.bottom);
    }
    return grown;
}

bool HasPopupsOpen(std::vector<WindowRecord> const& windows)
{
    return std::any_of(windows.begin(), windows.end(), IsTransientPopup);
}

bool OwnsTopmostWindow(std::vector<WindowRecord> const& windows)
{
    return std::any_of(windows.begin(), windows.end(), [](WindowRecord const& window) {
        return window.visible && window.ownedByTarget && window.topmost;
    });
}
