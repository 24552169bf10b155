// The build script: the buildings, add-ons and upgrades of the build catalogue.
//
// BuildItem begins a building (its prototype is made in the Scene from its mesh), BuildUpgrade
// an upgrade without one; every other keyword changes the item begun last and is passed over
// while there is none. A building whose mesh cannot be read is left out with a warning, and
// the keywords after it change nothing until the next block. Keywords compare without regard
// to case except the few marked exact below.
#include "world/BuildItem.h"

#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "world/AgentTypeRegistry.h"
#include "world/Building.h"
#include "world/CatalogueScript.h"
#include "world/WeaponDef.h"

#include <cstring>
#include <new>
#include <string>

namespace {

struct NamedBit {
    const char* word;
    uint32_t bit;
};

const NamedBit FLAG_WORDS[] = {
    {"resource", BUILD_RESOURCE},
    {"turret", BUILD_TURRET},
    {"spawnpoint", BUILD_SPAWNPOINT},
    {"explodeOnDead", BUILD_EXPLODE_ON_DEAD},
    {"researchcomputer", BUILD_RESEARCH_COMPUTER},
    {"resourceDrop", BUILD_RESOURCE_DROP},
    {"healthnode", BUILD_HEALTH_NODE},
    {"buildnode", BUILD_BUILD_NODE},
    {"deepmine", BUILD_DEEP_MINE},
    {"radar", BUILD_RADAR},
    {"unitFactory", BUILD_UNIT_FACTORY},
    {"addOn", BUILD_ADD_ON},
    {"unitcontrol", BUILD_UNIT_CONTROL},
    {"unitUpgrader", BUILD_UNIT_UPGRADER},
    {"unitRecycler", BUILD_UNIT_RECYCLER},
    {"noautoattack", BUILD_NO_AUTO_ATTACK},
    {"creatureNest", BUILD_CREATURE_NEST},
    {"repairable", BUILD_REPAIRABLE},
    {"playerCanBuild", BUILD_PLAYER_CAN_BUILD},
    {"aiCanBuild", BUILD_AI_CAN_BUILD},
    {"requiresbuildnode", BUILD_REQUIRES_BUILD_NODE},
    {"warpPlatform", BUILD_WARP_PLATFORM},
};

const NamedBit MESH_FLAGS[] = {
    {"rotatex", BUILD_ROTATE_X},           {"rotate_minusx", BUILD_ROTATE_MINUS_X}, {"rotate", BUILD_ROTATE},
    {"updown", BUILD_UPDOWN},              {"osc_y", BUILD_OSC_Y},                  {"scaleWithHealth", BUILD_SCALE_WITH_HEALTH},
};

struct BuildReader {
    CatalogueScript& script;
    BuildItemList& list;
    BuildItem* item = nullptr;

    Entity* Prototype() const { return item->prototype; }
    // A mesh for one of the item's mesh lists (path fixed); null, logged, when it cannot be read.
    IndexedMesh* Mesh(const char* key, const std::string& path)
    {
        IndexedMesh* mesh = LoadLibraryMesh(path.c_str(), true);
        if (!mesh) script.Warn("%s: the mesh %s cannot be read", key, path.c_str());
        return mesh;
    }
    bool Room(const char* key, int count, const std::string& path)
    {
        if (count < BUILD_ITEM_MESHES) return true;
        script.Warn("%s: %s already has %d meshes; %s is left out", key, item->name, BUILD_ITEM_MESHES, path.c_str());
        return false;
    }
};

// ---- Blocks

bool HasRoom(BuildReader& r, const std::string& name)
{
    if (r.list.items.count < MAX_BUILD_ITEMS) return true;
    r.script.Warn("more than %d build items: '%s' is left out", MAX_BUILD_ITEMS, name.c_str());
    return false;
}

void ReadBuildItem(BuildReader& r)
{
    std::string name = r.script.Word(), meshPath = r.script.Word();
    r.item = nullptr;
    if (!HasRoom(r, name)) return;
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, meshPath.c_str());
    FixPath(fixed);
    // The prototype is the building every copy is made from: without its mesh there is no
    // building to make.
    Entity* prototype = nullptr;
    if (LoadLibraryMesh(fixed, true) && TheScene.IsReady())
        prototype = TheScene.AddPrimitive(fixed, name.c_str(), 0, nullptr, ENTITY_BUILDING, 1, false);
    if (!prototype) {
        r.script.Warn("BuildItem %s: no building can be made from %s; it is left out", name.c_str(), fixed);
        return;
    }
    if (name.size() >= sizeof prototype->name) r.script.Warn("BuildItem: the name '%s' is cut", name.c_str());
    r.item = r.list.Add(prototype, prototype->name);
    if (r.item) static_cast<Building*>(prototype)->definition = r.item;
}

