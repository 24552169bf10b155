#pragma once
// The scene lines of agents beyond those every entity has: what the scene reader hands on to
// the agents. The writer is Agent::SaveToScene.
#include <cstdio>
#include <string>

class Agent;
class Lexer;
class ProjectileSystem;
class Scene;

// Reads the values of one agent line (keyword already taken) into the agent the reader stands
// on (the rig's lines go to the rig of the scene). False when the keyword is not an agent's.
// A number written without a line break after it (older files) may carry the next keyword
// glued to its end: that keyword is handed back in glued, to be read next.
bool ReadAgentSceneRecord(const char* keyword, Lexer& in, Scene& scene, Agent* agent, std::string* glued);

// A rig saved while it built or repaired takes that job up again once the level stands and
// its building is linked: a mode without its job would be dropped at the next update.
void RestoreRigOrder(Agent* rig);

// The shots in the air as lines of a save, in the order they fly: "ShotProjectile",
// "ShotBeam" and "ShotMelee". The entities they join are named by the save's numbers, so the
// lines may stand before the entities' own; they are read by ReadAgentSceneRecord and flown
// on once the level stands.
void WriteShotsToScene(FILE* file, const ProjectileSystem& shots);
