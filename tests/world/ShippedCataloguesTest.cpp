// The shipped catalogues as the game reads them: items.cgs, units.cgs and buildItems.cgs load
// without a warning, and every name in them or that the game asks for resolves: meshes and
// animations in the mesh packages, icons in the GUI package, ground decals in the texture
// package, sounds in the sound scripts, particle systems among the shipped definitions, texts
// in the string tables, weapons in the item catalogue, unit types for the factories and the
// breeding grounds, and the items, units, buildings, primitives and jobs the game names. Every
// unit can be made, every building stands on the footprint its script gives it. New content
// is covered without new tests.
#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"
#include "platform/StringTable.h"
#include "render/AnimLibrary.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "terrain/SplatPool.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/ProjectileSystem.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text) c = (char)tolower((unsigned char)c);
    return text;
}

// The file name of a path.
std::string FileName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The names of a sound script's AddSound lines, lower case.
std::set<std::string> SoundNames()
{
    std::set<std::string> names;
    for (const char* path : {"data/scripts/sounds.cgs", "data/scripts/guisounds.cgs"}) {
        std::istringstream lines(ReadTextFile(path));
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string keyword, name;
            words >> keyword >> name;
            if (keyword == "AddSound") names.insert(Lower(name));
        }
    }
    return names;
}

bool ParticleSystemShips(const std::string& name)
{
    return std::ifstream("data/effects/particles/" + Lower(name) + ".txt").good();
}

// Every "<keyword> <value>" of a script, in order (comments passed over).
std::vector<std::pair<std::string, std::string>> KeywordValues(const char* path, const char* keyword)
{
    std::vector<std::pair<std::string, std::string>> found;
    std::string text = ReadTextFile(path);
    Lexer in(text.data(), text.size(), SCRIPT_RULES, path);
    std::string owner;
    while (const char* token = in.Next()) {
        std::string word = token;
        if (word == "DefineAgent" || word == "BuildItem" || word == "BuildUpgrade" || word == "WEAPON" || word == "ITEM" ||
            word == "UPGRADE") {
            owner = in.NextValue();
            continue;
        }
        if (StrICmp(token, keyword) == 0) found.push_back({owner, in.NextValue()});
    }
    return found;
}

class ShippedCatalogues : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        TheMeshLibrary = meshLibrary.get();
        TheAnimLibrary = animLibrary.get();
        ASSERT_TRUE(strings.Init());
        LogCaptureBegin();
        game.LoadCatalogues();
        TheMeshLibrary->LoadAll();
        TheMeshLibrary->LoadPendingAnimations();
        log = LogCaptureEnd();
    }
    void TearDown() override
    {
        SceneTest::TearDown();
        TheAnimLibrary = savedAnimations;
    }

    std::unique_ptr<MeshLibrary> meshLibrary = std::make_unique<MeshLibrary>();
    std::unique_ptr<AnimLibrary> animLibrary = std::make_unique<AnimLibrary>();
    AnimLibrary* savedAnimations = TheAnimLibrary;
    StringTable strings;
    ScopedGlobal<StringTable*> installedStrings{Strings, &strings};
    std::string log;
};

}  // namespace

