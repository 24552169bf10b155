#include "levelgen/MissionObjects.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/CellGrid.h"
#include "levelgen/Growth.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/RandomUtil.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/CatalogueScript.h"
#include "world/Effects.h"
#include "world/GridQueries.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

MissionObjects* TheMissionObjects = nullptr;

namespace {

struct FlagWord {
    const char* word;
    uint32_t value;
};

const FlagWord OBJECT_FLAGS[] = {
    {"MISSION_OBJECT_SELECTABLE", MISSION_OBJECT_SELECTABLE},
    {"MISSION_OBJECT_SALVAGE", MISSION_OBJECT_SALVAGE},
    {"MISSION_OBJECT_RANDOM_ITEMS", MISSION_OBJECT_RANDOM_ITEMS},
    {"MISSION_OBJECT_RANDOM_ENEMIES", MISSION_OBJECT_RANDOM_ENEMIES},
    {"MISSION_OBJECT_JOURNAL", MISSION_OBJECT_JOURNAL},
    {"MISSION_OBJECT_ENEMY_OBJECTIVE", MISSION_OBJECT_ENEMY_OBJECTIVE},
    {"MISSION_OBJECT_GROWTH", MISSION_OBJECT_GROWTH},
};

const FlagWord MESH_FLAGS[] = {
    {"MISSION_OBJECT_HAS_COLLISION", MISSION_OBJECT_HAS_COLLISION},
    {"MISSION_OBJECT_GRID_BLOCKER", MISSION_OBJECT_GRID_BLOCKER},
    {"MISSION_OBJECT_MESH_HEIGHT", MISSION_OBJECT_MESH_HEIGHT},
    {"MISSION_OBJECT_HEIGHTMAP_VERTICES", MISSION_OBJECT_HEIGHTMAP_VERTICES},
    {"MISSION_OBJECT_SPLAT_LAYER_2", MISSION_OBJECT_SPLAT_LAYER_2},
    {"MISSION_OBJECT_ENV_SNOW", MISSION_OBJECT_ENV_SNOW},
    {"MISSION_OBJECT_ENV_VEGETATION", MISSION_OBJECT_ENV_VEGETATION},
    {"MISSION_OBJECT_TERRAIN_HOLE", MISSION_OBJECT_TERRAIN_HOLE},
    {"MISSION_OBJECT_NODRAW", MISSION_OBJECT_NODRAW},
    {"MISSION_OBJECT_TRANSLUSCENT", MISSION_OBJECT_TRANSLUSCENT},
    {"MISSION_OBJECT_GRID_MASK_MESH", MISSION_OBJECT_GRID_MASK_MESH},
};

const FlagWord SPAWN_KINDS[] = {
    {"SPAWN_FLAG_STATIC", SPAWN_FLAG_STATIC},
    {"SPAWN_FLAG_AGENT", SPAWN_FLAG_AGENT},
    {"SPAWN_FLAG_BUILDING", SPAWN_FLAG_BUILDING},
    {"SPAWN_FLAG_ITEM", SPAWN_FLAG_ITEM},
};

const FlagWord SPAWN_EXTRAS[] = {
    {"SPAWN_FLAG_REPAIR_OBJECTIVE", SPAWN_FLAG_REPAIR_OBJECTIVE},
    {"SPAWN_FLAG_ALWAYS_HAS_HEALTH", SPAWN_FLAG_ALWAYS_HAS_HEALTH},
};

const FlagWord OBJECTIVE_WORDS[] = {
    {"OBJECTIVE_BUILD", OBJECTIVE_BUILD},
    {"OBJECTIVE_MINING", OBJECTIVE_MINING},
    {"OBJECTIVE_RECOVER_OBJECT", OBJECTIVE_RECOVER_OBJECT},
    {"OBJECTIVE_ELIMINATE_FACTION", OBJECTIVE_ELIMINATE_FACTION},
    {"OBJECTIVE_ELIMINATE_ENEMIES", OBJECTIVE_ELIMINATE_ENEMIES},
    {"OBJECTIVE_REPAIR_OBJECT", OBJECTIVE_REPAIR_OBJECT},
    {"OBJECTIVE_DISCOVER_ENTITY", OBJECTIVE_DISCOVER_ENTITY},
    {"OBJECTIVE_HACK_COMPUTER", OBJECTIVE_HACK_COMPUTER},
    {"OBJECTIVE_DISCOVER_ORE", OBJECTIVE_DISCOVER_ORE},
    {"OBJECTIVE_DESTROY_BUILDING", OBJECTIVE_DESTROY_BUILDING},
    {"OBJECTIVE_DESTROY_TYPE", OBJECTIVE_DESTROY_TYPE},
    {"OBJECTIVE_EXCAVATE_OBJECT", OBJECTIVE_EXCAVATE_OBJECT},
};

// Flag words keep their case: a word written otherwise is no flag.
template <size_t N>
bool LookUp(const FlagWord (&table)[N], const std::string& word, uint32_t* value)
{
    for (const FlagWord& f : table)
        if (word == f.word) {
            *value = f.value;
            return true;
        }
    return false;
}

void Fixed(char* field, size_t size, const std::string& path)
{
    CopyText(field, size, path.c_str());
    FixPath(field);
}

void ReadVec3(CatalogueScript& in, const char* key, Vec3* v)
{
    float values[3] = {0.0f, 0.0f, 0.0f};
    in.Floats(key, values, 3);
    *v = Vec3(values[0], values[1], values[2]);
}

// Appends to a bounded table; a full one refuses with a warning at the script's line.
template <class T>
T* Append(CatalogueScript& in, std::vector<T>& table, size_t limit, const char* what, const char* record)
{
    if (table.size() >= limit) {
        in.Warn("%s: %s holds %d already, the rest are left out", record, what, (int)limit);
        return nullptr;
    }
    table.emplace_back();
    return &table.back();
}

int CurrentMissionLevel()
{
    const MissionRecord* mission = MissionCatalogue::GetCurrentMission();
    return mission ? mission->level : 0;
}

void SpawnEffect(const char* name, const Vec3& position, Entity* owner)
{
    // A system of its own stands where it is put; one that follows its owner starts on it.
    StartEffect(name, owner, owner ? Vec3() : position);
}

// Up to maximum free walkable points around the position, shuffled.
int FreePointsAround(const Vec3& position, int radius, int maximum, Vec3* points)
{
    int count = 0;
    CollectFreeCellsSpiral(position, radius, maximum, points, &count);
    count = std::clamp(count, 0, maximum);
    ShuffleVec3(points, count);
    return count;
}

const char* RecoverVerb(const Objective* objective)
{
    if (!objective) return "Recover";
    if (objective->verb[0] && StrICmp(objective->verb, "none") != 0) return objective->verb;
    struct Verb {
        const char* part;
        const char* verb;
    };
    static const Verb verbs[] = {{"recover", "Recover"},   {"collect", "Collect"}, {"scan", "Scan"},
                                 {"download", "Download"}, {"restore", "Restore"}, {"computer", "Restore"},
                                 {"infiltrate_clan_base", "Analyze"}};
    for (const Verb& v : verbs)
        if (strstr(objective->id, v.part)) return v.verb;
    return "Recover";
}

// The objective of a spawned object: its text (always bounded by the buffer: names run to 64
// characters of their own) and the flags on its entity, when there is one.
void AddSpawnObjective(const MissionSpawnObject& spawn, Entity* entity, const Objective* objective)
{
    char text[64];
    const char* target = spawn.name;
    bool lasting = false;
    switch (spawn.objectiveType) {
    case OBJECTIVE_RECOVER_OBJECT:
        FormatObjectiveText(text, sizeof text, "%s %s", RecoverVerb(objective), spawn.name);
        break;
    case OBJECTIVE_ELIMINATE_FACTION:
    case OBJECTIVE_ELIMINATE_ENEMIES:
        FormatObjectiveText(text, sizeof text, "Eliminate %s", spawn.name);
        break;
    case OBJECTIVE_REPAIR_OBJECT:
        FormatObjectiveText(text, sizeof text, StrNICmp(spawn.name, "fuel", 4) == 0 ? "Fill %s" : "Repair %s", spawn.name);
        lasting = true;
        if (entity) entity->SetHealth(10.0f);
        break;
    case OBJECTIVE_DISCOVER_ENTITY:
        // A place to find is named as the briefing names it, when the mission gives it words of
        // its own: the object's name is the level's, not the player's.
        if (objective && objective->text[0] == '<')
            FormatObjectiveText(text, sizeof text, "%s", DescriptionText(objective->text));
        else
            FormatObjectiveText(text, sizeof text, "Discover %s", spawn.name);
        break;
    case OBJECTIVE_HACK_COMPUTER:
        FormatObjectiveText(text, sizeof text, "Hack %s", spawn.name);
        lasting = true;
        break;
    case OBJECTIVE_DESTROY_BUILDING:
        FormatObjectiveText(text, sizeof text, "Destroy %s", spawn.name);
        break;
    case OBJECTIVE_DESTROY_TYPE: {
        bool ice = objective && StrNICmp(objective->target, "ice_blocks", 10) == 0;
        FormatObjectiveText(text, sizeof text, "Clear %s", ice ? "ice blocks" : "rocks");
        target = ice ? "ice_blocks" : "rocks";
        break;
    }
    default:
        return;
    }
    if (TheObjectives) TheObjectives->AddObjective(text, spawn.objectiveType, target);
    // While a save is restored there is no entity: the saved scene brings it with its flags.
    if (entity) entity->flags |= ENTITY_OBJECT_OF_INTEREST | (lasting ? ENTITY_LAST_STAND : 0u);
}

// Whether one of the object's objectives is about its own mesh.
bool IsOwnObjective(const MissionObject& record)
{
    for (const MissionSpawnObject& spawn : record.spawnObjects)
        if ((spawn.flags & SPAWN_FLAG_STATIC) && spawn.objectiveType > 0) return true;
    return false;
}

void PlaceMeshObjects(const MissionObject& record, const Vec3& position, float rotation, const char* environment)
{
    for (const MissionMeshObject& m : record.meshObjects) {
        if ((m.flags & MISSION_OBJECT_ENV_SNOW) && StrICmp(environment, "winter") != 0) continue;
        if ((m.flags & MISSION_OBJECT_ENV_VEGETATION) &&
            (StrICmp(environment, "moon") == 0 || StrICmp(environment, "lava") == 0))
            continue;
        Vec3 at = position + m.offset;
        Entity* entity = TheScene.CreateMeshEntity(m.mesh, &at, 0);
        if (!entity) continue;
        TurnEntity(entity, m.rotation + rotation);
        uint32_t flags = 0x20000004u;
        if (!(m.flags & MISSION_OBJECT_MESH_HEIGHT)) flags |= 0x40;
        if (m.flags & MISSION_OBJECT_HAS_COLLISION) flags |= ENTITY_COLLISION;
        if (m.flags & MISSION_OBJECT_GRID_BLOCKER) flags |= ENTITY_GRID_BLOCKER;
        if (m.flags & MISSION_OBJECT_TERRAIN_HOLE) flags |= 0x42000000u;
        if (m.flags & MISSION_OBJECT_GRID_MASK_MESH) flags |= 0x40000000u;
        if (m.flags & MISSION_OBJECT_NODRAW) flags |= ENTITY_NODRAW;
        if (m.flags & MISSION_OBJECT_TRANSLUSCENT) flags |= 0x1000000u;
        if (m.flags & MISSION_OBJECT_HEIGHTMAP_VERTICES) {
            flags |= 0x208000u;
            if (m.flags & MISSION_OBJECT_SPLAT_LAYER_2) {
                flags |= 0x1000000u;
                entity->splatLayer = 1;
            }
        }
        entity->flags |= flags;
        bool held = false;
        if (m.flags & MISSION_OBJECT_HAS_COLLISION) {
            held = TheScene.LinkEntity(entity) != nullptr;
        } else if (!TheScene.terrainObjects.IsFull()) {
            held = TheScene.terrainObjects.PushBack(entity);
        } else {
            Log("WARNING mission object %s: the decoration list is full, %s is left out\n", record.name, m.mesh);
        }
        if (!held) {
            delete entity;
            continue;
        }
        if (m.flags & MISSION_OBJECT_GRID_BLOCKER) entity->StampGrid();
    }
}

// A static spawn is the object's own mesh: what the player repairs, recovers or finds.
Entity* Spawn(const MissionSpawnObject& spawn, const Vec3& at, int level, bool enemyObjective, Entity* object)
{
    Entity* entity = nullptr;
    if (spawn.flags & SPAWN_FLAG_STATIC) {
        return object;
    } else if (spawn.flags & SPAWN_FLAG_AGENT) {
        Agent* agent = TheScene.CreateAgent(spawn.name, true);
        if (!agent) return nullptr;
        agent->SetPosition(at);
        agent->flags |= ENTITY_PLACED;
        if (!(agent->classWord & AGENT_CLASS_END_BOSS)) RaiseHealthForLevel(agent, level);
        if (agent->alignment == ALIGN_ENEMY) ScaleEnemyForDifficulty(agent);
        if (enemyObjective) agent->classWord |= AGENT_OBJECTIVE;
        if (spawn.flags & SPAWN_FLAG_ALWAYS_HAS_HEALTH) agent->flags |= 0x10040000u;
        entity = agent;
    } else if (spawn.flags & SPAWN_FLAG_BUILDING) {
        Building* building = TheScene.CreateBuilding(spawn.name);
        if (!building) return nullptr;
        building->SetPosition(at);
        building->flags |= ENTITY_PLACED;
        building->StampGrid();
        if (building->definition && (building->definition->flags & (BUILD_TURRET | BUILD_SPAWNPOINT)))
            RaiseHealthForLevel(building, level);
        entity = building;
    } else if (spawn.flags & SPAWN_FLAG_ITEM) {
        Item* item = SpawnItemAt(spawn.name, at);
        if (!item) return nullptr;
        if (item->itemFlags & ITEM_FLAG_GRID_BLOCKER) item->StampGrid();
        item->flags |= 0x20200000u;
        entity = item;
    } else {
        return nullptr;
    }
    if (std::fabs(spawn.rotation) >= 0.01f) TurnEntity(entity, spawn.rotation);
    return entity;
}

void PlaceGuards(const Vec3& position, int level, bool enemyObjective)
{
    static const char* const types[] = {"scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer",
                                        "scav_boss_a", "scav_boss_b", "scav_boss_c", "scav_superMelee"};
    Vec3 points[32];
    int found = FreePointsAround(position, 8, 32, points);
    int n = std::min(GuardCountForLevel(level), found);
    int half = n / 2, bosses = 0;
    for (int i = 0; i < n; ++i) {
        int m = level >= 3 && bosses < half ? 8 : 4;
        int k = Rand() % (m + 1);
        if (k >= 5) ++bosses;
        Agent* guard = TheScene.CreateAgent(types[k], true);
        if (!guard) continue;
        guard->SetPosition(points[i]);
        guard->flags |= ENTITY_PLACED;
        if (enemyObjective) guard->classWord |= AGENT_OBJECTIVE;
        RaiseHealthForLevel(guard, level);
        ScaleEnemyForDifficulty(guard);
        guard->StampGrid();
    }
    if (found <= n) return;
    int barrels = 1 + (Rand() % (level + 1) > 3 ? 1 : 0);
    // Only as many barrels as there are points left.
    barrels = std::min(barrels, found - n);
    for (int i = 0; i < barrels; ++i) {
        const char* name = Rand() % (level + 1) > 3 ? "explosive_barrels_big" : "explosive_barrels";
        Building* barrel = TheScene.CreateBuilding(name);
        if (!barrel) continue;
        barrel->SetPosition(points[n + i]);
        barrel->flags |= ENTITY_PLACED;
        barrel->StampGrid();
    }
}

void PlaceLoot(const Vec3& position, int level)
{
    static const char* const loot[] = {"ore_crate",        "fuel_container",         "credits_crate",
                                       "bot_experience",   "health_cannister",       "shield_cannister",
                                       "detector_crate",   "mine_crate",             "freeze_crate",
                                       "large_health_cannister", "large_shield_cannister", "cloak_cannister",
                                       "enrichment_cannister"};
    int n = 1 + Rand() % 3;
    Vec3 points[32];
    int found = FreePointsAround(position, 8, 32, points);
    int m = level >= 3 ? 13 : 9;
    for (int i = 0; i < n && i < found; ++i) {
        Item* item = SpawnItemAt(loot[Rand() % m], points[i]);
        if (item) SpawnEffect("loot", points[i], item);
    }
}

void PlaceJournal(const Vec3& position)
{
    Vec3 points[4];
    if (FreePointsAround(position, 6, 4, points) < 1) return;
    // The journal item is a journal page by its name: the pick-up tells it by that.
    Item* journal = SpawnItemAt("journal", points[0]);
    if (journal) SpawnEffect("journal", points[0], journal);
}

}  // namespace

