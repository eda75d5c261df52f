// The tray menu and its commands against the real menu, message box and
// private-profile calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/host_window.h"
#include "shell/tray_menu.h"
#include "tests/support/scratch_folder.h"

namespace {

// One line per item, submenus indented: "<kind> <id> <mark> <text>".
std::wstring DumpMenu(HMENU menu, std::wstring const& indent = L"")
{
    std::wstring dump;
    int const count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[64] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = ARRAYSIZE(text);
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item);
        if ((item.fType & MFT_SEPARATOR) != 0) {
            dump += indent + L"separator\n";
        } else if (item.hSubMenu != nullptr) {
            dump += indent + L"popup " + text + L"\n" + DumpMenu(item.hSubMenu, indent + L"  ");
        } else {
            dump += indent + ((item.fType & MFT_RADIOCHECK) != 0 ? L"radio " : L"item ") + std::to_wstring(item.wID) +
                    ((item.fState & MFS_CHECKED) != 0 ? L" checked " : L" - ") + text + L"\n";
        }
    }
    return dump;
}

// The menu's texts in both languages, in the menu's order.
struct MenuWords {
    wchar_t const* capture;
    wchar_t const* saveMethod;
    wchar_t const* automatic;
    wchar_t const* manual;
    wchar_t const* saveFolder;
    wchar_t const* openSaveFolder;
    wchar_t const* otherSettings;
    wchar_t const* crop;
    wchar_t const* cursor;
    wchar_t const* checkerboard;
    wchar_t const* clipboard;
    wchar_t const* timestamps;
    wchar_t const* hotKey;
    wchar_t const* about;
    wchar_t const* exit;
};
MenuWords const kChinese = {L"开始截图\t\n延迟3秒", L"保存方式", L"自动保存", L"手动保存", L"保存位置…", L"打开保存文件夹",
                            L"其它设置", L"自动裁剪", L"包含指针", L"方格透明", L"复制到剪贴板", L"文件名加时间",
                            L"设置热键…", L"关于我们", L"退出程序"};
MenuWords const kEnglish = {L"Capture in 3 seconds", L"Save method", L"Save automatically", L"Save manually",
                            L"Save folder…", L"Open the save folder", L"Other settings", L"Auto-crop",
                            L"Include pointer", L"Checkerboard transparency", L"Copy to clipboard",
                            L"Add date and time to names", L"Set hot key…", L"About", L"Exit"};

// Today's items keep their places; the new ones follow in their submenus.
std::wstring Menu(MenuWords const& w, wchar_t const* automatic, wchar_t const* manual, wchar_t const* crop,
                  wchar_t const* cursor, wchar_t const* checkerboard, wchar_t const* clipboard, wchar_t const* timestamps)
{
    return std::wstring(L"item 1000 - ") + w.capture + L"\n" +
           L"separator\n" +
           L"popup " + w.saveMethod + L"\n" +
           L"  radio 1002 " + automatic + L" " + w.automatic + L"\n" +
           L"  radio 1003 " + manual + L" " + w.manual + L"\n" +
           L"  separator\n" +
           L"  item 1012 - " + w.saveFolder + L"\n" +
           L"  item 1013 - " + w.openSaveFolder + L"\n" +
           L"popup " + w.otherSettings + L"\n" +
           L"  item 1004 " + crop + L" " + w.crop + L"\n" +
           L"  item 1005 " + cursor + L" " + w.cursor + L"\n" +
           L"  item 1006 " + checkerboard + L" " + w.checkerboard + L"\n" +
           L"  item 1009 " + clipboard + L" " + w.clipboard + L"\n" +
           L"  item 1010 " + timestamps + L" " + w.timestamps + L"\n" +
           L"  separator\n" +
           L"  item 1011 - " + w.hotKey + L"\n" +
           L"separator\n" +
           L"item 1007 - " + w.about + L"\n" +
           L"item 1008 - " + w.exit + L"\n";
}

TEST(TrayMenu, ShowsTheOptionsOfTheMoment)
{
    struct Case {
        Settings settings;
        UiLanguage language;
        std::wstring expected;
    };
    Settings timestamped;
    timestamped.timestampNames = 1;
    Case const cases[] = {
        {Settings{}, UiLanguage::Chinese, Menu(kChinese, L"checked", L"-", L"checked", L"checked", L"-", L"checked", L"-")},
        {Settings{Manual, 0, 0, 1, 0}, UiLanguage::Chinese, Menu(kChinese, L"-", L"checked", L"-", L"-", L"checked", L"-", L"-")},
        {Settings{Automatic, 1, 0, 1, 1}, UiLanguage::Chinese,
         Menu(kChinese, L"checked", L"-", L"checked", L"-", L"checked", L"checked", L"-")},
        {timestamped, UiLanguage::Chinese, Menu(kChinese, L"checked", L"-", L"checked", L"checked", L"-", L"checked", L"checked")},
        {Settings{}, UiLanguage::English, Menu(kEnglish, L"checked", L"-", L"checked", L"checked", L"-", L"checked", L"-")},
    };
    for (Case const& c : cases) {
        HMENU menu = BuildTrayMenu(c.settings, c.language);
        EXPECT_EQ(DumpMenu(menu), c.expected);
        DestroyMenu(menu);
    }
}

