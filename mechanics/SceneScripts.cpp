// The scene reader and the sound scripts.
//
// A scene file is a stream of keyword tokens with their arguments; lines mean nothing, only the
// order of tokens does. A word that is no keyword is skipped, and reading goes on with the next
// token (so the arguments of an unknown keyword are skipped one by one). An argument that is
// not a number leaves its target as it was and stays to be read as the next keyword.
//
// The reader knows the keywords of the scene itself (its kind, maps, grid, lights and paths),
// of the primitive catalogue, of the objects the Scene's factory makes, and of every entity.
// The records the level's objects write about themselves are read by their owners as they
// come: an agent's brain, orders and load by the agents (world/AgentSceneRecords.h), a
// building's construction, queue and held unit by the building, the raid manager's by the raid
// manager. Items, control groups and growth are read here.
//
// Every word is read into a bounded buffer, counts from the file are checked against what the
// lists hold, and a cell of -1 -1 (what the writer puts for "off the grid") places nothing.
#include "mechanics/Scene.h"

#include "campaign/PlayerProfile.h"
#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "levelgen/CellGrid.h"
#include "levelgen/Growth.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "render/Camera.h"
#include "platform/Files.h"
#include "platform/SoundManager.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/ParticleManager.h"
#include "terrain/Environment.h"
#include "terrain/Skybox.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentSceneRecords.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/CatalogueScript.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/RaidManager.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The level's grid, or one of a generated level's size before there is a game.
const Grid& LevelGrid()
{
    static const Grid generated(LEVEL_MAP_SIZE, 2.5f);
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    return grid && grid->size > 0 ? *grid : generated;
}

struct SceneReader {
    Scene& scene;
    Lexer& in;
    Entity* current = nullptr;
    Agent* agent = nullptr;
    Building* building = nullptr;
    Item* item = nullptr;
    GrowthInstance* growth = nullptr;
    int lightingMode = 0;

    std::string Word() { return in.NextValue(); }

    // A number is taken only when the next token is one; otherwise it stays to be read.
    bool Float(float* out)
    {
        const char* token = in.Peek();
        float value = 0.0f;
        if (!token || in.ToFloat(token, &value) != NumberStatus::OK) return false;
        in.Next();
        *out = value;
        return true;
    }
    bool Int(int* out)
    {
        const char* token = in.Peek();
        int value = 0;
        if (!token || in.ToInt(token, &value) != NumberStatus::OK) return false;
        in.Next();
        *out = value;
        return true;
    }
    bool Vector(Vec3* out)
    {
        Vec3 v = *out;
        bool all = Float(&v.x) && Float(&v.y) && Float(&v.z);
        if (all) *out = v;
        return all;
    }

    // A position on the level's map: beyond its edges, x and z are taken to the nearest edge,
    // and the log says so.
    bool Position(const char* key, Vec3* out)
    {
        if (!Vector(out)) return false;
        const Grid& grid = LevelGrid();
        Vec3 low = grid.CellToWorld(0, 0), high = grid.CellToWorld(grid.size - 1, grid.size - 1);
        Vec3 on(std::clamp(out->x, low.x, high.x), out->y, std::clamp(out->z, low.z, high.z));
        if (on.x != out->x || on.z != out->z)
            in.Warn(in.Line(), "%s %g %g %g is off the map, %g %g %g is used", key, (double)out->x, (double)out->y,
                    (double)out->z, (double)on.x, (double)on.y, (double)on.z);
        *out = on;
        return true;
    }
    // A map cell: beyond the map, taken to the nearest edge, logged; -1 -1 stands for no cell.
    bool Cell(const char* key, int* column, int* row)
    {
        if (!Int(column) || !Int(row)) return false;
        if (*column == -1 && *row == -1) return true;
        int last = LevelGrid().size - 1;
        int c = std::clamp(*column, 0, last), w = std::clamp(*row, 0, last);
        if (c != *column || w != *row) in.Warn(in.Line(), "%s %d %d is off the map, %d %d is used", key, *column, *row, c, w);
        *column = c;
        *row = w;
        return true;
    }

    void MakeCurrent(Entity* entity)
    {
        current = entity;
        agent = entity && (entity->flags & ENTITY_AGENT) ? static_cast<Agent*>(entity) : nullptr;
        building = nullptr;
        item = nullptr;
    }
};

struct Keyword {
    const char* word;
    bool anyCase;
    void (*read)(SceneReader& r);
};

Vec3 CellPosition(int column, int row)
{
    return LevelGrid().CellToWorld(column, row);
}

void ReadScene(SceneReader& r)
{
    std::string kind = r.Word(), version = r.Word();
    CopyText(r.scene.sceneKind, sizeof r.scene.sceneKind, kind.c_str());
    CopyText(r.scene.sceneVersion, sizeof r.scene.sceneVersion, version.c_str());
}

void ReadMeshType(SceneReader& r)
{
    std::string type = r.Word();
    r.lightingMode = type == "DynamicLighting" ? 1 : type == "PreLighting" ? 0 : type == "Dynamic" ? 3 : 2;
}

void ReadSet(SceneReader& r)
{
    int ignored = 0;
    if (r.Word() == "SomeVariable") r.Int(&ignored);
}

void ReadGrid(SceneReader& r)
{
    int width = 0, height = 0;
    if (!r.Int(&width) || !r.Int(&height) || width <= 0 || height <= 0) return;
    Grid* grid = TheGame ? TheGame->grid : nullptr;
    // Rows from the first, columns from the last: the map is stored turned. Values for cells
    // beyond the level's grid are read and passed over; the loop ends with the text.
    for (int row = 0; row < height && !r.in.Ended(); ++row)
        for (int column = width - 1; column >= 0 && !r.in.Ended(); --column) {
            int value = 0;
            if (!r.Int(&value)) return;
            GridCell* cell = grid ? grid->GetCell(column, row) : nullptr;
            if (cell) cell->flags = value >= 1 && value <= 3 ? (uint8_t)value : 0;
        }
    if (grid && (width > grid->size || height > grid->size))
        r.in.Warn(r.in.Line(), "GRID %d x %d is larger than the level's %d x %d: the rest is skipped", width, height,
                  grid->size, grid->size);
}

