#include <string>

#include "win32/dialogs.h"

// Help is the compiled help file beside the program, shown by Windows' HTML Help. HTML Help is
// looked for only when help is first asked for, and only once: a machine without it still runs
// the program.
namespace plinkora {

namespace {

constexpr wchar_t kHelpFileName[] = L"Plinkora.chm";
constexpr char kStartPage[] = "::/default.htm";
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

struct HtmlHelpBinding {
    HMODULE module = nullptr;
    HtmlHelpFunction entry = nullptr;
    bool failed = false;
};

HtmlHelpBinding binding;

// Where the system registers HTML Help's control, else the name Windows has always given it.
HMODULE LoadHtmlHelp() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        wchar_t path[MAX_PATH] = {};
        DWORD size = sizeof path - sizeof(wchar_t);
        DWORD type = 0;
        const bool read = RegQueryValueExW(key, nullptr, nullptr, &type,
                                           reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (read && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            wchar_t expanded[MAX_PATH] = {};
            if (ExpandEnvironmentStringsW(path, expanded, MAX_PATH) - 1 < MAX_PATH) {
                if (HMODULE module = LoadLibraryW(expanded)) {
                    return module;
                }
            }
        }
    }
    return LoadLibraryW(L"hhctrl.ocx");
}

HtmlHelpFunction HtmlHelpEntry() {
    if (binding.entry == nullptr && !binding.failed) {
        binding.module = LoadHtmlHelp();
        if (binding.module != nullptr) {
            binding.entry = reinterpret_cast<HtmlHelpFunction>(
                reinterpret_cast<void*>(GetProcAddress(binding.module, "HtmlHelpA")));
        }
        binding.failed = binding.entry == nullptr;
    }
    return binding.entry;
}

// HtmlHelpA takes the system's code page. A folder it cannot spell there is given by its short
// name, which is plain ASCII.
std::string AnsiPath(const std::wstring& path) {
    std::wstring usable = path;
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, usable.c_str(), -1,
                                           nullptr, 0, nullptr, &lost);
    if (lost || length == 0) {
        wchar_t shortPath[MAX_PATH] = {};
        const DWORD shortLength = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
        if (shortLength > 0 && shortLength < MAX_PATH) {
            usable.assign(shortPath, shortLength);
        }
    }
    std::string ansi(
        size_t(WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_ACP, 0, usable.c_str(), -1, ansi.data(), int(ansi.size()), nullptr,
                        nullptr);
    ansi.resize(ansi.size() - 1);  // the count held the terminating zero
    return ansi;
}

void SayHelpFailed(HWND owner, const std::wstring& why, const std::wstring& file) {
    MessageBeep(MB_ICONEXCLAMATION);
    const std::wstring text = why + L"\n\n" + file;
    MessageBoxW(owner, text.c_str(), L"Plinkora", MB_OK | MB_ICONWARNING);
}

}  // namespace

std::wstring HelpFilePath() {
    return ProgramFolder() + kHelpFileName;
}

void ShowHelp(HWND owner) {
    const std::wstring file = HelpFilePath();
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        SayHelpFailed(owner, L"The help file is missing:", file);
        return;
    }
    const HtmlHelpFunction htmlHelp = HtmlHelpEntry();
    if (htmlHelp == nullptr) {
        SayHelpFailed(owner, L"HTML Help (hhctrl.ocx) is not installed, so it cannot show:", file);
        return;
    }
    const std::string topic = AnsiPath(file) + kStartPage;
    if (htmlHelp(nullptr, topic.c_str(), kDisplayTopic, 0) == nullptr) {
        SayHelpFailed(owner, L"HTML Help could not show the help file:", file);
    }
}

}  // namespace plinkora
