#pragma once
// Unit types and the agent pool. A unit type is an AgentType record (what the interface and the
// economy need: name, icon, costs, build time, attachments) with a prototype agent fully set up
// from the unit script. The registry holds the types, their prototypes and a pool of 200 agents
// made once: prototypes and every live agent of a level are taken from it, and a removed agent
// goes back to it (the Scene's factory and removal do both, mechanics/Scene.h).
//
// A returned agent is reset whole, so it comes back with a new id: whoever still holds it by an
// EntityRef finds nothing, and the pool hands agents out oldest-returned first.
#include "platform/PooledList.h"

#include <cstdint>

class Agent;
class BuildItem;
class ItemList;
struct TextureRecord;

constexpr int MAX_AGENT_TYPES = 64;
constexpr int AGENT_POOL_SIZE = 200;
constexpr int AGENT_TYPE_ATTACHMENTS = 8;
constexpr const char* UNITS_SCRIPT = "data/scripts/units.cgs";

// AgentType::flags
constexpr uint32_t AGENT_TYPE_PARTICLES = 0x2;
constexpr uint32_t AGENT_TYPE_OWNED = 0x4;  // the player owns the type: its factories may make it

// A mesh the type hangs on a bone of every agent made from it.
struct AgentTypeAttachment {
    char mesh[128];
    char bone[64];
    char idleAnimation[128];
    int reserved;
};

class AgentType {
public:
    AgentType();
    ~AgentType();
    AgentType(const AgentType&) = delete;
    AgentType& operator=(const AgentType&) = delete;

    // A new attachment record; null when the type has its 8.
    AgentTypeAttachment* AddAttachment(const char* mesh, const char* bone);

    char name[128];
    char iconPath[128];
    const char* longDescription;
    const char* shortDescription;
    Agent* prototype;
    TextureRecord* iconTexture;
    int32_t iconCell;
    int typeId;
    float portraitCamera[2];
    uint32_t flags;
    int reserved[3];
    AgentTypeAttachment* attachments[AGENT_TYPE_ATTACHMENTS];
    int attachmentCount;
    int buyCost;
    int buyLevel;
    int oreCost;
    int fuelCost;
    int reservedWord;
    float buildTime;
    int powerResource;
    int creditsResource;
    int colourMode;
    char particleSystem[128];
    float particleOffset[3];
    float shootOffset[3];
    char selectedSound[64];
    BuildItem* producer;  // the building that makes the type, or none
};

// The number the next type takes.
extern int NextAgentTypeId;

class AgentTypeRegistry {
public:
    // Empty lists and the pool of 200 agents.
    AgentTypeRegistry();
    // Frees the types and every agent of the pool, wherever they are: the Scene must have let
    // go of its agents first.
    ~AgentTypeRegistry();
    AgentTypeRegistry(const AgentTypeRegistry&) = delete;
    AgentTypeRegistry& operator=(const AgentTypeRegistry&) = delete;

    // A new type of that name and prototype (appended); the prototype caches it. Null when
    // either is missing or the type list is full.
    AgentType* DefineType(Agent* prototype, const char* name);
    // Exact name, case included.
    AgentType* FindType(const char* name) const;
    // The agent's cached type, else the type named exactly like the agent (then cached).
    AgentType* FindTypeFor(Agent* agent) const;
    // The first prototype whose name matches without regard to case.
    Agent* FindPrototype(const char* name) const;
    // Takes the agent that has waited longest in the pool; null (logged) when all 200 are out.
    Agent* TakeFreeAgent();
    // Gives an agent back: its own mesh is freed and it is reset whole (new id), then it waits
    // at the end of the pool. Agents not of this pool, or already in it, are refused (false).
    bool ReturnAgent(Agent* agent);
    // Sets or clears the owned bit of every type whose prototype belongs to the player.
    void SetPlayerTypesBit4();
    void ClearPlayerTypesBit4();

    // Reads a unit script (null: the game's) into the registry: each DefineAgent takes a
    // prototype from the pool and makes a type. Weapons are copied out of items, so the item
    // catalogue is read first. False when the script cannot be opened.
    bool LoadUnitTypes(const char* path = nullptr, const ItemList* items = nullptr);

    int FreeCount() const { return pool_.count; }
    bool IsPoolAgent(const Agent* agent) const;

    PooledList<AgentType*> types;
    PooledList<Agent*> prototypes;

private:
    Agent* agents_ = nullptr;  // all 200, wherever each one is
    PooledList<Agent*> pool_;
};
