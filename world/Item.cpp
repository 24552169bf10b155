#include "world/Item.h"

#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "platform/Timer.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/ItemCatalog.h"
#include "world/MissionHooks.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

Item::Item()
{
    flags |= ENTITY_ITEM;
    CopyText(iconPath, sizeof iconPath, "data/gui/black.dds");
    CopyText(meshPath, sizeof meshPath, "none");
    CopyText(soundName, sizeof soundName, "blip");
    longDescription = GameText("<none>");
    shortDescription = GameText("<none>");
    itemFlags = 0;
    upgradeFlags = 0;
    specialFlags = 0;
    reserved = 0;
    kind = ITEM_KIND_PICKUP;
    action = 0;
    actionValue = 0;
    salvageIdleTime = 0.0f;
    // The icon picture is looked up when the catalogue names one.
    iconTexture = nullptr;
    iconCell = -1;
    stackCount = 1;
    for (float& value : bonus) value = 0.0f;
    price = 100;
    buyLevel = 1;
    CopyText(buyRequirement, sizeof buyRequirement, "none");
    achievement = -1;
    rarity = 1.0f;
    CopyText(buildRequirement, sizeof buildRequirement, "none");
    buildEnergy = 100;
    CopyText(patternName, sizeof patternName, "none");
    for (uint32_t& word : reservedWords) word = 0;
    actionReset = 0.0f;
}

Item::~Item()
{
    free(ownedBlock_);
}

void Item::AdoptBlock(void* block)
{
    if (block == ownedBlock_) return;
    free(ownedBlock_);
    ownedBlock_ = block;
}

const char* Item::GetActionName() const
{
    static const char* const names[] = {"Pickup", "Action",  "Trigger", "Breakable", "Unit",
                                        "Building", "Upgrade", "Weapon", "Engine",    "Storage"};
    return kind >= 0 && kind < (int)(sizeof names / sizeof names[0]) ? names[kind] : "";
}

float Item::GetDamageBonus(const WeaponDef* weapon) const
{
    if (!weapon) return 0.0f;
    // The damage upgrade that pairs with each weapon type; acid, plasma and pulse have none.
    static const uint32_t upgrades[] = {ITEM_UPGRADE_LASER_DAMAGE,  ITEM_UPGRADE_MISSILE_DAMAGE,
                                        ITEM_UPGRADE_ELECTRIC_DAMAGE, ITEM_UPGRADE_MORTAR_DAMAGE,
                                        ITEM_UPGRADE_MACHINEGUN_DAMAGE, ITEM_UPGRADE_FLAME_DAMAGE};
    if (weapon->type < 0 || weapon->type >= (int)(sizeof upgrades / sizeof upgrades[0])) return 0.0f;
    return (upgradeFlags & upgrades[weapon->type]) ? bonus[ITEM_BONUS_DAMAGE] : 0.0f;
}

// ---- Touched by the player

