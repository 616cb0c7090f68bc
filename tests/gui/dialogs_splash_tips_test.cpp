#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>

#include "dialogs/splash_dialog.h"
#include "dialogs/tip_box.h"

namespace plinkora::testing {
namespace {

TEST(Splash, EndsOnItsOwnAfterItsTimeOrAtTheFirstClick) {
    for (bool click : {false, true}) {
        SplashDialog splash;
        if (click) {
            QTimer::singleShot(100, &splash, [&splash] {
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100),
                                  splash.mapToGlobal(QPointF(100, 100)), Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&splash, &press);
            });
        }
        QElapsedTimer clock;
        clock.start();
        splash.exec();
        if (click) {
            EXPECT_LT(clock.elapsed(), SplashDialog::kShowMilliseconds - 400);
        } else {
            EXPECT_GE(clock.elapsed(), SplashDialog::kShowMilliseconds - 20);
            EXPECT_LT(clock.elapsed(), SplashDialog::kShowMilliseconds + 1500);
        }
    }
}

// The modal tip box, driven from inside its own event loop.
TEST(TipBoxWindow, ShowsLineBreaksAndEscClosesLikeClose) {
    QTemporaryDir dir;
    const std::string log = dir.filePath("tips.log").toStdString();
    TipState state{1, 0, "first\r\nline two\r\n\r\nsecond"};
    TipBox box(state, log);
    QString first, second;
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(QApplication::activeModalWidget(), &box);
        first = box.ShownText();
        for (QPushButton* button : box.findChildren<QPushButton*>()) {
            if (button->text() == "&Next Tip") {
                button->click();
            }
        }
        second = box.ShownText();
        box.findChild<QCheckBox*>()->click();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &esc);
    });
    box.Run();
    EXPECT_EQ(first, "first\nline two");
    EXPECT_EQ(second, "second");
    EXPECT_EQ(state.showTipsAtStartup, 0);
    EXPECT_EQ(state.nextTipIndex, 0);
    EXPECT_EQ(std::filesystem::file_size(log), 8u);

    // A tip too long to show never opens the box (Run would wait for a click).
    state = {1, 0, std::string(1000, 'x') + "\r\n\r\nshort"};
    TipBox tooLong(state, log);
    tooLong.Run();
    EXPECT_FALSE(tooLong.isVisible());
    EXPECT_EQ(state.nextTipIndex, 1);
}

}  // namespace
}  // namespace plinkora::testing
