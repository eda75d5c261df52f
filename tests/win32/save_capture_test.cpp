#include "output/save_capture.h"

#include "output/png_reader.h"
#include "output/save_path.h"
#include "shell/app_state.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint32_t> const kFirstCapture = {0xFF0000FF, 0x80FF0000, 0x00000000, 0x4000FF00, 0xFFFFFFFF, 0x01020304};
std::vector<std::uint32_t> const kSecondCapture = {0xFF00FF00, 0x00000000, 0xFF00FF00, 0x7F123456, 0x00000000, 0xFFABCDEF};

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

struct SaveCase {
    const char* name;
    const wchar_t* title;         // null: the window is gone before the save
    std::wstring fileName;        // the one file expected; empty: none
    const wchar_t* typed = nullptr; // the manual way's answer; empty cancels
};

class SaveCaptureTable : public testing::TestWithParam<SaveCase> {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / (std::string("lucidframe-save-") + GetParam().name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        std::wstring const folder = folder_.wstring();
        ASSERT_LT(folder.size(), std::size(g_app.programFolder));
        std::wmemcpy(g_app.programFolder, folder.c_str(), folder.size() + 1);
        target_ = CreateWindowExW(0, L"STATIC", GetParam().title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }

    void TearDown() override
    {
        DestroyWindow(target_);
        // The Save dialog makes the chosen folder the current one, which
        // Windows will not remove.
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(folder_);
    }

    void Save(const std::vector<std::uint32_t>& pixels)
    {
        SaveCase const& c = GetParam();
        g_app.settings.saveMode = c.typed ? Manual : Automatic;
        g_typedName = c.typed && *c.typed ? (folder_ / c.typed).wstring() : L"";
        if (c.typed)
            SetTimer(nullptr, 0, 100, AnswerSaveDialog);
        SaveCapture(nullptr, target_, pixels.data(), 3, 2);
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

    fs::path folder_;
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
    EXPECT_EQ(file.filename().wstring(), GetParam().fileName);
    EXPECT_EQ(Read(file), twice ? kSecondCapture : kFirstCapture);
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveCaptureTable, testing::Values(
    SaveCase{"plain", L"Report - Editor", L"Report - Editor.png"},
    SaveCase{"chinese", L"\u8BB0\u4E8B\u672C", L"\u8BB0\u4E8B\u672C.png"},
    SaveCase{"empty", L"", L".png"},
    SaveCase{"gone_window", nullptr, L".png"},
    SaveCase{"reserved_characters", L"..\\a/b:c?d<>|*\"", L"..-a-b-c-d-----.png"},
    SaveCase{"device_name_with_trailing_blanks", L"Aux . ", L"_Aux.png"},
    SaveCase{"only_dots", L"...", L".png"},
    SaveCase{"manual_name_gets_png", L"ignored", L"shot.png", L"shot"},
    SaveCase{"manual_cancel", L"ignored", L"", L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveCapture, LongestTitleIsShortenedToFit)
{
    fs::path const folder = fs::temp_directory_path() / "lucidframe-save-longest";
    fs::create_directories(folder);
    std::wmemcpy(g_app.programFolder, folder.c_str(), folder.native().size() + 1);
    g_app.settings.saveMode = Automatic;
    HWND const target = CreateWindowExW(0, L"STATIC", std::wstring(259, L't').c_str(), WS_POPUP, 0, 0, 1, 1,
                                        nullptr, nullptr, nullptr, nullptr);
    SaveCapture(nullptr, target, kFirstCapture.data(), 3, 2);
    DestroyWindow(target);
    std::wstring const room(kMaxCapturePathLength - folder.native().size() - 5, L't');
    EXPECT_TRUE(fs::exists(folder / (room + L".png")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
    fs::remove_all(folder);
}

} // namespace
