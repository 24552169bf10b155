#include "mechanics/EventManager.h"

#include "campaign/MissionRecord.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "render/ViewFrustum.h"
#include "world/Agent.h"
#include "world/MissionHooks.h"

#include <cstring>

EventManager* TheEvents = nullptr;

namespace {

constexpr const char* WARP_TRADER = "hallstrade";

// An entity found by name, kept with its id and looked up again once it is gone.
Entity* Lookup(EventCondition* condition, int flagMask)
{
    Entity* entity = condition->cachedEntity.Get();
    if (entity) return entity;
    entity = TheScene.FindEntityByName(condition->name, 0, flagMask);
    condition->cachedEntity.Set(entity);
    return entity;
}

// False when there is no message window to show it in.
bool ShowMessage(const EventAction* action, bool missionComplete)
{
    // A replay watched ends where its recording does: the mission's end is not offered again.
    return TheScreenHooks &&
           TheScreenHooks->ShowMissionMessage(action->giver, action->text, missionComplete && !TheReplay.Playing());
}

// The objectives and events hear the world through this one listener.
class GameMissionHooks : public MissionHooks {
public:
    void OnHealthSet(Entity*) override
    {
        if (TheObjectives) TheObjectives->Tick(true);
        if (TheEvents) TheEvents->Update(false);
    }
    void OnEntityDied(Entity* entity) override
    {
        if (TheObjectives) TheObjectives->OnEntityDied(entity);
    }
    void OnEntityBuilt(Entity* entity) override
    {
        if (TheObjectives) TheObjectives->OnEntityBuilt(entity);
    }
    void OnObjectReached(Entity* entity) override
    {
        if (TheObjectives) TheObjectives->OnObjectReached(entity);
    }
    // The events that wait for a first enemy are checked at their next look.
    void OnEnemyDiscovered(Entity*) override
    {
        if (TheEvents) TheEvents->enemyDiscovered = true;
    }
};

GameMissionHooks MissionListener;

}  // namespace

void InstallMissionHooks()
{
    TheMissionHooks = &MissionListener;
}

EventCondition::EventCondition() : type(0), value(0), cachedObjective(nullptr)
{
    CopyText(name, sizeof name, "none");
}

EventAction::EventAction() : type(0), values{0, 0}
{
    CopyText(giver, sizeof giver, "none");
    CopyText(text, sizeof text, "none");
}

MissionEvent::MissionEvent()
    : flags(MISSION_EVENT_ENABLED), conditions{}, conditionCount(0), actions{}, actionCount(0), objectives{},
      objectiveCount(0)
{
    CopyText(name, sizeof name, "none");
}

MissionEvent::~MissionEvent()
{
    for (int i = 0; i < conditionCount; ++i) delete conditions[i];
    for (int i = 0; i < actionCount; ++i) delete actions[i];
}

EventCondition* MissionEvent::AddCondition(int type, const char* conditionName, int value)
{
    if (conditionCount >= MAX_SLOTS) return nullptr;
    EventCondition* condition = new EventCondition();
    condition->type = type;
    CopyText(condition->name, sizeof condition->name, conditionName ? conditionName : "none");
    condition->value = value;
    conditions[conditionCount++] = condition;
    return condition;
}

EventAction* MissionEvent::AddAction(int type, const char* giver, const char* text)
{
    if (actionCount >= MAX_SLOTS) return nullptr;
    EventAction* action = new EventAction();
    action->type = type;
    CopyText(action->giver, sizeof action->giver, giver ? giver : "none");
    CopyText(action->text, sizeof action->text, text ? text : "none");
    actions[actionCount++] = action;
    return action;
}

bool MissionEvent::AddObjective(Objective* objective)
{
    if (!objective || objectiveCount >= MAX_SLOTS) return false;
    objectives[objectiveCount++] = objective;
    return true;
}

int MissionEvent::CheckConditions()
{
    // An agent discovered here is marked only when the event fires: marking it while a later
    // condition still fails would leave an event that can never fire.
    Agent* discovered[MAX_SLOTS];
    int discoveredCount = 0;
    for (int i = 0; i < conditionCount; ++i) {
        EventCondition* condition = conditions[i];
        bool holds = true;
        switch (condition->type) {
        case CONDITION_START_GAME:
            if (MissionTime > 1.0f) return EVENT_TOO_LATE;
            break;
        case CONDITION_OBJECTIVES_COMPLETE:
            holds = !TheObjectives || TheObjectives->AllComplete();
            break;
        case CONDITION_IS_OBJECTIVE_COMPLETE: {
            if (!condition->cachedObjective && TheObjectives)
                condition->cachedObjective = TheObjectives->FindByName(0, condition->name);
            const Objective* objective = condition->cachedObjective;
            holds = objective && (objective->flags & OBJECTIVE_DONE) && TheObjectives && !TheObjectives->AllComplete();
            break;
        }
        case CONDITION_DISCOVER_ENTITY: {
            Entity* entity = Lookup(condition, ENTITY_OBJECT_OF_INTEREST);
            holds = entity && entity->discovered && entity->FogLetsSee();
            if (holds && (entity->flags & ENTITY_AGENT)) {
                Agent* agent = static_cast<Agent*>(entity);
                holds = !(agent->classWord & AGENT_DISCOVERED);
                if (holds) discovered[discoveredCount++] = agent;
            }
            break;
        }
        case CONDITION_DISCOVER_ENEMY:
            holds = TheEvents && TheEvents->enemyDiscovered;
            break;
        case CONDITION_DISCOVER_ORE:
            holds = TheEvents && TheEvents->oreDiscovered;
            break;
        case CONDITION_GAME_TIME:
            holds = MissionTime >= (float)condition->value;
            break;
        case CONDITION_LOW_HEALTH: {
            Entity* entity = Lookup(condition, 0);
            holds = entity && entity->GetHealth() <= 0.1f * entity->GetMaxHealth();
            break;
        }
        default:
            break;
        }
        if (!holds) return EVENT_WAIT;
    }
    for (int i = 0; i < discoveredCount; ++i) discovered[i]->classWord |= AGENT_DISCOVERED;
    return EVENT_FIRE;
}