void TurnEntity(Entity* entity, float degrees)
{
    Vec3 position = entity->GetPosition();
    entity->yaw = degrees;
    MatrixRotationY(&entity->rotation, degrees * 0.0174532924f);
    entity->world = entity->rotation;
    entity->SetPosition(position);
}

void RaiseHealthForLevel(Entity* entity, int level)
{
    if (level <= 0) return;
    float h = entity->GetMaxHealth();
    entity->SetMaxHealth(h + 0.25f * h * (float)level);
    entity->SetHealth(entity->GetMaxHealth());
}

void FormatObjectiveText(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(out, size, format, args);
    va_end(args);
}

int GuardCountForLevel(int level)
{
    static const int counts[] = {2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7};
    return counts[std::clamp(level, 0, 10)];
}

const char* CurrentEnvironmentName()
{
    const Environment* environment = Environment::GetCurrent();
    return environment ? environment->name : "";
}

const char* MissionGrassName(const char* environment)
{
    if (StrICmp(environment, "desert") == 0 || StrICmp(environment, "fall") == 0) return "grass_dry";
    if (StrICmp(environment, "alien") == 0) return "grass_alien";
    return "grass";
}

void MissionObjects::EnsureLoaded()
{
    if (loaded) return;
    loaded = true;
    Load();
}