TEST(TrayMenu, RadioItemStatesAndAppending)
{
    struct Case {
        UINT state;
        UINT expected;
    };
    Case const cases[] = {{0, 0}, {1, MFS_CHECKED}, {2, MFS_CHECKED}, {3, MFS_DISABLED}, {4, 0}, {0xFFFFFFFF, 0}};
    HMENU menu = CreatePopupMenu();
    UINT id = 1002;
    for (Case const& c : cases) {
        InsertRadioItem(menu, id, c.state, L"x");
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        int const last = GetMenuItemCount(menu) - 1;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(last), TRUE, &item));
        EXPECT_EQ(item.wID, id) << "state " << c.state;
        EXPECT_EQ(item.fType & MFT_RADIOCHECK, static_cast<UINT>(MFT_RADIOCHECK)) << "state " << c.state;
        EXPECT_EQ(item.fState, c.expected) << "state " << c.state;
        ++id;
    }
    EXPECT_EQ(GetMenuItemCount(menu), static_cast<int>(std::size(cases)));
    DestroyMenu(menu);
}

// Each test gets the default options and a settings file of its own.
class MenuCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(iniFile);
        lstrcpynW(g_app.iniPath, iniFile.c_str(), MAX_PATH);
        g_app.settings = Settings{};
    }

    void TearDown() override { g_app.iniPath[0] = L'\0'; }

    // The section's lines, "key=value", in file order.
    std::vector<std::wstring> StoredKeys() const
    {
        wchar_t section[1024] = {};
        GetPrivateProfileSectionW(L"程序设置", section, ARRAYSIZE(section), iniFile.c_str());
        std::vector<std::wstring> lines;
        for (wchar_t const* line = section; *line != L'\0'; line += lstrlenW(line) + 1) {
            lines.emplace_back(line);
        }
        return lines;
    }

    ScratchFolder folder;
    std::filesystem::path const iniFile = folder / L"Lucidframe.ini";
};

TEST_F(MenuCommands, EachToggleFlipsOneOptionAndWritesOnlyItsKey)
{
    struct Case {
        UINT id;
        std::uint8_t Settings::*flag;
        wchar_t const* key;
    };
    Case const cases[] = {
        {IDM_AUTO_CROP, &Settings::autoCrop, L"自动裁剪"},
        {IDM_INCLUDE_CURSOR, &Settings::includeCursor, L"包含指针"},
        {IDM_CHECKERBOARD, &Settings::checkerboard, L"方格透明"},
        {IDM_COPY_TO_CLIPBOARD, &Settings::copyToClipboard, L"复制到剪贴板"},
        {IDM_TIMESTAMP_NAMES, &Settings::timestampNames, L"文件名加时间"},
    };
    for (Case const& c : cases) {
        SetUp();
        std::uint8_t const before = g_app.settings.*c.flag;
        std::wstring const key = c.key;

        OnMenuCommand(nullptr, c.id);
        EXPECT_EQ(g_app.settings.*c.flag, before ^ 1) << c.id;
        EXPECT_EQ(StoredKeys(), std::vector<std::wstring>{key + L"=" + std::to_wstring(before ^ 1)}) << c.id;

        OnMenuCommand(nullptr, c.id);
        EXPECT_EQ(g_app.settings.*c.flag, before) << c.id;
        EXPECT_EQ(StoredKeys(), std::vector<std::wstring>{key + L"=" + std::to_wstring(before)}) << c.id;
        TearDown();
    }
}

TEST_F(MenuCommands, SaveMethodsActAsARadioPair)
{
    struct Step {
        UINT id;
        std::uint8_t mode;
        std::vector<std::wstring> file;
    };
    Step const steps[] = {
        {IDM_SAVE_AUTO, Automatic, {}},  // already chosen: nothing to write
        {IDM_SAVE_MANUAL, Manual, {L"保存方式=1"}},
        {IDM_SAVE_MANUAL, Manual, {L"保存方式=1"}},
        {IDM_SAVE_AUTO, Automatic, {L"保存方式=0"}},
    };
    for (Step const& step : steps) {
        OnMenuCommand(nullptr, step.id);
        EXPECT_EQ(g_app.settings.saveMode, step.mode) << step.id;
        EXPECT_EQ(StoredKeys(), step.file) << step.id;
    }
}

TEST_F(MenuCommands, DismissedMenuAndUnknownIdentifiersDoNothing)
{
    for (UINT id : {0u, 1001u, 999u, 1014u, 0xFFFFu}) {
        OnMenuCommand(nullptr, id);
    }
    Settings const defaults;
    EXPECT_EQ(g_app.settings.saveMode, defaults.saveMode);
    EXPECT_EQ(g_app.settings.autoCrop, defaults.autoCrop);
    EXPECT_EQ(g_app.settings.includeCursor, defaults.includeCursor);
    EXPECT_EQ(g_app.settings.checkerboard, defaults.checkerboard);
    EXPECT_FALSE(std::filesystem::exists(iniFile));
}

