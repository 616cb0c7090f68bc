#include <QAccessible>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolBar>

#include "shell_test_fixture.h"
#include "view/keyboard_view.h"
#include "view/qt_geometry.h"
#include "window/keyboard_geometry.h"

namespace plinkora::testing {
namespace {

// A 1920 x 1080 screen at twice the scale leaves 960 x 540 logical pixels.
const QRect kSmallScreen(0, 0, 960, 540);

class SmallScreen : public ShellTest {
  protected:
    MainWindow& StartOn(const QRect& screen) {
        MainWindow& window = Start();
        window.FitInto(screen);
        EXPECT_TRUE(WaitUntil([&] {
            return window.frameGeometry().height() <= screen.height() &&
                   window.Layout().clientWidth == window.View()->LogicalSize().width();
        }));
        return window;
    }
    static QRect OnScreen(const QWidget& widget) {
        return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
    }
    void Click(QPoint at, QEvent::Type type) {
        KeyboardView& view = *window_->View();
        QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }
};

TEST_F(SmallScreen, EveryControlAndPaintedPartFitsAndStaysApart) {
    MainWindow& window = StartOn(kSmallScreen);
    KeyboardView& view = *window.View();
    EXPECT_LT(view.Scale(), 1.0);
    EXPECT_TRUE(kSmallScreen.contains(window.frameGeometry()));
    std::vector<QWidget*> controls = {window.menuBar(), window.findChild<QToolBar*>(), &view,
                                      window.ForceBar(), window.FreqBar()};
    for (int id = kFirstTransportCommand; id < kFirstTransportCommand + kTransportButtonCount;
         ++id) {
        controls.push_back(window.Button(id));
    }
    for (QWidget* control : controls) {
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(kSmallScreen.contains(OnScreen(*control)))
            << control->metaObject()->className() << " " << control->accessibleName().toStdString();
    }
    // What the view paints: the keyboard, the lines and the label as a screen reader finds them.
    QAccessibleInterface* painted = QAccessible::queryAccessibleInterface(&view);
    for (int i = 0; i < painted->childCount(); ++i) {
        const QRect part = painted->child(i)->rect();
        if (!part.isEmpty()) {
            EXPECT_TRUE(OnScreen(view).contains(part)) << i;
        }
    }
    // The bars stand right of the keyboard and the buttons below it, as at full size.
    const QRect keyboard =
        view.ToWidget(QRect(view.KeyboardOriginPoint().x - kCapWidth, view.KeyboardOriginPoint().y,
                            kKeyboardWidth, kKeyboardHeight));
    EXPECT_LT(keyboard.right(), window.ForceBar()->geometry().left());
    EXPECT_LT(keyboard.bottom(), window.Button(kBeginRecordCommand)->geometry().top());
    EXPECT_LT(window.ForceBar()->geometry().right(), window.FreqBar()->geometry().left());
}

TEST_F(SmallScreen, AClickOnAScaledKeyPlaysItAndItsNameSitsWhereItIsDrawn) {
    MainWindow& window = StartOn(kSmallScreen);
    KeyboardView& view = *window.View();
    const QRect drawn = view.ToWidget(ToQRect(CapRect(view.KeyboardOriginPoint(), kKeyA)));
    Words().clear();
    Click(drawn.center(), QEvent::MouseButtonPress);
    Click(drawn.center(), QEvent::MouseButtonRelease);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 60), NoteOff(0, 60)}));

    // The last key of the home row, far from the origin where rounding adds up, plays too.
    const QRect quote = view.ToWidget(ToQRect(CapRect(view.KeyboardOriginPoint(), 0x28)));
    Words().clear();
    Click(quote.center(), QEvent::MouseButtonPress);
    Click(quote.center(), QEvent::MouseButtonRelease);
    EXPECT_EQ(Words(), (Sent{NoteOn(0, 77), NoteOff(0, 77)}));

    QAccessibleInterface* keyboard = nullptr;
    QAccessibleInterface* painted = QAccessible::queryAccessibleInterface(&view);
    for (int i = 0; i < painted->childCount(); ++i) {
        if (painted->child(i)->role() == QAccessible::Grouping) {
            keyboard = painted->child(i);
        }
    }
    ASSERT_NE(keyboard, nullptr);
    const QPoint centre = view.mapToGlobal(drawn.center());
    QAccessibleInterface* key = keyboard->childAt(centre.x(), centre.y());
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->text(QAccessible::Name), "A, 1");
    EXPECT_EQ(key->rect(), QRect(view.mapToGlobal(drawn.topLeft()), drawn.size()));
}

// A screen whose scale goes from 1 to 2 leaves half the room, and back again.
TEST_F(SmallScreen, AScreenChangeWhileShownFitsTheWindowAgain) {
    const QRect large(0, 0, 1920, 1080);
    MainWindow& window = StartOn(large);
    ASSERT_EQ(window.View()->Scale(), 1.0);
    window.FitToScreen(kSmallScreen);
    EXPECT_TRUE(WaitUntil([&] {
        return kSmallScreen.contains(window.frameGeometry()) && window.View()->Scale() < 1.0;
    }));
    window.FitToScreen(large);
    EXPECT_TRUE(WaitUntil([&] { return window.View()->Scale() == 1.0; }));
    EXPECT_TRUE(large.contains(window.frameGeometry()));
}

TEST_F(SmallScreen, AScreenChangeKeepsTheSizeTheUserGaveAWindowThatStillFits) {
    MainWindow& window = StartOn(QRect(0, 0, 1920, 1080));
    window.resize(1000, 760);
    ASSERT_TRUE(WaitUntil([&] { return window.size() == QSize(1000, 760); }));
    window.FitToScreen(QRect(0, 0, 1600, 900));
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(1000, 760));
    EXPECT_EQ(window.View()->Scale(), 1.0);
}

TEST_F(SmallScreen, WhereTheLayoutFitsNothingIsScaled) {
    MainWindow& window = StartOn(QRect(0, 0, 1920, 1080));
    window.resize(900, 700);
    ASSERT_TRUE(WaitUntil([&] { return window.Layout().clientWidth == window.View()->width(); }));
    EXPECT_EQ(window.View()->Scale(), 1.0);
    EXPECT_EQ(window.ForceBar()->width(), 18);
    EXPECT_EQ(window.View()->LogicalSize(), window.View()->size());
}

}  // namespace
}  // namespace plinkora::testing
