#include "world/AgentTypeRegistry.h"

#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "platform/StringTable.h"
#include "world/Agent.h"

#include <cstring>
#include <new>

int NextAgentTypeId = 0;

AgentType::AgentType()
{
    CopyText(name, sizeof name, "none");
    CopyText(iconPath, sizeof iconPath, "data/gui/black.dds");
    longDescription = GameText("<none>");
    shortDescription = GameText("<none>");
    prototype = nullptr;
    iconTexture = nullptr;
    iconCell = -1;
    typeId = NextAgentTypeId++;
    portraitCamera[0] = 1.0f;
    portraitCamera[1] = 0.0f;
    flags = 0;
    reserved[0] = 100;
    reserved[1] = reserved[2] = 0;
    for (AgentTypeAttachment*& record : attachments) record = nullptr;
    attachmentCount = 0;
    buyCost = 100;
    buyLevel = 0;
    oreCost = 0;
    fuelCost = 0;
    reservedWord = 0;
    buildTime = 10.0f;
    powerResource = 0;
    creditsResource = 0;
    colourMode = 0;
    particleSystem[0] = 0;
    for (int i = 0; i < 3; ++i) particleOffset[i] = shootOffset[i] = 0.0f;
    CopyText(selectedSound, sizeof selectedSound, "none");
    producer = nullptr;
}

AgentType::~AgentType()
{
    for (AgentTypeAttachment* record : attachments) delete record;
}

AgentTypeAttachment* AgentType::AddAttachment(const char* mesh, const char* bone)
{
    if (attachmentCount >= AGENT_TYPE_ATTACHMENTS) return nullptr;
    AgentTypeAttachment* record = new (std::nothrow) AgentTypeAttachment();
    if (!record) return nullptr;
    CopyText(record->mesh, sizeof record->mesh, mesh ? mesh : "");
    CopyText(record->bone, sizeof record->bone, bone ? bone : "");
    attachments[attachmentCount++] = record;
    return record;
}

AgentTypeRegistry::AgentTypeRegistry()
{
    types.Init(MAX_AGENT_TYPES);
    prototypes.Init(MAX_AGENT_TYPES);
    pool_.Init(AGENT_POOL_SIZE);
    agents_ = new (std::nothrow) Agent[AGENT_POOL_SIZE];
    if (!agents_) {
        Log("ERROR AgentTypeRegistry: no memory for the agent pool\n");
        return;
    }
    for (int i = 0; i < AGENT_POOL_SIZE; ++i) pool_.PushBack(&agents_[i]);
}

AgentTypeRegistry::~AgentTypeRegistry()
{
    for (PooledList<AgentType*>::Node* node = types.head; node; node = node->next) delete node->value;
    delete[] agents_;
}

AgentType* AgentTypeRegistry::DefineType(Agent* prototype, const char* name)
{
    if (!prototype || !name || types.IsFull()) return nullptr;
    AgentType* type = new (std::nothrow) AgentType();
    if (!type) return nullptr;
    CopyText(type->name, sizeof type->name, name);
    type->prototype = prototype;
    types.PushBack(type);
    if (prototype->flags & ENTITY_AGENT) prototype->agentType = type;
    return type;
}

AgentType* AgentTypeRegistry::FindType(const char* name) const
{
    if (!name) return nullptr;
    for (PooledList<AgentType*>::Node* node = types.head; node; node = node->next)
        if (strcmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

AgentType* AgentTypeRegistry::FindTypeFor(Agent* agent) const
{
    if (!agent) return nullptr;
    if (!agent->agentType) agent->agentType = FindType(agent->name);
    return agent->agentType;
}

Agent* AgentTypeRegistry::FindPrototype(const char* name) const
{
    if (!name) return nullptr;
    for (PooledList<Agent*>::Node* node = prototypes.head; node; node = node->next)
        if (StrICmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

Agent* AgentTypeRegistry::TakeFreeAgent()
{
    PooledList<Agent*>::Node* first = pool_.head;
    if (!first) {
        Log("ERROR AgentTypeRegistry: all %d agents are in use\n", AGENT_POOL_SIZE);
        return nullptr;
    }
    Agent* agent = first->value;
    pool_.Unlink(nullptr, first);
    // Numbered as it comes out, among what the level makes in its order: the number it took
    // going back belongs to whenever that was, maybe a level before.
    WORLD_CHANGE("an entity made or numbered");
    agent->id = NextEntityId++;
    return agent;
}

bool AgentTypeRegistry::IsPoolAgent(const Agent* agent) const
{
    return agents_ && agent >= agents_ && agent < agents_ + AGENT_POOL_SIZE;
}

bool AgentTypeRegistry::ReturnAgent(Agent* agent)
{
    if (!agent) return false;
    if (!IsPoolAgent(agent)) {
        Log("ERROR AgentTypeRegistry: %s is not an agent of the pool\n", agent->name);
        return false;
    }
    for (PooledList<Agent*>::Node* node = pool_.head; node; node = node->next)
        if (node->value == agent) return false;
    // The whole agent is reset, the entity part with it: it takes a new id, so nothing that
    // still holds the old one can reach whoever it becomes next.
    agent->Reset();
    return pool_.PushBack(agent);
}

void AgentTypeRegistry::SetPlayerTypesBit4()
{
    for (PooledList<AgentType*>::Node* node = types.head; node; node = node->next)
        if (node->value->prototype && node->value->prototype->alignment == ALIGN_PLAYER)
            node->value->flags |= AGENT_TYPE_OWNED;
}

void AgentTypeRegistry::ClearPlayerTypesBit4()
{
    for (PooledList<AgentType*>::Node* node = types.head; node; node = node->next)
        if (node->value->prototype && node->value->prototype->alignment == ALIGN_PLAYER)
            node->value->flags &= ~AGENT_TYPE_OWNED;
}