namespace {

void Say(const char* text)
{
    TellPlayer(text, 4.0f);
}

void Sound(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

void SpawnAt(const char* name, const Vec3& at)
{
    PlaceEffect(name, at);
}

// The rings of a heal or a recharge: one burst round the unit that rides along with it and ends
// with its rings, rather than a ring left pulsing where the unit stood.
void RingsOn(const char* name, Entity* unit)
{
    StartEffect(name, unit, unit->GetCenter() - unit->GetPosition(), EFFECT_ONCE);
}

bool InventoryFull()
{
    return !TheItemHooks || TheItemHooks->IsInventoryFull();
}

// The inventory takes the item itself (no copy is made, so none is left over).
bool TakeIntoInventory(Item* item, bool merge)
{
    return TheItemHooks && TheItemHooks->AddToInventory(item, merge);
}

int PlayerLevel()
{
    return TheCombatHooks ? TheCombatHooks->PlayerLevel() : 0;
}

// The item is used up: the Scene retires it (and frees it with the level's dead).
void UseUp(Item* item)
{
    item->health = 0.0f;
    item->flags |= ENTITY_DEAD;
    item->LeaveGridCell();
}

// The item goes into the inventory, which keeps this very record: it leaves the level alive.
// Poured into a stack of its kind, nothing is left of it: the Scene retires it.
bool MoveIntoInventory(Item* item, bool merge)
{
    if (!TakeIntoInventory(item, merge)) return false;
    if (item->stackCount == 0)
        UseUp(item);
    else
        TheScene.RemoveEntity(item, REMOVE_EVERYWHERE);
    return true;
}

}  // namespace

bool Item::OnTouch(Entity* toucher, float dt)
{
    if (!toucher) return true;
    if (!(toucher->flags & ENTITY_PLAYER)) {
        Say("Only the player can perform this action!");
        return true;
    }
    Vec3 here = GetPosition(), there = toucher->GetPosition();
    Vec3 apart = here - there;
    bool near = IsWithinOneCell(here, there) || Vec3Length(&apart) < 3.6f;
    switch (kind) {
    case ITEM_KIND_PICKUP: {
        if (!near) return true;
        if (InventoryFull()) {
            Say("Inventory Full!");
            return true;
        }
        Vec3 at = here;
        Sound("pickup");
        SpawnAt("pickup", at);
        // The rolled item itself goes in: no copy is made of it, so nothing is left over.
        Item* loot = RollItemDrop();
        if (loot && !TakeIntoInventory(loot, false)) delete loot;
        UseUp(this);
        return true;
    }
    case ITEM_KIND_ACTION: return RunTouchAction(toucher, dt, near);
    case ITEM_KIND_BREAKABLE: Sound("item_break_wood"); return true;
    case ITEM_KIND_UNIT:
    case ITEM_KIND_BUILDING:
    case ITEM_KIND_UPGRADE:
    case ITEM_KIND_WEAPON: {
        if (InventoryFull()) {
            Say("Inventory Full!");
            return true;
        }
        Vec3 at = here;
        if (!MoveIntoInventory(this, false)) {
            Say("Inventory Full!");
            return true;
        }
        Sound("pickup");
        SpawnAt("pickup", at);
        return true;
    }
    default: return true;
    }
}

namespace {

const char* const CrateConsumables[] = {"ore_crate",
                                        "fuel_container",
                                        "credits_crate",
                                        "bot_experience",
                                        "health_cannister",
                                        "shield_cannister",
                                        "large_health_cannister",
                                        "large_shield_cannister",
                                        "cloak_cannister",
                                        "enrichment_cannister"};

// Rolled loot lies on the ground at twice its size, standing on its lowest point.
void Enlarge(Item* item, bool lift)
{
    Vec3 position = item->GetPosition();
    item->scale *= 2.0f;
    MatrixScaling(&item->world, item->scale, item->scale, item->scale);
    if (lift && item->mesh && item->mesh->boundsMin.y < 0.0f) position.y -= item->mesh->boundsMin.y * item->scale;
    item->SetPosition(position);
}

void PlaceLoot(Item* loot, const Vec3& at)
{
    loot->SetPosition(at);
    loot->flags &= ~ENTITY_PLACED;
    if (!TheScene.AddEntity(loot)) {
        delete loot;
        return;
    }
    SpawnAt("loot", at);
}

}  // namespace

bool Item::RunTouchAction(Entity* toucher, float dt, bool near)
{
    switch (action) {
    case ITEM_ACTION_GIVE_ITEM: {
        if (!near) return true;
        if (!mesh) return Salvage(dt);
        Vec3 cell;
        if (!FindFreeCellNear(&cell, this, GetPosition(), 0.0f, nullptr)) {
            Say("Crate is blocked and cannot drop an item!");
            return true;
        }
        if (mesh->IsSkinned()) {
            int slot = mesh->animationSlot[ANIM_USE];
            if (slot >= 0) mesh->SetAnimation(slot, false, true);
            Sound("open");
        }
        Item* content = nullptr;
        if (Rand() % 2 == 0) {
            int choices = PlayerLevel() >= 4 ? 10 : 6;
            content = CreateItemByName(CrateConsumables[Rand() % choices]);
        } else {
            content = RollItemDrop();
            if (content) {
                content->itemFlags |= ITEM_FLAG_ROLLED;
                bool consumable = content->kind == ITEM_KIND_ACTION;
                bool blueprint = content->kind == ITEM_KIND_UNIT || content->kind == ITEM_KIND_BUILDING;
                if (!consumable && !blueprint) Enlarge(content, true);
            }
        }
        // A content that resolves to nothing is not placed: the crate still opens.
        if (content) {
            Vec3 at = cell;
            at.y = content->GetPosition().y + TheTerrain.GetHeight(cell);
            PlaceLoot(content, at);
            Sound("itemdrop");
        }
        itemFlags |= ITEM_FLAG_USED;
        action = ITEM_ACTION_NONE;
        actionValue = 0;
        return true;
    }
    case ITEM_ACTION_SALVAGE: return Salvage(dt);
    case ITEM_ACTION_HEAL:
    case ITEM_ACTION_RECHARGE:
    case ITEM_ACTION_GIVE_EXPERIENCE:
    case ITEM_ACTION_CLOAK:
    case ITEM_ACTION_ENRICH_ORE:
    case ITEM_ACTION_INSTANT_BUILD: {
        Vec3 at = GetPosition();
        if (InventoryFull() || !MoveIntoInventory(this, true)) {
            Say("Inventory Full!");
            return true;
        }
        Sound("pickup");
        SpawnAt("pickup", at);
        return true;
    }
    case ITEM_ACTION_GIVE_ORE:
    case ITEM_ACTION_GIVE_FUEL: {
        bool ore = action == ITEM_ACTION_GIVE_ORE;
        float amount = (float)actionValue * (1.0f + 0.25f * (float)PlayerLevel());
        if (PlayerProfile* profile = GetPlayerProfile()) {
            if (ore)
                profile->AddOre(amount);
            else
                profile->AddFuel(amount);
        }
        Sound(ore ? "pickup" : "fuel");
        char text[32];
        snprintf(text, sizeof text, ore ? "Ore +%d" : "Fuel +%d", (int)amount);
        if (TheCombatHooks) TheCombatHooks->FloatText(text, toucher->GetPosition());
        action = ITEM_ACTION_NONE;
        actionValue = 0;
        UseUp(this);
        return true;
    }
    case ITEM_ACTION_GIVE_CREDITS: {
        if (PlayerProfile* profile = GetPlayerProfile()) profile->credits += actionValue;
        Sound("credits");
        char text[32];
        snprintf(text, sizeof text, "Credits +%d", actionValue);
        if (TheCombatHooks) TheCombatHooks->FloatText(text, toucher->GetPosition());
        action = ITEM_ACTION_NONE;
        actionValue = 0;
        UseUp(this);
        return true;
    }
    case ITEM_ACTION_GIVE_DETECTOR:
    case ITEM_ACTION_GIVE_MINE:
    case ITEM_ACTION_GIVE_FREEZE: {
        const char* name = action == ITEM_ACTION_GIVE_DETECTOR ? "detector"
                           : action == ITEM_ACTION_GIVE_MINE   ? "mine"
                                                               : "freeze_trap";
        int given = 0;
        for (int i = 0; i < actionValue; ++i) {
            Item* copy = InventoryFull() ? nullptr : CreateItemByName(name);
            if (!copy) break;
            if (!TakeIntoInventory(copy, true)) {
                delete copy;
                break;
            }
            if (copy->stackCount == 0) delete copy;  // poured into a stack
            ++given;
        }
        // Nothing given: the trap stays where it is for a later touch.
        if (given == 0) {
            Say("Inventory Full!");
            return true;
        }
        if (given < actionValue) Say("Inventory Full!");
        Sound("pickup");
        SpawnAt("pickup", GetPosition());
        action = ITEM_ACTION_NONE;
        actionValue = 0;
        UseUp(this);
        return true;
    }
    case ITEM_ACTION_OBJECTIVE: {
        if (actionValue == 2 || actionValue == 3) {
            health -= dt * 10.0f;
            if (health > 0.0f) return false;
        } else if (actionValue == 1) {
            Sound("pickup");
        }
        // Reached once: the action is spent, so a later touch counts nothing more.
        int value = actionValue;
        NotifyObjectReached(this);
        action = ITEM_ACTION_NONE;
        actionValue = 0;
        if (value == 1 || value == 2) UseUp(this);
        return true;
    }
    case ITEM_ACTION_JOURNAL: {
        PlayerProfile* profile = GetPlayerProfile();
        int next = (profile ? profile->backstoryCount : 0) + 1;
        char tag[32];
        snprintf(tag, sizeof tag, "<journal_%d>", next);
        const char* text = GameText(tag);
        if (profile && text && text[0]) {
            profile->backstoryCount = next;
            Say("New journal entry added to mission log!");
            Sound("journal");
            UseUp(this);
        }
        action = ITEM_ACTION_NONE;
        actionValue = 0;
        return true;
    }
    default: return true;
    }
}

bool Item::Salvage(float dt)
{
    int skill = TheCombatHooks ? TheCombatHooks->PlayerSkill(PLAYER_SKILL_SALVAGE) : 0;
    skill = std::max(0, std::min(skill, 6));
    health -= dt * 10.0f * (1.0f + 0.33f * (float)skill);
    salvageIdleTime = 0.0f;
    if (health > 1.0f) return false;
    int drops = skill > 0 ? 2 : 1;
    Vec3 cells[2];
    int count = 0;
    CollectFreeCellsSpiral(GetPosition(), 8, drops, cells, &count);
    int dropped = 0;
    for (int i = 0; i < count; ++i) {
        Item* loot = RollItemDrop();
        if (!loot) continue;
        loot->itemFlags |= ITEM_FLAG_ROLLED;
        if (loot->kind == ITEM_KIND_WEAPON || loot->kind == ITEM_KIND_UPGRADE) Enlarge(loot, false);
        Vec3 at = cells[i];
        at.y = TheTerrain.GetHeight(cells[i]) + 1.0f;
        PlaceLoot(loot, at);
        ++dropped;
    }
    if (dropped > 0) {
        Sound("itemdrop");
        action = ITEM_ACTION_NONE;
        actionValue = 0;
    }
    return true;
}

// ---- The item in the world

namespace {

constexpr float SPIN_SPEED = 100.0f;  // degrees a second
constexpr float ACTION_TICK = 0.1f;
constexpr float TRIGGER_RANGE = 3.75f;
constexpr float BLAST_RANGE = 5.5f;

// The item's step in the tick. A window the player holds open (the developer's console, a
// shop) does not hold the world: the tick runs on for every entity alike.
float Step()
{
    if (GamePaused) return 0.0f;
    const float step = WorldStep();
    return step > 0.0f ? step : 0.0f;
}

// How far a blast reaches an entity: its own half width counts.
float BlastReach(Entity* entity)
{
    float half = entity->mesh ? (entity->mesh->boundsMax.x - entity->mesh->boundsMin.x) * 0.5f * entity->scale : 0.0f;
    return BLAST_RANGE + half;
}

bool IsLiveAgent(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && !(entity->flags & ENTITY_DEAD);
}

}  // namespace

void Item::Settle()
{
    if (!(flags & ENTITY_PLACED)) return;
    // Stood on its ground here: it is snapped.
    flags &= ~(ENTITY_PLACED | ENTITY_SNAP_TO_GROUND);
    if (itemFlags & ITEM_FLAG_GRID_BLOCKER)
        OccupyGridCells();
    else
        LeaveGridCell();
    Vec3 position = GetPosition();
    position.y = TheTerrain.GetHeight(position);
    SetPosition(position);
    if (mesh && mesh->IsSkinned()) {
        int slot = mesh->animationSlot[(itemFlags & ITEM_FLAG_USED) ? ANIM_USE : ANIM_IDLE];
        if (slot >= 0) mesh->SetAnimation(slot, true, true);
        mesh->Update(0.0f);
    }
}

void Item::Update()
{
    int frame = WorldStepCount();
    if (updateFrame == frame) return;  // an item in several lists is updated once
    updateFrame = frame;
    float dt = Step();
    ageTimers[0] += dt;
    ageTimers[1] += dt;

    Settle();
    if (!IsAlive()) return;

    if (itemFlags & ITEM_FLAG_ROLLED) {
        yaw += SPIN_SPEED * dt;
        if (yaw > 360.0f) yaw -= 360.0f;
        MatrixRotationY(&rotation, yaw * (PI / 180.0f));
        Vec3 position = GetPosition();
        Matrix scaling;
        MatrixScaling(&scaling, scale, scale, scale);
        MatrixMultiply(&world, &scaling, &rotation);
        SetPosition(position);
    }

    if (ageTimers[0] <= ACTION_TICK) return;
    float elapsed = ageTimers[0] - actionReset;
    ageTimers[0] = actionReset = (float)Rand() / 32768.0f * 0.05f;
    switch (action) {
    case ITEM_ACTION_SALVAGE:
        if (health < GetMaxHealth()) {
            // Left alone for a second, a half-salvaged wreck is whole again.
            if (salvageIdleTime <= 1.0f)
                salvageIdleTime += elapsed;
            else
                health = GetMaxHealth();
        }
        break;
    case ITEM_ACTION_MINE:
    case ITEM_ACTION_FREEZE: SpringTrap(); break;
    case ITEM_ACTION_DETECTOR:
        health -= (float)actionValue * elapsed;
        if (health <= 0.0f) UseUp(this);
        break;
    default: break;
    }
}

bool Item::SpringTrap()
{
    Vec3 here = GetPosition();
    bool triggered = false;
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ENEMY_UNIT); node && !triggered;
         node = TheScene.NextInList(node))
        triggered = IsLiveAgent(node->value) && GetGroundDistance(node->value->GetPosition(), here) < TRIGGER_RANGE;
    if (!triggered) return false;
    bool freeze = action == ITEM_ACTION_FREEZE;
    SpawnAt(freeze ? "explo_freeze" : "exploring", here);
    Sound("explo");
    const int freezeSegments[] = {SEGMENT_ENEMY_UNIT};
    const int blastSegments[] = {SEGMENT_UNIT, SEGMENT_BUILDING, SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_BUILDING};
    const int* segments = freeze ? freezeSegments : blastSegments;
    int count = freeze ? 1 : 4;
    float blast = health;
    for (int i = 0; i < count; ++i)
        for (Scene::Node* node = TheScene.FirstInList(segments[i]); node; node = TheScene.NextInList(node)) {
            Entity* victim = node->value;
            if (!victim || victim == this || !(victim->flags & (ENTITY_AGENT | ENTITY_BUILDING))) continue;
            if (!victim->IsAlive() || victim->health <= 0.0f) continue;
            if (GetGroundDistance(victim->GetPosition(), here) >= BlastReach(victim)) continue;
            if (freeze) {
                if (victim->flags & ENTITY_AGENT) static_cast<Agent*>(victim)->freezeTime = (float)actionValue;
                continue;
            }
            victim->TakeDamage(blast, nullptr, nullptr, DAMAGE_TYPE_RAW, true);
            if (victim->health <= 0.0f) {
                // The hit only marks it dead; its death (statistics, debris, loot) runs once.
                if (!victim->HasDied()) victim->Die(nullptr);
                if (TheCombatHooks) TheCombatHooks->CountStatistic("mineKills");
            }
        }
    UseUp(this);
    return true;
}

