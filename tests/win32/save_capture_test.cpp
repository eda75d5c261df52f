#include "output/save_capture_win32.h"

#include "png/png_reader.h"
#include "output/png_file.h"
#include "output/save_folder_win32.h"
#include "png/png_writer.h"
#include "output/save_path.h"
#include "tests/e2e/file_holder_process_win32.h"
#include "tests/support/folder_watch_win32.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint32_t> const kFirstCapture = {0xFF0000FF, 0x80FF0000, 0x00000000, 0x4000FF00, 0xFFFFFFFF, 0x01020304};
std::vector<std::uint32_t> const kSecondCapture = {0xFF00FF00, 0x00000000, 0xFF00FF00, 0x7F123456, 0x00000000, 0xFFABCDEF};

std::vector<std::uint8_t> Png(std::vector<std::uint32_t> const& pixels)
{
    return EncodePng(pixels.data(), 3, 2);
}

// The Save dialog's answer: a name typed into it, or a cancel when empty. A
// timer delivers it from inside the dialog's modal loop.
std::wstring g_typedName;

BOOL CALLBACK AnswerIfSaveDialog(HWND window, LPARAM answered)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    SetDlgItemTextW(window, cmb13, g_typedName.c_str());
    PostMessageW(window, WM_COMMAND, g_typedName.empty() ? IDCANCEL : IDOK, 0);
    *reinterpret_cast<bool*>(answered) = true;
    return FALSE;
}

void CALLBACK AnswerSaveDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    bool answered = false;
    EnumThreadWindows(GetCurrentThreadId(), AnswerIfSaveDialog, reinterpret_cast<LPARAM>(&answered));
    if (answered)
        KillTimer(nullptr, timer);
}

// The one file expected: this name, any name Windows accepts as a plain file
// directly in the folder (PathCleanupSpec removes what wine replaces), or none.
struct SaveCase {
    const char* name;
    const wchar_t* title;         // null: the window is gone before the save
    std::wstring fileName;        // empty: no file
    const wchar_t* typed = nullptr; // the manual way's answer; empty cancels
};
std::wstring const kAnyPlainName = L"*";

bool IsDeviceStem(std::wstring stem)
{
    stem = stem.substr(0, stem.find_last_not_of(L' ') + 1);
    std::transform(stem.begin(), stem.end(), stem.begin(), towupper);
    static wchar_t const* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    bool const port = stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && iswdigit(stem[3]);
    return port || std::find(std::begin(kDevices), std::end(kDevices), stem) != std::end(kDevices);
}

// A name that Windows stores as one plain file: no character it refuses, no
// trailing dot or space, no device name, and the ".png" the save adds.
void ExpectPlainPngName(std::wstring const& name)
{
    EXPECT_TRUE(name.ends_with(L".png")) << fs::path(name);
    EXPECT_EQ(name.find_first_of(L"<>:\"/\\|?*"), std::wstring::npos) << fs::path(name);
    EXPECT_TRUE(std::none_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x20; })) << fs::path(name);
    EXPECT_FALSE(name.ends_with(L".") || name.ends_with(L" ")) << fs::path(name);
    EXPECT_FALSE(IsDeviceStem(name.substr(0, name.find(L'.')))) << fs::path(name);
}