void ReadHeightmap(SceneReader& r)
{
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, r.Word().c_str());
    FixPath(path);
    CopyText(r.scene.heightmapName, sizeof r.scene.heightmapName, path);
}

void ReadColormap(SceneReader& r)
{
    CopyText(r.scene.colourMapName, sizeof r.scene.colourMapName, r.Word().c_str());
}

void ReadSceneFlag(SceneReader& r)
{
    if (StrICmp(r.Word().c_str(), "LEVEL_HAS_WATER") == 0) r.scene.sceneFlags |= SCENE_HAS_WATER;
}

void ReadSkybox(SceneReader& r)
{
    std::string name = r.Word();
    Skybox::Load(name.c_str());
    if (!Skybox::mesh) Log("WARNING: the sky %s cannot be loaded\n", name.c_str());
}

void ReadVisited(SceneReader& r)
{
    int value = 0;
    if (r.Int(&value) && value >= 1 && value <= 255 && r.current) r.current->discovered = value;
}

void ReadEntityIM(SceneReader& r)
{
    Entity* decal = r.scene.CreateDecalEntity(r.Word().c_str(), Vec3(), r.lightingMode);
    if (decal) decal->flags |= ENTITY_PLACED;
    r.MakeCurrent(decal);
}

void ReadTerrainObject(SceneReader& r)
{
    r.MakeCurrent(r.scene.AddTerrainObject(r.Word().c_str(), Vec3(), r.lightingMode));
}

void ReadTranslucentObject(SceneReader& r)
{
    r.MakeCurrent(r.scene.AddTranslucentObject(r.Word().c_str(), Vec3(), r.lightingMode));
}

void ReadSplat(SceneReader& r)
{
    std::string primitive = r.Word(), texture = r.Word(), normal = r.Word();
    Vec3 position;
    r.Vector(&position);
    // The lighting mode is a mesh setting, not an entity flag.
    r.MakeCurrent(r.scene.AddSplat(primitive.c_str(), texture.c_str(), normal.c_str(), position, 0));
}

void ReadResource(SceneReader& r)
{
    std::string primitive = r.Word();
    Vec3 position;
    int oreType = 0;
    r.Position("AddResource", &position);
    r.Int(&oreType);
    r.MakeCurrent(r.scene.AddResource(primitive.c_str(), position, oreType));
}

void ReadFuel(SceneReader& r)
{
    Vec3 position;
    int ignored = 0;
    r.Position("AddFuel", &position);
    r.Int(&ignored);
    r.MakeCurrent(r.scene.AddFuelVent("res_fuel", position));
}

void ReadAgent(SceneReader& r, bool add)
{
    Agent* agent = r.scene.CreateAgent(r.Word().c_str(), add);
    if (agent) agent->flags |= ENTITY_PLACED;
    r.MakeCurrent(agent);
}

void ReadAddAgent(SceneReader& r)
{
    ReadAgent(r, true);
}

void ReadCreateAgent(SceneReader& r)
{
    ReadAgent(r, false);
}

void ReadBuilding(SceneReader& r)
{
    Building* building = r.scene.CreateBuilding(r.Word().c_str());
    if (building) building->flags |= ENTITY_PLACED;
    r.MakeCurrent(building);
    r.building = building;
}

void ReadItem(SceneReader& r)
{
    std::string name = r.Word();
    Item* item = SpawnItemAt(name.c_str(), Vec3());
    if (item)
        item->flags |= ENTITY_SNAP_TO_GROUND | ENTITY_PLACED;
    else
        r.in.Warn(r.in.Line(), "no item '%s' is placed", name.c_str());
    r.MakeCurrent(item);
    r.item = item;
}

void ReadItemAction(SceneReader& r)
{
    int action = 0, value = 0;
    if (r.Int(&action) && r.Int(&value) && r.item) {
        r.item->action = action;
        r.item->actionValue = value;
    }
}

void ReadItemFlag(SceneReader& r)
{
    std::string word = r.Word();
    if (!r.item) return;
    if (StrICmp(word.c_str(), "ITEM_FLAG_USED") == 0) r.item->itemFlags |= ITEM_FLAG_USED;
    if (StrICmp(word.c_str(), "ITEM_FLAG_RANDOM") == 0) r.item->itemFlags |= ITEM_FLAG_RANDOM;
}

void ReadItemUpgradeFlags(SceneReader& r)
{
    int value = 0;
    if (r.Int(&value) && r.item) r.item->upgradeFlags = (uint32_t)value;
}

void ReadItemSpecialFlags(SceneReader& r)
{
    int value = 0;
    if (r.Int(&value) && r.item) r.item->specialFlags = (uint32_t)value;
}

// The upgrade amounts, one keyword each, in the order of the item's bonuses.
template <int BONUS>
void ReadItemBonus(SceneReader& r)
{
    float value = 0.0f;
    if (r.Float(&value) && r.item) r.item->bonus[BONUS] = value;
}

// A stack and a blueprint's pattern lie on the ground as they were carried.
void ReadItemStackCount(SceneReader& r)
{
    int value = 0;
    if (r.Int(&value) && r.item && (r.item->itemFlags & ITEM_FLAG_STACKABLE) && value > 0) r.item->stackCount = value;
}

void ReadItemPattern(SceneReader& r)
{
    std::string pattern = r.Word();
    if (r.item && (r.item->kind == ITEM_KIND_UNIT || r.item->kind == ITEM_KIND_BUILDING))
        CopyText(r.item->patternName, sizeof r.item->patternName, pattern.c_str());
}

