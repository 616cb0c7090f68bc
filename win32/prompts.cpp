#include "win32/prompts.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32/dialogs.h"
#include "win32/main_window.h"
#include "win32/resource_ids.h"
#include "win32/text.h"

namespace plinkora {

using namespace std::string_literals;

namespace {

UINT BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Warning:
            return MB_ICONWARNING;
        case MessageIcon::Error:
            return MB_ICONERROR;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::None:
            break;
    }
    return 0;
}

struct FileDialogSetup {
    std::wstring filter;  // pairs of strings, each ending in a NUL
    const wchar_t* suffix;
    bool save;
};

FileDialogSetup SetupOf(FileDialogKind kind) {
    switch (kind) {
        case FileDialogKind::OpenDocument:
            return {L"Plinkora Files(*.plk)\0*.plk\0"s, L"plk", false};
        case FileDialogKind::SaveDocument:
            return {L"Plinkora Files(*.plk)\0*.plk\0"s, L"plk", true};
        case FileDialogKind::ExportMidi:
            break;
    }
    return {L"Midi Files(*.mid)\0*.mid\0"s, L"mid", true};
}

// The export's file types that are offered, in order.
std::vector<ExportType> OfferedExportTypes(bool audioOffered) {
    std::vector<ExportType> offered;
    for (const ExportType& type : kExportTypes) {
        if (type.kind != ExportKind::WaveAudio || audioOffered) {
            offered.push_back(type);
        }
    }
    return offered;
}

// The open or save dialog; typeIndex, when given, is the file type offered first and then the
// one chosen, counted from 1.
std::optional<std::string> RunFileDialog(HWND owner, const FileDialogSetup& setup,
                                         const std::string& lastPath, DWORD* typeIndex) {
    std::wstring last = Wide(lastPath);
    std::wstring folder;
    if (!last.empty() && (last.back() == L'\\' || last.back() == L'/')) {
        folder = last;  // a folder to start in, with no name offered
        last.clear();
    }
    std::vector<wchar_t> file(32768, L'\0');
    last.copy(file.data(), file.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = setup.filter.c_str();
    dialog.nFilterIndex = typeIndex != nullptr ? *typeIndex : 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = DWORD(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = setup.suffix;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    BOOL chosen = FALSE;
    if (setup.save) {
        dialog.Flags |= OFN_OVERWRITEPROMPT;  // asks before replacing an existing file
        chosen = GetSaveFileNameW(&dialog);
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameW(&dialog);
    }
    if (!chosen) {
        return std::nullopt;
    }
    if (typeIndex != nullptr) {
        *typeIndex = dialog.nFilterIndex;
    }
    return Utf8(file.data());
}

INT_PTR CALLBACK StandingWarningProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SendDlgItemMessageW(box, IDC_WARNING_ICON, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(box);
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            // Modal to its owner while up, without a loop of its own.
            if (HWND owner = GetWindow(box, GW_OWNER)) {
                EnableWindow(owner, TRUE);
                if (GetActiveWindow() == box) {
                    SetActiveWindow(owner);
                }
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

HWND OwnerHandle(ShellWindow* owner) {
    auto* window = dynamic_cast<MainWindow*>(owner);
    return window != nullptr ? window->Handle() : nullptr;
}

void Win32Prompts::ShowMessage(ShellWindow* owner, MessageIcon icon, const std::string& caption,
                               const std::string& text) {
    if (icon == MessageIcon::Warning || icon == MessageIcon::Error) {
        MessageBeep(BoxIcon(icon));
    }
    MessageBoxW(OwnerHandle(owner), Wide(text).c_str(), Wide(caption).c_str(),
                MB_OK | BoxIcon(icon));
}

Answer Win32Prompts::AskYesNoCancel(ShellWindow* owner, const std::string& caption,
                                    const std::string& text) {
    switch (MessageBoxW(OwnerHandle(owner), Wide(text).c_str(), Wide(caption).c_str(),
                        MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<std::string> Win32Prompts::ChooseFile(ShellWindow* owner, FileDialogKind kind,
                                                    const std::string& lastPath) {
    return RunFileDialog(OwnerHandle(owner), SetupOf(kind), lastPath, nullptr);
}

std::optional<ExportChoice> Win32Prompts::ChooseExport(ShellWindow* owner,
                                                       const std::string& lastPath,
                                                       bool audioOffered) {
    const std::vector<ExportType> offered = OfferedExportTypes(audioOffered);
    FileDialogSetup setup{{}, L"mid", true};
    for (const ExportType& type : offered) {
        setup.filter += Wide(type.filter) + L'\0' + Wide(type.pattern) + L'\0';
    }
    DWORD typeIndex = 1;
    const std::optional<std::string> path =
        RunFileDialog(OwnerHandle(owner), setup, lastPath, &typeIndex);
    if (!path) {
        return std::nullopt;
    }
    const ExportType& type = offered[std::clamp<size_t>(typeIndex, 1, offered.size()) - 1];
    return ExportChoice{*path, type.kind};  // the shell decides by the name's extension
}

void Win32Prompts::ShowDialog(ShellWindow* owner, DialogKind kind) {
    switch (kind) {
        case DialogKind::TipsAtStartup:
            LoadTipsAtStartup(OwnerHandle(owner));
            break;
        case DialogKind::TipOfTheDay:
            ShowTipOfTheDay(OwnerHandle(owner));
            break;
        case DialogKind::About:
            ShowAboutBox(OwnerHandle(owner), artwork_);
            break;
        case DialogKind::Help:
            ShowHelp(OwnerHandle(owner));
            break;
        case DialogKind::Synthesizer:
            break;  // this program has no built-in synthesizer
    }
}

void Win32Prompts::ShowStandingWarning(ShellWindow* owner, const std::string& caption,
                                       const std::string& text) {
    if (standingWarning_ != nullptr && IsWindow(standingWarning_)) {
        return;
    }
    MessageBeep(MB_ICONWARNING);
    HWND ownerWindow = OwnerHandle(owner);
    standingWarning_ =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_STANDING_WARNING),
                           ownerWindow, StandingWarningProc, 0);
    if (standingWarning_ == nullptr) {
        return;
    }
    SetWindowTextW(standingWarning_, Wide(caption).c_str());
    SetDlgItemTextW(standingWarning_, IDC_WARNING_TEXT, Wide(text).c_str());
    if (ownerWindow != nullptr) {
        EnableWindow(ownerWindow, FALSE);
    }
    ShowWindow(standingWarning_, SW_SHOW);
}

void Win32Prompts::WithdrawStandingWarning() {
    if (standingWarning_ != nullptr && IsWindow(standingWarning_)) {
        DestroyWindow(standingWarning_);
    }
    standingWarning_ = nullptr;
}

}  // namespace plinkora
