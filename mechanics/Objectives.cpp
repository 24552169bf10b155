#include "mechanics/Objectives.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/EventManager.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

Objectives* TheObjectives = nullptr;

namespace {

constexpr float DONE_COLOUR[4] = {0.66f, 0.666f, 0.66f, 1.0f};
constexpr float ACTIVE_COLOUR[4] = {0.486275f, 0.878431f, 0.537255f, 1.0f};
constexpr uint32_t ENEMY_SEGMENTS = (1u << SEGMENT_ENEMY_UNIT) | (1u << SEGMENT_ENEMY_AIR_UNIT) |
                                    (1u << SEGMENT_ENEMY_BUILDING);
constexpr uint32_t PLAYER_AGENT_SEGMENTS = (1u << SEGMENT_UNIT) | (1u << SEGMENT_AIR_UNIT);

bool IsOpen(const Objective* objective)
{
    return (objective->flags & OBJECTIVE_ACTIVE) && !(objective->flags & OBJECTIVE_DONE);
}

bool Reached(const Objective* objective)
{
    return objective->count >= objective->targetCount;
}

bool EndsInS(const char* text)
{
    size_t length = strlen(text);
    return length > 0 && text[length - 1] == 's';
}

}  // namespace

Objectives::Objectives()
{
    list.Init(MAX_OBJECTIVES);
}

Objectives::~Objectives()
{
    Clear();
}

bool Objectives::Add(Objective* objective)
{
    if (!objective) return false;
    for (auto* node = list.head; node; node = node->next) {
        Objective* listed = node->value;
        if (listed->type == objective->type && strcmp(listed->target, objective->target) == 0) {
            ++listed->targetCount;
            return true;
        }
    }
    if (list.IsFull()) {
        Log("WARNING: more than %d objectives; '%s' is left out\n", MAX_OBJECTIVES, objective->id);
        return false;
    }
    if (objective->flags & OBJECTIVE_STARTS_INACTIVE)
        objective->flags &= ~OBJECTIVE_ACTIVE;
    else
        objective->flags |= OBJECTIVE_ACTIVE;
    list.PushBack(objective);
    return true;
}

Objective* Objectives::AddObjective(const char* name, int type, const char* target)
{
    if (!target) target = "none";
    for (auto* node = list.head; node; node = node->next) {
        Objective* listed = node->value;
        if (listed->type == type && strcmp(listed->target, target) == 0) {
            ++listed->targetCount;
            return listed;
        }
    }
    Objective* objective = new Objective();
    objective->type = type;
    objective->targetCount = 1;
    CopyText(objective->id, sizeof objective->id, name ? name : "none");
    CopyText(objective->target, sizeof objective->target, target);
    objective->flags |= OBJECTIVE_OWNED;
    objective->index = list.count;
    if (!Add(objective)) {
        delete objective;
        return nullptr;
    }
    return objective;
}

Objective* Objectives::FindByName(int type, const char* target) const
{
    if (!target) return nullptr;
    for (auto* node = list.head; node; node = node->next) {
        Objective* objective = node->value;
        if ((type == 0 || objective->type == type) && strcmp(objective->target, target) == 0) return objective;
    }
    return nullptr;
}

bool Objectives::AllComplete() const
{
    for (auto* node = list.head; node; node = node->next)
        if (!(node->value->flags & OBJECTIVE_DONE)) return false;
    return true;
}

void Objectives::SetState(int index, uint32_t flags, int count)
{
    Objective* last = nullptr;
    for (auto* node = list.head; node; node = node->next)
        if (node->value->index == index) last = node->value;
    if (!last) return;
    // Who frees the objective is not the save's to say.
    last->flags = (flags & ~OBJECTIVE_OWNED) | (last->flags & OBJECTIVE_OWNED);
    last->count = count;
    // The level made its objects again, marked as targets: what a done objective asked for is
    // one no more, as it was when the game was saved.
    if (!(last->flags & OBJECTIVE_DONE)) return;
    for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, ENTITY_OBJECT_OF_INTEREST); e; e = TheScene.NextInCategory())
        if (strcmp(e->name, last->target) == 0) e->flags &= ~ENTITY_OBJECT_OF_INTEREST;
}

void Objectives::Clear()
{
    for (auto* node = list.head; node; node = node->next)
        if (node->value->flags & OBJECTIVE_OWNED) delete node->value;
    list.Clear();
    accumulator = 0.0f;
    if (TheScreenHooks) TheScreenHooks->ShowObjectives(false);
}

void Objectives::Play(const char* sound)
{
    lastSound = sound;
    ++soundCount;
    if (SoundMgr) SoundMgr->PlaySound(sound);
}

void Objectives::Complete(Objective* objective)
{
    objective->flags |= OBJECTIVE_DONE;
    Play("objective_all");
    TellPlayer("Objective Complete!", 4.0f);
    for (Objective* next = objective->firstFollowUp; next; next = next->nextFollowUp) next->flags |= OBJECTIVE_ACTIVE;
}

