// The unit script: every unit type of the game with its prototype agent.
//
// DefineAgent begins a type; every other keyword changes the type begun last and is passed
// over before the first one. Keywords keep their case unless they are written below as
// "any case", and so do the words they take (a misspelt alignment makes a neutral unit, as a
// misspelt word of the original scripts did).
#include "world/AgentTypeRegistry.h"

#include "host/System.h"
#include "mechanics/Scene.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "world/Agent.h"
#include "world/CatalogueScript.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <cstring>
#include <new>
#include <string>

namespace {

struct NamedBit {
    const char* word;
    uint32_t bit;
};

const NamedBit ENTITY_FLAGS[] = {
    {"ENTITY_PLAYER", ENTITY_PLAYER},       {"ENTITY_AI", ENTITY_AI},
    {"ENTITY_STATIC", ENTITY_STATIC},       {"ENTITY_COLLISION", ENTITY_COLLISION},
    {"ENTITY_SELECTION", ENTITY_SELECTION}, {"ENTITY_MARKER", ENTITY_MARKER},
    {"ENTITY_NODRAW", ENTITY_NODRAW},       {"ENTITY_ALIGN_TO_Terrain", ENTITY_ALIGN_TO_TERRAIN},
};

// Class words of SetFlag, compared without regard to case (the heavy class keeps its case).
const NamedBit CLASS_WORDS[] = {
    {"BOSS_DROPS_ITEM", AGENT_CLASS_BOSS_DROPS_ITEM},
    {"SPECIAL_ACTION_SCAN", AGENT_CLASS_SCAN},
    {"AIR_UNIT", AGENT_CLASS_AIR_UNIT},
    {"MINE_LAYER", AGENT_CLASS_MINE_LAYER},
    {"RADAR", AGENT_CLASS_RADAR},
    {"AOE_ATTACK", AGENT_CLASS_AOE_ATTACK},
    {"AGENT_CLASS_GUARD", AGENT_CLASS_GUARD},
    {"AGENT_CLASS_RAIDER", AGENT_CLASS_RAIDER},
    {"MOBILE_SPAWN_POINT", AGENT_CLASS_MOBILE_SPAWN_POINT},
    {"MELEE_SMASH", AGENT_CLASS_MELEE_SMASH},
    {"AGENT_CLASS_END_BOSS", AGENT_CLASS_END_BOSS},
    {"ALTERNATING_SHOT", AGENT_CLASS_ALTERNATING_SHOT},
};

const NamedBit COMMANDS[] = {
    {"COMMAND_MOVE", COMMAND_MOVE},       {"COMMAND_ATTACK", COMMAND_ATTACK},
    {"COMMAND_STOP", COMMAND_STOP},       {"COMMAND_REPAIR", COMMAND_REPAIR},
    {"COMMAND_MINE", COMMAND_MINE},       {"COMMAND_INSTABUILD", COMMAND_INSTABUILD},
    {"COMMAND_ENRICH_ORE", COMMAND_ENRICH_ORE}, {"COMMAND_HEAL", COMMAND_HEAL},
    {"COMMAND_WARP", COMMAND_WARP},       {"COMMAND_SCAN", COMMAND_SCAN},
};

const char* const BRAINS[] = {"", "", "ENEMY", "NEUTRAL", "MINER", "ATTACKBOT", "CREATURE"};

struct UnitReader {
    CatalogueScript& script;
    AgentTypeRegistry& registry;
    const ItemList* items;
    Agent* agent = nullptr;
    AgentType* type = nullptr;
    // The agent's own fields are only written on an agent (every agent of the pool is one).
    bool IsAgent() const { return (agent->flags & ENTITY_AGENT) != 0; }
};

void ReadDefineAgent(UnitReader& r)
{
    int line = r.script.Line();
    std::string name = r.script.Word(), meshPath = r.script.Word();
    r.agent = nullptr;
    r.type = nullptr;
    if (r.registry.types.IsFull() || r.registry.prototypes.IsFull()) {
        r.script.Warn("more than %d unit types (line %d): '%s' is left out", MAX_AGENT_TYPES, line, name.c_str());
        return;
    }
    Agent* agent = r.registry.TakeFreeAgent();
    if (!agent) {
        r.script.Warn("no agent is left for the unit type '%s'", name.c_str());
        return;
    }
    // The mesh is read with the other meshes at the first level.
    IndexedMesh* mesh = LoadLibraryMesh(meshPath.c_str(), false);
    agent->mesh = mesh;
    agent->meshStates[0] = mesh;
    agent->meshCount = mesh ? 1 : 0;
    r.script.CopyField("DefineAgent", agent->name, sizeof agent->name, name.c_str());
    MatrixIdentity(&agent->world);
    agent->flags |= ENTITY_AI;
    r.registry.prototypes.PushBack(agent);
    r.agent = agent;
    r.type = r.registry.DefineType(agent, agent->name);
}

void ReadCollisionMesh(UnitReader& r)
{
    std::string file = r.script.Word();
    if (IndexedMesh* mesh = LoadLibraryMesh(file.c_str(), true)) r.agent->collisionMesh = mesh;
}

void ReadAnimation(UnitReader& r, int kind, uint32_t slotFlags)
{
    std::string file = r.script.Word();
    AddMeshAnimation(r.agent->mesh, file.c_str(), kind, slotFlags, false);
}

void ReadAnimIdle(UnitReader& r) { ReadAnimation(r, ANIM_IDLE, 0); }
void ReadAnimWalk(UnitReader& r) { ReadAnimation(r, ANIM_WALK, 0); }
void ReadAnimAttack(UnitReader& r) { ReadAnimation(r, ANIM_ATTACK, 0); }
void ReadAnimUse(UnitReader& r) { ReadAnimation(r, ANIM_USE, 0); }
void ReadAnimMineLoop(UnitReader& r) { ReadAnimation(r, ANIM_MINE, 0); }
void ReadAnimAttackOnce(UnitReader& r) { ReadAnimation(r, ANIM_ATTACK, SLOT_RETURN_TO_IDLE); }
void ReadAnimMine(UnitReader& r) { ReadAnimation(r, ANIM_MINE, SLOT_RETURN_TO_IDLE); }

void ReadLongDescription(UnitReader& r)
{
    r.type->longDescription = DescriptionText(r.script.Word().c_str());
}

void ReadShortDescription(UnitReader& r)
{
    r.type->shortDescription = DescriptionText(r.script.Word().c_str());
}

void ReadBrain(UnitReader& r)
{
    std::string word = r.script.Word();
    int kind = BRAIN_NONE;
    for (int i = BRAIN_ENEMY; i <= BRAIN_CREATURE; ++i)
        if (word == BRAINS[i]) kind = i;
    r.agent->brainKind = kind;
    if (kind == BRAIN_MINER) r.agent->classWord |= AGENT_CLASS_MINER;
}

void ReadIconSheet(UnitReader& r)
{
    std::string file = r.script.Word();
    r.type->iconCell = r.script.IconCell("iconsheet");
    r.script.CopyField("iconsheet", r.type->iconPath, sizeof r.type->iconPath, file.c_str());
    if (Textures) r.type->iconTexture = Textures->GetTexture(r.type->iconPath);
}

void ReadAlignment(UnitReader& r)
{
    r.agent->alignment = AlignmentFromWord(r.script.Word());
}

void ReadComposition(UnitReader& r)
{
    r.agent->composition = CompositionFromWord(r.script.Word(), r.agent->composition);
}

void ReadShields(UnitReader& r)
{
    float value = 0.0f;
    if (!r.script.Float("SetShields", &value)) return;
    r.agent->shield = r.agent->maxShield = value;
    r.agent->flags |= ENTITY_SHIELD;
}

void ReadFlag(UnitReader& r)
{
    std::string word = r.script.Word();
    for (const NamedBit& flag : ENTITY_FLAGS)
        if (word == flag.word) r.agent->flags |= flag.bit;
    if (word == "AGENT_CLASS_HEAVY") r.agent->classWord |= AGENT_CLASS_HEAVY;
    for (const NamedBit& flag : CLASS_WORDS)
        if (StrICmp(word.c_str(), flag.word) == 0) r.agent->classWord |= flag.bit;
}

void ReadHealth(UnitReader& r)
{
    float value = 0.0f;
    if (r.script.Float("SetHealth", &value)) r.agent->SetHealth(value);
}

void ReadMaxHealth(UnitReader& r)
{
    float value = 0.0f;
    if (r.script.Float("SetMaxHealth", &value)) r.agent->SetMaxHealth(value);
}

void ReadAgentFloat(UnitReader& r, const char* key, float Agent::*field)
{
    float value = 0.0f;
    if (r.script.Float(key, &value) && r.IsAgent()) r.agent->*field = value;
}

void ReadSpeed(UnitReader& r) { ReadAgentFloat(r, "SetSpeed", &Agent::speed); }
void ReadNoticeRange(UnitReader& r) { ReadAgentFloat(r, "SetNoticeRange", &Agent::noticeRange); }
void ReadAttackRange(UnitReader& r) { ReadAgentFloat(r, "SetAttackRange", &Agent::attackRange); }
void ReadMeleeAttackTime(UnitReader& r) { ReadAgentFloat(r, "SetMeleeAttackTime", &Agent::meleeAttackTime); }
void ReadDamage(UnitReader& r) { ReadAgentFloat(r, "SetDamage", &Agent::damage); }

void ReadRange(UnitReader& r)
{
    float notice = 0.0f, attack = 0.0f;
    if (!r.script.Float("SetRange", &notice)) return;
    bool both = r.script.Float("SetRange", &attack);
    if (!r.IsAgent()) return;
    r.agent->noticeRange = notice;
    if (both) r.agent->attackRange = attack;
}

void ReadScale(UnitReader& r)
{
    float s = 1.0f;
    if (!r.script.Float("SetScale", &s)) return;
    ScaleEntity(r.agent, s);
}

void ReadWeapon(UnitReader& r)
{
    std::string name = r.script.Word();
    const Item* item = r.items ? r.items->FindByName(name.c_str()) : nullptr;
    if (!item || !item->weapon) {
        r.script.Warn("AddWeapon: no weapon item '%s'", name.c_str());
        return;
    }
    WeaponDef* weapon = new (std::nothrow) WeaponDef();
    if (!weapon) return;
    weapon->CopyFrom(*item->weapon);
    delete r.agent->weapon;
    r.agent->weapon = weapon;
}

void ReadWeaponColour(UnitReader& r)
{
    uint32_t colour = r.script.Colour("SetWeaponColor");
    if (r.agent->weapon) r.agent->weapon->colour = colour;
}

void ReadMelee(UnitReader& r)
{
    int value = 0;
    if (r.script.Int("SetMelee", &value) && r.IsAgent() && value > 0) r.agent->classWord |= AGENT_CLASS_MELEE;
}

void ReadColourMode(UnitReader& r)
{
    int mode = 0;
    if (!r.script.Int("ColorMode", &mode)) return;
    r.type->colourMode = mode;
    if (r.agent->mesh) r.agent->mesh->colourPreset = mode;
}

void ReadPortraitCamera(UnitReader& r)
{
    float a = r.type->portraitCamera[0], b = r.type->portraitCamera[1];
    if (r.script.Float("PortraitCamera", &a)) r.script.Float("PortraitCamera", &b);
    r.type->portraitCamera[0] = a < -5.0f || a > 5.0f ? 1.0f : a;
    r.type->portraitCamera[1] = b;
}

void ReadShootOffset(UnitReader& r)
{
    float offset[3] = {0.0f, 0.0f, 0.0f};
    r.script.Floats("shootOffset", offset, 3);
    for (int i = 0; i < 3; ++i) r.type->shootOffset[i] = offset[i];
}

void ReadTypeInt(UnitReader& r, const char* key, int AgentType::*field)
{
    int value = 0;
    if (r.script.Int(key, &value)) r.type->*field = value;
}

void ReadBuyCost(UnitReader& r) { ReadTypeInt(r, "buy_cost", &AgentType::buyCost); }
void ReadBuyLevel(UnitReader& r) { ReadTypeInt(r, "buy_level", &AgentType::buyLevel); }
void ReadPowerResource(UnitReader& r) { ReadTypeInt(r, "resource_power", &AgentType::powerResource); }
void ReadCreditsResource(UnitReader& r) { ReadTypeInt(r, "resource_credits", &AgentType::creditsResource); }
void ReadOreCost(UnitReader& r) { ReadTypeInt(r, "cost_ore", &AgentType::oreCost); }
void ReadFuelCost(UnitReader& r) { ReadTypeInt(r, "cost_fuel", &AgentType::fuelCost); }

void ReadCosts(UnitReader& r)
{
    int* fields[] = {&r.type->buyCost, &r.type->oreCost, &r.type->fuelCost};
    for (int* field : fields)
        if (!r.script.Int("Costs", field)) break;
}

void ReadBuildTime(UnitReader& r)
{
    r.script.Float("build_time", &r.type->buildTime);
}

void ReadIcon(UnitReader& r)
{
    std::string file = r.script.Word();
    r.script.CopyField("icon", r.type->iconPath, sizeof r.type->iconPath, file.c_str());
    if (Textures) r.type->iconTexture = Textures->GetTexture(r.type->iconPath);
}

void ReadSelectedSound(UnitReader& r)
{
    r.script.CopyField("selected_sound", r.type->selectedSound, sizeof r.type->selectedSound, r.script.Word().c_str());
}

void ReadDamageState(UnitReader& r)
{
    std::string file = r.script.Word();
    if (r.agent->meshCount >= ENTITY_MESH_STATES) {
        r.script.Warn("damage_state: %s already has %d meshes; %s is left out", r.agent->name, ENTITY_MESH_STATES,
                      file.c_str());
        return;
    }
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, file.c_str());
    FixPath(fixed);
    if (!TheScene.AddMeshToTemplate(r.agent, fixed, 0)) r.script.Warn("damage_state: the mesh %s cannot be read", fixed);
}

