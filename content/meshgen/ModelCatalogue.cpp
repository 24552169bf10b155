// Every unit of the game as a short description of its family, and the catalogue of all the
// world's models: units with their animations, buildings with their parts, items.
//
// The player's bots wear steel blue with a colour for their trade (yellow builders, ochre
// miners, teal scouts, olive rockets, violet arcs); scavengers are rusted scrap with red lamps;
// creatures wear the colours of where they live.
#include "content/meshgen/Models.h"

#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

#include <cstring>
#include <deque>
#include <string>

namespace {

// ---- Paint
const Paint DARK = {0.22f, 0.24f, 0.27f};
const Paint STEEL = {0.42f, 0.47f, 0.55f};
const Paint CYAN = {0.35f, 0.9f, 1.0f};
const Paint ORANGE = {0.85f, 0.48f, 0.12f};
const Paint RUST = {0.5f, 0.3f, 0.18f};
const Paint DEEP_RUST = {0.35f, 0.2f, 0.13f};
const Paint SCRAP = {0.45f, 0.42f, 0.36f};
const Paint GRIME = {0.7f, 0.62f, 0.25f};
const Paint LAMP = {0.95f, 0.15f, 0.1f};
const Paint FIRE = {1.0f, 0.5f, 0.1f};
const Paint ACID = {0.5f, 1.0f, 0.3f};

// ---- The player's bots
const BipedShape MINER = {0.4f, 0.35f, 0.45f, 1.1f, Vec3(0.8f, 0.5f, 0.8f), {0.62f, 0.5f, 0.25f}, {0.8f, 0.62f, 0.2f}, DARK,
                         {1.0f, 0.8f, 0.3f}, 2, LOOK_PICKAXE, false, false, false, false, false};
const BipedShape SCOUT = {0.45f, 0.45f, 0.3f, 0.8f, Vec3(0.6f, 0.35f, 0.7f), {0.2f, 0.6f, 0.58f}, {0.7f, 0.9f, 0.85f}, DARK,
                         CYAN, 3, LOOK_LASER, false, false, true, false, false};
const BipedShape ROCKET_BOT = {0.5f, 0.4f, 0.55f, 1.0f, Vec3(0.9f, 0.45f, 0.95f), {0.4f, 0.5f, 0.32f}, {0.6f, 0.66f, 0.5f},
                              DARK, ORANGE, 1, LOOK_MISSILES, false, false, false, true, false};
const BipedShape FLAME_BOT = {0.42f, 0.38f, 0.55f, 1.2f, Vec3(1.0f, 0.5f, 0.9f), {0.7f, 0.25f, 0.12f}, {0.9f, 0.55f, 0.15f},
                             DARK, FIRE, 3, LOOK_FLAMER, false, true, false, false, false};
const BipedShape ARC_WALKER = {0.6f, 0.55f, 0.4f, 0.9f, Vec3(0.7f, 0.45f, 0.7f), {0.4f, 0.3f, 0.6f}, {0.75f, 0.7f, 0.9f},
                              DARK, CYAN, 2, LOOK_ARC, false, false, true, false, false};
const VehicleShape BUILDER = {0, Vec3(1.1f, 0.5f, 1.4f), {0.85f, 0.7f, 0.15f}, {0.75f, 0.45f, 0.1f}, DARK, CYAN, 0.0f,
                             LOOK_CRANE, false, false, false, true};
const VehicleShape HEAVY_MINER = {0, Vec3(1.2f, 0.6f, 1.6f), {0.62f, 0.5f, 0.25f}, {0.8f, 0.62f, 0.2f}, DARK,
                                 {1.0f, 0.8f, 0.3f}, 0.0f, LOOK_PICKAXE, false, true, false, true};
const VehicleShape REPAIR_BOT = {2, Vec3(0.9f, 0.45f, 1.0f), {0.82f, 0.85f, 0.88f}, {0.25f, 0.75f, 0.3f}, DARK,
                                {0.5f, 1.0f, 0.5f}, 0.0f, LOOK_WELDER, false, false, false, false};
const VehicleShape MORTAR_BOT = {0, Vec3(1.0f, 0.45f, 1.3f), {0.5f, 0.48f, 0.32f}, {0.65f, 0.62f, 0.45f}, DARK, ORANGE,
                                0.6f, LOOK_MORTAR, false, false, false, false};
const VehicleShape HEAVY_TANK = {0, Vec3(1.5f, 0.6f, 2.0f), {0.2f, 0.28f, 0.45f}, {0.4f, 0.5f, 0.7f}, DARK,
                                {0.8f, 0.4f, 1.0f}, 1.0f, LOOK_PLASMA, false, false, false, false};
const VehicleShape SCANNER_BOT = {1, Vec3(0.9f, 0.4f, 1.2f), {0.8f, 0.82f, 0.85f}, STEEL, DARK, CYAN, 0.0f, LOOK_NONE,
                                 true, false, false, true};
const VehicleShape CARRIER = {2, Vec3(1.6f, 0.6f, 2.2f), {0.35f, 0.4f, 0.45f}, {0.55f, 0.45f, 0.75f}, DARK,
                             {0.7f, 0.5f, 1.0f}, 0.0f, LOOK_NONE, false, false, true, false};
const FlyerShape AIR_DRONE = {0, 1.0f, {0.5f, 0.7f, 0.9f}, STEEL, DARK, CYAN, LOOK_PULSE};

// ---- Scavengers
const BipedShape SCAV_MELEE = {0.42f, 0.4f, 0.4f, 0.9f, Vec3(0.7f, 0.45f, 0.65f), RUST, GRIME, DARK, LAMP, 1,
                              LOOK_BLADES, false, false, false, false, true};
const BipedShape SCAV_SMALL = {0.35f, 0.33f, 0.35f, 0.8f, Vec3(0.6f, 0.4f, 0.6f), SCRAP, RUST, DARK, LAMP, 3, LOOK_LASER,
                              false, false, false, false, false};
const BipedShape SCAV_LEADER = {0.5f, 0.45f, 0.45f, 1.0f, Vec3(0.8f, 0.5f, 0.8f), DEEP_RUST, GRIME, DARK, LAMP, 1,
                               LOOK_MACHINEGUN, false, true, true, false, false};
const BipedShape SCAV_BRUTE = {0.55f, 0.5f, 0.65f, 1.5f, Vec3(1.3f, 0.7f, 1.1f), RUST, SCRAP, DARK, LAMP, 3, LOOK_HAMMERS,
                              false, false, false, false, true};
const BipedShape SCAV_FLAMER = {0.45f, 0.4f, 0.5f, 1.1f, Vec3(0.9f, 0.5f, 0.8f), SCRAP, GRIME, DARK, FIRE, 3, LOOK_FLAMER,
                               false, true, false, false, false};
const BipedShape SCAV_BOSS_A = {0.7f, 0.65f, 0.75f, 1.6f, Vec3(1.5f, 0.8f, 1.4f), RUST, GRIME, DARK, LAMP, 1,
                               LOOK_MISSILES, true, false, true, true, false};
const BipedShape SCAV_BOSS_B = {0.65f, 0.6f, 0.7f, 1.5f, Vec3(1.4f, 0.75f, 1.5f), SCRAP, RUST, DARK, ORANGE, 3,
                               LOOK_MORTAR, true, true, false, false, true};
const BipedShape SCAV_BOSS_C = {0.75f, 0.7f, 0.6f, 1.4f, Vec3(1.3f, 0.8f, 1.3f), DEEP_RUST, {0.5f, 0.45f, 0.7f}, DARK,
                               CYAN, 2, LOOK_ARC, true, false, true, false, false};
const BipedShape SCAV_SUPER_MELEE = {0.7f, 0.65f, 0.8f, 1.8f, Vec3(1.6f, 0.9f, 1.4f), RUST, GRIME, DARK, LAMP, 3,
                                    LOOK_BLADES, false, true, false, false, true};
const BipedShape SCAV_WARLORD = {0.9f, 0.85f, 0.9f, 2.0f, Vec3(1.8f, 1.0f, 1.7f), DEEP_RUST, {0.85f, 0.7f, 0.2f}, DARK,
                                {0.8f, 0.4f, 1.0f}, 1, LOOK_PLASMA, true, true, true, true, true};
const VehicleShape SCAV_WHEELER = {1, Vec3(1.1f, 0.45f, 1.9f), RUST, GRIME, DARK, LAMP, 0.6f, LOOK_MACHINEGUN, false, false,
                                  false, false};
const FlyerShape SCAV_AIR_PROBE = {3, 0.9f, SCRAP, RUST, DARK, LAMP, LOOK_LASER};

// ---- Creatures
const CreatureShape STUMP_CRAWLER = {0, 3, 1.4f, 0.8f, 0.5f, 1.0f, {0.38f, 0.26f, 0.15f}, {0.3f, 0.22f, 0.14f},
                                    {0.3f, 0.45f, 0.2f}, {0.9f, 0.8f, 0.2f}, 0, false, true, false};
const CreatureShape CAVE_BEAST = {1, 2, 1.8f, 1.0f, 1.2f, 0.0f, {0.45f, 0.43f, 0.42f}, {0.6f, 0.55f, 0.5f},
                                 {0.85f, 0.82f, 0.75f}, {1.0f, 0.6f, 0.1f}, 1, true, false, false};
const CreatureShape BURROWER = {2, 0, 2.0f, 0.7f, 1.0f, 0.0f, {0.6f, 0.42f, 0.38f}, {0.75f, 0.55f, 0.5f},
                               {0.35f, 0.25f, 0.2f}, {0.1f, 0.1f, 0.1f}, 1, false, false, true};
const FlyerShape NEST_WASP = {1, 0.9f, {0.85f, 0.7f, 0.1f}, {0.9f, 0.8f, 0.15f}, {0.1f, 0.1f, 0.08f},
                             {0.8f, 0.9f, 1.0f}, LOOK_ACID};
const CreatureShape MANTIS = {0, 2, 1.6f, 0.6f, 0.8f, 1.1f, {0.35f, 0.65f, 0.25f}, {0.5f, 0.75f, 0.35f},
                             {0.25f, 0.45f, 0.15f}, {0.95f, 0.3f, 0.2f}, 2, false, false, false};
const CreatureShape SPIDER = {0, 4, 1.2f, 1.0f, 0.6f, 1.5f, {0.3f, 0.18f, 0.35f}, {0.45f, 0.25f, 0.45f},
                             {0.15f, 0.1f, 0.15f}, {1.0f, 0.2f, 0.2f}, 3, false, false, true};
const CreatureShape BIO_BLOB = {3, 0, 1.6f, 1.6f, 1.0f, 0.0f, {0.3f, 0.8f, 0.4f}, {0.6f, 1.0f, 0.5f},
                               {0.2f, 0.55f, 0.3f}, {1.0f, 1.0f, 0.4f}, 0, false, false, false};
const FlyerShape FIRE_BAT = {2, 1.0f, {0.45f, 0.12f, 0.08f}, {0.7f, 0.25f, 0.1f}, {0.2f, 0.06f, 0.04f}, FIRE, LOOK_FLAMER};
const CreatureShape NEST_CRAWLER = {1, 2, 1.0f, 0.6f, 0.6f, 0.0f, {0.85f, 0.8f, 0.68f}, {0.62f, 0.22f, 0.25f},
                                   {0.62f, 0.22f, 0.25f}, {1.0f, 0.2f, 0.1f}, 1, true, false, true};
const CreatureShape ELITE_MANTIS = {0, 2, 2.2f, 0.8f, 1.1f, 1.5f, {0.65f, 0.2f, 0.15f}, {0.8f, 0.35f, 0.2f},
                                   {0.3f, 0.1f, 0.08f}, {1.0f, 0.9f, 0.2f}, 2, false, true, true};
// A beast on two legs with a great jaw and a tail to balance it.
const CreatureShape ELITE_TREX = {1, 1, 3.0f, 1.6f, 2.2f, 0.0f, {0.3f, 0.38f, 0.22f}, {0.55f, 0.5f, 0.35f},
                                 {0.85f, 0.8f, 0.65f}, {1.0f, 0.85f, 0.1f}, 1, true, false, true};
const FlyerShape ELITE_WINGED_BEAST = {2, 2.4f, {0.25f, 0.2f, 0.3f}, {0.45f, 0.3f, 0.5f}, {0.12f, 0.08f, 0.14f},
                                      {1.0f, 0.3f, 0.1f}, LOOK_ACID};
const BipedShape ELITE_SCAVENGER = {0.8f, 0.75f, 0.8f, 1.8f, Vec3(1.6f, 0.9f, 1.5f), {0.16f, 0.14f, 0.14f}, LAMP, DARK,
                                   {1.0f, 0.6f, 0.1f}, 3, LOOK_MACHINEGUN, true, true, true, true, true};

// One unit: its mesh file, how to make it, and its animations (use or mine for the units whose
// orders play them).
struct UnitModel {
    const char* mesh;
    void (*make)(IndexedMesh* mesh);
    Animation (*idle)();
    Animation (*walk)();
    Animation (*attack)();
    Animation (*work)();
    const char* workName;  // "use" or "mine"
    bool flies;
};

#define BIPED(file, shape, work, workName)                                                                             \
    {file, [](IndexedMesh* m) { MakeBiped(m, shape); }, [] { return BipedIdle(shape); }, [] { return BipedWalk(shape); }, \
     [] { return BipedAttack(shape); }, work, workName, false}
#define VEHICLE(file, shape, work, workName)                                                                  \
    {file, [](IndexedMesh* m) { MakeVehicle(m, shape); }, [] { return VehicleIdle(shape); },                   \
     [] { return VehicleWalk(shape); }, [] { return VehicleAttack(shape); }, work, workName, shape.drive == 2}
#define FLYER(file, shape)                                                                                              \
    {file, [](IndexedMesh* m) { MakeFlyer(m, shape); }, [] { return FlyerIdle(shape); }, [] { return FlyerWalk(shape); }, \
     [] { return FlyerAttack(shape); }, nullptr, nullptr, true}
#define CREATURE(file, shape)                                                                                    \
    {file, [](IndexedMesh* m) { MakeCreature(m, shape); }, [] { return CreatureIdle(shape); },                    \
     [] { return CreatureWalk(shape); }, [] { return CreatureAttack(shape); }, nullptr, nullptr, false}

const std::vector<UnitModel>& Units()
{
    static const std::vector<UnitModel> units = {
        VEHICLE("builder.txt", BUILDER, [] { return VehicleWork(BUILDER); }, "use"),
        BIPED("miner.txt", MINER, [] { return BipedWork(MINER); }, "mine"),
        VEHICLE("heavy_miner.txt", HEAVY_MINER, [] { return VehicleWork(HEAVY_MINER); }, "mine"),
        BIPED("scout.txt", SCOUT, nullptr, nullptr),
        BIPED("rocket_bot.txt", ROCKET_BOT, nullptr, nullptr),
        VEHICLE("repair_bot.txt", REPAIR_BOT, [] { return VehicleWork(REPAIR_BOT); }, "use"),
        BIPED("flame_bot.txt", FLAME_BOT, nullptr, nullptr),
        VEHICLE("mortar_bot.txt", MORTAR_BOT, nullptr, nullptr),
        BIPED("arc_walker.txt", ARC_WALKER, nullptr, nullptr),
        VEHICLE("heavy_tank.txt", HEAVY_TANK, nullptr, nullptr),
        FLYER("air_drone.txt", AIR_DRONE),
        VEHICLE("scanner_bot.txt", SCANNER_BOT, nullptr, nullptr),
        VEHICLE("carrier.txt", CARRIER, nullptr, nullptr),
        BIPED("scav_melee.txt", SCAV_MELEE, nullptr, nullptr),
        BIPED("scav_small.txt", SCAV_SMALL, nullptr, nullptr),
        BIPED("scav_leader.txt", SCAV_LEADER, nullptr, nullptr),
        BIPED("scav_brute.txt", SCAV_BRUTE, nullptr, nullptr),
        BIPED("scav_flamer.txt", SCAV_FLAMER, nullptr, nullptr),
        BIPED("scav_boss_a.txt", SCAV_BOSS_A, nullptr, nullptr),
        BIPED("scav_boss_b.txt", SCAV_BOSS_B, nullptr, nullptr),
        BIPED("scav_boss_c.txt", SCAV_BOSS_C, nullptr, nullptr),
        BIPED("scav_supermelee.txt", SCAV_SUPER_MELEE, nullptr, nullptr),
        BIPED("scav_warlord.txt", SCAV_WARLORD, nullptr, nullptr),
        VEHICLE("scav_wheeler.txt", SCAV_WHEELER, nullptr, nullptr),
        FLYER("scav_air_probe.txt", SCAV_AIR_PROBE),
        CREATURE("stump_crawler.txt", STUMP_CRAWLER),
        CREATURE("cave_beast.txt", CAVE_BEAST),
        CREATURE("burrower.txt", BURROWER),
        FLYER("nest_wasp.txt", NEST_WASP),
        CREATURE("mantis.txt", MANTIS),
        CREATURE("spider.txt", SPIDER),
        CREATURE("bio_blob.txt", BIO_BLOB),
        FLYER("fire_bat.txt", FIRE_BAT),
        CREATURE("nest_crawler.txt", NEST_CRAWLER),
        CREATURE("elite_mantis.txt", ELITE_MANTIS),
        CREATURE("elite_trex.txt", ELITE_TREX),
        FLYER("elite_winged_beast.txt", ELITE_WINGED_BEAST),
        BIPED("elite_scavenger.txt", ELITE_SCAVENGER, nullptr, nullptr),
    };
    return units;
}

#undef BIPED
#undef VEHICLE
#undef FLYER
#undef CREATURE

// "builder.txt" -> "builder_idle.txt".
std::string AnimationFile(const char* mesh, const char* what)
{
    std::string base = mesh;
    base = base.substr(0, base.size() - 4);
    return base + "_" + what + ".txt";
}

}  // namespace

