#pragma once
// The sky: one shared mesh from the mesh library ("data/Skys/skybox.txt"), a dome drawn around
// the eye, painted by the sky texture alone, behind everything else (drawn by DrawSky,
// drawing/TerrainDrawing.h).
class IndexedMesh;
struct TextureRecord;

class Skybox {
public:
    // Takes the sky mesh of that name (null: the game's sky) from the mesh library and the sky
    // texture from the texture manager. A scene's "Skybox" line calls it.
    static void Load(const char* name = nullptr);

    static IndexedMesh* mesh;
    static TextureRecord* texture;
};
