#pragma once
// The world's models: every unit, building and item of the game's catalogues, made from a few
// families of descriptions (two-legged bots, vehicles, flyers, creatures, buildings, items).
// Each unit or building is one short set of numbers in ModelCatalogue.cpp; the family turns it
// into a mesh and the animations its unit script plays (idle, walk, attack, and use or mine for
// the units whose orders need them).
//
// Every unit stands on the ground at its origin and faces +z; buildings are centred on their
// origin and sized to their footprint (one cell is 2.5 units: a one-cell building stays within
// 2.4 units, a three-cell one within 7.4, a five-cell one within 12.4).
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <vector>

struct Paint {
    float r, g, b;
};

inline MeshPart Painted(MeshPart part, const Paint& paint)
{
    part.Colour(paint.r, paint.g, paint.b);
    return part;
}

// The look of a weapon carried by a unit, by its kind.
enum WeaponLook : int {
    LOOK_NONE,
    LOOK_LASER,
    LOOK_MACHINEGUN,
    LOOK_MISSILES,
    LOOK_FLAMER,
    LOOK_MORTAR,
    LOOK_ARC,
    LOOK_PLASMA,
    LOOK_PULSE,
    LOOK_ACID,
    LOOK_BLADES,   // melee arms with blades
    LOOK_HAMMERS,  // melee arms with hammers (smashers)
    LOOK_PICKAXE,  // a miner's digging arm
    LOOK_CRANE,    // a builder's arm
    LOOK_WELDER,   // a repair arm
};

// A bot on two legs.
struct BipedShape {
    float thigh, shin;  // leg lengths: the hips stand thigh + shin + 0.05 above the ground
    float hipSide;      // from the middle to each hip
    float legBulk;      // thickness of the legs (1: the walker's)
    Vec3 hull;          // width, height, depth of the body
    Paint hullPaint, trim, dark, glow;
    int head;  // 0 none, 1 a box head, 2 a dome, 3 a visor slab
    WeaponLook weapon;
    bool twinGuns;  // a gun on each side, fired in turn
    bool backpack, antenna, shoulderPods, spikes;
};

// A bot on tracks, wheels or a hover skirt.
struct VehicleShape {
    int drive;  // 0 tracks, 1 wheels, 2 hover
    Vec3 hull;
    Paint hullPaint, trim, dark, glow;
    float turret;  // size of the turret, 0 for none
    WeaponLook weapon;
    bool dish, hopper, cargo, cab;
};

// Something that flies.
struct FlyerShape {
    int kind;  // 0 a rotor drone, 1 an insect, 2 a bat, 3 a probe
    float size;
    Paint body, trim, dark, glow;
    WeaponLook weapon;
};

// A creature on legs, or without (a worm, a blob).
struct CreatureShape {
    int kind;        // 0 an insect (legs out to the sides), 1 a beast (legs beneath), 2 a worm, 3 a blob
    int legPairs;    // insects and beasts
    float length, width, height;  // the body, and its height over the ground
    float legSpan;   // how far out an insect's feet reach
    Paint body, belly, accent, eyes;
    int head;        // 0 mandibles, 1 a jaw, 2 mantis claws, 3 fangs
    bool tail, shell, spikes;
};

// The unit families.
void MakeBiped(IndexedMesh* mesh, const BipedShape& shape);
Animation BipedIdle(const BipedShape& shape);
Animation BipedWalk(const BipedShape& shape);
Animation BipedAttack(const BipedShape& shape);
Animation BipedWork(const BipedShape& shape);  // digging, building or repairing, looped
void MakeVehicle(IndexedMesh* mesh, const VehicleShape& shape);
Animation VehicleIdle(const VehicleShape& shape);
Animation VehicleWalk(const VehicleShape& shape);
Animation VehicleAttack(const VehicleShape& shape);
Animation VehicleWork(const VehicleShape& shape);
void MakeFlyer(IndexedMesh* mesh, const FlyerShape& shape);
Animation FlyerIdle(const FlyerShape& shape);
Animation FlyerWalk(const FlyerShape& shape);
Animation FlyerAttack(const FlyerShape& shape);
void MakeCreature(IndexedMesh* mesh, const CreatureShape& shape);
Animation CreatureIdle(const CreatureShape& shape);
Animation CreatureWalk(const CreatureShape& shape);
Animation CreatureAttack(const CreatureShape& shape);

// The catalogue of the world's models, and the files they make.
const std::vector<MeshRecipe>& ModelCatalogue();
const std::vector<AnimationRecipe>& ModelAnimationCatalogue();
std::vector<GeneratedFile> GenerateModelMeshFiles();
std::vector<GeneratedFile> GenerateModelAnimationFiles();

// What a unit family is: the ground test of the content checks treats fliers and hovering
// vehicles apart. The file name of the mesh; false for models that are no unit.
bool IsFlyingModel(const char* meshFileName);

// The buildings, their parts and the items (Buildings.cpp, Items.cpp), by recipe.
struct BuildingRecipe {
    const char* fileName;
    int cells;  // the footprint's side: 1, 3 or 5
    void (*make)(IndexedMesh* mesh);
};
const std::vector<BuildingRecipe>& BuildingCatalogue();
const std::vector<MeshRecipe>& BuildingPartCatalogue();
const std::vector<MeshRecipe>& ItemModelCatalogue();
const std::vector<AnimationRecipe>& ItemAnimationCatalogue();

// The level's growth (trees, plants, boulders and grass in each environment's colours) and the
// level generator's pieces (ruins, scrap cities, bridges, mission objects, ore deposits and
// large decals) (Growth.cpp, Ruins.cpp).
const std::vector<MeshRecipe>& GrowthModelCatalogue();
const std::vector<MeshRecipe>& LevelPieceCatalogue();

// The player's rig: chassis with their bodies, canopies and animations, and the pilots
// (Rigs.cpp).
const std::vector<MeshRecipe>& RigModelCatalogue();
const std::vector<AnimationRecipe>& RigAnimationCatalogue();
