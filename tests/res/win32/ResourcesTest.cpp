// The resources of tern-update.exe as the system reads them: both dialog templates control by
// control, the string table, icon 128 at several sizes, the version block and the manifest;
// and the settings of both programs' manifests.
// The expected values are written out here, apart from the data the script is made from, so
// that a fault in either shows.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/res/win32/DialogResource.h"

namespace tern::test {
namespace {

class ExecutableResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryExA(TERN_UPDATE_EXE, nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() {
        if (s_module) {
            FreeLibrary(s_module);
        }
    }
    void SetUp() override { ASSERT_NE(s_module, nullptr) << TERN_UPDATE_EXE; }

    static std::vector<uint8_t> Resource(LPCSTR type, int id) {
        HRSRC found = FindResourceA(s_module, MAKEINTRESOURCEA(id), type);
        if (!found) {
            return {};
        }
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(s_module, found)));
        return data ? std::vector<uint8_t>(data, data + SizeofResource(s_module, found))
                    : std::vector<uint8_t>{};
    }
    static std::optional<DialogResource> Dialog(int id) {
        return ParseDialogResource(Resource(MAKEINTRESOURCEA(5), id));  // RT_DIALOG
    }

    static HMODULE s_module;
};
HMODULE ExecutableResources::s_module = nullptr;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

void ExpectControls(const DialogResource& dialog, const std::vector<ExpectedControl>& expected) {
    ASSERT_EQ(dialog.controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& got = dialog.controls[i];
        const auto& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
        EXPECT_EQ(static_cast<int>(static_cast<short>(got.id)), want.id);
        EXPECT_EQ(got.className, want.className);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style | kChild) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, want.exStyle) << std::hex << got.exStyle;
    }
}

TEST_F(ExecutableResources, TheMainDialogIsTemplate102AsLaidOut) {
    const auto dialog = Dialog(102);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->style, DWORD(DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION |
                                   WS_SYSMENU | WS_MINIMIZEBOX))
        << std::hex << dialog->style;
    EXPECT_EQ(dialog->exStyle, DWORD(WS_EX_APPWINDOW | WS_EX_STATICEDGE));
    EXPECT_EQ(dialog->title, "Tern Update Program");
    EXPECT_EQ(dialog->font, "MS Shell Dlg");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->weight, 400);
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->cx, 343);
    EXPECT_EQ(dialog->cy, 119);

    constexpr DWORD kLabel = SS_RIGHT | SS_CENTERIMAGE | WS_GROUP;
    constexpr DWORD kField = SS_CENTER | SS_CENTERIMAGE | WS_GROUP;
    // Creation order is tab order; no button is the default one.
    ExpectControls(*dialog,
                   {
                       {1001, "static", "Output Port :", 10, 14, 47, 10, kLabel, 0},
                       {1006, "static", "File Name :", 16, 34, 42, 10, kLabel, 0},
                       {1002, "static", "Status :", 20, 54, 38, 10, kLabel, 0},
                       {1008, "static", "", 63, 13, 54, 12, kField, WS_EX_CLIENTEDGE},
                       {1009, "edit", "", 63, 32, 197, 14, ES_READONLY | ES_AUTOHSCROLL | WS_BORDER,
                        WS_EX_CLIENTEDGE},
                       {1010, "button", "Browse", 271, 32, 50, 15, BS_PUSHBUTTON | WS_TABSTOP, 0},
                       {1004, "static", "", 63, 53, 257, 13, kField, WS_EX_CLIENTEDGE},
                       {1003, "msctls_progress32", "", 63, 72, 258, 10, PBS_SMOOTH,
                        WS_EX_STATICEDGE | WS_EX_CLIENTEDGE},
                       {1005, "button", "Start", 252, 90, 69, 15, BS_PUSHBUTTON | WS_TABSTOP, 0},
                       {1017, "button", "About...", 271, 13, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0},
                   });
}

