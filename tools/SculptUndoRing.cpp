#include "tools/SculptUndoRing.h"

#include <algorithm>
#include <cstring>

SculptUndoRing TheSculptUndoRing;

void SculptUndoRing::Allocate(int w, int h)
{
    if (w <= 0 || h <= 0) return;
    if (Fits(w, h)) return;
    width = w;
    height = h;
    index = undoCount = total = 0;
    const size_t cells = (size_t)w * h;
    for (std::vector<float>& snapshot : snapshots) snapshot.assign(cells, 0.0f);
    scratch.assign(cells, 0.0f);
    allocated = true;
}

void SculptUndoRing::Push(const float* heights, int w, int h)
{
    if (!heights) return;
    Allocate(w, h);
    if (!Fits(w, h)) return;
    memcpy(snapshots[index].data(), heights, snapshots[index].size() * sizeof(float));
    index = index + 1 == SLOTS ? 0 : index + 1;
    undoCount = std::min(undoCount + 1, SLOTS);
    total = undoCount;
}

void SculptUndoRing::Swap(float* heights, int slot)
{
    const size_t bytes = scratch.size() * sizeof(float);
    memcpy(scratch.data(), heights, bytes);
    memcpy(heights, snapshots[slot].data(), bytes);
    memcpy(snapshots[slot].data(), scratch.data(), bytes);
}

bool SculptUndoRing::Undo(float* heights, int w, int h)
{
    if (!heights || !Fits(w, h) || undoCount <= 0) return false;
    index = index - 1 < 0 ? SLOTS - 1 : index - 1;
    Swap(heights, index);
    --undoCount;
    return true;
}

bool SculptUndoRing::Redo(float* heights, int w, int h)
{
    if (!heights || !Fits(w, h) || total < 1 || total - undoCount < 1) return false;
    Swap(heights, index);
    index = index + 1 == SLOTS ? 0 : index + 1;
    ++undoCount;
    return true;
}

void SculptUndoRing::Release()
{
    *this = SculptUndoRing();
}
