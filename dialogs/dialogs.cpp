#include "dialogs/dialogs.h"

#include "dialogs/about_box.h"
#include "dialogs/help_window.h"
#include "dialogs/splash_dialog.h"
#include "dialogs/tip_box.h"
#include "window/tips.h"

namespace plinkora {

namespace {
// Read once at start-up and kept for the run; the files are in the current folder.
TipState tipState;
bool tipsAvailable = false;
}  // namespace

void ShowSplash() {
    SplashDialog splash;
    splash.exec();
}

void LoadTipsAtStartup(QWidget* owner) {
    tipsAvailable = LoadTips(tipState, kTipsLogName, kTipsTextName);
    if (tipsAvailable && tipState.showTipsAtStartup != 0) {
        ShowTipOfTheDay(owner);
    }
}

void ShowTipOfTheDay(QWidget* owner) {
    if (!tipsAvailable) {
        return;
    }
    TipBox box(tipState, kTipsLogName, owner);
    box.Run();
}

void ShowAboutBox(QWidget* owner) {
    AboutBox box(owner);
    box.exec();
}

void ShowHelp(QWidget* owner) {
    // Help stands beside the main window rather than over it, so it is no child of it.
    HelpWindow::Open(owner);
}

}  // namespace plinkora
