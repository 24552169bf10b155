#pragma once
// The rig catalogue: the parts the player's rig is assembled from (chassis with their body and
// canopy, pilots), read from data/scripts/rigs.cgs, and the current player profile. A part is
// an entity used only to hold a mesh; the catalogue owns its parts and its profiles, and keeps
// the textures of the parts the rig does not wear unloaded.
#include "platform/PooledList.h"
#include "world/Entity.h"

#include <cstdint>

class PlayerProfile;

constexpr const char* RIGS_SCRIPT = "data/scripts/rigs.cgs";
constexpr int RIG_CATALOG_PARTS = 16;
constexpr int RIG_EARLIER_PROFILES = 4;

// A mesh holder: its name and a mesh of the mesh library (which keeps the mesh).
class RigPart : public Entity {
public:
    RigPart(const char* partName, IndexedMesh* partMesh);
};

struct ChassisRecord {
    RigPart* chassis = nullptr;
    RigPart* body = nullptr;    // none until the script adds one
    RigPart* canopy = nullptr;  // likewise
    uint32_t iconWord = 0;      // columns, rows, column, row of its cell in the icon sheet
    int values[2] = {1, 1};
};

class RigCatalog {
public:
    RigCatalog();
    ~RigCatalog();
    RigCatalog(const RigCatalog&) = delete;
    RigCatalog& operator=(const RigCatalog&) = delete;

    // Reads the rigs and makes a new start-up profile with the default rig current.
    void Init();
    // Reads a rigs script (null: the game's) in place of the parts held now. False when it
    // cannot be opened; the catalogue is then empty.
    bool Load(const char* path = nullptr);
    // By name, without regard to case; null when there is none.
    ChassisRecord* FindChassis(const char* name) const;
    RigPart* FindPilot(const char* name) const;
    // The one after, wrapping to the first; null for one not in the list.
    ChassisRecord* NextChassis(const ChassisRecord* record) const;
    RigPart* NextPilot(const RigPart* pilot) const;
    // Brings back the textures of every part (all, or no current profile) or only of the
    // parts the current rig wears.
    void RestoreRigTextures(bool all);
    // Unloads the textures of every part the current rig does not wear.
    void ReleaseRigTextures();
    // Makes a new profile current; the one it replaces is kept among the earlier profiles while
    // there is room, and freed otherwise.
    void SetCurrentProfile(PlayerProfile* profile);

    PlayerProfile* earlierProfiles[RIG_EARLIER_PROFILES] = {};
    int earlierCount = 0;
    PlayerProfile* currentProfile = nullptr;
    PooledList<ChassisRecord*> chassisList;
    PooledList<RigPart*> pilotList;

private:
    void ClearParts();
};

// The game's rig catalogue; null until the game makes it.
extern RigCatalog* TheRigCatalog;