const std::vector<MeshRecipe>& ModelCatalogue()
{
    static const std::vector<MeshRecipe> recipes = [] {
        std::vector<MeshRecipe> all;
        for (const UnitModel& unit : Units()) all.push_back({unit.mesh, unit.make});
        for (const BuildingRecipe& building : BuildingCatalogue()) all.push_back({building.fileName, building.make});
        for (const MeshRecipe& part : BuildingPartCatalogue()) all.push_back(part);
        for (const MeshRecipe& item : ItemModelCatalogue()) all.push_back(item);
        // The level's growth and the level generator's pieces.
        for (const MeshRecipe& piece : GrowthModelCatalogue()) all.push_back(piece);
        for (const MeshRecipe& piece : LevelPieceCatalogue()) all.push_back(piece);
        // The player's rig.
        for (const MeshRecipe& part : RigModelCatalogue()) all.push_back(part);
        return all;
    }();
    return recipes;
}

const std::vector<AnimationRecipe>& ModelAnimationCatalogue()
{
    // The file names live as long as the catalogue.
    static std::deque<std::string> names;
    static const std::vector<AnimationRecipe> recipes = [] {
        std::vector<AnimationRecipe> all;
        for (const UnitModel& unit : Units()) {
            struct Clip {
                const char* what;
                int id;
                Animation (*make)();
            };
            const Clip clips[] = {{"idle", ANIM_IDLE, unit.idle},
                                  {"walk", ANIM_WALK, unit.walk},
                                  {"attack", ANIM_ATTACK, unit.attack},
                                  {unit.workName, strcmp(unit.workName ? unit.workName : "", "mine") == 0 ? ANIM_MINE : ANIM_USE, unit.work}};
            for (const Clip& clip : clips) {
                if (!clip.make || !clip.what) continue;
                names.push_back(AnimationFile(unit.mesh, clip.what));
                all.push_back({names.back().c_str(), unit.mesh, clip.id, false, clip.make});
            }
        }
        for (const AnimationRecipe& item : ItemAnimationCatalogue()) all.push_back(item);
        // The player's rig.
        for (const AnimationRecipe& clip : RigAnimationCatalogue()) all.push_back(clip);
        return all;
    }();
    return recipes;
}

bool IsFlyingModel(const char* meshFileName)
{
    for (const UnitModel& unit : Units())
        if (meshFileName && strcmp(unit.mesh, meshFileName) == 0) return unit.flies;
    return false;
}

std::vector<GeneratedFile> GenerateModelMeshFiles()
{
    std::vector<GeneratedFile> files;
    for (const MeshRecipe& recipe : ModelCatalogue()) {
        IndexedMesh mesh;
        recipe.make(&mesh);
        files.push_back({recipe.fileName, WriteMeshText(mesh)});
    }
    return files;
}

std::vector<GeneratedFile> GenerateModelAnimationFiles()
{
    std::vector<GeneratedFile> files;
    for (const AnimationRecipe& recipe : ModelAnimationCatalogue())
        files.push_back({recipe.fileName, WriteAnimationText(recipe.make())});
    return files;
}