bool MissionObjects::Load(const char* path)
{
    CatalogueScript in;
    const char* file = path ? path : SCRIPT;
    if (!in.Open(file)) {
        Log("ERROR mission objects: %s cannot be opened, no mission object will be placed\n", file);
        return false;
    }
    MissionObject* current = nullptr;
    MissionMeshObject* mesh = nullptr;
    MissionSpawnObject* spawn = nullptr;
    while (const char* token = in.Next()) {
        std::string key = token;
        if (key == "MissionObject") {
            std::string name = in.Word(), category = in.Word();
            mesh = nullptr;
            spawn = nullptr;
            current = nullptr;
            if ((int)records.size() >= MAX_RECORDS) {
                in.Warn("mission object %s: the catalogue holds %d already, it is left out", name.c_str(),
                        MAX_RECORDS);
                continue;
            }
            MissionObject record;
            CopyText(record.name, sizeof record.name, name.c_str());
            CopyText(record.category, sizeof record.category, category.c_str());
            int same = 0;
            for (const MissionObject& r : records) same += StrICmp(r.name, record.name) == 0;
            if (same > 0) {
                for (MissionObject& r : records)
                    if (StrICmp(r.name, record.name) == 0) {
                        r.variantCount = same + 1;
                        r.objectFlags |= MISSION_OBJECT_HAS_VARIANTS;
                    }
                record.variantCount = same + 1;
                record.variantIndex = same;
                record.objectFlags |= MISSION_OBJECT_HAS_VARIANTS;
            }
            records.push_back(record);
            current = &records.back();
            continue;
        }
        // Before the first record, and in a record the catalogue refused, keywords go nowhere.
        if (!current) continue;
        const char* k = key.c_str();
        const char* rn = current->name;
        uint32_t flag = 0;
        if (StrICmp(k, "additional_attribute") == 0) {
            int ignored = 0;
            in.Int(k, &ignored);
        } else if (StrICmp(k, "SetObjectMesh") == 0) {
            Fixed(current->objectMesh, sizeof current->objectMesh, in.Word());
        } else if (StrICmp(k, "CollisionMesh") == 0) {
            Fixed(current->collisionMesh, sizeof current->collisionMesh, in.Word());
        } else if (StrICmp(k, "ClearValues") == 0) {
            in.Int(k, &current->clearingRadius, 0, LEVEL_MAP_SIZE);
            in.Int(k, &current->clearingShape);
        } else if (StrICmp(k, "AddSplat") == 0) {
            std::string primitive = in.Word(), texture = in.Word(), normal = in.Word();
            Vec3 offset;
            ReadVec3(in, k, &offset);
            if (MissionSplat* s = Append(in, current->splats, MissionObject::MAX_SPLATS, "splats", rn)) {
                CopyText(s->primitive, sizeof s->primitive, primitive.c_str());
                Fixed(s->texture, sizeof s->texture, texture);
                Fixed(s->normalMap, sizeof s->normalMap, normal);
                s->offset = offset;
            }
        } else if (StrICmp(k, "SetEffect") == 0) {
            std::string system = in.Word();
            Vec3 offset;
            ReadVec3(in, k, &offset);
            if (MissionEffect* e = Append(in, current->effects, MissionObject::MAX_EFFECTS, "effects", rn)) {
                CopyText(e->system, sizeof e->system, system.c_str());
                e->offset = offset;
            }
        } else if (StrICmp(k, "SetFlag") == 0) {
            std::string word = in.Word();
            if (LookUp(OBJECT_FLAGS, word, &flag)) current->objectFlags |= flag;
        } else if (StrICmp(k, "SetHealthMinMax") == 0) {
            in.Float(k, &current->healthMinimum);
            in.Float(k, &current->healthMaximum);
        } else if (StrICmp(k, "ObjectMeshOffset") == 0) {
            ReadVec3(in, k, &current->objectMeshOffset);
        } else if (StrICmp(k, "AddMeshObject") == 0) {
            std::string file = in.Word();
            Vec3 offset;
            ReadVec3(in, k, &offset);
            mesh = Append(in, current->meshObjects, MissionObject::MAX_MESH_OBJECTS, "mesh objects", rn);
            if (mesh) {
                Fixed(mesh->mesh, sizeof mesh->mesh, file);
                mesh->offset = offset;
            }
        } else if (StrICmp(k, "MeshObjectFlag") == 0) {
            std::string word = in.Word();
            if (mesh && LookUp(MESH_FLAGS, word, &flag)) mesh->flags |= flag;
        } else if (StrICmp(k, "MeshObjectRot") == 0) {
            float angles[3] = {0.0f, 0.0f, 0.0f};
            in.Floats(k, angles, 3);
            if (mesh) mesh->rotation = angles[0];
        } else if (StrICmp(k, "AddSpawnObject") == 0) {
            std::string name = in.Word();
            float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            in.Floats(k, values, 4);
            std::string word = in.Word();
            spawn = Append(in, current->spawnObjects, MissionObject::MAX_SPAWN_OBJECTS, "spawn objects", rn);
            if (spawn) {
                CopyText(spawn->name, sizeof spawn->name, name.c_str());
                spawn->offset = Vec3(values[0], values[1], values[2]);
                spawn->rotation = values[3];
                if (LookUp(SPAWN_KINDS, word, &flag)) spawn->flags = flag;
            }
        } else if (StrICmp(k, "SpawnFlag") == 0) {
            std::string word = in.Word();
            if (spawn && LookUp(SPAWN_EXTRAS, word, &flag)) spawn->flags |= flag;
        } else if (StrICmp(k, "SetObjective") == 0) {
            std::string word = in.Word();
            if (spawn && LookUp(OBJECTIVE_WORDS, word, &flag)) spawn->objectiveType = (int)flag;
        }
        // Any other word is passed over, one token at a time.
    }
    return true;
}