bool Item::ApplyUseEffect(Entity* target)
{
    if (!target || !TheGame || TheGame->state != GAME_STATE_PLAYING || target->alignment != ALIGN_PLAYER) return false;
    Agent* agent = (target->flags & ENTITY_AGENT) ? static_cast<Agent*>(target) : nullptr;
    int value = actionValue;
    char text[32];
    bool used = false;
    switch (action) {
    case ITEM_ACTION_HEAL:
        if (agent && agent->health < agent->GetMaxHealth()) {
            agent->health = std::min(agent->health + (float)value, agent->GetMaxHealth());
            Sound("heal");
            RingsOn("scan_green", agent);
            snprintf(text, sizeof text, "Heal +%d", value);
            if (TheCombatHooks) TheCombatHooks->FloatText(text, agent->GetPosition());
            used = true;
        }
        break;
    case ITEM_ACTION_RECHARGE:
        if (agent && (agent->flags & ENTITY_SHIELD) && agent->shield < agent->maxShield) {
            agent->shield = std::min(agent->shield + (float)value, agent->maxShield);
            Sound("recharge");
            RingsOn("scan_blue", agent);
            snprintf(text, sizeof text, "Shields +%d", value);
            if (TheCombatHooks) TheCombatHooks->FloatText(text, agent->GetPosition());
            Sound("recharge");
            used = true;
        }
        break;
    case ITEM_ACTION_GIVE_EXPERIENCE:
        if (agent && !(agent->flags & ENTITY_PLAYER) && agent->botLevel < 10) {
            int gain = Agent::ExperienceForLevel(agent->botLevel + 1) - Agent::ExperienceForLevel(agent->botLevel);
            agent->AddExperience(std::max(gain, 100));
            used = true;
        }
        break;
    case ITEM_ACTION_CLOAK:
        if (agent && !(agent->classWord & AGENT_CLOAKED)) {
            agent->classWord |= AGENT_CLOAKED;
            agent->cloakTime = (float)value;
            Sound("cloak_in");
            used = true;
        }
        break;
    case ITEM_ACTION_MINE:
    case ITEM_ACTION_FREEZE:
    case ITEM_ACTION_DETECTOR: {
        if (!(target->flags & ENTITY_PLAYER)) {
            Sound("bad");
            break;
        }
        Item* laid = CreateItemByName(nullptr, this);
        if (!laid) break;
        laid->SetPosition(target->GetPosition() + Vec3(0.0f, 0.1f, 0.0f));
        laid->flags &= ~ENTITY_PLACED;
        laid->health = health;
        laid->maxHealth = maxHealth;
        if (action == ITEM_ACTION_DETECTOR) {
            laid->alignment = ALIGN_PLAYER;
            laid->itemFlags |= ITEM_FLAG_ROLLED;
        }
        if (!TheScene.AddEntity(laid)) {
            delete laid;
            break;
        }
        Sound("laymine");
        used = true;
        break;
    }
    default: break;
    }
    if (!used) return false;
    if (itemFlags & ITEM_FLAG_STACKABLE)
        --stackCount;
    else
        stackCount = 0;
    return true;
}