void ReadBuildUpgrade(BuildReader& r)
{
    std::string name = r.script.Word();
    r.item = nullptr;
    if (!HasRoom(r, name)) return;
    r.item = r.list.Add(nullptr, name.c_str());
    if (!r.item) return;
    if (name.size() >= sizeof r.item->name) r.script.Warn("BuildUpgrade: the name '%s' is cut", name.c_str());
    r.item->flags |= BUILD_UPGRADE_RECORD;
}

// ---- Attributes

void ReadInt(BuildReader& r, const char* key, int BuildItem::*field)
{
    int value = 0;
    if (r.script.Int(key, &value)) r.item->*field = value;
}

void ReadResourcePower(BuildReader& r)
{
    ReadInt(r, "resource_power", &BuildItem::resourcePower);
    if (r.item->resourcePower > 0) r.item->flags |= BUILD_RESOURCE;
}

void ReadResource(BuildReader& r, const char* key, int BuildItem::*field)
{
    ReadInt(r, key, field);
    r.item->flags |= BUILD_RESOURCE;
}

void ReadResourceOre(BuildReader& r) { ReadResource(r, "resource_ore", &BuildItem::resourceOre); }
void ReadResourceFuel(BuildReader& r) { ReadResource(r, "resource_fuel", &BuildItem::resourceFuel); }
void ReadResourceCredits(BuildReader& r) { ReadResource(r, "resource_credits", &BuildItem::resourceCredits); }
void ReadCostPower(BuildReader& r) { ReadInt(r, "cost_power", &BuildItem::costPower); }
void ReadCostOre(BuildReader& r) { ReadInt(r, "cost_ore", &BuildItem::costOre); }
void ReadCostFuel(BuildReader& r) { ReadInt(r, "cost_fuel", &BuildItem::costFuel); }
void ReadBuyCost(BuildReader& r) { ReadInt(r, "buy_cost", &BuildItem::buyCost); }
void ReadBuyLevel(BuildReader& r) { ReadInt(r, "buy_level", &BuildItem::buyLevel); }
void ReadCategory(BuildReader& r) { ReadInt(r, "category", &BuildItem::category); }
void ReadLevel(BuildReader& r) { ReadInt(r, "SetLevel", &BuildItem::level); }

void ReadCosts(BuildReader& r)
{
    int* fields[] = {&r.item->buyCost, &r.item->costOre, &r.item->costFuel};
    for (int* field : fields)
        if (!r.script.Int("Costs", field)) break;
}

void ReadBuildTime(BuildReader& r)
{
    r.script.Float("build_time", &r.item->buildTime);
}

void ReadBuildSize(BuildReader& r)
{
    if (r.script.Int("build_size", &r.item->buildWidth)) r.script.Int("build_size", &r.item->buildDepth);
}

void ReadIcon(BuildReader& r)
{
    r.script.CopyField("icon", r.item->iconName, sizeof r.item->iconName, r.script.Word().c_str());
    if (Textures) r.item->iconTexture = Textures->GetTexture(r.item->iconName);
}

void ReadIconSheet(BuildReader& r)
{
    r.script.CopyField("iconsheet", r.item->iconName, sizeof r.item->iconName, r.script.Word().c_str());
    r.item->iconCell = r.script.IconCell("iconsheet");
    if (Textures) r.item->iconTexture = Textures->GetTexture(r.item->iconName);
}

void ReadSelectedSound(BuildReader& r)
{
    r.script.CopyField("selected_sound", r.item->selectedSound, sizeof r.item->selectedSound, r.script.Word().c_str());
}

void ReadDamageState(BuildReader& r)
{
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, r.script.Word().c_str());
    FixPath(fixed);
    Entity* prototype = r.Prototype();
    if (!prototype) return;
    if (prototype->meshCount >= ENTITY_MESH_STATES)
        r.script.Warn("damage_state: %s already has %d meshes; %s is left out", r.item->name, ENTITY_MESH_STATES, fixed);
    else if (!TheScene.AddMeshToTemplate(prototype, fixed, 0))
        r.script.Warn("damage_state: the mesh %s cannot be read", fixed);
}

void AddConstructionMesh(BuildReader& r, const char* key)
{
    std::string path = r.script.Word();
    if (!r.Room(key, r.item->constructionMeshCount, path)) return;
    if (IndexedMesh* mesh = r.Mesh(key, path)) r.item->constructionMeshes[r.item->constructionMeshCount++] = mesh;
}

void ReadConstructionState(BuildReader& r)
{
    AddConstructionMesh(r, "construction_state");
}

void ReadRepairedMesh(BuildReader& r)
{
    AddConstructionMesh(r, "repaired_mesh");
    r.item->flags |= BUILD_REPAIRABLE;
}