void Objectives::CountProgress(Objective* objective)
{
    ++objective->count;
    if (Reached(objective))
        Complete(objective);
    else
        Play("objective");
}

void Objectives::Tick(bool force)
{
    // A check asked between ticks (a health set while the level loads) counts no time.
    if (WorldTicks.inTick && !GamePaused) accumulator += WorldStep();
    if (!force && accumulator < interval) return;
    accumulator = 0.0f;
    for (auto* node = list.head; node; node = node->next)
        if (IsOpen(node->value)) Update(node->value);
}

int Objectives::CountFaction(const char* name, const Entity* dying)
{
    int left = 0;
    for (Entity* entity = TheScene.FirstEntity(ENEMY_SEGMENTS); entity; entity = TheScene.NextEntity()) {
        if (entity == dying || !entity->IsAlive() || !(entity->flags & ENTITY_AGENT)) continue;
        if (strcmp(entity->name, name) == 0) ++left;
    }
    TheScene.EndIteration();
    return left;
}

int Objectives::CountScavengers()
{
    // The guards of an enemy objective that are not raiders must fall. Their brain kind is
    // checked as well once agents carry brains (the AI brains' issue fills that in).
    int left = 0;
    for (Entity* entity = TheScene.FirstEntity(ENEMY_SEGMENTS); entity; entity = TheScene.NextEntity()) {
        if (!(entity->flags & ENTITY_AGENT) || !entity->IsAlive()) continue;
        uint32_t word = static_cast<Agent*>(entity)->classWord;
        if ((word & AGENT_OBJECTIVE) && !(word & AGENT_CLASS_RAIDER)) ++left;
    }
    TheScene.EndIteration();
    return left;
}

void Objectives::Update(Objective* objective)
{
    switch (objective->type) {
    case OBJECTIVE_MINING: {
        PlayerProfile* profile = GetPlayerProfile();
        if (!profile) break;
        float stock = strcmp(objective->target, "fuel") == 0 ? profile->fuel : profile->ore;
        if (stock >= (float)objective->targetCount) Complete(objective);
        objective->count = (int)stock;
        break;
    }
    case OBJECTIVE_RECOVER_OBJECT:
        if (Reached(objective)) Complete(objective);
        break;
    case OBJECTIVE_ELIMINATE_FACTION:
        if (CountFaction(objective->target, nullptr) == 0) Complete(objective);
        break;
    case OBJECTIVE_ELIMINATE_ENEMIES:
        if (strcmp(objective->target, "scavengers") == 0 && CountScavengers() == 0) Complete(objective);
        break;
    case OBJECTIVE_DISCOVER_ENTITY: {
        Entity* target = objective->cachedEntity.Get();
        if (!target) {
            target = TheScene.FindEntityByName(objective->target, 0, ENTITY_OBJECT_OF_INTEREST);
            objective->cachedEntity.Set(target);
        }
        if (!target || !target->discovered || !target->FogLetsSee()) break;
        Vec3 min, max;
        if (!target->GetWorldBounds(&min, &max)) min = max = target->GetPosition();
        min.x -= 3.75f, min.z -= 3.75f, max.x += 3.75f, max.z += 3.75f;
        bool near = false;
        for (Entity* agent = TheScene.FirstEntity(PLAYER_AGENT_SEGMENTS); agent && !near; agent = TheScene.NextEntity()) {
            Vec3 centre = agent->GetCenter();
            near = centre.x > min.x && centre.x < max.x && centre.z > min.z && centre.z < max.z;
        }
        TheScene.EndIteration();
        if (!near) break;
        Complete(objective);
        target->flags &= ~ENTITY_OBJECT_OF_INTEREST;
        break;
    }
    case OBJECTIVE_HACK_COMPUTER: {
        bool hacked = false;
        for (Entity* building = TheScene.FirstEntity(1u << SEGMENT_BUILDING); building && !hacked;
             building = TheScene.NextEntity())
            hacked = (building->flags & ENTITY_OBJECT_OF_INTEREST) && strcmp(building->name, objective->target) == 0;
        TheScene.EndIteration();
        if (hacked) Complete(objective);
        break;
    }
    case OBJECTIVE_DISCOVER_ORE:
        if (TheEvents && TheEvents->oreDiscovered) Complete(objective);
        break;
    case OBJECTIVE_EXCAVATE_OBJECT: {
        bool dug = false;
        for (Entity* entity = TheScene.FirstInCategory(0, 0); entity && !dug; entity = TheScene.NextInCategory())
            dug = (entity->flags & (ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST)) &&
                  entity->GetMaxHealth() <= entity->GetHealth() && strcmp(entity->name, objective->target) == 0;
        if (dug) Complete(objective);
        break;
    }
    default:
        break;
    }
}

