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
    // the pages are missing, and from then on for the whole run. A hidden one opens beside the
    // owner, when there is one.
    static HelpWindow* Open(const QWidget* owner = nullptr);
    // Where a window of the wanted size goes (frames included): beside the owner where the
    // screen has room for it, else on the side with more room; always whole on the screen.
    static QRect Placement(const QRect& owner, QSize wanted, const QRect& screen);
    static HelpWindow* Existing();

    HelpWindow();

    void ShowStartPage();
    QTextBrowser* Browser() const { return browser_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void PlaceBeside(const QWidget& owner);

    QTextBrowser* browser_;
};

}  // namespace plinkora
