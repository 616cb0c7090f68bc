#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTextBrowser>

#include "dialogs/help_window.h"

namespace plinkora::testing {
namespace {

const QRect kScreen(0, 0, 1280, 1024);
const QSize kHelp(760, 660);

TEST(HelpPlacement, BesideTheMainWindowWhereThereIsRoomAndAlwaysWholeOnTheScreen) {
    // Room on the right, then only on the left.
    EXPECT_EQ(HelpWindow::Placement(QRect(0, 100, 500, 600), kHelp, kScreen),
              QRect(QPoint(500, 100), kHelp));
    EXPECT_EQ(HelpWindow::Placement(QRect(770, 100, 500, 600), kHelp, kScreen),
              QRect(QPoint(10, 100), kHelp));
    // A main window low on the screen: the help moves up rather than running off the bottom.
    EXPECT_EQ(HelpWindow::Placement(QRect(0, 700, 500, 300), kHelp, kScreen).bottom(),
              kScreen.bottom());
    // A main window as large as the screen leaves no room: the help takes the side with more.
    const QRect over = HelpWindow::Placement(QRect(100, 0, 1180, 1000), kHelp, kScreen);
    EXPECT_TRUE(kScreen.contains(over));
    EXPECT_EQ(over.left(), 0);
    // On a screen smaller than the help, the help shrinks to it.
    const QRect tiny(0, 0, 640, 480);
    EXPECT_EQ(HelpWindow::Placement(QRect(0, 0, 640, 480), kHelp, tiny), tiny);
}

TEST(HelpPlacement, EscClosesTheHelp) {
    HelpWindow* help = HelpWindow::Open();
    ASSERT_NE(help, nullptr);
    // The page has the keyboard; it has no use for Esc and passes it on to its window.
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(help->Browser(), &other);
    EXPECT_TRUE(help->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(help->Browser(), &escape);
    EXPECT_FALSE(help->isVisible());
}

}  // namespace
}  // namespace plinkora::testing