void ReadControlGroup(SceneReader& r)
{
    int count = 0;
    if (!r.Int(&count)) return;
    // Ten groups at most: further numbers of a damaged line are read and passed over.
    int groups[CONTROL_GROUP_COUNT];
    int kept = 0;
    for (int i = 0, group = 0; i < count && r.Int(&group); ++i)
        if (kept < CONTROL_GROUP_COUNT) groups[kept++] = group;
    if (count > CONTROL_GROUP_COUNT)
        r.in.Warn(r.in.Line(), "%d control groups: only the first %d are read", count, CONTROL_GROUP_COUNT);
    if (TheGame && r.current) TheGame->ReadControlGroups(r.current, groups, kept);
}

void ReadMeshState(SceneReader& r)
{
    std::string mesh = r.Word();
    r.scene.AddMeshToTemplate(r.current, mesh.c_str(), r.lightingMode);
}

void ReadPath(SceneReader& r)
{
    std::string name = r.Word();
    int count = 0;
    if (!r.Int(&count) || count < 0) return;
    // A point is three numbers: no count asks for more points than the text can hold.
    int fits = (int)(r.in.Remaining() / 6);
    if (count > fits) count = fits;
    ScenePath* path = r.scene.AddPath(name.c_str(), count);
    for (int i = 0; i < count; ++i) {
        Vec3 point;
        if (!r.Vector(&point)) break;
        if (path) path->points[i] = point;
    }
}

uint32_t PrimitiveKind(const std::string& word, bool* dynamic)
{
    const char* w = word.c_str();
    *dynamic = StrICmp(w, "ENTITY_DYNAMIC") == 0;
    if (StrICmp(w, "AGENT") == 0) return ENTITY_AGENT;
    if (StrICmp(w, "BUILDING") == 0) return ENTITY_BUILDING;
    if (StrICmp(w, "RESOURCE") == 0) return ENTITY_RESOURCE;
    if (StrICmp(w, "FUEL") == 0) return ENTITY_FUEL;
    return 0;
}

void ReadPrimitive(SceneReader& r)
{
    std::string name = r.Word(), kindWord = r.Word(), mesh = r.Word();
    bool dynamic = false;
    uint32_t kind = PrimitiveKind(kindWord, &dynamic);
    r.MakeCurrent(r.scene.AddPrimitive(mesh.c_str(), name.c_str(), r.lightingMode, nullptr, kind, 1, dynamic));
}

void ReadRemapPrimitive(SceneReader& r)
{
    std::string base = r.Word(), mesh = r.Word(), textureBase = r.Word();
    int low = 0, high = -1;
    r.Int(&low);
    r.Int(&high);
    Log("RemapPrimitive: %s\n", base.c_str());
    // The texture base names the numbered variants' pictures; the primitives keep their
    // mesh's own.
    for (int i = low; i <= high && i - low < Scene::PRIMITIVE_NODES; ++i) {
        std::string name = base + std::to_string(i);
        Log("   AddPrimitive: %s : %s\n", mesh.c_str(), name.c_str());
        r.scene.AddPrimitive(mesh.c_str(), name.c_str(), r.lightingMode, nullptr, 0, 1, false);
    }
    Log("   AddPrimitive: %s : %s\n", mesh.c_str(), base.c_str());
    r.MakeCurrent(r.scene.AddPrimitive(mesh.c_str(), base.c_str(), r.lightingMode, nullptr, 0, 1, false));
}

void ReadLight(SceneReader& r)
{
    std::string type = r.Word();
    SceneLight* light = r.scene.AddLight();
    SceneLight ignored;
    if (!light) light = &ignored;
    if (type == "POINT") light->type = 1;
    if (type == "SPOT") light->type = 2;
    if (type == "DIRECTIONAL") light->type = 3;
    float* fields[] = {&light->diffuse[0],  &light->diffuse[1],  &light->diffuse[2],  &light->diffuse[3],
                       &light->specular[0], &light->specular[1], &light->specular[2], &light->specular[3],
                       &light->ambient[0],  &light->ambient[1],  &light->ambient[2],  &light->ambient[3],
                       &light->position.x,  &light->position.y,  &light->position.z,  &light->direction.x,
                       &light->direction.y, &light->direction.z, &light->range,       &light->falloff,
                       &light->attenuation[0], &light->attenuation[1], &light->attenuation[2]};
    for (float* field : fields)
        if (!r.Float(field)) break;
}

void ReadFlag(SceneReader& r)
{
    static const struct {
        const char* word;
        uint32_t flag;
    } flags[] = {
        {"ENTITY_PLAYER", ENTITY_PLAYER},
        {"ENTITY_AI", ENTITY_AI},
        {"ENTITY_STATIC", ENTITY_STATIC},
        {"ENTITY_SPLAT", ENTITY_SPLAT},
        {"ENTITY_COLLISION", ENTITY_COLLISION},
        {"ENTITY_SELECTION", ENTITY_SELECTION},
        {"ENTITY_MARKER", ENTITY_MARKER},
        {"ENTITY_NODRAW", ENTITY_NODRAW},
        {"ENTITY_ALIGN_TO_Terrain", ENTITY_ALIGN_TO_TERRAIN},
        {"ENTITY_RESOURCE", ENTITY_RESOURCE},
        {"ENTITY_RESOURCE_REVEALED", ENTITY_RESOURCE_REVEALED},
        {"ENTITY_GRID_BLOCKER", ENTITY_GRID_BLOCKER},
        {"ENTITY_OBJECT_OF_INTEREST", ENTITY_OBJECT_OF_INTEREST},
        {"ENTITY_FUEL", ENTITY_FUEL},
    };
    std::string word = r.Word();
    if (!r.current) return;
    // The player's flag marks the rig, which the profile brings and PlayerStart places: on
    // anything else it would pass for the rig and go along into the next mission.
    if (word == "ENTITY_PLAYER" && !(r.current->flags & ENTITY_PLAYER)) {
        r.in.Warn(r.in.Line(), "%s may not take the player's flag: only the rig has it", r.current->name);
        return;
    }
    for (const auto& f : flags) {
        if (word != f.word) continue;
        r.current->flags |= f.flag;
        if (f.flag == ENTITY_FUEL && r.scene.particles) {
            if (ParticleSystem* vent = r.scene.particles->SpawnSystem("fuelvent")) {
                vent->owner = r.current;
                vent->offset = Vec3(0.0f, 1.0f, 0.0f);
            }
        }
    }
}

