#pragma once

namespace pimoko {

// A pixel position; which grid it counts in (document or view) is up to the caller.
struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// Truncating division, as the view-to-document mapping needs: -5 / 6 is 0.
constexpr int divTruncate(int value, int divisor) { return value / divisor; }

} // namespace pimoko