TEST_F(MenuCommands, WithoutASettingsPathTheOptionStillChanges)
{
    g_app.iniPath[0] = L'\0';
    OnMenuCommand(nullptr, IDM_CHECKERBOARD);
    EXPECT_EQ(g_app.settings.checkerboard, 1);
    EXPECT_FALSE(std::filesystem::exists(iniFile));
}

// The about box is closed by a thread timer that its own modal loop runs.
// Every box seen is counted; a second box at once means the guard failed.
struct AboutBoxWatch {
    int boxesSeen = 0;
    int mostOpenAtOnce = 0;
    std::wstring text;
    bool inside = false;
};
AboutBoxWatch g_watch;

BOOL CALLBACK CollectAboutBox(HWND window, LPARAM boxes)
{
    wchar_t title[32] = {};
    GetWindowTextW(window, title, ARRAYSIZE(title));
    if (IsWindowVisible(window) && std::wstring(title) == L"关于我们") {
        reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK AppendText(HWND child, LPARAM text)
{
    wchar_t buffer[256] = {};
    GetWindowTextW(child, buffer, ARRAYSIZE(buffer));
    *reinterpret_cast<std::wstring*>(text) += buffer;
    return TRUE;
}

void CALLBACK WatchAboutBox(HWND, UINT, UINT_PTR, DWORD)
{
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), CollectAboutBox, reinterpret_cast<LPARAM>(&boxes));
    if (boxes.empty()) {
        return;
    }
    g_watch.mostOpenAtOnce = std::max(g_watch.mostOpenAtOnce, static_cast<int>(boxes.size()));
    if (!g_watch.inside) {
        g_watch.inside = true;
        g_watch.boxesSeen += static_cast<int>(boxes.size());
        g_watch.text.clear();
        EnumChildWindows(boxes.front(), AppendText, reinterpret_cast<LPARAM>(&g_watch.text));
        // The box's modal loop can open the tray menu again and ask for another box.
        OnMenuCommand(nullptr, IDM_ABOUT);
        g_watch.inside = false;
    }
    for (HWND box : boxes) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

TEST(AboutBox, OneAtATime)
{
    g_watch = {};
    UINT_PTR const timer = SetTimer(nullptr, 0, 100, WatchAboutBox);
    OnMenuCommand(nullptr, IDM_ABOUT);
    EXPECT_EQ(g_watch.boxesSeen, 1);
    EXPECT_EQ(g_watch.mostOpenAtOnce, 1);
    EXPECT_NE(g_watch.text.find(L"Lucidframe"), std::wstring::npos);
    EXPECT_NE(g_watch.text.find(L"Ctrl+PrtSc"), std::wstring::npos);
    EXPECT_EQ(g_app.aboutBoxOpen, 0);

    // The guard still set from a box that is open: no second box.
    g_watch = {};
    g_app.aboutBoxOpen = 1;
    OnMenuCommand(nullptr, IDM_ABOUT);
    MSG message;
    ULONGLONG const until = GetTickCount64() + 300;
    while (GetTickCount64() < until) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    EXPECT_EQ(g_watch.boxesSeen, 0);
    g_app.aboutBoxOpen = 0;
    KillTimer(nullptr, timer);
}

TEST(HotKey, NoRepeatOnlyOnVersion61)
{
    struct Case {
        LONG cached;
        UINT modifiers;
    };
    for (Case const c : {Case{1, MOD_CONTROL | MOD_NOREPEAT}, Case{0, MOD_CONTROL}}) {
        g_app.isWindows7 = c.cached;
        EXPECT_EQ(HotKeyModifiers(MOD_CONTROL), c.modifiers) << c.cached;
        EXPECT_EQ(HotKeyModifiers(MOD_ALT | MOD_WIN), c.modifiers - MOD_CONTROL + MOD_ALT + MOD_WIN) << c.cached;
    }

    g_app.isWindows7 = -1;
    bool const first = IsWindows7();
    EXPECT_NE(g_app.isWindows7, -1);
    EXPECT_EQ(IsWindows7(), first);
    EXPECT_EQ(HotKeyModifiers(MOD_CONTROL), first ? MOD_CONTROL | MOD_NOREPEAT : MOD_CONTROL);
}

// The tray icon is drawn at the small-icon size of the display's scaling
// from the program's sizes, loaded afresh at every add (the shell adds it
// again when the scaling changes) and let go with the icon it replaced.
TEST(TrayIcon, IsTheSmallIconSizeAndLetGoOfWhenReplaced)
{
    g_app.instance = GetModuleHandleW(nullptr);
    HWND const window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(AddTrayIcon(window));
    HICON const first = g_app.tray.hIcon;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(first, &info));
    BITMAP colour = {};
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(colour.bmHeight, GetSystemMetrics(SM_CYSMICON));

    ASSERT_TRUE(AddTrayIcon(window));
    EXPECT_NE(g_app.tray.hIcon, first);
    EXPECT_FALSE(GetIconInfo(first, &info)) << "the replaced icon is still held";
    RemoveTrayIcon(window);
    EXPECT_EQ(g_app.tray.hIcon, nullptr);
    DestroyWindow(window);
}

}  // namespace