void ReadKills(SceneReader& r)
{
    int value = 0;
    if (r.Int(&value) && r.current) r.current->kills = value;
}

void ReadAlignment(SceneReader& r)
{
    std::string word = r.Word();
    if (!r.current) return;
    Entity* e = r.current;
    // The segment follows the side: an entity already in the lists moves to its new one.
    const int before = r.scene.GetListIndex(e);
    bool listed = false;
    for (Scene::Node* node = r.scene.FirstInList(before); node && !listed; node = r.scene.NextInList(node))
        listed = node->value == e;
    e->alignment = word == "FRIENDLY" ? ALIGN_FRIENDLY : word == "ENEMY" ? ALIGN_ENEMY
                 : word == "PLAYER"   ? ALIGN_PLAYER
                                      : ALIGN_NEUTRAL;
    if (listed && r.scene.GetListIndex(e) != before) {
        r.scene.UnlinkEntity(e);
        r.scene.LinkEntity(e);
    }
}

void ReadComposition(SceneReader& r)
{
    static const char* const names[] = {"Default", "Biological", "Mechanical", "BioMechanical",
                                        "Plant",   "Rock",       "Crystal",    "Wood"};
    std::string word = r.Word();
    if (!r.current) return;
    for (int i = 0; i < 8; ++i)
        if (word == names[i]) r.current->composition = i;
}

void ReadPosition(SceneReader& r)
{
    Vec3 position;
    if (!r.Position("SetPosition", &position) || !r.current) return;
    r.current->SetPosition(position);
    r.current->moveTarget = position;
}

void ReadMapCoord(SceneReader& r)
{
    int column = 0, row = 0;
    if (!r.Cell("SetMapCoord", &column, &row) || !r.current || (column == -1 && row == -1)) return;
    Vec3 position = CellPosition(column, row);
    r.current->SetPosition(position);
    r.current->moveTarget = position;
}

void ReadScale(SceneReader& r)
{
    // Entities scale uniformly: the first number is the scale.
    Vec3 scale;
    if (r.Vector(&scale) && r.current && scale.x > 0.0f) r.current->scale = scale.x;
}

void ReadRadius(SceneReader& r)
{
    float radius = 0.0f;
    if (!r.Float(&radius) || !r.current) return;
    r.current->size = radius;
    r.current->flags &= ~ENTITY_SIZE_PENDING;
}

void ReadRotate(SceneReader& r)
{
    float degrees = 0.0f;
    if (!r.Float(&degrees) || !r.current) return;
    Entity* e = r.current;
    // Absolute: an entity read twice (a save over the level) is not turned twice.
    Vec3 position(e->world._41, e->world._42, e->world._43);
    e->yaw = degrees;
    // Turned so, and turning nowhere else (a unit's own turn, read next, may say otherwise).
    e->targetYaw = degrees;
    MatrixRotationY(&e->rotation, degrees * 0.0174532924f);
    e->world = e->rotation;
    e->SetPosition(position);
}

void ReadTurningTo(SceneReader& r)
{
    float degrees = 0.0f;
    if (r.Float(&degrees) && r.current) r.current->targetYaw = degrees;
}

// The rig's hull and shield as they stood: the profile's own lines round them.
void ReadRigHull(SceneReader& r)
{
    float hull = 0.0f, shield = 0.0f;
    if (!(r.Float(&hull) && r.Float(&shield)) || !r.agent || !(r.agent->flags & ENTITY_PLAYER)) return;
    r.agent->health = hull;
    r.agent->shield = shield;
}

void ReadWorldState(SceneReader& r)
{
    int level = 0, z = 0, w = 0;
    float clock = 0.0f;
    if (!(r.Int(&level) && r.Int(&z) && r.Int(&w) && r.Float(&clock))) return;
    SavedWorldState& saved = r.scene.savedWorld;
    saved.read = true;
    saved.levelSequence = (unsigned)level;
    saved.programZ = (uint32_t)z;
    saved.programW = (uint32_t)w;
    saved.missionTime = clock;
    int ground = 0;
    saved.groundRead = r.Int(&ground);
    saved.groundSequence = (unsigned)ground;
}

void ReadLevelClocks(SceneReader& r)
{
    float objectives = 0.0f, events = 0.0f;
    int due = 1, enemyFound = 0, oreFound = 0;
    if (!(r.Float(&objectives) && r.Float(&events) && r.Int(&due) && r.Int(&enemyFound) && r.Int(&oreFound))) {
        r.in.Warn(r.in.Line(), "LevelClocks is cut short: the level's clocks start afresh");
        return;
    }
    r.scene.PutBackOnceSettled(nullptr, [=](Entity*) {
        if (TheObjectives) TheObjectives->accumulator = objectives;
        if (TheEvents) {
            TheEvents->accumulator = events;
            TheEvents->enemyDiscovered = enemyFound != 0;
            TheEvents->oreDiscovered = oreFound != 0;
        }
        TheMinimap.visibilityDue = due != 0;
        TheMinimap.fogRestored = true;
    });
}

// A grid of the fog as its runs (WriteRuns); the whole of it or nothing.
void ReadFogRuns(SceneReader& r, const char* keyword, std::vector<uint8_t> FogGrids::*grid)
{
    int cells = 0, runs = 0;
    if (!r.Int(&cells) || !r.Int(&runs) || cells < 0 || runs < 0 || runs > cells) return;
    std::vector<uint8_t> read;
    for (int i = 0; i < runs; ++i) {
        int value = 0, length = 0;
        if (!r.Int(&value) || !r.Int(&length) || length < 1 || length > cells - (int)read.size()) {
            r.in.Warn(r.in.Line(), "%s is cut short or damaged: the fog is worked out afresh", keyword);
            return;
        }
        read.insert(read.end(), (size_t)length, (uint8_t)(value & 0xff));
    }
    if ((int)read.size() != cells) return;
    r.scene.PutBackOnceSettled(nullptr, [read, grid, keyword](Entity*) {
        std::vector<uint8_t>& cellsNow = TheMinimap.fog.*grid;
        if (read.size() == cellsNow.size())
            cellsNow = read;
        else
            Log("WARNING: the save's %s is of another map's size: the fog is worked out afresh\n", keyword);
    });
}

