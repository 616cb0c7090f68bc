#pragma once

#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "engine/key_table.h"
#include "engine/performance.h"
#include "view/key_legends.h"
#include "window/geometry.h"
#include "window/keyboard_geometry.h"

namespace plinkora {

class KeymapWatch;

// The client area of the main window: the typing keyboard, the instrument picture, the status
// and hint lines and the slider captions. The shell places the bars and buttons on top of it.
//
// A key event repaints only its own cap. Any other repaint (a resize, Esc, a menu choice)
// shows every cap it touches released, as a freshly drawn keyboard does; only caps drawn since
// the last paint keep their tint, so a key pressed just after Esc still lights. Uncovering the
// window is no repaint: Qt puts back the pixels it kept, so a held key keeps its tint.
class KeyboardView : public QWidget, public KeyCapPainter {
    Q_OBJECT
  public:
    KeyboardView(Performance& performance, QWidget* parent = nullptr);

    // Where the keyboard sits, from the window's layout.
    void SetKeyboardOrigin(int keyboardLeft, int keyboardTop);
    // On a screen too small for the layout everything is drawn smaller by this factor (at most
    // 1): positions, sizes and texts of the view stay in the layout's logical pixels.
    void SetScale(qreal scale);
    qreal Scale() const { return scale_; }
    // The client area in logical pixels.
    QSize LogicalSize() const;
    // A logical rectangle as the widget's pixels that cover it.
    QRect ToWidget(const QRect& logical) const;
    Point KeyboardOriginPoint() const { return origin_; }
    const Performance& performance() const { return performance_; }
    // Width and height of "M" in this widget's font: the unit of the layout and of the texts.
    QSize CharSize() const;

    void DrawKeyCap(int keyIndex, bool pressed, bool fromPlayback, int32_t shift) override;
    // Repaints the whole area with every cap released, whatever was drawn before.
    void RepaintAll();
    // Takes the pictures again after they were loaded for another screen density.
    void ReloadPictures();

    // What the keys type in the user's layout; under any but a US layout the caps show it.
    const KeyLegends& Legends() const;
    // Follows another keymap than the session's (tests); the view becomes its parent.
    void FollowKeymap(KeymapWatch* watch);

    int MouseKeyIndex() const { return mouseKey_; }
    // Lets go of the key held with the mouse, if any.
    void ReleaseMouseKey();
    bool KeyCursorShown() const { return keyCursorShown_; }

  signals:
    // A key pressed or released with the mouse, as if it had been typed.
    void MouseKey(const plinkora::KeyStroke& key);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void TakePictures();
    void PaintMainWindow(QPainter& painter, const QRect& region);
    QRect ToLogical(const QRect& widget) const;
    void PaintCap(QPainter& painter, int keyIndex) const;
    void PaintLegend(QPainter& painter, int keyIndex, QPoint capTopLeft) const;
    void PaintFixedCaps(QPainter& painter) const;
    void PaintFixedCap(QPainter& painter, const FixedCapPlace& place) const;
    bool PedalShownDown() const;
    void DrawPedal();
    QRect SpaceBarRect() const;
    void PaintFixedCapLegends(QPainter& painter, const FixedCapPlace& place) const;
    void LegendsChanged();
    void PaintTexts(QPainter& painter) const;
    void PaintPicture(QPainter& painter) const;
    std::optional<int> KeyAt(QPointF position) const;

    Performance& performance_;
    KeymapWatch* keymap_ = nullptr;
    Point origin_;
    qreal scale_ = 1.0;
    QColor background_;
    std::array<QPixmap, 4> capImages_;
    std::array<int8_t, kKeyTableSize> capShown_{};  // image of the strip each cap shows
    std::bitset<kKeyTableSize> drawnSincePaint_;
    bool pedalDrawnSincePaint_ = false;
    QRegion drawnRegion_;
    int mouseKey_ = kNoMouseKey;
    bool keyCursorShown_ = false;
};

}  // namespace plinkora
