#include "platform/IntRect.h"

void IntRect::SetEmpty()
{
    minX = minY = 100000;
    maxX = maxY = -99999;
}

void IntRect::Union(const IntRect& other)
{
    if (other.minX < minX) minX = other.minX;
    if (other.maxX > maxX) maxX = other.maxX;
    if (other.minY < minY) minY = other.minY;
    if (other.maxY > maxY) maxY = other.maxY;
}

void IntRect::AddPoint(int x, int y)
{
    if (x < minX) minX = x;
    if (x > maxX) maxX = x;
    if (y < minY) minY = y;
    if (y > maxY) maxY = y;
}

void IntRect::Offset(int dMinX, int dMaxX, int dMinY, int dMaxY)
{
    minX += dMinX;
    maxX += dMaxX;
    minY += dMinY;
    maxY += dMaxY;
}

IntPoint IntRect::GetSize() const
{
    return IntPoint(maxX - minX + 1, maxY - minY + 1);
}

IntPoint IntRect::GetOrigin() const
{
    return IntPoint(minX, minY);
}

IntPoint IntRect::GetCenter() const
{
    IntPoint size = GetSize();
    return IntPoint(minX + size.x / 2, minY + size.y / 2);
}
