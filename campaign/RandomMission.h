#pragma once
// Random missions: what a body without a story mission asks of the player (a faction, a
// category, a target and a count, drawn when its star system is generated), the record a
// started random mission becomes, and the objective line and briefing shown for it.
class CelestialBody;
struct MissionRecord;

// The category and faction decks of the generation: refilled with a fresh permutation for
// every star system; a draw takes the first entry and moves it to the end.
extern int CategoryDeck[6];
extern int FactionDeck[4];

// Draws the body's level seed and its random mission.
void GenerateMission(CelestialBody* body);
// Fills record (emptied first) with the body's random mission.
void BuildMissionRecord(const CelestialBody* body, MissionRecord* record);
// Writes the objective line and the briefing text of a random mission.
void BuildMissionBriefing(int faction, int category, const char* target, int count);
// The results of BuildMissionBriefing ("not-set" before the first call).
extern char MissionObjectiveText[256];
extern char MissionBriefingText[1024];

// The experience threshold of a level is the profile's (LevelThreshold, campaign/PlayerProfile.h).
int LevelThreshold(int level);
