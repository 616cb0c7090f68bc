#include <QApplication>
#include <QMouseEvent>
#include <utility>
#include <vector>

#include "view_fixture.h"

namespace plinkora::testing {
namespace {

// Mouse keys reach the engine the way the window routes them, and are noted as they pass.
class ViewMouse : public ViewTest {
  protected:
    ViewMouse() {
        QObject::connect(&view_, &KeyboardView::MouseKey, [this](const KeyStroke& key) {
            sent_.emplace_back(key.down, key.scanCode);
            PlayKey(performance_, key);
        });
    }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), view_.mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(&view_, &event);
    }
    static std::pair<bool, uint32_t> Key(bool down, int keyIndex) {
        return {down, uint32_t(keyIndex)};
    }

    std::vector<std::pair<bool, uint32_t>> sent_;
};

TEST_F(ViewMouse, PressPlaysTheKeyAsTypedAndReleaseAnywhereEndsIt) {
    Send(QEvent::MouseButtonPress, Cap(kKeyA).center());
    EXPECT_EQ(sent_, (std::vector{Key(true, kKeyA)}));
    EXPECT_EQ(outputs_.words, std::vector<uint32_t>{0x7F3C90});  // note 60, velocity 127
    EXPECT_EQ(view_.MouseKeyIndex(), kKeyA);

    // Dragging onto another key plays nothing new; the release outside the window ends A.
    Send(QEvent::MouseMove, Cap(kKeyS).center(), Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, QPoint(-30, 2000));
    Send(QEvent::MouseButtonRelease, Cap(kKeyA).center());  // nothing left to end
    EXPECT_EQ(sent_, (std::vector{Key(true, kKeyA), Key(false, kKeyA)}));
    EXPECT_EQ(view_.MouseKeyIndex(), kNoMouseKey);
}

TEST_F(ViewMouse, OnlyTheLeftButtonPlaysAndOneKeyAtATime) {
    Send(QEvent::MouseButtonPress, Cap(kKeyA).center(), Qt::RightButton);
    // A press whose release went elsewhere first ends the key still held; a quick second click
    // is a second press.
    Send(QEvent::MouseButtonPress, Cap(kKeyA).center());
    Send(QEvent::MouseButtonPress, Cap(kKeyS).center());
    Send(QEvent::MouseButtonRelease, Cap(kKeyS).center());
    Send(QEvent::MouseButtonDblClick, Cap(kKeyS).center());
    EXPECT_EQ(sent_, (std::vector{Key(true, kKeyA), Key(false, kKeyA), Key(true, kKeyS),
                                  Key(false, kKeyS), Key(true, kKeyS)}));
}

TEST_F(ViewMouse, OffThePlayingKeysNothingPlaysAndTheArrowShows) {
    Send(QEvent::MouseMove, Cap(kKeyA).center(), Qt::NoButton);
    EXPECT_TRUE(view_.KeyCursorShown());
    EXPECT_NE(view_.cursor().shape(), Qt::ArrowCursor);
    // Tab, the bar key inside the hit area, the space bar row and the top of the window.
    for (QPoint at : {origin_ + QPoint(-20, 50), origin_ + QPoint(460, 10),
                      origin_ + QPoint(100, 156), QPoint(5, 5)}) {
        Send(QEvent::MouseMove, at, Qt::NoButton);
        EXPECT_FALSE(view_.KeyCursorShown());
        EXPECT_EQ(view_.cursor().shape(), Qt::ArrowCursor);
        Send(QEvent::MouseButtonPress, at);
        Send(QEvent::MouseButtonRelease, at);
    }
    EXPECT_TRUE(sent_.empty());
    EXPECT_TRUE(outputs_.words.empty());
}

}  // namespace
}  // namespace plinkora::testing