namespace {

// An upgrade amount with as few decimals as read back give the same number (one at least):
// a saved item is worth what it was.
void WriteAmount(FILE* file, const char* key, float amount)
{
    char text[64];
    for (int decimals = 1; decimals <= 9; ++decimals) {
        snprintf(text, sizeof text, "%.*f", decimals, amount);
        if ((float)strtod(text, nullptr) == amount) break;
    }
    fprintf(file, "%s\t\t\t%s\n", key, text);
}

}  // namespace

void Item::WriteToScene(FILE* file, bool profileMode)
{
    if (!file) return;
    if (!profileMode) {
        // Made again from its catalogue item at the next load, then named as it was.
        const char* type = typeName[0] ? typeName : name;
        fprintf(file, "AddItem\t\t\t\t%s\n", type);
        if (name[0] && strcmp(type, name) != 0) fprintf(file, "SetName\t\t\t\t%s\n", name);
        fprintf(file, "SaveId\t\t\t\t%d\n", TheScene.SaveNumberOf(this));
        // Its clocks and turn, whole: a trap looks about on its own beat, a wreck mends.
        fprintf(file, "ItemState\t\t\t%.9g %.9g %.9g %.9g %.9g %.9g %d\n", ageTimers[0], ageTimers[1], sinceReset,
                actionReset, salvageIdleTime, yaw, (int)itemFlags);
        // Written whole: read back, the item lies where it lay, to the bit.
        fprintf(file, "SetBothHealth\t\t\t%.9g %.9g\n", health, maxHealth);
        if (yaw != 0.0f) fprintf(file, "SetRotate\t\t\t%.9g\n", yaw);
        int column = 0, row = 0;
        Grid* grid = CurrentGrid();
        if (grid) grid->WorldToCell(GetPosition(), &column, &row);
        fprintf(file, "SetMapCoord\t\t\t%d %d\n", column, row);
        const Vec3 at = GetPosition();
        fprintf(file, "SetPosition\t\t\t%.9g %.9g %.9g\n", at.x, at.y, at.z);
        if (flags & ENTITY_OBJECT_OF_INTEREST) fprintf(file, "SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n");
        if (kind == ITEM_KIND_PICKUP || kind == ITEM_KIND_ACTION) {
            fprintf(file, "SetItemAction\t\t\t%d %d\n", action, actionValue);
            if (itemFlags & ITEM_FLAG_USED) fprintf(file, "SetItemFlag\t\t\tITEM_FLAG_USED\n");
        }
    }
    if (upgradeFlags) fprintf(file, "item_upgradeFlags\t\t%d\n", (int)upgradeFlags);
    if (specialFlags) fprintf(file, "item_specialFlags\t\t%d\n", (int)specialFlags);
    static const char* const bonusKeys[ITEM_BONUS_COUNT] = {
        "item_upgradeDamage", "item_upgradeSpeed",      "item_upgradeHull",
        "item_upgradeHealth", "item_upgradeRateOfFire", "item_upgradeShieldRecharge"};
    for (int i = 0; i < ITEM_BONUS_COUNT; ++i)
        if (bonus[i] != 0.0f) WriteAmount(file, bonusKeys[i], bonus[i]);
    if ((itemFlags & ITEM_FLAG_STACKABLE) && stackCount > 1) fprintf(file, "%s\t\t\t%d\n", "item_stackCount", stackCount);
    // An empty pattern would leave the keyword to take the next line's first word.
    if ((kind == ITEM_KIND_UNIT || kind == ITEM_KIND_BUILDING) && patternName[0])
        fprintf(file, "item_pattern\t\t%s\n", patternName);
    if (alignment == ALIGN_PLAYER) fprintf(file, "SetAlignment\t\tPLAYER\n");
}

// The world keeps no bag: without the interface's, every pickup that needs one stays where it is.
namespace {
ItemHooks WorldItemAnswers;
}  // namespace

ItemHooks* TheItemHooks = &WorldItemAnswers;

bool ItemHooks::IsInventoryFull()
{
    return PlayerBag->IsFull();
}

bool ItemHooks::AddToInventory(Item* item, bool merge)
{
    if (!PlayerBag->AddItem(item, merge, false, -1)) return false;
    // Not in a slot of its own: its count went into a stack of its kind.
    if (!PlayerBag->Holds(item)) item->stackCount = 0;
    return true;
}