void ReadMeshFlag(UnitReader& r)
{
    r.script.Word();
}

void ReadAttachment(UnitReader& r)
{
    std::string mesh = r.script.Word(), bone = r.script.Word();
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, mesh.c_str());
    FixPath(fixed);
    if (r.type->attachmentCount >= AGENT_TYPE_ATTACHMENTS) {
        r.script.Warn("AddAttachment: %s already has %d attachments; %s is left out", r.type->name,
                      AGENT_TYPE_ATTACHMENTS, fixed);
        return;
    }
    AgentTypeAttachment* record = r.type->AddAttachment(fixed, bone.c_str());
    if (record && (mesh.size() >= sizeof record->mesh || bone.size() >= sizeof record->bone))
        r.script.Warn("AddAttachment: '%s' on '%s' is cut to fit", mesh.c_str(), bone.c_str());
}

void ReadAttachmentIdle(UnitReader& r)
{
    std::string file = r.script.Word();
    r.script.Word();
    if (r.type->attachmentCount < 1) return;
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, file.c_str());
    FixPath(fixed);
    AgentTypeAttachment* record = r.type->attachments[r.type->attachmentCount - 1];
    r.script.CopyField("AttachmentIdle", record->idleAnimation, sizeof record->idleAnimation, fixed);
}

