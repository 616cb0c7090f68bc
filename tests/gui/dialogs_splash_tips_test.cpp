#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <random>

#include "dialogs/splash_dialog.h"
#include "dialogs/tip_box.h"

namespace plinkora::testing {
namespace {

namespace fs = std::filesystem;

TEST(Splash, EndsOnItsOwnAfterItsTime) {
    SplashDialog splash;
    QElapsedTimer clock;
    clock.start();
    splash.exec();
    EXPECT_GE(clock.elapsed(), SplashDialog::kShowMilliseconds - 20);
    EXPECT_LT(clock.elapsed(), SplashDialog::kShowMilliseconds + 1500);
}

TEST(Splash, EndsAtTheFirstClick) {
    SplashDialog splash;
    QTimer::singleShot(100, &splash, [&splash] {
        const QPoint at(100, 100);
        QMouseEvent press(QEvent::MouseButtonPress, at, splash.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&splash, &press);
    });
    QElapsedTimer clock;
    clock.start();
    splash.exec();
    EXPECT_LT(clock.elapsed(), SplashDialog::kShowMilliseconds - 400);
}

// Drives the modal tip box from inside its own event loop.
class TipBoxWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        log_ = fs::temp_directory_path() /
               ("plinkora_tipbox_" + std::to_string(std::random_device{}()) + ".log");
    }
    void TearDown() override { fs::remove(log_); }

    void WhileOpen(std::function<void(TipBox&)> steps) {
        QTimer::singleShot(0, [steps] {
            auto* box = qobject_cast<TipBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            steps(*box);
        });
    }
    static QPushButton* Button(TipBox& box, const char* text) {
        for (QPushButton* button : box.findChildren<QPushButton*>()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }

    fs::path log_;
    TipState state;
};

TEST_F(TipBoxWindow, ShowsLineBreaksAndEscClosesLikeClose) {
    state = {1, 0, "first\r\nline two\r\n\r\nsecond"};
    TipBox box(state, log_.string());
    QString first, second;
    WhileOpen([&](TipBox& shown) {
        first = shown.ShownText();
        Button(shown, "&Next Tip")->click();
        second = shown.ShownText();
        shown.findChild<QCheckBox*>()->click();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&shown, &esc);
    });
    box.Run();
    EXPECT_EQ(first, "first\nline two");
    EXPECT_EQ(second, "second");
    EXPECT_EQ(state.showTipsAtStartup, 0);
    EXPECT_EQ(state.nextTipIndex, 0);
    EXPECT_EQ(fs::file_size(log_), 8u);
}

TEST_F(TipBoxWindow, TooLongTipNeverOpensTheBox) {
    state = {1, 0, std::string(1000, 'x') + "\r\n\r\nshort"};
    TipBox box(state, log_.string());
    box.Run();  // would wait for a click if it opened
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(state.nextTipIndex, 1);
}

}  // namespace
}  // namespace plinkora::testing
