#pragma once
// Integer points and rectangles of map cells and layout boxes; both bounds are inclusive.

struct IntPoint {
    int x = 0, y = 0;
    IntPoint() = default;
    IntPoint(int x_, int y_) : x(x_), y(y_) {}
    bool operator==(const IntPoint& p) const { return x == p.x && y == p.y; }
    bool operator!=(const IntPoint& p) const { return !(*this == p); }
};

struct IntRect {
    // Empty: min above any real coordinate and max below, so that the first point added sets
    // both.
    int minX = 100000;
    int maxX = -99999;
    int minY = 100000;
    int maxY = -99999;

    void SetEmpty();
    void Union(const IntRect& other);
    void AddPoint(int x, int y);
    // Adds to each side separately.
    void Offset(int dMinX, int dMaxX, int dMinY, int dMaxY);
    // (maxX - minX + 1, maxY - minY + 1).
    IntPoint GetSize() const;
    IntPoint GetOrigin() const;
    // (minX + width / 2, minY + height / 2) with integer division.
    IntPoint GetCenter() const;
};