void MissionEvent::RunActions()
{
    for (int i = 0; i < actionCount; ++i) {
        const EventAction* action = actions[i];
        switch (action->type) {
        case ACTION_SHOW_DIALOG:
            ShowMessage(action, false);
            break;
        case ACTION_END_GAME:
            if (strcmp(action->text, "none") == 0 || !ShowMessage(action, true)) break;
            TheScreenHooks->ClearPopups();
            break;
        case ACTION_SHOW_DIALOG_THEN_WARP:
            if (!ShowMessage(action, false)) break;
            if (TheEvents) TheEvents->QueueWarp();
            break;
        case ACTION_WARP_OUT:
            EventManager::WarpOut();
            break;
        default:
            break;
        }
    }
}

EventManager::EventManager()
{
    list.Init(MAX_EVENTS);
    Clear();
}

EventManager::~EventManager()
{
    Clear();
}

bool EventManager::Add(MissionEvent* event)
{
    if (!event) return false;
    if (!list.PushBack(event)) {
        Log("WARNING: more than %d mission events; '%s' is left out\n", MAX_EVENTS, event->name);
        return false;
    }
    return true;
}

void EventManager::Clear()
{
    // The catalogue's events belong to their mission record, which plays them again next time.
    for (auto* node = list.head; node; node = node->next)
        if (node->value->flags & MISSION_EVENT_OWNED) delete node->value;
    list.Clear();
    retired.clear();
    accumulator = 0.0f;
    enemyDiscovered = false;
    oreDiscovered = false;
}

MissionEvent* EventManager::FindByConditionType(int type) const
{
    for (auto* node = list.head; node; node = node->next) {
        MissionEvent* event = node->value;
        for (int i = 0; i < event->conditionCount; ++i)
            if (event->conditions[i]->type == type) return event;
    }
    return nullptr;
}

void EventManager::Update(bool force)
{
    // A check asked between ticks (a health set while the level loads) counts no time.
    if (WorldTicks.inTick && !GamePaused) accumulator += WorldStep();
    if (!force && accumulator < interval) return;
    accumulator = 0.0f;
    for (auto* node = list.head; node;) {
        MissionEvent* event = node->value;
        node = node->next;
        if (!(event->flags & MISSION_EVENT_ENABLED)) continue;
        int result = event->CheckConditions();
        if (result == EVENT_FIRE) {
            event->RunActions();
            for (int i = 0; i < event->objectiveCount; ++i)
                if (event->objectives[i]) event->objectives[i]->flags |= OBJECTIVE_ACTIVE;
        }
        if (result == EVENT_WAIT) continue;
        // The actions may have put a new event at the head: the event is unlinked by value.
        list.Remove(event);
        retired.emplace_back(event->name);
        if (event->flags & MISSION_EVENT_OWNED) delete event;
    }
}

void EventManager::Retire(const char* name)
{
    if (!name) return;
    for (auto* node = list.head; node; node = node->next) {
        MissionEvent* event = node->value;
        if (strcmp(event->name, name) != 0) continue;
        list.Remove(event);
        retired.emplace_back(event->name);
        if (event->flags & MISSION_EVENT_OWNED) delete event;
        return;
    }
}

bool EventManager::QueueWarp()
{
    if (list.IsFull()) {
        Log("WARNING: more than %d mission events; the warp is left out\n", MAX_EVENTS);
        return false;
    }
    MissionEvent* warp = new MissionEvent();
    CopyText(warp->name, sizeof warp->name, "event_warp");
    warp->flags = MISSION_EVENT_ENABLED | MISSION_EVENT_OWNED;
    warp->AddCondition(CONDITION_WARP, "none", 0);
    warp->AddAction(ACTION_WARP_OUT, "none", "none");
    // At the head: the pass that queued it has gone past, so it fires at the next check.
    list.InsertAfter(nullptr, warp);
    return true;
}

void EventManager::WarpOut()
{
    Entity* trader = TheScene.FindEntityByName(WARP_TRADER, 0, 0);
    if (!trader) return;
    Vec3 centre = trader->GetCenter();
    trader->health = 0.0f;
    trader->flags |= ENTITY_DEAD;
    trader->EndOwnedEffects();
    if (trader->flags & ENTITY_SELECTION) {
        trader->flags &= ~ENTITY_SELECTION;
        trader->OnDeselect();
    }
    trader->LeaveGridCell();
    if (TheScene.particles) {
        if (ParticleSystem* warp = TheScene.particles->SpawnSystem("warp")) warp->offset = centre;
    }
    bool seen = !Frustum || Frustum->ClassifyBox(centre - Vec3(3.0f, 3.0f, 3.0f), centre + Vec3(3.0f, 3.0f, 3.0f)) != 0;
    if (seen && SoundMgr) SoundMgr->PlaySound("warp");
}
