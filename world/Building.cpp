#include "world/Building.h"

#include "world/Agent.h"

#include <new>

Building::Building() : buildQueue(nullptr)
{
    ResetOwn();
}

Building::~Building()
{
    // The agents a spawn point made outlive it: they forget their owner.
    for (PooledList<Entity*>::Node* node = agents.head; node; node = node->next) {
        Agent* agent = node->value && (node->value->flags & ENTITY_AGENT) ? static_cast<Agent*>(node->value) : nullptr;
        if (agent && agent->spawner.entity == this) agent->spawner.Clear();
    }
    delete buildQueue;
}

void Building::Reset()
{
    Entity::Reset();
    ResetOwn();
}

void Building::ResetOwn()
{
    flags |= ENTITY_BUILDING;
    stateFlags = 0;
    buildState = BUILD_STATE_READY;
    definition = nullptr;
    actionTimer = 0.0f;
    buildProgress = 0.0f;
    ventTimer = 0.0f;
    researchTimer = 0.0f;
    researchKind = 0;
    recycleTimer = 0.0f;
    chosenUpgrades = 0;
    headAngle = 0.0f;
    phaseAngle = 0.0f;
    bobOffset = 0.0f;
    linkedEntity.Clear();
    attachedEntity.Clear();
    agents.Init(BUILDING_AGENT_NODES);
    spawnedTotal = 0;
    productionTimer = 0.0f;
    delete buildQueue;
    buildQueue = nullptr;
    rallyPoint = Vec3();
}

PooledList<AgentType*>* Building::EnsureBuildQueue()
{
    if (!buildQueue) {
        buildQueue = new (std::nothrow) PooledList<AgentType*>();
        if (buildQueue && !buildQueue->Init(BUILD_QUEUE_NODES)) {
            delete buildQueue;
            buildQueue = nullptr;
        }
    }
    return buildQueue;
}
