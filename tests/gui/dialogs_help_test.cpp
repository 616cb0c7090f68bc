#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>

#include "dialogs/dialogs.h"
#include "dialogs/help_window.h"

namespace plinkora::testing {
namespace {

QString Page(const QString& name) {
    QFile file(":/help/" + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList LocalLinks(const QString& html) {
    QStringList targets;
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    for (const QRegularExpressionMatch& match : href.globalMatch(html)) {
        const QString target = match.captured(1).section('#', 0, 0);
        if (!target.isEmpty() && !target.contains(':')) {
            targets << target;
        }
    }
    return targets;
}

TEST(Help, FirstUseOpensTheStartPageAndLaterUsesReuseTheWindow) {
    ShowHelp(nullptr);
    HelpWindow* first = HelpWindow::Existing();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->Browser()->source(), HelpWindow::StartPage());
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
    ASSERT_TRUE(pages.contains("default.htm"));
    ASSERT_GE(pages.size(), 10);
    for (const QString& page : pages) {
        const QString html = Page(page);
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (const QString& target : LocalLinks(html)) {
            EXPECT_TRUE(QFile::exists(":/help/" + target))
                << page.toStdString() << " links to " << target.toStdString();
        }
    }
    const QStringList contents = LocalLinks(Page("default.htm"));
    for (const QString& page : pages) {
        if (page != "default.htm") {
            EXPECT_TRUE(contents.contains(page)) << page.toStdString();
        }
    }
}

}  // namespace
}  // namespace plinkora::testing