TEST_F(ShippedCatalogues, LoadWithoutAWarningAndEveryMeshAndAnimationResolves)
{
    EXPECT_FALSE(HasProblem(log)) << log;
    ASSERT_GT(game.items->items.count, 40);
    ASSERT_GT(game.agentTypes->types.count, 30);
    ASSERT_GT(game.buildItems->items.count, 40);

    for (auto* node = game.items->items.head; node; node = node->next) {
        const Item* item = node->value;
        SCOPED_TRACE(item->name);
        bool blueprintWithoutMesh = (item->kind == ITEM_KIND_UNIT || item->kind == ITEM_KIND_BUILDING) &&
                                    strcmp(item->meshPath, "none") == 0;
        if (!blueprintWithoutMesh) {
            ASSERT_NE(item->mesh, nullptr) << item->meshPath;
            EXPECT_TRUE(item->mesh->IsAnimated());
        }
        EXPECT_NE(item->shortDescription, GameText("<unknown>")) << "its name is in the string tables";
        EXPECT_NE(item->longDescription, GameText("<unknown>"));
        if (item->kind == ITEM_KIND_WEAPON) {
            ASSERT_NE(item->weapon, nullptr);
        }
    }

    for (auto* node = game.agentTypes->types.head; node; node = node->next) {
        const AgentType* type = node->value;
        const Agent* prototype = type->prototype;
        SCOPED_TRACE(type->name);
        ASSERT_NE(prototype->mesh, nullptr);
        EXPECT_TRUE(prototype->mesh->IsAnimated()) << prototype->mesh->name;
        EXPECT_TRUE(prototype->mesh->IsSkinned());
        for (int kind : {ANIM_IDLE, ANIM_WALK, ANIM_ATTACK}) EXPECT_GE(prototype->mesh->animationSlot[kind], 0) << "kind " << kind;
        for (int slot = 0; slot < prototype->mesh->animationCount; ++slot) {
            const Animation* animation = prototype->mesh->animations[slot].get();
            ASSERT_NE(animation, nullptr);
            EXPECT_GT(animation->ChannelCount(), 0) << "slot " << slot;
            for (const AnimChannel& channel : animation->channels) EXPECT_GE(channel.jointIndex, 0) << channel.jointName;
        }
        EXPECT_NE(type->shortDescription, GameText("<unknown>"));
        EXPECT_NE(type->longDescription, GameText("<unknown>"));
        // Without a name of its own the information panel titles the unit by the script's name.
        EXPECT_STRCASENE(type->shortDescription, "none") << "the type names itself (SHORTDESC)";
        EXPECT_STRNE(type->shortDescription, "");
    }

    for (auto* node = game.buildItems->items.head; node; node = node->next) {
        const BuildItem* item = node->value;
        SCOPED_TRACE(item->name);
        EXPECT_NE(item->shortDescription, GameText("<unknown>"));
        EXPECT_NE(item->longDescription, GameText("<unknown>"));
        if (item->flags & BUILD_UPGRADE_RECORD) continue;
        ASSERT_NE(item->prototype, nullptr);
        EXPECT_TRUE(item->prototype->mesh->IsAnimated());
        EXPECT_FALSE(item->prototype->mesh->IsSkinned()) << "buildings turn their parts themselves";
        for (int i = 0; i < item->addedMeshCount; ++i) EXPECT_TRUE(item->addedMeshes[i]->IsAnimated());
        for (int i = 0; i < item->constructionMeshCount; ++i) EXPECT_TRUE(item->constructionMeshes[i]->IsAnimated());
    }
}

