#pragma once
// The terrain editor's undo: before each sculpt stroke (and before a heightmap is loaded or
// cleared) the whole height grid is copied into a ring of 32 snapshots, so that the last 32
// steps can be undone and the undone ones redone. Whole grids, no differences: a 128 x 128
// map is 64 KB a snapshot.
//
// The ring keeps the grid size of its allocation. A grid of another size (a level of another
// size, a heightmap loaded at another size) makes it start over at that size: its old
// snapshots could not be put back into the new grid.
#include <vector>

class SculptUndoRing {
public:
    static constexpr int SLOTS = 32;

    // Snapshots of width x height values; nothing when already allocated at that size,
    // otherwise the ring starts over empty at the new size.
    void Allocate(int width, int height);
    // Stores a snapshot of the grid; every step that could be redone is dropped.
    void Push(const float* heights, int width, int height);
    // Swaps the grid with the last snapshot; false (nothing changed) when there is nothing to
    // undo or the grid is not the ring's size.
    bool Undo(float* heights, int width, int height);
    // Swaps the grid with the snapshot an undo put there; false when nothing was undone.
    bool Redo(float* heights, int width, int height);
    // Everything let go; the next push allocates again.
    void Release();

    bool IsAllocated() const { return allocated; }
    int UndoCount() const { return undoCount; }
    int RedoCount() const { return total - undoCount; }

    std::vector<float> snapshots[SLOTS];
    std::vector<float> scratch;
    int width = 0, height = 0;
    int index = 0;
    int undoCount = 0;
    int total = 0;
    bool allocated = false;

private:
    bool Fits(int w, int h) const { return allocated && w == width && h == height; }
    void Swap(float* heights, int slot);
};

// One ring for the whole run.
extern SculptUndoRing TheSculptUndoRing;