void ReadAddMesh(BuildReader& r)
{
    std::string path = r.script.Word();
    if (!r.Room("add_mesh", r.item->addedMeshCount, path)) return;
    IndexedMesh* mesh = r.Mesh("add_mesh", path);
    if (!mesh) return;
    int slot = r.item->addedMeshCount++;
    r.item->addedMeshes[slot] = mesh;
    r.item->addedMeshFlags[slot] = 0;
    r.item->addedMeshOffsets[slot] = Vec3();
}

void ReadCollisionMesh(BuildReader& r)
{
    std::string path = r.script.Word();
    IndexedMesh* mesh = LoadLibraryMesh(path.c_str(), true);
    if (r.Prototype() && mesh) r.Prototype()->collisionMesh = mesh;
}

void ReadSpawnType(BuildReader& r)
{
    r.script.CopyField("SetSpawnType", r.item->spawnType, sizeof r.item->spawnType, r.script.Word().c_str());
    r.item->flags |= BUILD_SPAWNPOINT;
}

void ReadSpawnCounts(BuildReader& r)
{
    // The total comes first in the script and is kept second.
    int total = r.item->spawnCounts[1], together = r.item->spawnCounts[0];
    if (!r.script.Int("SetSpawnCounts", &total)) return;
    r.item->spawnCounts[1] = total;
    if (r.script.Int("SetSpawnCounts", &together)) r.item->spawnCounts[0] = together;
}

void ReadSpawnInterval(BuildReader& r)
{
    r.script.Float("SpawnTimeBetween", &r.item->spawnInterval);
}

void ReadSpawnRadius(BuildReader& r)
{
    r.script.Float("SetSpawnRadius", &r.item->spawnRadius);
}

void ReadShootOffset(BuildReader& r)
{
    Entity* prototype = r.Prototype();
    float offset[3] = {0.0f, 0.0f, 0.0f};
    if (prototype) {
        offset[0] = prototype->attachOffset.x;
        offset[1] = prototype->attachOffset.y;
        offset[2] = prototype->attachOffset.z;
    }
    r.script.Floats("shoot_offset", offset, 3);
    if (prototype) prototype->attachOffset = Vec3(offset[0], offset[1], offset[2]);
}

void ReadDamage(BuildReader& r)
{
    float value = 0.0f;
    if (r.script.Float("SetDamage", &value) && r.Prototype()) r.Prototype()->damage = value;
}

void ReadBuildableUnit(BuildReader& r)
{
    std::string name = r.script.Word();
    if (!r.item->units) {
        r.item->units = new (std::nothrow) PooledList<BuildableUnit>();
        if (r.item->units && !r.item->units->Init(MAX_BUILDABLE_UNITS)) {
            delete r.item->units;
            r.item->units = nullptr;
        }
        if (!r.item->units) return;
    }
    BuildableUnit unit{};
    r.script.CopyField("BuildableUnit", unit.name, sizeof unit.name, name.c_str());
    if (!r.item->units->PushBack(unit)) {
        r.script.Warn("BuildableUnit: %s already makes %d units; %s is left out", r.item->name, MAX_BUILDABLE_UNITS,
                      name.c_str());
        return;
    }
    AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
    if (AgentType* type = registry ? registry->FindType(unit.name) : nullptr) type->producer = r.item;
}

void ReadFlag(BuildReader& r)
{
    std::string word = r.script.Word();
    for (const NamedBit& flag : FLAG_WORDS)
        if (StrICmp(word.c_str(), flag.word) == 0) r.item->flags |= flag.bit;
}

void ReadWeapon(BuildReader& r)
{
    int type = WeaponTypeFromWord(r.script.Word().c_str());
    if (type >= 0) r.item->weapon = type;
}

void ReadAddOnType(BuildReader& r)
{
    if (StrICmp(r.script.Word().c_str(), "resourceDrop") == 0) r.item->addOnFlags |= ADD_ON_RESOURCE_DROP;
}

void ReadMeshFlag(BuildReader& r)
{
    std::string word = r.script.Word();
    for (const NamedBit& flag : MESH_FLAGS) {
        if (StrICmp(word.c_str(), flag.word) != 0) continue;
        if (r.item->addedMeshCount > 0)
            r.item->addedMeshFlags[r.item->addedMeshCount - 1] |= flag.bit;
        else
            r.item->flags |= flag.bit;
        return;
    }
}

void ReadOffset(BuildReader& r)
{
    float offset[3] = {0.0f, 0.0f, 0.0f};
    r.script.Floats("offset", offset, 3);
    if (r.item->addedMeshCount > 0) r.item->addedMeshOffsets[r.item->addedMeshCount - 1] = Vec3(offset[0], offset[1], offset[2]);
}

void ReadAlignment(BuildReader& r)
{
    std::string word = r.script.Word();
    if (r.Prototype()) r.Prototype()->alignment = AlignmentFromWord(word);
}

