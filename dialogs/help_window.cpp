#include "dialogs/help_window.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

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

HelpWindow* HelpWindow::Open() {
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
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
    return helpWindow;
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

void HelpWindow::ShowStartPage() {
    browser_->setSource(StartPage());
}

}  // namespace plinkora
