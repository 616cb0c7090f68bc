#include <QApplication>
#include <QMouseEvent>
#include <utility>
#include <vector>

#include "engine/key_handling.h"
#include "view_fixture.h"

namespace plinkora::testing {
namespace {

constexpr int kKeyA = 30, kKeyS = 31;
constexpr uint32_t kNoteOnMiddleC = 0x7F3C90;  // note 60, velocity 127, channel 0

TEST(KeyHitTest, FindsTheCapUnderAPointAndNothingBetweenTheCaps) {
    EXPECT_EQ(HitKey(0, 0), 2);       // "1"
    EXPECT_EQ(HitKey(455, 38), 13);   // the right edge of "="
    EXPECT_EQ(HitKey(19, 39), 16);    // Q
    EXPECT_EQ(HitKey(29, 78), 30);    // A
    EXPECT_EQ(HitKey(427, 155), 53);  // the bottom right corner of "/"
    for (int rx = 456; rx <= 475; ++rx) {
        EXPECT_EQ(HitKey(rx, 10), std::nullopt) << rx;
    }
    for (int rx = 0; rx < 19; ++rx) {
        EXPECT_EQ(HitKey(rx, 50), std::nullopt) << rx;
    }
    for (int ry : {0, 39, 78, 117, 155}) {
        EXPECT_EQ(HitKey(475, ry), std::nullopt) << ry;
    }
    for (int rx : {0, 100, 300}) {
        EXPECT_EQ(HitKey(rx, 156), std::nullopt) << rx;
    }
    EXPECT_EQ(HitKey(-1, 10), std::nullopt);
    EXPECT_EQ(HitKey(10, -1), std::nullopt);
}

// Mouse keys reach the engine the way the window routes them, and are noted as they pass.
class ViewMouse : public ViewTest {
  protected:
    ViewMouse() {
        QObject::connect(&view_, &KeyboardView::MouseKey, [this](uint32_t message, uint32_t param) {
            sent_.emplace_back(message, param);
            PlayKey(performance_, message, param);
        });
    }

    QPoint On(int keyIndex) const { return Cap(keyIndex).center(); }
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), view_.mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QApplication::sendEvent(&view_, &event);
    }

    std::vector<std::pair<uint32_t, uint32_t>> sent_;
};

TEST_F(ViewMouse, PressPlaysTheKeyAsTypedAndReleaseAnywhereEndsIt) {
    Send(QEvent::MouseButtonPress, On(kKeyA));
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0], std::make_pair(kKeyDown, uint32_t{kKeyA} * 65536));
    ASSERT_FALSE(outputs_.words.empty());
    EXPECT_EQ(outputs_.words.back(), kNoteOnMiddleC);
    EXPECT_EQ(view_.MouseKeyIndex(), kKeyA);

    // Dragging onto another key plays nothing new; the release outside the window ends A.
    Send(QEvent::MouseMove, On(kKeyS), Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, QPoint(-30, 2000));
    ASSERT_EQ(sent_.size(), 2u);
    EXPECT_EQ(sent_[1], std::make_pair(kKeyUp, uint32_t{kKeyA} * 65536));
    EXPECT_EQ(view_.MouseKeyIndex(), kNoMouseKey);

    // A second release has nothing to end.
    Send(QEvent::MouseButtonRelease, On(kKeyA));
    EXPECT_EQ(sent_.size(), 2u);
}

TEST_F(ViewMouse, PressOffThePlayingKeysDoesNothing) {
    const QPoint tab = origin_ + QPoint(-20, 50);
    const QPoint between = origin_ + QPoint(460, 10);  // bar key, inside the hit area
    const QPoint below = origin_ + QPoint(100, 156);   // space bar row
    for (const QPoint& at : {tab, between, below, QPoint(5, 5)}) {
        Send(QEvent::MouseButtonPress, at);
        Send(QEvent::MouseButtonRelease, at);
    }
    EXPECT_TRUE(sent_.empty());
    EXPECT_TRUE(outputs_.words.empty());
}

TEST_F(ViewMouse, OnlyTheLeftButtonPlaysAndOneKeyAtATime) {
    Send(QEvent::MouseButtonPress, On(kKeyA), Qt::RightButton);
    EXPECT_TRUE(sent_.empty());

    // A press whose release went elsewhere first ends the key still held.
    Send(QEvent::MouseButtonPress, On(kKeyA));
    Send(QEvent::MouseButtonPress, On(kKeyS));
    ASSERT_EQ(sent_.size(), 3u);
    EXPECT_EQ(sent_[1], std::make_pair(kKeyUp, uint32_t{kKeyA} * 65536));
    EXPECT_EQ(sent_[2], std::make_pair(kKeyDown, uint32_t{kKeyS} * 65536));

    // A quick second click is a second press.
    Send(QEvent::MouseButtonRelease, On(kKeyS));
    Send(QEvent::MouseButtonDblClick, On(kKeyS));
    ASSERT_EQ(sent_.size(), 5u);
    EXPECT_EQ(sent_[4], std::make_pair(kKeyDown, uint32_t{kKeyS} * 65536));
}

TEST_F(ViewMouse, OpenHandShowsOverPlayingKeysOnly) {
    Send(QEvent::MouseMove, On(kKeyA), Qt::NoButton);
    EXPECT_TRUE(view_.KeyCursorShown());
    EXPECT_NE(view_.cursor().shape(), Qt::ArrowCursor);

    Send(QEvent::MouseMove, origin_ + QPoint(-20, 50), Qt::NoButton);  // Tab
    EXPECT_FALSE(view_.KeyCursorShown());
    EXPECT_EQ(view_.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(sent_.empty());
}

}  // namespace
}  // namespace plinkora::testing
