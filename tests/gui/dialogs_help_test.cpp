#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>

#include "dialogs/dialogs.h"
#include "dialogs/help_window.h"

namespace plinkora::testing {
namespace {

TEST(Help, FirstUseOpensTheStartPageAndLaterUsesReuseTheWindow) {
    ShowHelp(nullptr);
    HelpWindow* first = HelpWindow::Existing();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->Browser()->source(), HelpWindow::StartPage());
    EXPECT_EQ(HelpWindow::StartPage().fileName(), "default.htm");
    EXPECT_FALSE(first->Browser()->toPlainText().isEmpty());

    first->Browser()->setSource(QUrl(QStringLiteral("qrc:/help/recording.htm")));
    first->close();
    ShowHelp(nullptr);
    EXPECT_EQ(HelpWindow::Existing(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->Browser()->source(), HelpWindow::StartPage());
}

TEST(Help, EveryLinkLeadsToAPageAndTheContentsReachEveryPage) {
    const QStringList pages = QDir(QStringLiteral(":/help")).entryList({"*.htm"});
    ASSERT_GE(pages.size(), 10);
    static const QRegularExpression href(QStringLiteral("href=\"([^\":#]+)[\"#]"));
    QStringList fromContents;
    for (const QString& page : pages) {
        QFile file(":/help/" + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (const QRegularExpressionMatch& match : href.globalMatch(html)) {
            EXPECT_TRUE(QFile::exists(":/help/" + match.captured(1)))
                << page.toStdString() << " links to " << match.captured(1).toStdString();
            if (page == "default.htm") {
                fromContents << match.captured(1);
            }
        }
    }
    for (const QString& page : pages) {
        EXPECT_TRUE(page == "default.htm" || fromContents.contains(page)) << page.toStdString();
    }
}

}  // namespace
}  // namespace plinkora::testing