TEST_F(ShippedCatalogues, EveryIconSoundParticleSystemAndDecalShips)
{
    PackageFile gui, textures;
    ASSERT_TRUE(gui.Open("data/gui.pkb", false));
    ASSERT_TRUE(textures.Open("data/textures.pkb", false));
    auto checkIcon = [&](const char* owner, const char* path, int32_t cell) {
        SCOPED_TRACE(owner);
        EXPECT_GE(gui.FindEntry(FileName(path).c_str()), 0) << path;
        if (cell < 1) return;
        int columns = (cell >> 24) & 0xFF, rows = (cell >> 16) & 0xFF, column = (cell >> 8) & 0xFF, row = cell & 0xFF;
        EXPECT_LT(column, columns);
        EXPECT_LT(row, rows);
        EXPECT_LE(columns, 16);
        EXPECT_LE(rows, 16);
    };
    for (auto* node = game.items->items.head; node; node = node->next) checkIcon(node->value->name, node->value->iconPath, node->value->iconCell);
    for (auto* node = game.agentTypes->types.head; node; node = node->next)
        checkIcon(node->value->name, node->value->iconPath, node->value->iconCell);
    for (auto* node = game.buildItems->items.head; node; node = node->next)
        checkIcon(node->value->name, node->value->iconName, node->value->iconCell);
    EXPECT_GE(gui.FindEntry("unknown.dds"), 0) << "what an item shows before its icon";

    // Sounds: weapons' shots and what units and buildings answer a click with.
    std::set<std::string> sounds = SoundNames();
    for (auto* node = game.items->items.head; node; node = node->next)
        if (node->value->weapon) {
            EXPECT_TRUE(sounds.count(Lower(node->value->weapon->soundName))) << node->value->name;
        }
    for (auto* node = game.agentTypes->types.head; node; node = node->next)
        if (strcmp(node->value->selectedSound, "none") != 0) {
            EXPECT_TRUE(sounds.count(Lower(node->value->selectedSound))) << node->value->name;
        }
    for (auto* node = game.buildItems->items.head; node; node = node->next)
        if (strcmp(node->value->selectedSound, "none") != 0) {
            EXPECT_TRUE(sounds.count(Lower(node->value->selectedSound))) << node->value->name;
        }

    // Particle systems: those the scripts attach, and those the world spawns by name.
    for (auto* node = game.agentTypes->types.head; node; node = node->next)
        if (node->value->flags & AGENT_TYPE_PARTICLES) {
            EXPECT_TRUE(ParticleSystemShips(node->value->particleSystem)) << node->value->name;
        }
    for (auto* node = game.buildItems->items.head; node; node = node->next)
        if (node->value->flags & BUILD_PARTICLES) {
            EXPECT_TRUE(ParticleSystemShips(node->value->particleSystem)) << node->value->name;
        }
    for (const char* name : {"explo_freeze", "exploring", "pickup", "loot", "scan_green", "scan_blue", "scan_red",
                             "levelup", "healing", "Fire_explo", "Acid_explo", "Plasma_explo", "smoke_trail",
                             "laserimpact", "bulletimpact", "muzzle_fire", "flame_thrower", "creature_flame",
                             "flame_thrower_small", "acid_thrower", "plasmaburst", "explosparks", "smash", "warp",
                             "buildbeam", "fuelbeam", "repairbeam", "extractbeam", "journal", "explogreen",
                             "exploblood", "explo", "explorocks", "explo_ice", "black_smoke_damage", "fuelvent"})
        EXPECT_TRUE(ParticleSystemShips(name)) << name;

    // What attacks show and sound like: the beams' frames, the stains and cracks they leave,
    // and the sounds of shots, beams, hits and bursts.
    for (const char* path : ProjectileSystem::BEAM_TEXTURE_PATHS)
        EXPECT_GE(textures.FindEntry(FileName(path).c_str()), 0) << path;
    for (int kind = 0; kind < SPLAT_KIND_COUNT; ++kind)
        for (int stage = 0; stage < SplatPool::STAGES; ++stage)
            EXPECT_GE(textures.FindEntry(FileName(SplatPool::StageTexture(kind, stage)).c_str()), 0) << kind;
    for (const char* name : {"laserBurn", "lightning", "machinegun", "flame", "acidspit", "attack", "explo", "FireHit",
                             "meleehit", "meleehit_bio", "spinner"})
        EXPECT_TRUE(sounds.count(Lower(name))) << name;

    // Ground decals: under the player's buildings, and the breeding grounds' own.
    for (const char* texture : {"splat_building.dds", "splat_building_sn.dds"}) EXPECT_GE(textures.FindEntry(texture), 0) << texture;
    for (auto* node = game.buildItems->items.head; node; node = node->next)
        for (const char* texture : node->value->splatTextures)
            if (strcmp(texture, "none") != 0) {
                EXPECT_GE(textures.FindEntry(texture), 0) << node->value->name << ": " << texture;
            }
}

