#pragma once
// Positions and sizes in logical pixels of the phone screen (720 wide).
namespace Vx::Graphics {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Dimension {
    int width = 0;
    int height = 0;
    bool operator==(const Dimension&) const = default;
};

struct Rectangle {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rectangle&) const = default;
    bool Contains(const Point& p) const { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
};

}  // namespace Vx::Graphics
