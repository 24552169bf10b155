#include "content/meshgen/Catalogue.h"

#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

const std::vector<MeshRecipe>& MeshCatalogue()
{
    static const std::vector<MeshRecipe> recipes = {
        {"walker.txt", MakeWalker},
        {"skybox.txt", MakeSkybox},
        {"hopper_empty.txt", MakeHopperEmpty},
        {"hopper_half.txt", MakeHopperHalf},
        {"hopper_full.txt", MakeHopperFull},
        {"splat.txt", MakeSplat},
        {"flag.txt", MakeFlag},
        {"galaxy.txt", MakeGalaxy},
        {"planet_0.txt", MakePlanetSphere},
        {"rings.txt", MakePlanetRings},
        {"planet_selected.txt", MakePlanetSelected},
        {"debris_metal_0.txt", MakeDebrisMetal0},
        {"debris_metal_1.txt", MakeDebrisMetal1},
        {"debris_metal_2.txt", MakeDebrisMetal2},
        {"debris_bio_0.txt", MakeDebrisBio0},
        {"debris_bio_1.txt", MakeDebrisBio1},
        {"debris_bio_2.txt", MakeDebrisBio2},
        {"debris_rock_0.txt", MakeDebrisRock0},
        {"debris_rock_1.txt", MakeDebrisRock1},
        {"debris_rock_2.txt", MakeDebrisRock2},
        {"debris_plant_0.txt", MakeDebrisPlant0},
        {"debris_plant_1.txt", MakeDebrisPlant1},
        {"debris_wood_0.txt", MakeDebrisWood0},
        {"debris_wood_1.txt", MakeDebrisWood1},
        // The overlays of play
        {"overlay_red.txt", MakeOverlayRed},
        {"overlay_green.txt", MakeOverlayGreen},
        {"overlay_blue.txt", MakeOverlayBlue},
        {"overlay_yellow.txt", MakeOverlayYellow},
        {"overlay_redtile.txt", MakeOverlayRedTile},
        {"overlay_greentile.txt", MakeOverlayGreenTile},
        {"overlay_bluetile.txt", MakeOverlayBlueTile},
        {"selection.txt", MakeSelectionRing},
        {"selectsq.txt", MakeSelectionSquare},
        {"attack_circle.txt", MakeAttackCircle},
        {"cube.txt", MakeOverlayCube},
        // The terrain editor's brushes
        {"sculpt_brush_0.txt", MakeSculptBrush0},
        {"sculpt_brush_1.txt", MakeSculptBrush1},
        {"sculpt_brush_2.txt", MakeSculptBrush2},
        {"sculpt_brush_3.txt", MakeSculptBrush3},
        {"splat_small.txt", MakeSplatSmall},
        {"splat_large.txt", MakeSplatLarge},
    };
    return recipes;
}

const std::vector<AnimationRecipe>& AnimationCatalogue()
{
    static const std::vector<AnimationRecipe> recipes = {
        {"walker_idle.txt", "walker.txt", ANIM_IDLE, false, MakeWalkerIdle},
        {"walker_walk.txt", "walker.txt", ANIM_WALK, false, MakeWalkerWalk},
        {"walker_attack.txt", "walker.txt", ANIM_ATTACK, false, MakeWalkerAttack},
        {"walker_pain.txt", "walker.txt", ANIM_PAIN, false, MakeWalkerPain},
        {"walker_death.txt", "walker.txt", ANIM_DEATH, true, MakeWalkerDeath},
    };
    return recipes;
}

std::vector<GeneratedFile> GenerateMeshFiles()
{
    std::vector<GeneratedFile> files;
    for (const MeshRecipe& recipe : MeshCatalogue()) {
        IndexedMesh mesh;
        recipe.make(&mesh);
        files.push_back({recipe.fileName, WriteMeshText(mesh)});
    }
    return files;
}

std::vector<GeneratedFile> GenerateAnimationFiles()
{
    std::vector<GeneratedFile> files;
    for (const AnimationRecipe& recipe : AnimationCatalogue())
        files.push_back({recipe.fileName, WriteAnimationText(recipe.make())});
    return files;
}