void ReadParticles(UnitReader& r)
{
    std::string name = r.script.Word();
    r.script.CopyField("particlesys", r.type->particleSystem, sizeof r.type->particleSystem, name.c_str());
    r.script.Floats("particlesys", r.type->particleOffset, 3);
    r.type->flags |= AGENT_TYPE_PARTICLES;
}

void ReadCommand(UnitReader& r)
{
    std::string word = r.script.Word();
    for (const NamedBit& command : COMMANDS)
        if (word == command.word) r.agent->commandWord |= command.bit;
}

struct Keyword {
    const char* word;
    bool anyCase;
    void (*read)(UnitReader& r);
};

const Keyword KEYWORDS[] = {
    {"ANIM_IDLE", true, ReadAnimIdle},
    {"ANIM_WALK", true, ReadAnimWalk},
    {"ANIM_ATTACK", true, ReadAnimAttack},
    {"ANIM_USE", true, ReadAnimUse},
    {"ANIM_MINE_LOOP", true, ReadAnimMineLoop},
    {"ANIM_ATTACK_ONCE", true, ReadAnimAttackOnce},
    {"ANIM_MELEE_ATTACK", true, ReadAnimAttackOnce},
    {"ANIM_MINE", true, ReadAnimMine},
    {"LONGDESC", true, ReadLongDescription},
    {"SHORTDESC", true, ReadShortDescription},
    {"SetBrain", false, ReadBrain},
    {"iconsheet", true, ReadIconSheet},
    {"SetAlignment", false, ReadAlignment},
    {"SetComposition", false, ReadComposition},
    {"SetShields", false, ReadShields},
    {"SetFlag", false, ReadFlag},
    {"SetHealth", false, ReadHealth},
    {"SetMaxHealth", false, ReadMaxHealth},
    {"SetSpeed", false, ReadSpeed},
    {"SetScale", false, ReadScale},
    {"AddWeapon", false, ReadWeapon},
    {"SetWeaponColor", false, ReadWeaponColour},
    {"SetDamage", false, ReadDamage},
    {"SetRange", false, ReadRange},
    {"SetNoticeRange", false, ReadNoticeRange},
    {"SetAttackRange", false, ReadAttackRange},
    {"SetMelee", false, ReadMelee},
    {"SetMeleeAttackTime", false, ReadMeleeAttackTime},
    {"ColorMode", false, ReadColourMode},
    {"PortraitCamera", false, ReadPortraitCamera},
    {"shootOffset", true, ReadShootOffset},
    {"buy_cost", true, ReadBuyCost},
    {"buy_level", true, ReadBuyLevel},
    {"resource_power", true, ReadPowerResource},
    {"resource_credits", true, ReadCreditsResource},
    {"cost_ore", true, ReadOreCost},
    {"cost_fuel", true, ReadFuelCost},
    {"Costs", true, ReadCosts},
    {"build_time", true, ReadBuildTime},
    {"icon", true, ReadIcon},
    {"selected_sound", true, ReadSelectedSound},
    {"damage_state", true, ReadDamageState},
    {"mesh_flag", true, ReadMeshFlag},
    {"AddAttachment", false, ReadAttachment},
    {"AttachmentIdle", false, ReadAttachmentIdle},
    {"particlesys", true, ReadParticles},
    {"AddCommand", true, ReadCommand},
};

}  // namespace

bool AgentTypeRegistry::LoadUnitTypes(const char* path, const ItemList* items)
{
    CatalogueScript script;
    if (!script.Open(path ? path : UNITS_SCRIPT)) return false;
    UnitReader reader{script, *this, items};
    while (const char* token = script.Next()) {
        if (strcmp(token, "DefineAgent") == 0) {
            ReadDefineAgent(reader);
            continue;
        }
        if (strcmp(token, "CollisionMesh") == 0) {
            if (reader.agent) ReadCollisionMesh(reader);
            continue;
        }
        if (!reader.type) continue;
        for (const Keyword& keyword : KEYWORDS) {
            bool match = keyword.anyCase ? StrICmp(token, keyword.word) == 0 : strcmp(token, keyword.word) == 0;
            if (!match) continue;
            keyword.read(reader);
            break;
        }
    }
    return true;
}
