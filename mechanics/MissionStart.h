#pragma once
// A mission's level started: the world's part of it, whichever screen (or replay) chose it.
struct ReplayHeader;

// The current mission's level is to be made at the next update, from that seed (a body's level
// seed gives its level again; -1 goes on from the clock's seed, a new level at every start)
// and, with restore, going on from a saved level. The game's random sequences start over, so
// that nothing played before changes this level; the level is recorded from here.
void StartMissionLevel(int seed, int restore);
// The mission a replay names, started with the seed it was played with, without a screen: a
// story mission of the catalogue, or a level of no mission. A galaxy's body is the galaxy's to
// make again; without it its level is played as one of no mission.
void StartNamedMission(const ReplayHeader& header);