TEST_F(ShippedCatalogues, EveryNameTheGameAsksForIsThere)
{
    // Weapons come out of the item catalogue: a unit that names one gets it.
    for (const auto& line : KeywordValues("data/scripts/units.cgs", "AddWeapon")) {
        SCOPED_TRACE(line.first);
        const Item* item = game.items->FindByName(line.second.c_str());
        ASSERT_NE(item, nullptr) << line.second;
        EXPECT_NE(item->weapon, nullptr);
        EXPECT_NE(game.agentTypes->FindPrototype(line.first.c_str())->weapon, nullptr);
    }
    // Factories make unit types that exist, each type is made by one building at most, and
    // every bot of the player's can be made somewhere.
    std::set<std::string> made;
    for (auto* node = game.buildItems->items.head; node; node = node->next) {
        const BuildItem* item = node->value;
        if (!item->units) continue;
        EXPECT_NE(item->flags & BUILD_UNIT_FACTORY, 0u) << item->name;
        for (auto* unit = item->units->head; unit; unit = unit->next) {
            AgentType* type = game.agentTypes->FindType(unit->value.name);
            ASSERT_NE(type, nullptr) << item->name << " makes " << unit->value.name;
            EXPECT_EQ(type->producer, item);
            EXPECT_TRUE(made.insert(unit->value.name).second) << unit->value.name;
        }
    }
    for (auto* node = game.agentTypes->types.head; node; node = node->next)
        if (node->value->prototype->alignment == ALIGN_PLAYER) {
            EXPECT_TRUE(made.count(node->value->name)) << node->value->name;
        }
    // Breeding grounds breed unit types that exist.
    for (auto* node = game.buildItems->items.head; node; node = node->next) {
        const BuildItem* item = node->value;
        if (!(item->flags & BUILD_SPAWNPOINT)) continue;
        if (strcmp(item->spawnType, "rand_scav") != 0) {
            EXPECT_NE(game.agentTypes->FindType(item->spawnType), nullptr) << item->name;
        }
    }

    // The units the game makes by name: the player's first bots, the raiders, the guards of
    // camps and sites, the elite beasts of missions.
    for (const char* name : {"Builder", "miner", "scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer",
                             "scav_boss_a", "scav_boss_b", "scav_boss_c", "scav_superMelee", "scav_wheeler",
                             "scav_air_probe", "Elite_Scavenger", "Elite_Scavenger_Chief", "Elite_Winged_Beast", "Elite_Trex"})
        EXPECT_NE(game.agentTypes->FindType(name), nullptr) << name;
    // The buildings: the dropship raids come from, the nests and lairs of levels and missions,
    // the barrels that guard sites, what missions send the player to destroy or build.
    for (const char* name : {"Scavenger_dropship", "creature_nest", "spawn_stump", "creature_cave", "spawn_holes",
                             "spawn_nest", "spawn_mantis", "spawn_spider", "spawn_bio", "spawn_flying",
                             "explosive_barrels", "explosive_barrels_big", "Scavenger_AA_Gun", "Scavenger_camp",
                             "Scavenger_outpost", "Scavenger_stronghold", "weapons_cache", "refinery"})
        EXPECT_NE(game.buildItems->FindByName(name), nullptr) << name;
    // A factory refused for want of unit control names what the player builds to have more.
    const char* needed = strings.Lookup("<unit_control_needed>");
    ASSERT_NE(needed, nullptr);
    for (auto* node = game.buildItems->items.head; node; node = node->next)
        if ((node->value->flags & BUILD_UNIT_CONTROL) && (node->value->flags & BUILD_PLAYER_CAN_BUILD)) {
            EXPECT_NE(strstr(needed, node->value->shortDescription), nullptr) << node->value->shortDescription;
        }
    // One at least of every behaviour a building can have.
    uint32_t behaviours = 0;
    for (auto* node = game.buildItems->items.head; node; node = node->next) behaviours |= node->value->flags;
    for (uint32_t flag : {BUILD_RESOURCE, BUILD_TURRET, BUILD_SPAWNPOINT, BUILD_UPGRADE_RECORD, BUILD_EXPLODE_ON_DEAD,
                          BUILD_RESEARCH_COMPUTER, BUILD_RESOURCE_DROP, BUILD_HEALTH_NODE, BUILD_BUILD_NODE,
                          BUILD_DEEP_MINE, BUILD_RADAR, BUILD_UNIT_FACTORY, BUILD_ADD_ON, BUILD_UNIT_CONTROL,
                          BUILD_UNIT_UPGRADER, BUILD_UNIT_RECYCLER, BUILD_NO_AUTO_ATTACK, BUILD_CREATURE_NEST,
                          BUILD_REQUIRES_BUILD_NODE, BUILD_WARP_PLATFORM, BUILD_PLAYER_CAN_BUILD})
        EXPECT_NE(behaviours & flag, 0u) << std::hex << flag;
    // The items: crate contents, traps and detectors, blueprints, journal pages, rocks, and the
    // weapon whose flame a creature breathes differently.
    for (const char* name : {"ore_crate", "fuel_container", "credits_crate", "bot_experience", "health_cannister",
                             "shield_cannister", "detector_crate", "mine_crate", "freeze_crate",
                             "large_health_cannister", "large_shield_cannister", "cloak_cannister",
                             "enrichment_cannister", "detector", "mine", "freeze_trap", "unitpattern",
                             "buildingpattern", "journal"})
        EXPECT_NE(game.items->FindByName(name), nullptr) << name;
    EXPECT_EQ(game.items->FindByName("unitpattern")->kind, ITEM_KIND_UNIT);
    EXPECT_EQ(game.items->FindByName("buildingpattern")->kind, ITEM_KIND_BUILDING);
    const Item* flame = game.items->FindByName("flamethrower");
    ASSERT_NE(flame, nullptr);
    EXPECT_EQ(flame->weapon->type, WEAPON_FLAME);
    int rocks = 0, weaponTypes = 0;
    for (auto* node = game.items->items.head; node; node = node->next) rocks += (node->value->itemFlags & ITEM_FLAG_ROCK) != 0;
    for (int type = 0; type < WEAPON_NONE; ++type) {
        bool found = false;
        for (auto* node = game.items->items.head; node; node = node->next)
            found |= node->value->weapon && node->value->weapon->type == type && !(node->value->itemFlags & ITEM_FLAG_AI_ONLY);
        weaponTypes += found;
    }
    EXPECT_GT(rocks, 0);
    EXPECT_EQ(weaponTypes, WEAPON_NONE) << "a weapon of every type for the player";

    // A player of level 1 finds loot: weapons and modules of the shop's first two levels.
    int loot[2] = {0, 0};
    for (auto* node = game.items->items.head; node; node = node->next) {
        const Item* item = node->value;
        if (item->buyLevel > 2 || (item->itemFlags & ITEM_FLAG_AI_ONLY)) continue;
        if (item->kind == ITEM_KIND_WEAPON) ++loot[0];
        if (item->kind == ITEM_KIND_UPGRADE) ++loot[1];
    }
    EXPECT_GE(loot[0], 3);
    EXPECT_GE(loot[1], 3);

    // The primitives the projectiles fly as.
    ASSERT_TRUE(TheScene.ReadSceneFile("data/scripts/primitives.cgs"));
    for (const char* name : {"missile", "mortar", "plasmablast", "pulseblast"}) EXPECT_NE(TheScene.FindPrimitive(name), nullptr) << name;

    // The jobs the orders and the brains ask for, once the task script ships.
    std::ifstream tasks("data/scripts/tasks.cgs");
    if (tasks.good()) {
        std::set<std::string> jobs;
        for (const auto& line : KeywordValues("data/scripts/tasks.cgs", "Job")) jobs.insert(line.second);
        for (const char* name : {"AttackEntity", "Build", "Repair", "ExtractOre", "Heal", "InstantHeal", "UpgradeBot",
                                 "RecycleBot", "EnterWarpPlatform", "MoveAndAttack", "ItemMoveAndAction", "Mine", "Wander",
                                 "WaitOnTime", "ReturnToSpawnPoint"})
            EXPECT_TRUE(jobs.count(name)) << name;
    }
}

