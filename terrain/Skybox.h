#pragma once
// The sky: one shared mesh from the mesh library ("data/Skys/skybox.txt"), a dome drawn around
// the eye, painted by the sky texture alone, behind everything else.
class IndexedMesh;
struct TextureRecord;

class Skybox {
public:
    // Takes the sky mesh of that name (null: the game's sky) from the mesh library and the sky
    // texture from the texture manager. A scene's "Skybox" line calls it.
    static void Load(const char* name = nullptr);
    // Draws the sky for a colour pass: scaled by 10, centred on the eye (the view without its
    // translation), without depth test or depth writes. The depth and glow passes draw none.
    // With draw false it draws nothing but leaves every state as a drawing would: a frame
    // whose ground hides the sky draws the rest as if the sky had been drawn.
    static void Render(int pass, bool draw = true);

    static IndexedMesh* mesh;
    static TextureRecord* texture;
};