const MissionObject* MissionObjects::Find(const char* name, int variant) const
{
    if (!name) return nullptr;
    const MissionObject* choice = nullptr;
    int k = 0;
    for (const MissionObject& record : records) {
        if (StrICmp(record.name, name) != 0) continue;
        if (variant >= 0) {
            if (record.variantIndex == variant) return &record;
            continue;
        }
        // Each of the k variants seen so far stays the choice with chance 1/k.
        ++k;
        if (Rand() % k == 0) choice = &record;
        if (!(record.objectFlags & MISSION_OBJECT_HAS_VARIANTS)) break;
    }
    return choice;
}

bool MissionObjects::PlaceObject(const char* name, const Vec3& position, float rotation, int level, bool loading,
                                 const Objective* objective)
{
    const MissionObject* record = Find(name, -1);
    if (!record) return false;
    if (level <= 0) level = CurrentMissionLevel();
    level = std::max(level, 0);
    const bool enemyObjective = (record->objectFlags & MISSION_OBJECT_ENEMY_OBJECTIVE) != 0;
    const char* environment = CurrentEnvironmentName();

    PlaceMeshObjects(*record, position, rotation, environment);

    Entity* decal = nullptr;
    if (strlen(record->objectMesh) > 2 && StrICmp(record->objectMesh, "none") != 0) {
        decal = TheScene.CreateDecalEntity(record->objectMesh, position + record->objectMeshOffset, 0);
        if (decal) {
            CopyText(decal->name, sizeof decal->name, record->name);
            decal->flags |= 0x20200004u | ((record->objectFlags & MISSION_OBJECT_SELECTABLE) ? 4u : 0u);
            // The mesh is the player's target only when an objective is about the object itself;
            // the ruin under a heap of rocks is not, the rocks are.
            if (IsOwnObjective(*record)) decal->flags |= ENTITY_OBJECT_OF_INTEREST;
            if (record->healthMinimum > 0.0f) decal->SetHealth(record->healthMinimum);
            if (record->healthMaximum > 0.0f) decal->SetMaxHealth(record->healthMaximum);
            decal->StampGrid();
        }
    }

    for (const MissionSpawnObject& spawn : record->spawnObjects) {
        Entity* entity = nullptr;
        if (!loading) {
            entity = Spawn(spawn, position + spawn.offset, level, enemyObjective, decal);
            // What could not be made takes its objective with it.
            if (!entity) continue;
        }
        AddSpawnObjective(spawn, entity, objective);
    }

    if (TheGame && TheGame->grid) TheGame->BuildTileMap();

    if (!loading && (record->objectFlags & MISSION_OBJECT_RANDOM_ENEMIES)) PlaceGuards(position, level, enemyObjective);
    if (!loading && (record->objectFlags & MISSION_OBJECT_RANDOM_ITEMS)) PlaceLoot(position, level);
    if (!loading && (record->objectFlags & MISSION_OBJECT_JOURNAL)) PlaceJournal(position);

    for (const MissionSplat& s : record->splats) {
        Vec3 at = position + s.offset;
        at.y += 0.05f;
        TheScene.AddSplat(s.primitive, s.texture, s.normalMap, at, 64);
    }
    for (const MissionEffect& e : record->effects) SpawnEffect(e.system, position + e.offset, nullptr);

    if ((record->objectFlags & MISSION_OBJECT_GROWTH) && StrICmp(environment, "moon") != 0 &&
        StrICmp(environment, "lava") != 0 && TheGrowthDB) {
        Vec3 centre = position;
        centre.y = TheTerrain.GetHeight(centre);
        TheGrowthDB->CreateInstance(MissionGrassName(environment), centre, false);
    }
    return true;
}