TEST_F(ShippedCatalogues, EveryUnitCanBeMadeAndEveryBuildingFitsItsFootprint)
{
    for (auto* node = game.agentTypes->types.head; node; node = node->next) {
        SCOPED_TRACE(node->value->name);
        Agent* agent = TheScene.CreateAgent(node->value->name, true);
        ASSERT_NE(agent, nullptr);
        EXPECT_EQ(agent->agentType, node->value);
        EXPECT_EQ(agent->brainKind, node->value->prototype->brainKind);
        if (node->value->prototype->weapon) {
            ASSERT_NE(agent->weapon, nullptr);
            EXPECT_NE(agent->weapon, node->value->prototype->weapon);
        }
        TheScene.RemoveEntity(agent, REMOVE_EVERYWHERE);
    }

    Grid& grid = *game.grid;
    for (auto* node = game.buildItems->items.head; node; node = node->next) {
        BuildItem* item = node->value;
        if (!item->prototype) continue;
        SCOPED_TRACE(item->name);
        item->prototype->SetPosition(grid.CellToWorld(64, 64));
        int x0, y0, x1, y1;
        ASSERT_TRUE(item->prototype->GetGridFootprint(&x0, &y0, &x1, &y1));
        EXPECT_EQ(x1 - x0 + 1, item->buildWidth);
        EXPECT_EQ(y1 - y0 + 1, item->buildDepth);
        EXPECT_TRUE(item->buildWidth == 1 || item->buildWidth == 3 || item->buildWidth == 5);
    }
}
