#include "world/MissionHooks.h"

MissionHooks* TheMissionHooks = nullptr;

void NotifyHealthSet(Entity* entity)
{
    if (TheMissionHooks && entity) TheMissionHooks->OnHealthSet(entity);
}

void NotifyEntityDied(Entity* entity)
{
    if (TheMissionHooks && entity) TheMissionHooks->OnEntityDied(entity);
}

void NotifyEntityBuilt(Entity* entity)
{
    if (TheMissionHooks && entity) TheMissionHooks->OnEntityBuilt(entity);
}

void NotifyObjectReached(Entity* entity)
{
    if (TheMissionHooks && entity) TheMissionHooks->OnObjectReached(entity);
}

void NotifyEnemyDiscovered(Entity* entity)
{
    if (TheMissionHooks && entity) TheMissionHooks->OnEnemyDiscovered(entity);
}
