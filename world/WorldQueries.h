#pragma once
// Searches of the Scene and small operations on buildings and ore shared by the job steps,
// the buildings, the orders and the scan ring: the nearest building of a kind, the nearest
// revealed ore, the research level, the power links between buildings, the ore scan and
// enrichment, the miner's hopper meshes and the version text. None of them starts a walk of
// the Scene: they may run inside one.
#include "host/Maths.h"

#include <cstdint>

class Building;
class Entity;
class IndexedMesh;

// A placed mission object's own mesh (a tablet, a relic, a cannon to mend): static, and of
// interest while its objective is open.
bool IsMissionObject(const Entity* entity);
// Whether a resource entity is ore that miners dig and scans reveal.
bool IsOreNode(const Entity* entity);
// The nearest live, finished building (not a placement preview) whose build item shares a
// flag with flags: the player's buildings, or with BUILD_SPAWNPOINT among flags the camps'
// and the neutral ones. None when the nearest lies farther than the maximum; of buildings at
// the same distance the first found.
Building* FindNearestBuilding(uint32_t flags, const Vec3& from, float maximumDistance);
// The nearest revealed ore node with ore left; none beyond the maximum.
Entity* FindOreNode(const Vec3& from, float maximumDistance);
// The best level of the player's finished research computers of that kind; 0 while the base
// lacks power.
int GetBestResearchLevel(int kind);

// A building that feeds power to the buildings around it.
bool IsPowerSource(const Entity* entity);
// A player building (not a resource building itself) takes the highest level among the live
// power sources on the ring of cells around it as its power level; the level.
int UpdatePowerLevel(Building* building);
// Every building around a power source takes its power level again.
void RefreshPowerNeighbours(Entity* source);
// 0..3.
int GetPowerLevel(const Entity* entity);

// Every ore node not yet revealed within radius of the centre is revealed: it shows its stage
// for its ore left and a scan flash in the colour of its grade, and the mission's events hear
// that ore was discovered.
void ScanPulse(const Vec3& centre, float radius);
// A revealed node below grade 2 goes up one grade (its stages take the grade's colour, with a
// flash and a sound); false, with nothing changed, otherwise.
bool EnrichOreNode(Entity* node);
// A miner's hopper mesh: by name ("hopper_full", "hopper_half", else the empty one) or, with
// no name, by stage 0 empty, 1 half, 2 full. None when the primitive is missing.
IndexedMesh* GetHopperMesh(const char* name, int stage = 0);
// The program's version, shown on the title screen.
const char* GetVersionString();