void ReadFogSeen(SceneReader& r)
{
    ReadFogRuns(r, "FogSeen", &FogGrids::everSeen);
}

void ReadFogNow(SceneReader& r)
{
    ReadFogRuns(r, "FogNow", &FogGrids::visibleNow);
}

void ReadFogMarks(SceneReader& r)
{
    ReadFogRuns(r, "FogMarks", &FogGrids::markers);
}

void ReadScanPulse(SceneReader& r)
{
    int owner = -1, segments = 0, active = 0, ready = 0;
    float values[11] = {};
    bool whole = r.Int(&owner);
    for (float& value : values) whole = whole && r.Float(&value);
    whole = whole && r.Int(&segments) && r.Int(&active) && r.Int(&ready);
    if (!whole) {
        r.in.Warn(r.in.Line(), "ScanPulse is cut short: the pulse is left out");
        return;
    }
    r.scene.PutBackOnceSettled(nullptr, [=](Entity*) {
        ScanRecord pulse;
        pulse.entity.Set(TheScene.EntityOfSaveNumber(owner));
        pulse.position = Vec3(values[0], values[1], values[2]);
        pulse.innerRadius = values[3];
        pulse.outerRadius = values[4];
        pulse.phase = values[5];
        pulse.currentOuter = values[6];
        pulse.maxPhase = values[7];
        pulse.speed = values[8];
        pulse.cooldown = values[9];
        pulse.wait = values[10];
        pulse.segments = segments;
        pulse.active = active != 0;
        pulse.ready = ready != 0;
        if (!TheScanEffects.list.PushBack(pulse)) Log("WARNING: no room for a scan pulse of the save\n");
    });
}

// A saved item's clocks and turn, put back once it lies on its ground.
void ReadItemState(SceneReader& r)
{
    float values[6] = {};
    int flags = 0;
    bool whole = true;
    for (float& value : values) whole = whole && r.Float(&value);
    whole = whole && r.Int(&flags);
    if (!whole) {
        r.in.Warn(r.in.Line(), "ItemState is cut short: the item goes on without it");
        return;
    }
    if (!r.item) return;
    r.scene.PutBackOnceSettled(r.item, [values, flags](Entity* entity) {
        Item* item = static_cast<Item*>(entity);
        item->ageTimers[0] = values[0];
        item->ageTimers[1] = values[1];
        item->sinceReset = values[2];
        item->actionReset = values[3];
        item->salvageIdleTime = values[4];
        item->itemFlags = (uint32_t)flags;
        if (item->yaw != values[5]) {
            // As its spin left it: the turn and the matrix it draws with.
            item->yaw = values[5];
            const Vec3 position = item->GetPosition();
            Matrix scaling;
            MatrixRotationY(&item->rotation, item->yaw * (PI / 180.0f));
            MatrixScaling(&scaling, item->scale, item->scale, item->scale);
            MatrixMultiply(&item->world, &scaling, &item->rotation);
            item->SetPosition(position);
        }
    });
}

// The number a save gives the entity just read: what else the save holds of it names it so.
void ReadSaveId(SceneReader& r)
{
    int number = -1;
    if (r.Int(&number) && r.current) r.scene.NameSaveNumber(number, r.current);
}

void ReadAttachOffset(SceneReader& r)
{
    Vec3 offset;
    if (r.Vector(&offset) && r.current) r.current->attachOffset = offset;
}

void ReadName(SceneReader& r)
{
    std::string name = r.Word();
    if (!r.current) return;
    // A name of nothing printable (a NUL byte) could not be written back: the entity keeps its
    // type's name.
    if (name.empty() || !name[0]) {
        r.in.Warn(r.in.Line(), "SetName has no name, %s keeps its own", r.current->name);
        return;
    }
    CopyText(r.current->name, sizeof r.current->name, name.c_str());
}

void ReadHealth(SceneReader& r)
{
    float value = 0.0f;
    if (r.Float(&value) && r.current) r.current->SetHealth(value);
}

void ReadMaxHealth(SceneReader& r)
{
    float value = 0.0f;
    if (r.Float(&value) && r.current) r.current->SetMaxHealth(value);
}

void ReadBothHealth(SceneReader& r)
{
    float health = 0.0f, maximum = 0.0f;
    bool hasHealth = r.Float(&health);
    bool hasMaximum = hasHealth && r.Float(&maximum);
    if (!r.current) return;
    if (!hasMaximum) {
        if (hasHealth) r.current->SetHealth(health);
        return;
    }
    // The maximum is the entity's own, without upgrades (they are read later and add to it
    // again); health may stand above it while upgrades carry it. Both come back as written,
    // below zero too (a unit type without health): the next save writes them the same.
    r.current->SetMaxHealth(maximum);
    r.current->health = health;
}

Agent* FindRig(Scene& scene)
{
    for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
        for (Scene::Node* node = scene.FirstInList(segment); node; node = scene.NextInList(node))
            if (node->value && (node->value->flags & ENTITY_PLAYER) && (node->value->flags & ENTITY_AGENT))
                return static_cast<Agent*>(node->value);
    return nullptr;
}

