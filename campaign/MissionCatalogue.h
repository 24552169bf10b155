#pragma once
// The mission catalogue: the story missions read from data/scripts/missions.cgs, the scratch
// record of the random mission in play, and which of them is current. The level's making and
// the world read the current mission (its level, objectives and hints) from here; the mission
// screen, the galaxy and the results show and choose what it holds.
#include "campaign/MissionRecord.h"

class MissionCatalogue {
public:
    static constexpr int MAX_MISSIONS = 64;

    // Reads the mission catalogue (data/scripts/missions.cgs for null) after the missions
    // already read; false (logged) when the file cannot be opened, and the catalogue stays.
    static bool LoadMissions(const char* path);
    // The scratch record while a random mission is current, else the selected catalogue
    // mission, else null.
    static MissionRecord* GetCurrentMission();
    // Empties the scratch record, fills in a random mission's defaults and makes it current.
    static MissionRecord* InitRandomMission();
    // Frees every record's objectives and events and empties the catalogue (tests, shutdown).
    static void ClearMissions();

    static bool catalogueRead;
    // The story missions in catalogue order (MAX_MISSIONS records once the first load ran).
    static MissionRecord* missions;
    static int missionCount;
    static int selectedIndex;
    // The random mission in play, current while scratchActive is set.
    static MissionRecord scratch;
    static bool scratchActive;
};
