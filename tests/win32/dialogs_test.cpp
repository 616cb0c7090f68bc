#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/win32/dialog_watch.h"
#include "win32/artwork.h"
#include "win32/dialogs.h"
#include "win32/resource_ids.h"

// The About box, the tip box and help, opened as the menu commands open them, at 96 dpi.
namespace plinkora {
namespace {

using testing::WhenDialogOpens;
using testing::WindowText;

SIZE ClientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

TEST(Win32AboutBox, HasNoCaptionAndThePictureAtItsOwnSize) {
    const Artwork artwork;
    LONG_PTR style = 0;
    SIZE box{}, picture{};
    std::wstring title, link;
    WhenDialogOpens([&](HWND about) {
        style = GetWindowLongPtrW(about, GWL_STYLE);
        box = ClientSize(about);
        picture = ClientSize(GetDlgItem(about, IDC_ABOUT_PICTURE));
        title = WindowText(GetDlgItem(about, IDC_ABOUT_TITLE));
        link = WindowText(GetDlgItem(about, IDC_ABOUT_HOME));
    });
    ShowAboutBox(nullptr, artwork);
    EXPECT_EQ(style & WS_CAPTION, 0) << "a caption or a border of one";
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_EQ(box.cx, 512);
    EXPECT_EQ(box.cy, 262);
    EXPECT_EQ(picture.cx, 200);
    EXPECT_EQ(picture.cy, 200);
    // Screen readers read the painted title and links by these.
    EXPECT_EQ(title, L"PLINKORA");
    EXPECT_EQ(link, L"https://plinkora.example.org");
    EXPECT_FALSE(AboutLinkVisited(2));
}

// Pixels of a colour in a control as it is drawn now.
int PixelsOf(HWND control, COLORREF colour) {
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            count += GetPixel(dc, x, y) == colour ? 1 : 0;
        }
    }
    ReleaseDC(control, dc);
    return count;
}

// The link is followed as a click on it follows it (the shell is asked to open mailto:, which
// nothing answers in the test's prefix); it turns purple and stays so in the next opening.
TEST(Win32AboutBox, AFollowedLinkTurnsPurpleAndStaysSo) {
    const Artwork artwork;
    constexpr COLORREF kPurple = RGB(150, 0, 150);
    int purpleBefore = -1, purpleAfter = -1, purpleOther = -1, blackOther = -1;
    WhenDialogOpens([&](HWND about) {
        HWND link = GetDlgItem(about, IDC_ABOUT_MAIL);
        purpleBefore = PixelsOf(link, kPurple);
        SendMessageW(about, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_MAIL, STN_CLICKED),
                     reinterpret_cast<LPARAM>(link));
        purpleAfter = PixelsOf(link, kPurple);
        purpleOther = PixelsOf(GetDlgItem(about, IDC_ABOUT_MAIL2), kPurple);
        blackOther = PixelsOf(GetDlgItem(about, IDC_ABOUT_MAIL2), RGB(0, 0, 0));
    });
    ShowAboutBox(nullptr, artwork);
    EXPECT_EQ(purpleBefore, 0);
    EXPECT_GT(purpleAfter, 20);
    EXPECT_EQ(purpleOther, 0);
    EXPECT_GT(blackOther, 20);
    EXPECT_TRUE(AboutLinkVisited(0));
    EXPECT_FALSE(AboutLinkVisited(1));

    int purpleReopened = -1;
    WhenDialogOpens(
        [&](HWND about) { purpleReopened = PixelsOf(GetDlgItem(about, IDC_ABOUT_MAIL), kPurple); });
    ShowAboutBox(nullptr, artwork);
    EXPECT_GT(purpleReopened, 20);
}

TEST(Win32TipBox, ShowsTheTipInTimesNewRomanOf12PointsInTheLinuxBoxsSize) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("plinkora-tips-" + std::to_string(GetTickCount()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "tips.txt", std::ios::binary) << "First tip\r\n\r\nSecond tip";
    const int32_t notAtStartup[2] = {0, 0};
    std::ofstream(folder / "tips.log", std::ios::binary)
        .write(reinterpret_cast<const char*>(notAtStartup), sizeof notAtStartup);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    LoadTipsAtStartup(nullptr);

    LOGFONTW font{};
    SIZE box{};
    std::wstring text;
    WhenDialogOpens([&](HWND tips) {
        box = ClientSize(tips);
        HWND edit = GetDlgItem(tips, IDC_TIP_TEXT);
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        text = WindowText(edit);
    });
    ShowTipOfTheDay(nullptr);
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);

    EXPECT_EQ(std::wstring(font.lfFaceName), L"Times New Roman");
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(text, L"First tip");
    EXPECT_EQ(box.cx, 420);
    EXPECT_EQ(box.cy, 232);
}

// A long name is the case where a message box of Wine clipped the last letter.
TEST(Win32Help, AMissingHelpFileIsNamedWholeAndShowsWhole) {
    std::wstring shown;
    LONG fieldWidth = 0, textWidth = 0;
    WhenDialogOpens([&](HWND box) {
        HWND field = GetDlgItem(box, IDC_HELP_FILE);
        shown = WindowText(field);
        RECT client;
        GetClientRect(field, &client);
        fieldWidth = client.right;
        HDC dc = GetDC(field);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)));
        SIZE text{};
        GetTextExtentPoint32W(dc, shown.c_str(), int(shown.size()), &text);
        SelectObject(dc, old);
        ReleaseDC(field, dc);
        textWidth = text.cx;
    });
    ShowHelp(nullptr);
    const std::wstring file = HelpFilePath();
    EXPECT_EQ(shown, file);
    EXPECT_EQ(file.substr(file.size() - 13), L"\\Plinkora.chm");
    EXPECT_GE(fieldWidth, textWidth);
}

}  // namespace
}  // namespace plinkora