void Objectives::OnEntityDied(Entity* entity)
{
    if (!entity) return;
    for (auto* node = list.head; node; node = node->next) {
        Objective* objective = node->value;
        if (!IsOpen(objective)) continue;
        bool counts = false;
        switch (objective->type) {
        case OBJECTIVE_ELIMINATE_FACTION:
            if (CountFaction(objective->target, entity) == 0) Complete(objective);
            break;
        case OBJECTIVE_ELIMINATE_ENEMIES:
            if (strcmp(objective->target, "creature_nest") == 0) {
                if (entity->flags & ENTITY_BUILDING) {
                    const BuildItem* definition = static_cast<Building*>(entity)->definition;
                    counts = definition && (definition->flags & BUILD_CREATURE_NEST);
                } else {
                    counts = strcmp(entity->name, "creature_nest") == 0;
                }
            } else {
                counts = strcmp(entity->name, objective->target) == 0;
            }
            break;
        case OBJECTIVE_DESTROY_BUILDING:
            counts = strcmp(entity->name, objective->target) == 0;
            break;
        case OBJECTIVE_DESTROY_TYPE:
            counts = (entity->flags & ENTITY_ITEM) &&
                     (strcmp(objective->target, "rocks") == 0 || strcmp(objective->target, "ice_blocks") == 0) &&
                     (static_cast<Item*>(entity)->itemFlags & ITEM_FLAG_ROCK);
            break;
        default:
            break;
        }
        if (counts) CountProgress(objective);
    }
}

void Objectives::OnEntityBuilt(Entity* entity)
{
    if (!entity || !(entity->flags & (ENTITY_AGENT | ENTITY_BUILDING))) return;
    for (auto* node = list.head; node; node = node->next) {
        Objective* objective = node->value;
        if (!IsOpen(objective) || objective->type != OBJECTIVE_BUILD) continue;
        if (strcmp(entity->name, objective->target) != 0) continue;
        if ((entity->flags & ENTITY_BUILDING) && static_cast<Building*>(entity)->buildState == 1) continue;
        CountProgress(objective);
    }
}

void Objectives::OnObjectReached(Entity* entity)
{
    if (!entity) return;
    for (auto* node = list.head; node; node = node->next) {
        Objective* objective = node->value;
        if (!IsOpen(objective) || strcmp(objective->target, entity->name) != 0) continue;
        switch (objective->type) {
        case OBJECTIVE_RECOVER_OBJECT:
            // Recovered once: working on it again must not count it again.
            entity->flags &= ~ENTITY_OBJECT_OF_INTEREST;
            CountProgress(objective);
            break;
        case OBJECTIVE_REPAIR_OBJECT:
            entity->flags &= ~ENTITY_OBJECT_OF_INTEREST;
            CountProgress(objective);
            break;
        case OBJECTIVE_DISCOVER_ENTITY:
            Complete(objective);
            entity->flags &= ~ENTITY_OBJECT_OF_INTEREST;
            Play("blip");
            break;
        default:
            break;
        }
    }
}

int Objectives::BuildLines(Line* out, int max) const
{
    int lines = 0;
    for (auto* node = list.head; node && lines < max; node = node->next) {
        const Objective* objective = node->value;
        if (!(objective->flags & OBJECTIVE_ACTIVE)) continue;
        Line& line = out[lines++];
        bool done = (objective->flags & OBJECTIVE_DONE) != 0;
        char* text = line.text;
        size_t size = sizeof line.text;
        if (objective->type == OBJECTIVE_MINING) {
            // The count is what the player holds, not what was ever mined: paying for a
            // building takes from it, and the line says so by its name.
            char what[sizeof objective->target];
            CopyText(what, sizeof what, objective->target);
            what[0] = (char)toupper((unsigned char)what[0]);
            if (done)
                snprintf(text, size, "  %s held [%d] ", what, objective->targetCount);
            else
                snprintf(text, size, "  %s held [%d/%d]", what, objective->count, objective->targetCount);
        } else if (objective->type == OBJECTIVE_DISCOVER_ORE) {
            snprintf(text, size, "  Discover & scan ore");

        } else if (strncmp(objective->id, "Download probe", 14) == 0) {
            // "Data" has no plural: the level names the objective "Download probe_data".
            snprintf(text, size, "  Downloaded probe data [%d/%d]", objective->count, objective->targetCount);
        } else if (objective->targetCount > 1 && !EndsInS(objective->id)) {
            snprintf(text, size, "  %ss [%d/%d]", objective->id, objective->count, objective->targetCount);
        } else if (objective->targetCount > 1) {
            snprintf(text, size, "  %s [%d/%d]", objective->id, objective->count, objective->targetCount);
        } else {
            snprintf(text, size, "  %s", objective->id);
        }
        if (done && objective->type != OBJECTIVE_MINING) {
            size_t length = strlen(text);
            if (length + 1 < size) text[length] = ' ', text[length + 1] = '\0';
        }
        FormatDisplayText(text, 0);
        memcpy(line.colour, done ? DONE_COLOUR : ACTIVE_COLOUR, sizeof line.colour);
        line.done = done;
    }
    return lines;
}
