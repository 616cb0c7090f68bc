#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

namespace plinkora {

// One clickable line of the About box: what it shows and what the system is asked to open.
struct AboutLink {
    QString text;
    QString target;
    QRect area;  // in the box's own coordinates
};

// The About box: picture, title, version, rights notice and three links, two e-mail addresses
// and the home page. A followed link stays purple for the rest of the run.
class AboutBox : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kLinkCount = 3;

    explicit AboutBox(QWidget* owner = nullptr);

    static const AboutLink& Link(int index);
    static QRect TitleArea();
    // The link whose area holds the point strictly inside its border, or -1.
    static int LinkAt(QPoint point);
    static bool LinkVisited(int index);
    static void ForgetVisitedLinks();  // for tests: a fresh run

    bool LinkCursorShown() const { return linkCursorShown_; }
    // Opens the link's address, as a click on it does.
    void Follow(int link);

  public slots:
    void done(int result) override;  // OK, Enter and Esc all come here

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void ShowLinkCursor(bool shown);

    bool linkCursorShown_ = false;
};

}  // namespace plinkora