void ReadPlayerStart(SceneReader& r)
{
    Vec3 position;
    bool placed = r.Position("PlayerStart", &position);
    // A save read after the game was started afresh finds a level without the rig: the
    // profile's rig joins it here.
    Agent* rig = FindRig(r.scene);
    const bool listed = rig != nullptr;
    if (!rig) rig = GetPlayerRig();
    if (!rig) {
        r.MakeCurrent(nullptr);
        return;
    }
    if (placed) {
        rig->SetPosition(position);
        rig->moveTarget = position;
    }
    if (!listed && !r.scene.AddEntity(rig)) Log("ERROR Scene: the player's rig cannot join the level\n");
    r.MakeCurrent(rig);
}

void ReadObjective(SceneReader& r)
{
    int index = 0, flags = 0, count = 0;
    if (r.Int(&index) && r.Int(&flags) && r.Int(&count) && TheObjectives)
        TheObjectives->SetState(index, (uint32_t)flags, count);
}

void ReadEventDone(SceneReader& r)
{
    std::string name = r.Word();
    if (TheEvents) TheEvents->Retire(name.c_str());
}

void ReadCamera(SceneReader& r)
{
    float x = 0.0f, y = 0.0f, z = 0.0f, yaw = 0.0f, pitch = 0.0f;
    if (!(r.Float(&x) && r.Float(&y) && r.Float(&z) && r.Float(&yaw) && r.Float(&pitch))) return;
    GameCamera.eye = Vec3(x, y, z);
    GameCamera.yaw = yaw * 0.0174532924f;
    GameCamera.pitch = pitch * 0.0174532924f;
    GameCamera.ClampPitch();
    GameCamera.UpdateDirection();
    // The orbit distance is measured again from the eye read.
    GameCamera.distanceMeasured = false;
    r.scene.sceneFlags |= SCENE_CAMERA_PLACED;
}

void ReadSoundLine(SceneReader& r)
{
    // Sounds come from the sound scripts, not from scenes.
    int ignored = 0;
    r.Word();
    r.Int(&ignored);
    r.Word();
}

void ReadHeightmapScale(SceneReader& r)
{
    float value = 0.0f;
    if (r.Float(&value)) r.scene.heightmapScale = value == 0.0f ? 0.0f : 1.0f / value;
}

void ReadItemBitmap(SceneReader& r)
{
    std::string name = r.Word();
    if (r.item) snprintf(r.item->iconPath, sizeof r.item->iconPath, "data/gui/icons/%s", name.c_str());
}

void ReadItemType(SceneReader& r)
{
    int value = 0;
    if (!r.Int(&value) || !r.item) return;
    if (value < ITEM_KIND_PICKUP || value > ITEM_KIND_STORAGE) {
        r.in.Warn(r.in.Line(), "SetType %d names no kind of item", value);
        return;
    }
    r.item->kind = value;
}

// The spawn lines change the definition of the building just read, as the build catalogue's
// lines of the same names do.
BuildItem* CurrentDefinition(SceneReader& r)
{
    Entity* e = r.current;
    return e && (e->flags & ENTITY_BUILDING) ? static_cast<Building*>(e)->definition : nullptr;
}

void ReadSpawnType(SceneReader& r)
{
    std::string type = r.Word();
    BuildItem* definition = CurrentDefinition(r);
    if (!definition) return;
    CopyText(definition->spawnType, sizeof definition->spawnType, type.c_str());
    definition->flags |= BUILD_SPAWNPOINT;
}

void ReadSpawnCounts(SceneReader& r)
{
    int total = 0, together = 0;
    bool hasTotal = r.Int(&total);
    bool hasTogether = hasTotal && r.Int(&together);
    BuildItem* definition = r.building ? r.building->definition : nullptr;
    if (!definition) return;
    // The total comes first in the file and is kept second.
    if (hasTotal) definition->spawnCounts[1] = total;
    if (hasTogether) definition->spawnCounts[0] = together;
}

void ReadSpawnRadius(SceneReader& r)
{
    float radius = 0.0f;
    BuildItem* definition = r.building ? r.building->definition : nullptr;
    if (r.Float(&radius) && definition) definition->spawnRadius = radius;
}

void ReadLoadAnim(SceneReader& r)
{
    char file[MAX_PATH_TEXT];
    CopyText(file, sizeof file, r.Word().c_str());
    FixPath(file);
    if (r.current && r.current->mesh) r.current->mesh->AddAnimation(file, true);
}

// An animation for one role of the current entity's mesh; a death plays once, and a use (a
// crate's lid, a door) stays where it ends.
template <int KIND>
void ReadRoleAnim(SceneReader& r)
{
    std::string file = r.Word();
    const uint32_t once = KIND == ANIM_DEATH ? SLOT_RETURN_TO_IDLE : 0;
    IndexedMesh* mesh = r.current ? r.current->mesh : nullptr;
    if (!AddMeshAnimation(mesh, file.c_str(), KIND, once, true) || KIND != ANIM_USE) return;
    const int slot = mesh->animationSlot[ANIM_USE];
    if (slot >= 0 && mesh->animations[slot]) mesh->animations[slot]->hold = 1;
}

void ReadBrain(SceneReader& r)
{
    std::string word = r.Word();
    if (!r.agent) return;
    r.agent->brainKind = word == "ENEMY" ? BRAIN_ENEMY : word == "NEUTRAL" ? BRAIN_NEUTRAL
                       : word == "CREATURE" ? BRAIN_CREATURE
                                            : BRAIN_NONE;
}

void ReadSpeed(SceneReader& r)
{
    float value = 0.0f;
    if (r.Float(&value) && r.agent) r.agent->speed = value;
}

void ReadParticleSystem(SceneReader& r)
{
    char file[MAX_PATH_TEXT];
    CopyText(file, sizeof file, r.Word().c_str());
    FixPath(file);
    Vec3 position;
    bool placed = r.Vector(&position);
    ParticleManager* particles = r.scene.particles;
    ParticleSystem* loaded = particles ? particles->LoadTemplate(file) : nullptr;
    if (!loaded) {
        r.in.Warn(r.in.Line(), "the particle system %s is not loaded", file);
        return;
    }
    if (ParticleSystem* system = particles->SpawnSystem(loaded->name))
        if (placed) system->position = position;
}

