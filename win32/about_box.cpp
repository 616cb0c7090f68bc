#include "win32/dialogs.h"

#include <shellapi.h>

#include <array>
#include <string>

#include "win32/artwork.h"
#include "win32/cursors.h"
#include "win32/dialog_layout.h"
#include "win32/resource_ids.h"
#include "win32/text_drawing.h"

// The About box, laid out and painted as the Linux program's: no caption, the picture at its own
// size, the title in red, three links in black underlined Times New Roman that turn purple once
// followed.
namespace plinkora {

namespace {

struct AboutLink {
    int control;
    const wchar_t* text;
    const wchar_t* target;
};

constexpr std::array<AboutLink, 3> kLinks{{
    {IDC_ABOUT_MAIL, L"plinkora@example.org", L"mailto:plinkora@example.org"},
    {IDC_ABOUT_MAIL2, L"help@plinkora.example.org", L"mailto:help@plinkora.example.org"},
    {IDC_ABOUT_HOME, L"https://plinkora.example.org", L"https://plinkora.example.org"},
}};

// Followed links stay visited until the program ends, across openings of the box.
std::array<bool, kLinks.size()> linkVisited{};

constexpr Size kBoxSize{512, 262};
constexpr int kColumnLeft = 224;  // the texts stand right of the picture
constexpr int kColumnWidth = 276;
constexpr int kCaptionWidth = 58;
constexpr int kLinkLeft = 300;  // leaves the captions clear of the picture
constexpr int kLinkWidth = 200;
constexpr int kLinkHeight = 22;
constexpr int kPictureSize = 200;
constexpr int kPictureRight = 12 + kPictureSize;
constexpr int kTitleHeight = 140;  // tenths of a point

void LayOut(HWND box) {
    LayOutInPixels(box, kBoxSize,
                   {
                       {IDC_ABOUT_PICTURE, {12, 12, kPictureSize, kPictureSize}},
                       {IDC_ABOUT_TITLE, {kColumnLeft, 12, kColumnWidth, 30}},
                       {IDC_ABOUT_VERSION, {kColumnLeft, 46, kColumnWidth, 18}},
                       {IDC_ABOUT_COPYRIGHT, {kColumnLeft, 68, kColumnWidth, 18}},
                       {IDC_ABOUT_RIGHTS, {kColumnLeft, 88, kColumnWidth, 18}},
                       {IDC_ABOUT_MAIL_CAPTION,
                        {kLinkLeft - kCaptionWidth - 6, 114, kCaptionWidth, kLinkHeight}},
                       {IDC_ABOUT_MAIL, {kLinkLeft, 114, kLinkWidth, kLinkHeight}},
                       {IDC_ABOUT_MAIL2, {kLinkLeft, 140, kLinkWidth, kLinkHeight}},
                       // Clear of the picture: a static control paints its whole rectangle.
                       {IDC_ABOUT_HOME_CAPTION,
                        {kPictureRight + 2, 170, kLinkLeft - 8 - kPictureRight, kLinkHeight}},
                       {IDC_ABOUT_HOME, {kLinkLeft, 170, kLinkWidth, kLinkHeight}},
                       {IDOK, {(kBoxSize.width - 80) / 2, 226, 80, 26}},
                   });
}

int LinkOf(int control) {
    for (size_t i = 0; i < kLinks.size(); ++i) {
        if (kLinks[i].control == control) {
            return int(i);
        }
    }
    return -1;
}

void DrawPicture(const DRAWITEMSTRUCT& item, const Artwork& artwork) {
    const RECT& area = item.rcItem;
    const double scale = double(area.right - area.left) / kPictureSize;
    HBITMAP picture = artwork.Splash(scale);
    if (picture == nullptr) {
        return;
    }
    BITMAP info{};
    GetObjectW(picture, sizeof info, &info);
    HDC memory = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(memory, picture);
    SetStretchBltMode(item.hDC, HALFTONE);
    StretchBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top,
               memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void Draw(HWND box, const DRAWITEMSTRUCT& item, const Artwork& artwork) {
    const UINT dpi = GetDpiForWindow(box);
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const int link = LinkOf(int(item.CtlID));
    if (link >= 0) {
        DrawLinkText(item.hDC, item.rcItem, kLinks[size_t(link)].text, linkVisited[size_t(link)],
                     dpi);
    } else if (item.CtlID == IDC_ABOUT_TITLE) {
        DrawTitleText(item.hDC, item.rcItem, L"PLINKORA", RGB(255, 0, 0), kTitleHeight, kFontBold,
                      dpi);
    } else if (item.CtlID == IDC_ABOUT_PICTURE) {
        DrawPicture(item, artwork);
    }
}

// Starting a mail program or a browser can take a moment. Nothing is shown if none answers; the
// link counts as visited all the same.
void Follow(HWND box, int link) {
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShellExecuteW(nullptr, nullptr, kLinks[size_t(link)].target, nullptr, nullptr, SW_SHOWNORMAL);
    SetCursor(before);
    linkVisited[size_t(link)] = true;
    InvalidateRect(GetDlgItem(box, kLinks[size_t(link)].control), nullptr, TRUE);
}

struct AboutState {
    const Artwork& artwork;
    ProgramCursor pointingHand{IDR_POINTING_HAND_CURSOR};
};

INT_PTR CALLBACK AboutBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(box, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(box, DWLP_USER, lParam);
            // The links' texts are their names for screen readers; the program paints them.
            for (const AboutLink& link : kLinks) {
                SetDlgItemTextW(box, link.control, link.text);
            }
            LayOut(box);
            return TRUE;
        case WM_DPICHANGED:
            LayOut(box);
            InvalidateRect(box, nullptr, TRUE);
            return TRUE;
        case WM_DRAWITEM:
            Draw(box, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), state->artwork);
            return TRUE;
        case WM_SETCURSOR:
            if (LinkOf(GetDlgCtrlID(reinterpret_cast<HWND>(wParam))) >= 0) {
                SetCursor(state->pointingHand.ForDpi(GetDpiForWindow(box)));
                SetWindowLongPtrW(box, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL) {
                EndDialog(box, 0);
                return TRUE;
            }
            const int link = LinkOf(id);
            if (link >= 0 && HIWORD(wParam) == STN_CLICKED) {
                Follow(box, link);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

bool AboutLinkVisited(int link) {
    return linkVisited.at(size_t(link));
}

void ShowAboutBox(HWND owner, const Artwork& artwork) {
    AboutState state{artwork};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT_BOX), owner, AboutBoxProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace plinkora
