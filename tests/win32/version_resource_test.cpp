// What Explorer's Properties > Details shows for the shipped programs, read
// the way Explorer reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The programs are built into the same folder as this test.
std::wstring ProgramBesideTest(wchar_t const* name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return (std::filesystem::path(path).parent_path() / name).wstring();
}

std::wstring Widened(char const* text)
{
    return std::filesystem::path(text).wstring();
}

std::vector<BYTE> ReadVersionInfo(std::wstring const& path)
{
    DWORD const size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

// A string of the first language the block lists: the one Explorer shows.
std::wstring StringField(std::vector<BYTE>& block, wchar_t const* name)
{
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length)
        || length < sizeof(Translation))
        return L"<no translation>";

    wchar_t key[128] = {};
    std::swprintf(key, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &length) || length == 0)
        return L"<missing>";
    return value;
}

// "1.2.3" as the two DWORDs of VS_FIXEDFILEINFO: 1.2 and 3.0.
struct FixedVersion {
    DWORD mostSignificant;
    DWORD leastSignificant;
};

FixedVersion ParseVersion(char const* text)
{
    unsigned major = 0, minor = 0, patch = 0;
    char dot = 0;
    std::istringstream(text) >> major >> dot >> minor >> dot >> patch;
    return {static_cast<DWORD>(MAKELONG(minor, major)), static_cast<DWORD>(MAKELONG(0, patch))};
}

class MatteVersionResource : public testing::Test {
protected:
    void SetUp() override
    {
        m_block = ReadVersionInfo(ProgramBesideTest(L"lucidframe-matte.exe"));
        ASSERT_FALSE(m_block.empty()) << "lucidframe-matte.exe has no version resource";
    }

    std::vector<BYTE> m_block;
};

TEST_F(MatteVersionResource, StringsNameTheToolAndTheProjectVersion)
{
    struct Field {
        wchar_t const* name;
        std::wstring expected;
    };
    std::wstring const version = Widened(LUCIDFRAME_VERSION);
    Field const fields[] = {
        {L"ProductName", L"Lucidframe"},
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"OriginalFilename", L"lucidframe-matte.exe"},
    };
    for (Field const& field : fields)
        EXPECT_EQ(StringField(m_block, field.name), field.expected) << field.name;
}

TEST_F(MatteVersionResource, DescriptionAndCopyrightAreFilledIn)
{
    for (wchar_t const* name : {L"FileDescription", L"LegalCopyright"})
        EXPECT_NE(StringField(m_block, name), L"<missing>") << name;
}

TEST_F(MatteVersionResource, FixedInfoCarriesTheProjectVersion)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(m_block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    FixedVersion const expected = ParseVersion(LUCIDFRAME_VERSION);
    EXPECT_EQ(fixed->dwFileVersionMS, expected.mostSignificant);
    EXPECT_EQ(fixed->dwFileVersionLS, expected.leastSignificant);
    EXPECT_EQ(fixed->dwProductVersionMS, expected.mostSignificant);
    EXPECT_EQ(fixed->dwProductVersionLS, expected.leastSignificant);
}

// Lucidframe.exe carries only its dialog, its icons and its manifest: no
// version resource, no string table, no menu.
TEST(ProgramResources, LucidframeHasNoVersionResource)
{
    EXPECT_EQ(GetFileVersionInfoSizeW(ProgramBesideTest(L"Lucidframe.exe").c_str(), nullptr), 0u);
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR found)
{
    reinterpret_cast<std::set<ULONG_PTR>*>(found)->insert(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

TEST(ProgramResources, LucidframeCarriesOnlyDialogIconsAndManifest)
{
    HMODULE const program = LoadLibraryExW(ProgramBesideTest(L"Lucidframe.exe").c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    std::set<ULONG_PTR> types;
    EnumResourceTypesW(program, CollectType, reinterpret_cast<LONG_PTR>(&types));
    FreeLibrary(program);

    std::set<ULONG_PTR> const expected = {
        reinterpret_cast<ULONG_PTR>(RT_ICON),
        reinterpret_cast<ULONG_PTR>(RT_DIALOG),
        reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON),
        reinterpret_cast<ULONG_PTR>(RT_MANIFEST),
    };
    EXPECT_EQ(types, expected);
}

// The text of the program's manifest, or "<not loaded>".
std::string ManifestOf(std::wstring const& program)
{
    HMODULE const module =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr)
        return "<not loaded>";
    std::string manifest;
    if (HRSRC const resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        if (HGLOBAL const loaded = LoadResource(module, resource))
            manifest.assign(static_cast<char const*>(LockResource(loaded)), SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return manifest;
}

// The manifest's first choice of DPI awareness, or "<none>".
std::string DpiAwarenessOf(std::wstring const& program)
{
    std::string const manifest = ManifestOf(program);
    std::size_t const element = manifest.find("<dpiAwareness");
    std::size_t const start = manifest.find('>', element);
    if (element == std::string::npos || start == std::string::npos)
        return "<none>";
    std::string const values = manifest.substr(start + 1, manifest.find('<', start) - start - 1);
    return values.substr(0, values.find(','));
}

// Every program that shows windows or places the pointer declares
// per-monitor awareness, so that a display scaled to 125-200 % neither
// stretches its windows nor scales the coordinates it works with.
class PerMonitorDpiAwareness : public testing::TestWithParam<wchar_t const*> {};

TEST_P(PerMonitorDpiAwareness, IsDeclaredInTheManifest)
{
    EXPECT_EQ(DpiAwarenessOf(ProgramBesideTest(GetParam())), "PerMonitorV2");
}

INSTANTIATE_TEST_SUITE_P(Programs, PerMonitorDpiAwareness,
                         testing::Values(L"Lucidframe.exe", L"lucidframe-sample-window.exe", L"lucidframe_e2e_tests.exe",
                                         L"lucidframe-demo.exe", L"capture_win32_tests.exe", L"save_win32_tests.exe",
                                         L"shell_win32_tests.exe", L"png_win32_tests.exe",
                                         L"version_resource_win32_tests.exe"),
                         [](testing::TestParamInfo<wchar_t const*> const& info) {
                             std::string name;
                             for (wchar_t const* c = info.param; *c != L'\0'; ++c)
                                 name += std::iswalnum(*c) ? static_cast<char>(*c) : '_';
                             return name;
                         });

// Without a supportedOS entry for the Windows it runs on, the program is
// treated as written for Vista: GetVersionEx reports 6.2 on Windows 8.1 to
// 11, and some shell and DWM behaviour keeps its compatibility form.
struct SupportedOs {
    char const* windows;
    char const* id;
};
SupportedOs const kSupportedOs[] = {
    {"7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
    {"8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
    {"8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
    {"10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
};

TEST(ProgramResources, LucidframeDeclaresEveryWindowsItRunsOn)
{
    std::string const manifest = ManifestOf(ProgramBesideTest(L"Lucidframe.exe"));
    for (SupportedOs const& os : kSupportedOs)
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + os.id + "\"/>"), std::string::npos)
            << "Windows " << os.windows;
}

} // namespace