// The ground textures: first, second, its random variant (which no slot takes), third, and
// the normal map.
template <int SLOT>
void ReadGroundTexture(SceneReader& r)
{
    std::string file = r.Word();
    if (SLOT >= 0 && SLOT < GROUND_TEXTURE_SLOTS)
        CopyText(GroundTextureSlots[SLOT], sizeof GroundTextureSlots[SLOT], file.c_str());
}

void ReadEnvironment(SceneReader& r)
{
    std::string name = r.Word();
    if (TheTerrain.SetEnvironment(name.c_str())) Growth::ApplyEnvironmentDefinition(name.c_str());
}

void ReadGrowthInstance(SceneReader& r)
{
    std::string name = r.Word();
    int column = 0, row = 0;
    bool cell = r.Cell("GrowthInstance", &column, &row) && !(column == -1 && row == -1);
    r.growth = cell && TheGrowthDB ? TheGrowthDB->CreateInstance(name.c_str(), CellPosition(column, row), true) : nullptr;
}

void ReadGrowthParams(SceneReader& r)
{
    GrowthParams read = r.growth ? r.growth->parameters : GrowthParams();
    int circle = read.circle;
    bool whole = r.Int(&read.seed) && r.Float(&read.offset.x) && r.Float(&read.offset.y) && r.Float(&read.offset.z) &&
                 r.Int(&read.width) && r.Int(&read.height) && r.Float(&read.density) && r.Int(&read.blockCount) &&
                 r.Int(&circle);
    if (!whole || !r.growth) return;
    read.circle = circle == 1;
    r.growth->parameters = read;
}

void ReadGrowthEntity(SceneReader& r)
{
    int column = 0, row = 0, category = 0, variant = 0;
    float turn = 0.0f, height = 1.0f;
    bool whole = r.Cell("GrowthEntity", &column, &row) && r.Float(&turn) && r.Float(&height) && r.Int(&category) &&
                 r.Int(&variant);
    if (!whole || !r.growth || (column == -1 && row == -1)) return;
    if (category < 0 || category >= GROWTH_CATEGORIES || r.growth->IsFull()) {
        r.in.Warn(r.in.Line(), "GrowthEntity of category %d is not placed", category);
        return;
    }
    GrowthObject placed;
    placed.position = CellPosition(column, row);
    placed.rotation = Vec3(0.0f, turn, 0.0f);
    placed.scale = Vec3(1.0f, height, 1.0f);
    placed.category = category;
    placed.variant = variant;
    int walked = 0;
    placed.mesh = r.growth->GetObjectAt(category, variant, &walked);
    r.growth->objects.push_back(placed);
}

const Keyword SceneKeywords[] = {
    {"SCENE", false, ReadScene},
    {"MeshType", false, ReadMeshType},
    {"Set", false, ReadSet},
    {"GRID", true, ReadGrid},
    {"HeigthmapScale", false, ReadHeightmapScale},
    {"Heightmap", false, ReadHeightmap},
    {"Colormap", false, ReadColormap},
    {"SceneFlag", false, ReadSceneFlag},
    {"Skybox", false, ReadSkybox},
    {"SetVisited", false, ReadVisited},
    {"AddEntityIM", false, ReadEntityIM},
    {"AddTerrainObject", false, ReadTerrainObject},
    {"AddTransluscentObject", false, ReadTranslucentObject},
    {"AddSplat", false, ReadSplat},
    {"AddResource", false, ReadResource},
    {"AddFuel", false, ReadFuel},
    {"AddAgent", false, ReadAddAgent},
    {"AddUnit", false, ReadAddAgent},
    {"CreateAgent", false, ReadCreateAgent},
    {"AddItem", false, ReadItem},
    {"AddBuilding", false, ReadBuilding},
    {"AddMeshState", false, ReadMeshState},
    {"SetBitmap", false, ReadItemBitmap},
    {"SetType", false, ReadItemType},
    {"SetSpawnType", false, ReadSpawnType},
    {"SetSpawnCounts", false, ReadSpawnCounts},
    {"SetSpawnRadius", false, ReadSpawnRadius},
    {"Path", false, ReadPath},
    {"LoadAnim", false, ReadLoadAnim},
    {"AddPrimitive", false, ReadPrimitive},
    {"RemapPrimitive", false, ReadRemapPrimitive},
    {"AddLight", false, ReadLight},
    {"ANIM_IDLE", false, ReadRoleAnim<ANIM_IDLE>},
    {"ANIM_WALK", false, ReadRoleAnim<ANIM_WALK>},
    {"ANIM_WALK_BACKWARDS", false, ReadRoleAnim<ANIM_WALK_BACKWARDS>},
    {"ANIM_JUMP", false, ReadRoleAnim<ANIM_JUMP>},
    {"ANIM_RUN", false, ReadRoleAnim<ANIM_RUN>},
    {"ANIM_USE", false, ReadRoleAnim<ANIM_USE>},
    {"ANIM_ATTACK", false, ReadRoleAnim<ANIM_ATTACK>},
    {"ANIM_MELEE_ATTACK", false, ReadRoleAnim<ANIM_ATTACK>},
    {"ANIM_PAIN", false, ReadRoleAnim<ANIM_PAIN>},
    {"ANIM_DEATH", false, ReadRoleAnim<ANIM_DEATH>},
    {"ANIM_GETUP", false, ReadRoleAnim<ANIM_GETUP>},
    {"SetFlag", false, ReadFlag},
    {"OreType", false, ReadKills},
    {"SetBrain", false, ReadBrain},
    {"Kills", false, ReadKills},
    {"ControlGroup", false, ReadControlGroup},
    {"PlayerControlGroup", false, ReadControlGroup},
    {"SetAlignment", false, ReadAlignment},
    {"SetComposition", false, ReadComposition},
    {"SetSpeed", false, ReadSpeed},
    {"SetPosition", false, ReadPosition},
    {"SetMapCoord", false, ReadMapCoord},
    {"SetScale", false, ReadScale},
    {"SetRadius", false, ReadRadius},
    {"SetRotate", false, ReadRotate},
    {"TurningTo", false, ReadTurningTo},
    {"RigHull", false, ReadRigHull},
    {"WorldState", false, ReadWorldState},
    {"SaveId", false, ReadSaveId},
    {"ItemState", false, ReadItemState},
    {"LevelClocks", false, ReadLevelClocks},
    {"FogSeen", false, ReadFogSeen},
    {"FogNow", false, ReadFogNow},
    {"FogMarks", false, ReadFogMarks},
    {"ScanPulse", false, ReadScanPulse},
    {"attach_offset", false, ReadAttachOffset},
    {"SetName", false, ReadName},
    {"SetHealth", false, ReadHealth},
    {"SetMaxHealth", false, ReadMaxHealth},
    {"SetBothHealth", false, ReadBothHealth},
    {"PlayerStart", false, ReadPlayerStart},
    {"SetItemFlag", false, ReadItemFlag},
    {"item_upgradeFlags", true, ReadItemUpgradeFlags},
    {"item_specialFlags", true, ReadItemSpecialFlags},
    {"item_upgradeDamage", false, ReadItemBonus<ITEM_BONUS_DAMAGE>},
    {"item_upgradeSpeed", false, ReadItemBonus<ITEM_BONUS_SPEED>},
    {"item_upgradeHull", false, ReadItemBonus<ITEM_BONUS_HULL>},
    {"item_upgradeHealth", false, ReadItemBonus<ITEM_BONUS_HEALTH>},
    {"item_upgradeRateOfFire", false, ReadItemBonus<ITEM_BONUS_RATE_OF_FIRE>},
    {"item_upgradeShieldRecharge", false, ReadItemBonus<ITEM_BONUS_SHIELDS>},
    {"item_stackCount", false, ReadItemStackCount},
    {"item_pattern", false, ReadItemPattern},
    {"SetItemAction", true, ReadItemAction},
    {"Objective", true, ReadObjective},
    {"EventDone", true, ReadEventDone},
    {"Camera", false, ReadCamera},
    {"AddSound", false, ReadSoundLine},
    {"AddParticleSystem", false, ReadParticleSystem},
    {"TerrainTexture1", false, ReadGroundTexture<0>},
    {"TerrainTexture2", false, ReadGroundTexture<1>},
    {"TerrainTexture2Rand", false, ReadGroundTexture<-1>},
    {"TerrainTexture3", false, ReadGroundTexture<2>},
    {"TerrainNormal", false, ReadGroundTexture<3>},
    {"EnvSet", true, ReadEnvironment},
    {"GrowthInstance", true, ReadGrowthInstance},
    {"GrowthParams", true, ReadGrowthParams},
    {"GrowthEntity", true, ReadGrowthEntity},
};

