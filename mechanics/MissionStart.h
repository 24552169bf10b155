#pragma once
// A mission's level started: the world's part of it, whichever screen (or replay) chose it.
struct CelestialBody;
struct ReplayHeader;

// What the missions are played with, made once before the first and freed at the end: the
// running mission's objectives and events (with the world's line to them), the galaxy whose
// bodies carry the missions, and what the level's making places at a mission's sites. What is
// there already is kept.
void MakeMissionWorld();
// The galaxy's screen parts are the screen's to release before this.
void FreeMissionWorld();

// The current mission's level is to be made at the next update, from that seed (a body's level
// seed gives its level again; -1 goes on from the clock's seed, a new level at every start)
// and, with restore, going on from a saved level. The game's random sequences start over, so
// that nothing played before changes this level; the level is recorded from here.
void StartMissionLevel(int seed, int restore);
// The mission a replay names, started with the seed it was played with, without a screen: the
// mission of a galaxy's body (the galaxy made from the profile's seed), a story mission of the
// catalogue, or a level of no mission. Without a galaxy a body's level is played as one of no
// mission.
void StartNamedMission(const ReplayHeader& header);
// The galaxy's body a replay of a body's mission names, selected, with the level seed it was
// played with (the galaxy made from the profile's seed first when there is none yet); null,
// nothing selected, when the replay names no body or the galaxy has none of its mission.
CelestialBody* SelectReplayBody(const ReplayHeader& header);
// What the world holds between levels, freed: the level's ground, the minimap's targets and the
// scan ring (each holding objects of the device when there is one), the game object, the
// commands, the particles and effects, and the mesh and animation libraries.
void FreeGameWorld();