TEST_F(ExecutableResources, TheAboutBoxIsTemplate100WithOkTheDefault) {
    const auto dialog = Dialog(100);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->style & ~DWORD(DS_SETFONT),
              DWORD(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU))
        << std::hex << dialog->style;
    EXPECT_EQ(dialog->title, "About Tern Update Program");
    EXPECT_EQ(dialog->font, "MS Shell Dlg");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->cx, 274);
    EXPECT_EQ(dialog->cy, 55);
    ASSERT_EQ(dialog->controls.size(), 5u);
    EXPECT_EQ(dialog->controls[0].textOrdinal, 128) << "the icon control shows icon 128";
    EXPECT_EQ(dialog->controls[0].style & SS_TYPEMASK, DWORD(SS_ICON));
    EXPECT_EQ(dialog->controls[1].text, "Tern Update Program Version 1.0.0");
    EXPECT_FALSE(dialog->controls[2].text.empty());
    EXPECT_FALSE(dialog->controls[3].text.empty());
    ExpectControls(
        *dialog,
        {
            {-1, "static", "", 13, 17, 20, 20, SS_ICON, 0},
            {1001, "static", dialog->controls[1].text.c_str(), 48, 10, 129, 8, SS_LEFT, 0},
            {-1, "static", dialog->controls[2].text.c_str(), 48, 23, 137, 8, SS_LEFT, 0},
            {1006, "static", dialog->controls[3].text.c_str(), 48, 37, 140, 8, SS_LEFT, 0},
            {IDOK, "button", "OK", 210, 7, 56, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
        });
}

TEST_F(ExecutableResources, TheStringTableHoldsTheMenuItemAndTheTitle) {
    char text[256];
    ASSERT_GT(LoadStringA(s_module, 101, text, sizeof text), 0);
    EXPECT_STREQ(text, "About...");
    ASSERT_GT(LoadStringA(s_module, 102, text, sizeof text), 0);
    EXPECT_STREQ(text, "Tern Update Program");
}

TEST_F(ExecutableResources, Icon128HasTheSmallAndTheLargeSizes) {
    const auto group = Resource(MAKEINTRESOURCEA(14), 128);  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    for (int size : {16, 32, 48}) {
        const int entry = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, size,
                                                      size, LR_DEFAULTCOLOR);
        ASSERT_NE(entry, 0) << size;
        const auto image = Resource(MAKEINTRESOURCEA(3), entry);  // RT_ICON
        ASSERT_FALSE(image.empty()) << size;
        HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image.data()),
                                              static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                              size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_F(ExecutableResources, TheVersionBlockSays1000) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(TERN_UPDATE_EXE, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(TERN_UPDATE_EXE, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.0.0.0");
}

TEST_F(ExecutableResources, TheManifestAsksForCommonControls6AtTheInvokersLevel) {
    const auto data = Resource(MAKEINTRESOURCEA(24), 1);  // RT_MANIFEST, the process's own
    ASSERT_FALSE(data.empty());
    const std::string manifest(data.begin(), data.end());
    const auto controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string::npos);
    const auto identityEnd = manifest.find("/>", controls);
    EXPECT_NE(manifest.substr(controls, identityEnd - controls).find("version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

// Each program's manifest as the system reads it into the program's activation context: the
// code page of any path (UTF-8), the window's own DPI scaling, and the invoker's run level.
TEST(ProgramManifests, Utf8ForEveryProgramAndDpiScalingForTheWindow) {
    constexpr wchar_t k2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    constexpr wchar_t k2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    constexpr wchar_t k2019[] = L"http://schemas.microsoft.com/SMI/2019/WindowsSettings";
    struct Case {
        const char* program;
        const wchar_t* space;
        const wchar_t* setting;
        const wchar_t* value;  // empty: not set
    };
    const Case cases[] = {
        {TERN_UPDATE_EXE, k2019, L"activeCodePage", L"UTF-8"},
        {TERN_UPDATE_EXE, k2016, L"dpiAwareness", L"PerMonitorV2, system"},
        {TERN_UPDATE_EXE, k2005, L"dpiAware", L"true"},
        {TERN_FLASH_EXE, k2019, L"activeCodePage", L"UTF-8"},
        {TERN_FLASH_EXE, k2016, L"dpiAwareness", L""},
        {TERN_FLASH_EXE, k2005, L"dpiAware", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + testing::PrintToString(c.setting));
        ACTCTXA request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = c.program;
        request.lpResourceName = MAKEINTRESOURCEA(1);  // the process's own manifest
        const HANDLE context = CreateActCtxA(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE);
        wchar_t value[64] = {};
        SIZE_T written = 0;
        QueryActCtxSettingsW(0, context, c.space, c.setting, value, std::size(value), &written);
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
        QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                     sizeof level, nullptr);
        ReleaseActCtx(context);
        EXPECT_STREQ(value, c.value);
        EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    }
}

}  // namespace
}  // namespace tern::test