class SaveCaptureTable : public testing::TestWithParam<SaveCase> {
protected:
    void SetUp() override
    {
        target_ = CreateWindowExW(0, L"STATIC", GetParam().title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }

    void TearDown() override
    {
        DestroyWindow(target_);
        // The Save dialog makes the chosen folder the current one, which
        // Windows will not remove.
        fs::current_path(fs::temp_directory_path());
    }

    void Save(const std::vector<std::uint32_t>& pixels)
    {
        SaveCase const& c = GetParam();
        g_typedName = c.typed && *c.typed ? (folder_ / c.typed).wstring() : L"";
        if (c.typed)
            SetTimer(nullptr, 0, 100, AnswerSaveDialog);
        SaveCaptureFile({c.typed ? Manual : Automatic, folder_.wstring()}, target_, Png(pixels));
    }

    // The only file saved, looked for in subfolders too; empty when none.
    fs::path OnlyFile() const
    {
        std::vector<fs::path> files(fs::recursive_directory_iterator(folder_), {});
        EXPECT_LE(files.size(), 1u);
        return files.empty() ? fs::path() : files[0];
    }

    static std::vector<std::uint32_t> Read(const fs::path& file)
    {
        std::vector<std::uint32_t> pixels;
        std::int32_t width = 0, height = 0;
        EXPECT_TRUE(ReadPng(file, pixels, width, height) && width == 3 && height == 2) << file;
        return pixels;
    }

    ScratchFolder scratch_;
    fs::path const& folder_ = scratch_.path();
    HWND target_ = nullptr;
};

// Automatic saves of a live window run twice: the second capture of one title
// must replace the first.
TEST_P(SaveCaptureTable, SavesOneFileDirectlyInTheFolder)
{
    bool const twice = GetParam().title && !GetParam().typed;
    if (!GetParam().title)
        DestroyWindow(target_);
    Save(kFirstCapture);
    if (twice)
        Save(kSecondCapture);
    fs::path const file = OnlyFile();
    if (GetParam().fileName.empty()) {
        EXPECT_TRUE(file.empty()) << file;
        return;
    }
    EXPECT_EQ(file.parent_path(), folder_);
    if (GetParam().fileName == kAnyPlainName)
        ExpectPlainPngName(file.filename().wstring());
    else
        EXPECT_EQ(file.filename().wstring(), GetParam().fileName);
    EXPECT_EQ(Read(file), twice ? kSecondCapture : kFirstCapture);
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveCaptureTable, testing::Values(
    SaveCase{"plain", L"Report - Editor", L"Report - Editor.png"},
    SaveCase{"chinese", L"\u8BB0\u4E8B\u672C", L"\u8BB0\u4E8B\u672C.png"},
    SaveCase{"empty", L"", L".png"},
    SaveCase{"gone_window", nullptr, L".png"},
    SaveCase{"reserved_characters", L"..\\a/b:c?d<>|*\"", kAnyPlainName},
    SaveCase{"reserved_characters_and_a_device", L"nul:|", kAnyPlainName},
    SaveCase{"device_name_with_trailing_blanks", L"Aux . ", L"_Aux.png"},
    SaveCase{"only_dots", L"...", L".png"},
    SaveCase{"manual_name_gets_png", L"ignored", L"shot.png", L"shot"},
    SaveCase{"manual_cancel", L"ignored", L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveCapture, LongestTitleIsShortenedToFit)
{
    ScratchFolder const scratch;
    fs::path const& folder = scratch.path();
    HWND const target = CreateWindowExW(0, L"STATIC", std::wstring(259, L't').c_str(), WS_POPUP, 0, 0, 1, 1,
                                        nullptr, nullptr, nullptr, nullptr);
    SaveCaptureFile({Automatic, folder.wstring()}, target, Png(kFirstCapture));
    DestroyWindow(target);
    std::wstring const room(kMaxCapturePathLength - folder.native().size() - 5, L't');
    EXPECT_TRUE(fs::exists(folder / (room + L".png")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

// A folder of 250 characters leaves room for a title of 4 and ".png" in 259.
// Every file the save makes there, the temporary one too, must fit: Windows
// refuses longer paths to the classic file calls (GetTempFileNameW refuses
// folders past MAX_PATH - 14 outright, where wine goes on).
TEST(SaveCapture, LongFolderStillTakesAnAtomicSave)
{
    ScratchFolder const scratch;
    fs::path const base = scratch / L"long-";
    fs::path const folder = base.native() + std::wstring(250 - base.native().size(), L'f');
    ASSERT_EQ(folder.native().size(), 250u);
    fs::create_directories(folder);
    HWND const target = CreateWindowExW(0, L"STATIC", L"Long", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::wstring> created;
    {
        FolderWatch watch(folder);
        ASSERT_TRUE(watch.watching());
        for (auto const* capture : {&kFirstCapture, &kSecondCapture})
            SaveCaptureFile({Automatic, folder.wstring()}, target, Png(*capture));
        // Every name, until the file system has been quiet for a while.
        while (watch.NextReport(500, created)) {
        }
    }
    DestroyWindow(target);

    EXPECT_GE(created.size(), 2u) << "each save made a file";
    for (std::wstring const& name : created)
        EXPECT_LE(folder.native().size() + 1 + name.size(), kMaxCapturePathLength) << fs::path(name);

    std::vector<fs::path> const files(fs::directory_iterator(folder), {});
    ASSERT_EQ(files.size(), 1u) << "the capture, and no temporary file beside it";
    EXPECT_EQ(files[0].filename(), L"Long.png");
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    EXPECT_TRUE(ReadPng(files[0], pixels, width, height));
    EXPECT_EQ(pixels, kSecondCapture);
}

// Virus scanners, indexers and sync clients open each new file as soon as it
// is closed, without delete sharing, so that it can be neither renamed nor
// deleted while they hold it. Neither a first save nor one that replaces an
// earlier capture may be lost to them, be left incomplete, or leave a
// temporary file behind. When they hold the earlier capture for longer than
// the save waits, it is kept byte for byte and the new one goes beside it.
// The earlier capture is saved under the same holder, and the next save waits
// until the holder has it open: the holder sees the file a moment after it
// appears, later still on a busy machine.
struct HeldCase {
    const char* name;
    bool earlierCapture;
    DWORD holdMs;
    bool besideIt; // the new capture lands as "Held (2).png"
};

void PrintTo(HeldCase const& c, std::ostream* out)
{
    *out << c.name;
}

class HeldNewFiles : public testing::TestWithParam<HeldCase> {};

std::vector<std::uint32_t> PixelsOf(fs::path const& file)
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    EXPECT_TRUE(ReadPng(file, pixels, width, height)) << file;
    return pixels;
}

// Whether another process has `file` open without delete sharing: asking for
// delete access is then refused.
bool HeldByAnother(fs::path const& file)
{
    HANDLE const handle = CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}

void WaitUntilHeld(fs::path const& file)
{
    ULONGLONG const deadline = GetTickCount64() + 5000;
    while (!HeldByAnother(file) && GetTickCount64() < deadline)
        Sleep(5);
    ASSERT_TRUE(HeldByAnother(file)) << "the holder never opened " << file;
}

TEST_P(HeldNewFiles, NeitherLoseNorLeaveAFile)
{
    ScratchFolder const scratch;
    HWND const target = CreateWindowExW(0, L"STATIC", L"Held", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::vector<std::string> entries;
    CaptureSave save = {};
    {
        FileHolderProcess const holder(scratch.path(), GetParam().holdMs);
        if (GetParam().earlierCapture) {
            SaveCaptureFile({Automatic, scratch.path().wstring()}, target, Png(kFirstCapture));
            WaitUntilHeld(scratch / L"Held.png");
        }
        save = SaveCaptureFile({Automatic, scratch.path().wstring()}, target, Png(kSecondCapture));
        entries = scratch.Entries();
    }
    DestroyWindow(target);
    EXPECT_EQ(save.result, CaptureSave::Saved);
    if (GetParam().besideIt) {
        EXPECT_EQ(entries, (std::vector<std::string>{"Held (2).png", "Held.png"}));
        EXPECT_EQ(save.file, scratch / L"Held (2).png");
        EXPECT_EQ(PixelsOf(scratch / L"Held.png"), kFirstCapture);
        EXPECT_EQ(PixelsOf(scratch / L"Held (2).png"), kSecondCapture);
    } else {
        EXPECT_EQ(entries, std::vector<std::string>{"Held.png"});
        EXPECT_EQ(save.file, scratch / L"Held.png");
        EXPECT_EQ(PixelsOf(scratch / L"Held.png"), kSecondCapture);
    }
}

INSTANTIATE_TEST_SUITE_P(Saves, HeldNewFiles, testing::Values(
    HeldCase{"first_save", false, 400, false},
    HeldCase{"replacing_an_earlier_capture", true, 400, false},
    HeldCase{"held_longer_than_the_save_waits", true, 3000, true}),
    [](const auto& info) { return std::string(info.param.name); });

// What stands at the destination without being held: a read-only earlier
// capture is kept and the new one goes beside it at once; a folder of that
// name is no file to keep, and the save fails with the system's reason,
// leaving nothing behind.
TEST(SaveCapture, WhatStandsInTheWayIsKept)
{
    struct Case {
        const char* name;
        void (*prepare)(fs::path const& destination);
        CaptureSave::Result result;
        std::vector<std::string> entries;
    };
    Case const cases[] = {
        {"read_only_earlier_capture",
         [](fs::path const& destination) {
             ASSERT_TRUE(SavePngFile(destination, kFirstCapture.data(), 3, 2));
             SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         CaptureSave::Saved, {"Kept (2).png", "Kept.png"}},
        {"folder_of_that_name", [](fs::path const& destination) { fs::create_directory(destination); },
         CaptureSave::Failed, {"Kept.png"}},
    };
    HWND const target = CreateWindowExW(0, L"STATIC", L"Kept", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    for (Case const& c : cases) {
        ScratchFolder const scratch;
        c.prepare(scratch / L"Kept.png");
        ULONGLONG const start = GetTickCount64();
        CaptureSave const save = SaveCaptureFile({Automatic, scratch.path().wstring()}, target, Png(kSecondCapture));
        EXPECT_LT(GetTickCount64() - start, 1000u) << c.name << ": nobody holds it, so nothing is waited for";
        EXPECT_EQ(save.result, c.result) << c.name;
        EXPECT_EQ(save.error != ERROR_SUCCESS, c.result == CaptureSave::Failed) << c.name;
        EXPECT_EQ(scratch.Entries(), c.entries) << c.name;
        if (c.result == CaptureSave::Saved) {
            EXPECT_EQ(PixelsOf(scratch / L"Kept.png"), kFirstCapture) << c.name;
            EXPECT_EQ(PixelsOf(save.file), kSecondCapture) << c.name;
            SetFileAttributesW((scratch / L"Kept.png").c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
    DestroyWindow(target);
}

// The user's own save folder: made on the way, or the save fails with the
// system's reason and makes nothing; and names with the time, which never
// replace a file. Each row lists every file and folder left, relative to
// the scratch folder, with '/' between parts.
struct FolderCase {
    const char* name;
    // Sets the scene in the scratch folder and says where the capture goes.
    CaptureDestination (*prepare)(fs::path const& scratch);
    int saves;       // captures of the window titled "Shot", one after the other
    DWORD error;     // of the last save; ERROR_SUCCESS where it is saved, kAnyReason for whatever the system says
    std::vector<std::string> left;
};

void PrintTo(FolderCase const& c, std::ostream* out)
{
    *out << c.name;
}

CaptureTime const kSecond = {2024, 5, 1, 9, 3, 7};
// Where the system's own reason is the user's to read: a drive that is gone
// gives ERROR_FILE_NOT_FOUND under wine.
DWORD const kAnyReason = 0xFFFFFFFF;

CaptureDestination OwnFolder(std::wstring_view value, fs::path const& scratch)
{
    ResolvedFolder const folder = ResolveSaveFolder(value, scratch.native());
    return {Automatic, folder.path, folder.error, true};
}

// A drive letter that names no drive here.
std::wstring GoneDrive()
{
    DWORD const drives = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter > L'C'; --letter)
        if ((drives & (1u << (letter - L'A'))) == 0)
            return std::wstring(1, letter) + L":";
    return L"";
}

std::vector<std::string> EverythingIn(fs::path const& folder)
{
    std::vector<std::string> left;
    for (auto const& entry : fs::recursive_directory_iterator(folder)) {
        std::u8string const name = fs::relative(entry.path(), folder).generic_u8string();
        left.emplace_back(name.begin(), name.end());
    }
    std::sort(left.begin(), left.end());
    return left;
}

class OwnFolderTable : public testing::TestWithParam<FolderCase> {};

TEST_P(OwnFolderTable, SavesThereOrSaysWhyNot)
{
    FolderCase const& c = GetParam();
    ScratchFolder const scratch;
    CaptureDestination const destination = c.prepare(scratch.path());
    HWND const target = CreateWindowExW(0, L"STATIC", L"Shot", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    CaptureSave save = {};
    for (int i = 0; i < c.saves; ++i)
        save = SaveCaptureFile(destination, target, Png(i == 0 ? kFirstCapture : kSecondCapture));
    DestroyWindow(target);
    EXPECT_EQ(save.result, c.error == ERROR_SUCCESS ? CaptureSave::Saved : CaptureSave::Failed);
    if (c.error != kAnyReason) {
        EXPECT_EQ(save.error, c.error);
    }
    EXPECT_EQ(save.file.filename().wstring().substr(0, 4), L"Shot") << "the balloon names the capture";
    EXPECT_EQ(EverythingIn(scratch.path()), c.left);
    if (save.result == CaptureSave::Saved) {
        EXPECT_EQ(PixelsOf(save.file), c.saves == 1 ? kFirstCapture : kSecondCapture);
    }
    // A read-only file is kept; the scratch folder takes it away.
    for (auto const& entry : fs::recursive_directory_iterator(scratch.path()))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Folders, OwnFolderTable, testing::Values(
    FolderCase{"made_on_the_way", [](fs::path const& scratch) { return OwnFolder(L"Shots\\2024\\May", scratch); }, 1,
               ERROR_SUCCESS, {"Shots", "Shots/2024", "Shots/2024/May", "Shots/2024/May/Shot.png"}},
    FolderCase{"variable_expanded",
               [](fs::path const& scratch) {
                   SetEnvironmentVariableW(L"LUCIDFRAME_TEST_SHOTS", (scratch / L"from variable").c_str());
                   return OwnFolder(L"%LUCIDFRAME_TEST_SHOTS%/made", scratch);
               },
               1, ERROR_SUCCESS, {"from variable", "from variable/made", "from variable/made/Shot.png"}},
    FolderCase{"two_in_one_second",
               [](fs::path const& scratch) {
                   CaptureDestination destination = OwnFolder(L".", scratch);
                   destination.stamp = kSecond;
                   return destination;
               },
               2, ERROR_SUCCESS, {"Shot 2024-05-01 09.03.07 (2).png", "Shot 2024-05-01 09.03.07.png"}},
    FolderCase{"read_only_file_of_that_time_kept",
               [](fs::path const& scratch) {
                   fs::path const earlier = scratch / L"Shot 2024-05-01 09.03.07.png";
                   SavePngFile(earlier, kSecondCapture.data(), 3, 2);
                   SetFileAttributesW(earlier.c_str(), FILE_ATTRIBUTE_READONLY);
                   CaptureDestination destination = {Automatic, scratch.wstring()};
                   destination.stamp = kSecond;
                   return destination;
               },
               1, ERROR_SUCCESS, {"Shot 2024-05-01 09.03.07 (2).png", "Shot 2024-05-01 09.03.07.png"}},
    // Bad input: nothing is made, nothing is lost.
    FolderCase{"folder_that_is_a_file",
               [](fs::path const& scratch) {
                   std::ofstream(scratch / L"taken") << "a file";
                   return OwnFolder(L"taken", scratch);
               },
               1, ERROR_DIRECTORY, {"taken"}},
    FolderCase{"file_on_the_way",
               [](fs::path const& scratch) {
                   std::ofstream(scratch / L"taken") << "a file";
                   return OwnFolder(L"taken\\below", scratch);
               },
               1, ERROR_DIRECTORY, {"taken"}},
    FolderCase{"gone_drive", [](fs::path const& scratch) { return OwnFolder(GoneDrive() + L"\\Shots", scratch); }, 1,
               kAnyReason, {}},
    FolderCase{"con_as_a_folder", [](fs::path const& scratch) { return OwnFolder(L"CON", scratch); }, 1,
               ERROR_INVALID_NAME, {}},
    FolderCase{"over_the_length_limit", [](fs::path const& scratch) { return OwnFolder(std::wstring(300, L'l'), scratch); },
               1, ERROR_FILENAME_EXCED_RANGE, {}},
    FolderCase{"unexpanded_variable", [](fs::path const& scratch) { return OwnFolder(L"%LUCIDFRAME_NOT_SET%\\x", scratch); },
               1, ERROR_ENVVAR_NOT_FOUND, {}},
    FolderCase{"recursive_variable",
               [](fs::path const& scratch) {
                   SetEnvironmentVariableW(L"LUCIDFRAME_TEST_SELF", L"%LUCIDFRAME_TEST_SELF%");
                   return OwnFolder(L"%LUCIDFRAME_TEST_SELF%", scratch);
               },
               1, ERROR_ENVVAR_NOT_FOUND, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
