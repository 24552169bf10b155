#pragma once
// What the job steps share beyond the task engine: the beam a working agent points at its
// target (one looping sound for every beam), the move order of a step (never queued), turning
// towards a target, and the player's stock, messages and floating texts as the steps reach them.
#include "host/Maths.h"

class Agent;
class Entity;

namespace WorkBeam {
// Stops the agent's beam, shows the named one from the agent along direction at full length at
// once, and plays the beam sound looping.
void Start(Agent* agent, const Vec3& direction, const char* name);
// Stops the beam and its sound.
void Stop(Agent* agent);
// Keeps the named beam on towards the target: started only when the agent has none or another.
void Keep(Agent* agent, Entity* target, const char* name);
}  // namespace WorkBeam

namespace StepSupport {
// Whether the cell of the position touches the entity. The position is taken to its grid
// point first: an agent that walked onto a corner stands there within float noise, and the
// noise must not put it into the cell beside.
bool IsBeside(const Vec3& position, Entity* entity, bool sameCellCounts);
// A step's move order: never queued; a waiting queue of points is dropped first.
void OrderMove(Agent* agent, const Vec3& target);
// The agent turns to face the point (in the ground plane).
void TurnToward(Agent* agent, const Vec3& point);
// Whether the point lies in the agent's forward cone of coneDegrees within range.
bool IsInFrontCone(const Agent* agent, const Vec3& point, float coneDegrees, float range);
// A line on the player's message bar for seconds (nothing without a bar).
void ShowMessage(const char* text, float seconds);
void PlaySound(const char* name);
// A particle system at a point, once.
void SpawnEffect(const char* name, const Vec3& at);
// A text floating up from a world point (through the fights' listener).
void FloatText(const char* text, const Vec3& at);
// The player's stock.
float PlayerOre();
float PlayerFuel();
void AddPlayerOre(float amount);
void AddPlayerFuel(float amount);
// A node with three stage meshes shows its second above half its health, its third below.
void ShowNodeStage(Entity* node);
}  // namespace StepSupport
