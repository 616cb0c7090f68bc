#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace plinkora {

// The program's pictures, loaded from the compiled-in resources (the @2x files when a screen
// has high density), and loaded again when the screens' density changes. A picture that is missing
// or has the wrong size is replaced by a plain one of the right size, so the program still runs.
// GUI thread only; valid after QApplication exists.
namespace artwork {

inline constexpr int kToolbarIconSize = 32;
inline constexpr int kToolbarIconCount = 15;

// Loads the pictures again if the screens' density now calls for the others; true when it did,
// and then pictures taken before are stale.
bool FollowPixelRatio();
// The pictures for the given density (1 or 2); true when they had to be loaded.
bool LoadForRatio(qreal ratio);

QColor BackgroundColour();                    // pixel (0, 0) of the instrument pictures
const QPixmap& InstrumentPictures();          // 15 pictures of 171 x 141, side by side
QPixmap InstrumentPicture(int index);         // one of them, 0..14
const QPixmap& KeyCapStrip();                 // 152 x 39: white, blue, pink, green caps
QPixmap KeyCapImage(int image);               // one cap of the strip, 0..3
const QPixmap& FixedCap(int resourceNumber);  // 128..141
const QPixmap& ToolbarStrip();                // 480 x 32: 15 icons of 32 x 32
QIcon ToolbarIcon(int index);                 // 0..14
const QPixmap& SplashPicture();               // 200 x 200
QIcon ProgramIcon();
QCursor PointingHandCursor();  // hot spot (10, 2)
QCursor OpenHandCursor();      // hot spot (7, 8)

// Part of a strip given in logical pixels, whatever the strip's pixel ratio.
QPixmap Cut(const QPixmap& strip, const QRect& logical);

}  // namespace artwork
}  // namespace plinkora
