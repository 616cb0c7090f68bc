#pragma once

namespace plinkora {

// Points, sizes and rectangles in logical pixels, for every front end; each converts them to its
// toolkit's own at the edge.
struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// left, top, width and height; empty when either extent is not positive.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }  // one past the last column
    int Bottom() const { return top + height; }
    bool Empty() const { return width <= 0 || height <= 0; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < Right() && p.y >= top && p.y < Bottom();
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as red, green and blue, 0..255 each.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace plinkora
