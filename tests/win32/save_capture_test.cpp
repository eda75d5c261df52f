#include "output/save_capture.h"

#include "output/gdiplus_win32.h"
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

class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput const input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

testing::Environment* const gdiplus = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

std::vector<std::uint32_t> const kFirstCapture = {0xFF0000FF, 0x80FF0000, 0x00000000, 0x4000FF00, 0xFFFFFFFF, 0x01020304};
std::vector<std::uint32_t> const kSecondCapture = {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0x7F123456, 0x00000000, 0xFFABCDEF};
constexpr std::int32_t kWidth = 3, kHeight = 2;

class SaveCaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        folder_ = fs::temp_directory_path() / ("lucidframe-save-" + name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        std::wstring const folder = folder_.wstring();
        ASSERT_LT(folder.size(), std::size(g_app.programFolder));
        std::wmemcpy(g_app.programFolder, folder.c_str(), folder.size() + 1);
        g_app.settings = Settings{};
        target_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(target_, nullptr);
    }

    void TearDown() override
    {
        DestroyWindow(target_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void Capture(const std::wstring& title, const std::vector<std::uint32_t>& pixels)
    {
        SetWindowTextW(target_, title.c_str());
        SaveCapture(nullptr, target_, pixels.data(), kWidth, kHeight);
    }

    // Everything in the program folder, searched recursively so that a file
    // that escaped into a subfolder shows up too.
    std::vector<fs::path> Saved() const
    {
        std::vector<fs::path> files;
        for (fs::directory_entry const& entry : fs::recursive_directory_iterator(folder_))
            files.push_back(entry.path());
        return files;
    }

    static std::vector<std::uint32_t> Read(const fs::path& file)
    {
        std::vector<std::uint32_t> pixels;
        std::int32_t width = 0, height = 0;
        EXPECT_TRUE(ReadPng(file, pixels, width, height)) << file;
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        return pixels;
    }

    fs::path folder_;
    HWND target_ = nullptr;
};

struct TitleCase {
    const char* name;
    std::wstring title;
    std::wstring fileName;
};

class AutomaticSaveTable : public SaveCaptureTest, public testing::WithParamInterface<TitleCase> {};

TEST_P(AutomaticSaveTable, WritesOneFileDirectlyInTheProgramFolder)
{
    Capture(GetParam().title, kFirstCapture);
    std::vector<fs::path> const files = Saved();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].parent_path(), folder_);
    EXPECT_EQ(files[0].filename().wstring(), GetParam().fileName);
    EXPECT_EQ(Read(files[0]), kFirstCapture);
}

INSTANTIATE_TEST_SUITE_P(Titles, AutomaticSaveTable, testing::Values(
    TitleCase{"plain", L"Report - Editor", L"Report - Editor.png"},
    TitleCase{"chinese", L"\u8BB0\u4E8B\u672C", L"\u8BB0\u4E8B\u672C.png"},
    TitleCase{"empty", L"", L".png"},
    TitleCase{"separators_colon_question_mark", L"a/b\\c:d?e", L"a-b-c-d-e.png"},
    TitleCase{"every_reserved_character", L"<>:\"/\\|?*", L"---------.png"},
    TitleCase{"parent_folder", L"..\\..\\up", L"..-..-up.png"},
    TitleCase{"device_name", L"CON", L"_CON.png"},
    TitleCase{"device_name_with_extension", L"nul.txt", L"_nul.txt.png"},
    TitleCase{"device_name_with_trailing_blanks", L"Aux . ", L"_Aux.png"},
    TitleCase{"only_dots", L"...", L".png"},
    TitleCase{"only_spaces", L"   ", L".png"}),
    [](const testing::TestParamInfo<TitleCase>& info) { return info.param.name; });

TEST_F(SaveCaptureTest, SecondCaptureOfOneTitleReplacesTheFirst)
{
    Capture(L"Report - Editor", kFirstCapture);
    Capture(L"Report - Editor", kSecondCapture);
    std::vector<fs::path> const files = Saved();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(Read(files[0]), kSecondCapture);
}

TEST_F(SaveCaptureTest, LongestTitleIsShortenedToFit)
{
    std::wstring const title(259, L't');
    Capture(title, kFirstCapture);
    std::vector<fs::path> const files = Saved();
    ASSERT_EQ(files.size(), 1u);
    std::wstring const path = files[0].wstring();
    EXPECT_EQ(path.size(), kMaxCapturePathLength);
    EXPECT_EQ(files[0].filename().wstring(), title.substr(0, path.size() - folder_.wstring().size() - 5) + L".png");
}

TEST_F(SaveCaptureTest, FolderTooLongForAnyNameSavesNothing)
{
    std::wstring const folder = folder_.wstring() + L"\\" + std::wstring(MAX_PATH - 2 - folder_.wstring().size(), L'f');
    std::wmemcpy(g_app.programFolder, folder.c_str(), folder.size() + 1);
    Capture(L"title", kFirstCapture);
    EXPECT_TRUE(Saved().empty());
}

TEST_F(SaveCaptureTest, GoneWindowGivesTheEmptyName)
{
    DestroyWindow(target_);
    SaveCapture(nullptr, target_, kFirstCapture.data(), kWidth, kHeight);
    std::vector<fs::path> const files = Saved();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().wstring(), L".png");
}

// The Save dialog, answered by a timer that fires inside its modal loop.
std::wstring g_typedName; // empty to cancel

BOOL CALLBACK AnswerIfSaveDialog(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (g_typedName.empty()) {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    } else {
        SetDlgItemTextW(window, cmb13, g_typedName.c_str());
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

void CALLBACK AnswerSaveDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), AnswerIfSaveDialog, reinterpret_cast<LPARAM>(&found));
    if (found)
        KillTimer(nullptr, timer);
}

TEST_F(SaveCaptureTest, ManualSaveWritesTheChosenNameWithPngAppended)
{
    g_app.settings.saveMode = Manual;
    g_typedName = (folder_ / "shot").wstring();
    SetTimer(nullptr, 0, 100, AnswerSaveDialog);
    Capture(L"ignored", kFirstCapture);
    std::vector<fs::path> const files = Saved();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().wstring(), L"shot.png");
    EXPECT_EQ(Read(files[0]), kFirstCapture);
}

TEST_F(SaveCaptureTest, ManualSaveCancelledWritesNothing)
{
    g_app.settings.saveMode = Manual;
    g_typedName.clear();
    SetTimer(nullptr, 0, 100, AnswerSaveDialog);
    Capture(L"ignored", kFirstCapture);
    EXPECT_TRUE(Saved().empty());
}

} // namespace