// ---- Records read by their owners: the building just added reads its own.
class OwnerRecordInput : public SceneRecordInput {
public:
    explicit OwnerRecordInput(SceneReader& reader) : r_(reader) {}
    bool Int(int* out) override { return r_.Int(out); }
    bool Float(float* out) override { return r_.Float(out); }
    bool Word(char* out, int size) override
    {
        if (!r_.in.Peek()) return false;
        CopyText(out, (size_t)size, r_.in.NextValue());
        return true;
    }

private:
    SceneReader& r_;
};

bool ReadOwnedRecord(SceneReader& r, const char* token)
{
    std::string keyword = token;
    OwnerRecordInput input(r);
    if (TheGame && TheGame->aiManager && TheGame->aiManager->ReadSceneRecord(keyword.c_str(), input)) return true;
    return r.building && r.building->ReadSceneRecord(keyword.c_str(), input);
}

// One keyword: the scene's and every entity's, then the buildings' and the agents' own lines.
// A keyword an older file glued to the number before it is read in its turn.
void Dispatch(SceneReader& reader, const std::string& token)
{
    for (const Keyword& keyword : SceneKeywords) {
        bool match = keyword.anyCase ? StrICmp(token.c_str(), keyword.word) == 0 : token == keyword.word;
        if (!match) continue;
        keyword.read(reader);
        return;
    }
    if (ReadOwnedRecord(reader, token.c_str())) return;
    std::string glued;
    if (ReadAgentSceneRecord(token.c_str(), reader.in, reader.scene, reader.agent, &glued) && !glued.empty())
        Dispatch(reader, glued);
}

}  // namespace

bool Scene::ReadSceneFile(const char* path)
{
    std::string text;
    if (!ReadDataScript(path, &text)) return false;
    Log("Opened file %s\n", path);
    char name[MAX_PATH_TEXT];
    GetFileName(path, name);
    Lexer in(text.data(), text.size(), SCENE_RULES, name);
    SceneReader reader{*this, in};
    while (const char* token = in.Next()) Dispatch(reader, std::string(token));
    return true;
}

bool LoadSoundScript(const char* path)
{
    // Without a sound device the game runs silent: there is nothing to load the waves into.
    if (!SoundMgr || !SoundMgr->IsEnabled()) return false;
    std::string text;
    if (!ReadDataScript(path, &text)) return false;
    char name[MAX_PATH_TEXT];
    GetFileName(path, name);
    Lexer in(text.data(), text.size(), SCENE_RULES, name);
    while (const char* token = in.Next()) {
        if (strcmp(token, "AddSound") != 0) continue;
        std::string sound = in.NextValue();
        int buffers = 1;
        const char* count = in.Peek();
        if (count && in.ToInt(count, &buffers) == NumberStatus::OK) in.Next();
        char file[MAX_PATH_TEXT];
        CopyText(file, sizeof file, in.NextValue());
        FixPath(file);
        if (in.CutShort()) {
            in.Warn(in.Line(), "AddSound %s is cut short", sound.c_str());
            break;
        }
        SoundMgr->LoadSound(sound.c_str(), file, buffers);
    }
    return true;
}
