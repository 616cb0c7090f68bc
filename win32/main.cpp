#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "engine/devices/winmm_outputs.h"
#include "recording/clock.h"
#include "win32/artwork.h"
#include "win32/dialogs.h"
#include "win32/main_window.h"
#include "win32/prompts.h"
#include "win32/text.h"

namespace {

// The state of Shift and Ctrl when the key's message was sent.
class Win32ModifierKeys final : public plinkora::ModifierKeys {
  public:
    bool ShiftDown() const override { return GetKeyState(VK_SHIFT) < 0; }
    bool CtrlDown() const override { return GetKeyState(VK_CONTROL) < 0; }
};

// The arguments after the program's name are one document path: a path with spaces opens
// without quotation marks, and one in quotation marks (as Explorer passes a double-clicked
// document) opens as well.
std::string CommandLineDocument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring document;
    for (int i = 1; i < count; ++i) {
        if (i > 1) {
            document += L' ';
        }
        document += arguments[i];
    }
    LocalFree(arguments);
    return plinkora::Utf8(document);
}

int RunMessageLoop(const plinkora::MainWindow& window, const plinkora::Win32Prompts& prompts) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window.Handle(), window.Accelerators(), &message)) {
            continue;
        }
        HWND warning = prompts.StandingWarning();
        if (warning != nullptr && IsWindow(warning) && IsDialogMessageW(warning, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    timeBeginPeriod(1);  // playback's waits are kept to the millisecond

    const plinkora::Artwork artwork;
    plinkora::ShowSplash(artwork);
    std::unique_ptr<plinkora::MidiOutputs> outputs = plinkora::CreateWinmmOutputs();
    Win32ModifierKeys modifiers;
    plinkora::Win32Prompts prompts(artwork);
    plinkora::SteadyMillisecondClock clock;
    std::unique_ptr<plinkora::MainWindow> window = plinkora::MainWindow::Create(
        {*outputs, modifiers, prompts, clock, artwork}, CommandLineDocument());
    int status = 0;
    if (window) {
        window->Show(showCommand);
        status = RunMessageLoop(*window, prompts);
    }
    window.reset();
    timeEndPeriod(1);
    CoUninitialize();
    return status;
}
