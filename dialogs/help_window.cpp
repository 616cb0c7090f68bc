#include "dialogs/help_window.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "view/artwork.h"

namespace plinkora {

const QUrl& HelpWindow::StartPage() {
    static const QUrl page(QStringLiteral("qrc:/help/default.htm"));
    return page;
}

namespace {
QPointer<HelpWindow> helpWindow;
bool helpFailed = false;

// The pages' style sheet sets dark text on white, so the space below a short page and the links
// must not take the colours of a dark desktop theme: text and background are set together.
void GiveLightColours(QTextBrowser& browser) {
    QPalette palette = browser.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::Text, QColor(0x20, 0x20, 0x20));
        palette.setColor(group, QPalette::Link, QColor(0x1a, 0x4f, 0xa8));
        palette.setColor(group, QPalette::LinkVisited, QColor(0x6a, 0x2a, 0x8a));
    }
    browser.setPalette(palette);
}
}  // namespace

HelpWindow* HelpWindow::Open(const QWidget* owner) {
    if (helpFailed) {
        return nullptr;
    }
    if (!helpWindow) {
        if (!QFile::exists(QStringLiteral(":/help/default.htm"))) {
            helpFailed = true;
            return nullptr;
        }
        helpWindow = new HelpWindow;
        // Closed with the program, while the application object still stands.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, helpWindow,
                         [] { delete helpWindow; });
    }
    helpWindow->ShowStartPage();
    if (owner != nullptr && !helpWindow->isVisible()) {
        helpWindow->PlaceBeside(*owner->window());
    }
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
    return helpWindow;
}

QRect HelpWindow::Placement(const QRect& owner, QSize wanted, const QRect& screen) {
    const QSize size = wanted.boundedTo(screen.size());
    const int roomRight = screen.right() - owner.right();
    const int roomLeft = owner.left() - screen.left();
    int x = 0;
    if (roomRight >= size.width()) {
        x = owner.right() + 1;
    } else if (roomLeft >= size.width()) {
        x = owner.left() - size.width();
    } else {
        x = roomRight >= roomLeft ? screen.right() + 1 - size.width() : screen.left();
    }
    const int y = std::clamp(owner.top(), screen.top(), screen.bottom() + 1 - size.height());
    return {QPoint(x, y), size};
}

// The window manager's frame is not known before the window first shows; the owner's, from the
// same window manager, stands in for it.
void HelpWindow::PlaceBeside(const QWidget& owner) {
    const QScreen* screen = owner.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect ownerFrame = owner.frameGeometry();
    const QMargins frame(owner.geometry().left() - ownerFrame.left(),
                         owner.geometry().top() - ownerFrame.top(),
                         ownerFrame.right() - owner.geometry().right(),
                         ownerFrame.bottom() - owner.geometry().bottom());
    const QRect place = Placement(ownerFrame, size().grownBy(frame), screen->availableGeometry());
    setGeometry(place.marginsRemoved(frame));
}

HelpWindow* HelpWindow::Existing() {
    return helpWindow;
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window) {
    setWindowTitle(QStringLiteral("Plinkora Help"));
    setWindowIcon(artwork::ProgramIcon());
    // Help left open must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 620);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);  // mail and web addresses go to the system
    browser_->setSearchPaths({QStringLiteral(":/help")});
    browser_->document()->setDocumentMargin(12);
    GiveLightColours(*browser_);

    auto* tools = new QToolBar(this);
    QAction* back = tools->addAction(QStringLiteral("Back"), browser_, &QTextBrowser::backward);
    QAction* forward =
        tools->addAction(QStringLiteral("Forward"), browser_, &QTextBrowser::forward);
    tools->addAction(QStringLiteral("Contents"), this, &HelpWindow::ShowStartPage);
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Plinkora Help")
                                       : QStringLiteral("Plinkora Help - ") + title);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(browser_);
    ShowStartPage();
}

// As any window that only shows something, Esc puts it away.
void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HelpWindow::ShowStartPage() {
    browser_->setSource(StartPage());
}

}  // namespace plinkora