void ReadComposition(BuildReader& r)
{
    std::string word = r.script.Word();
    if (r.Prototype()) r.Prototype()->composition = CompositionFromWord(word, r.Prototype()->composition);
}

void ReadHealth(BuildReader& r)
{
    float value = 0.0f;
    if (r.script.Float("SetHealth", &value) && r.Prototype()) r.Prototype()->SetHealth(value);
}

void ReadMaxHealth(BuildReader& r)
{
    float value = 0.0f;
    if (r.script.Float("SetMaxHealth", &value) && r.Prototype()) r.Prototype()->SetMaxHealth(value);
}

void ReadParticles(BuildReader& r)
{
    r.script.CopyField("particlesys", r.item->particleSystem, sizeof r.item->particleSystem, r.script.Word().c_str());
    float offset[3] = {0.0f, 0.0f, 0.0f};
    r.script.Floats("particlesys", offset, 3);
    r.item->particleOffset = Vec3(offset[0], offset[1], offset[2]);
    r.item->flags |= BUILD_PARTICLES;
}

void ReadSplats(BuildReader& r)
{
    for (char* texture : r.item->splatTextures) r.script.CopyField("splats", texture, sizeof r.item->splatTextures[0], r.script.Word().c_str());
}

void ReadLongDescription(BuildReader& r)
{
    r.item->longDescription = DescriptionText(r.script.Word().c_str());
}

void ReadShortDescription(BuildReader& r)
{
    r.item->shortDescription = DescriptionText(r.script.Word().c_str());
}

struct Keyword {
    const char* word;
    bool exact;
    void (*read)(BuildReader& r);
};

const Keyword KEYWORDS[] = {
    {"resource_power", false, ReadResourcePower},
    {"resource_ore", false, ReadResourceOre},
    {"resource_fuel", false, ReadResourceFuel},
    {"resource_credits", false, ReadResourceCredits},
    {"cost_power", false, ReadCostPower},
    {"cost_ore", false, ReadCostOre},
    {"cost_fuel", false, ReadCostFuel},
    {"buy_cost", false, ReadBuyCost},
    {"buy_level", false, ReadBuyLevel},
    {"Costs", false, ReadCosts},
    {"build_time", false, ReadBuildTime},
    {"build_size", false, ReadBuildSize},
    {"icon", false, ReadIcon},
    {"iconsheet", false, ReadIconSheet},
    {"selected_sound", false, ReadSelectedSound},
    {"damage_state", false, ReadDamageState},
    {"construction_state", false, ReadConstructionState},
    {"add_mesh", false, ReadAddMesh},
    {"CollisionMesh", false, ReadCollisionMesh},
    {"SetSpawnType", true, ReadSpawnType},
    {"SetSpawnCounts", true, ReadSpawnCounts},
    {"SpawnTimeBetween", true, ReadSpawnInterval},
    {"SetSpawnRadius", true, ReadSpawnRadius},
    {"shoot_offset", true, ReadShootOffset},
    {"SetDamage", true, ReadDamage},
    {"BuildableUnit", false, ReadBuildableUnit},
    {"category", false, ReadCategory},
    {"SetLevel", false, ReadLevel},
    {"SetFlag", false, ReadFlag},
    {"weapon", false, ReadWeapon},
    {"AddOnType", false, ReadAddOnType},
    {"mesh_flag", false, ReadMeshFlag},
    {"repaired_mesh", false, ReadRepairedMesh},
    {"offset", false, ReadOffset},
    {"SetAlignment", true, ReadAlignment},
    {"SetComposition", true, ReadComposition},
    {"SetHealth", true, ReadHealth},
    {"SetMaxHealth", true, ReadMaxHealth},
    {"particlesys", false, ReadParticles},
    {"splats", false, ReadSplats},
    {"LONGDESC", false, ReadLongDescription},
    {"SHORTDESC", false, ReadShortDescription},
};

}  // namespace

bool BuildItemList::Load(const char* path)
{
    CatalogueScript script;
    if (!script.Open(path ? path : BUILD_ITEMS_SCRIPT)) return false;
    BuildReader reader{script, *this};
    while (const char* token = script.Next()) {
        if (StrICmp(token, "BuildItem") == 0) {
            ReadBuildItem(reader);
            continue;
        }
        if (StrICmp(token, "BuildUpgrade") == 0) {
            ReadBuildUpgrade(reader);
            continue;
        }
        if (!reader.item) continue;
        for (const Keyword& keyword : KEYWORDS) {
            bool match = keyword.exact ? strcmp(token, keyword.word) == 0 : StrICmp(token, keyword.word) == 0;
            if (!match) continue;
            keyword.read(reader);
            break;
        }
    }
    return true;
}
