#pragma once
// Every mesh and animation the generator makes, by file name. The build writes them all and packs
// them into data/mesh.pkb and data/anims.pkb; the tests read them the way the game does.
//
// Adding a model: write its description (a function filling the mesh) next to its kind of model
// and list it in the catalogue with its file name; list the file in content/meshgen's CMake too.
#include "render/Animation.h"

#include <string>
#include <vector>

class IndexedMesh;

// What the generated meshes draw with: units, buildings and what they carry are lit and
// normal-mapped; the sky and ground decals are flat. Their paint is in the vertex colours, over
// a white texture.
constexpr const char* LIT_MESH_EFFECT = "data/shaders/botbuilding.fx";
constexpr const char* MESH_EFFECT = "data/shaders/flat.fx";
constexpr const char* WHITE_TEXTURE = "data/textures/white.dds";
constexpr const char* FLAT_NORMAL_MAP = "data/textures/normalmapnone.dds";

struct MeshRecipe {
    const char* fileName;  // the package entry the game asks for
    void (*make)(IndexedMesh* mesh);
};

struct AnimationRecipe {
    const char* fileName;
    const char* meshFileName;  // the mesh whose skeleton it moves
    int id;                    // AnimationId it plays as
    bool holds;                // meant to stay on its last key (set by the unit's set-up)
    Animation (*make)();
};

const std::vector<MeshRecipe>& MeshCatalogue();
const std::vector<AnimationRecipe>& AnimationCatalogue();

struct GeneratedFile {
    std::string fileName;
    std::string text;
};
std::vector<GeneratedFile> GenerateMeshFiles();
std::vector<GeneratedFile> GenerateAnimationFiles();

// The models, by kind.
void MakeWalker(IndexedMesh* mesh);
Animation MakeWalkerIdle();
Animation MakeWalkerWalk();
Animation MakeWalkerAttack();
Animation MakeWalkerPain();
Animation MakeWalkerDeath();
void MakeSkybox(IndexedMesh* mesh);
void MakeHopperEmpty(IndexedMesh* mesh);
void MakeHopperHalf(IndexedMesh* mesh);
void MakeHopperFull(IndexedMesh* mesh);
void MakeSplat(IndexedMesh* mesh);
void MakeFlag(IndexedMesh* mesh);
// The start screen's galaxy (GalaxyModel.cpp); the game asks for data/mesh/planets/galaxy.txt.
void MakeGalaxy(IndexedMesh* mesh);
// The galaxy map's bodies (PlanetModels.cpp): data/mesh/planets/planet_0.txt, rings.txt and
// planet_selected.txt.
void MakePlanetSphere(IndexedMesh* mesh);
void MakePlanetRings(IndexedMesh* mesh);
void MakePlanetSelected(IndexedMesh* mesh);
// The terrain editor's brushes (EditorBrushes.cpp)
void MakeSculptBrush0(IndexedMesh* mesh);
void MakeSculptBrush1(IndexedMesh* mesh);
void MakeSculptBrush2(IndexedMesh* mesh);
void MakeSculptBrush3(IndexedMesh* mesh);
void MakeSplatSmall(IndexedMesh* mesh);
void MakeSplatLarge(IndexedMesh* mesh);
// The overlays of play (Overlays.cpp)
void MakeOverlayRed(IndexedMesh* mesh);
void MakeOverlayGreen(IndexedMesh* mesh);
void MakeOverlayBlue(IndexedMesh* mesh);
void MakeOverlayYellow(IndexedMesh* mesh);
void MakeOverlayRedTile(IndexedMesh* mesh);
void MakeOverlayGreenTile(IndexedMesh* mesh);
void MakeOverlayBlueTile(IndexedMesh* mesh);
void MakeSelectionRing(IndexedMesh* mesh);
void MakeSelectionSquare(IndexedMesh* mesh);
void MakeAttackCircle(IndexedMesh* mesh);
void MakeOverlayCube(IndexedMesh* mesh);
void MakeDebrisMetal0(IndexedMesh* mesh);
void MakeDebrisMetal1(IndexedMesh* mesh);
void MakeDebrisMetal2(IndexedMesh* mesh);
void MakeDebrisBio0(IndexedMesh* mesh);
void MakeDebrisBio1(IndexedMesh* mesh);
void MakeDebrisBio2(IndexedMesh* mesh);
void MakeDebrisRock0(IndexedMesh* mesh);
void MakeDebrisRock1(IndexedMesh* mesh);
void MakeDebrisRock2(IndexedMesh* mesh);
void MakeDebrisPlant0(IndexedMesh* mesh);
void MakeDebrisPlant1(IndexedMesh* mesh);
void MakeDebrisWood0(IndexedMesh* mesh);
void MakeDebrisWood1(IndexedMesh* mesh);
