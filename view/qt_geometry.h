#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <string>

#include "window/geometry.h"

namespace plinkora {

// The window layer's points, rectangles, colours and texts as Qt's, and back: the only place
// the Qt front end converts them.

inline QPoint ToQPoint(Point p) {
    return {p.x, p.y};
}

inline QSize ToQSize(Size s) {
    return {s.width, s.height};
}

// By extent, not by corners: QRect's right() is the last column, the layer's Right() one past it.
inline QRect ToQRect(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}

inline constexpr QColor ToQColor(Rgb c) {
    return QColor(c.red, c.green, c.blue);
}

inline QString ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

inline Point ToPoint(QPoint p) {
    return {p.x(), p.y()};
}

inline Size ToSize(QSize s) {
    return {s.width(), s.height()};
}

inline Rect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

}  // namespace plinkora
