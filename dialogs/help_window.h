#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace plinkora {

// The program's help: HTML pages compiled into the program, shown in a window of their own
// that stays open beside the main window. The start page is default.htm.
class HelpWindow : public QWidget {
    Q_OBJECT

  public:
    static const QUrl& StartPage();

    // The help window at its start page, made at the first call and reused after; nullptr when
    // the pages are missing, and from then on for the whole run.
    static HelpWindow* Open();
    static HelpWindow* Existing();

    HelpWindow();

    void ShowStartPage();
    QTextBrowser* Browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace plinkora
