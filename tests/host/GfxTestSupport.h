#pragma once
// The device tests' fixture and the one vertex layout of theirs the game's drawing tests do not
// share (those draw meshes in the game's own layout).
#include "tests/support/GfxFixture.h"

// Every device test: default states and a cleared back buffer of the test size.
using GfxTest = GfxFixture;

// Untransformed vertex with normal, colour and one texture coordinate set.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kMeshFVF = FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_TEX1;
