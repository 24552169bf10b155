#pragma once
// The player's persistent record, one file per player in the profiles folder. So far only
// which profile is loaded is kept; the profile file's contents (level, experience, credits,
// skills, statistics, rig) come with the campaign.
#include <cstdint>

class PlayerProfile {
public:
    // Loads a profile file into the game's profile; false (logged) when it cannot be opened,
    // and the profile stays as it was.
    bool Load(const char* path, bool makeCurrent, bool extra);
    // Adds ore or fuel (a negative amount pays); the stock never falls below 0, and what is
    // gained counts towards the mission's total.
    void AddOre(float amount);
    void AddFuel(float amount);

    char name[64] = "";
    char path[512] = "";
    int level = 0;
    // How many journal entries the player has found (the story told so far).
    int backstoryCount = 0;
    // Credits to spend in the shop.
    int credits = 0;
    // Unit control: how many bots the player may command now, what a mission starts with, the
    // upper bound (the configuration's), and how many are in use. The Scene recounts the first
    // and the last every playing frame.
    int unitControl = 2;
    int baseUnitControl = 2;
    int maxUnitControl = 50;
    int unitsInUse = 0;
    // The player's stock, and the mission time a loaded save goes on from (0 otherwise).
    float ore = 0.0f;
    float fuel = 0.0f;
    float oreGained = 0.0f;  // in the whole mission
    float fuelGained = 0.0f;
    float missionTime = 0.0f;
    bool loaded = false;

    // The completed missions by mission id (ids 0..127).
    bool IsMissionCompleted(int id) const;
    void SetMissionCompleted(int id, bool on);
    void ClearCompletedMissions();
    uint32_t completedMissions[4] = {};
};

// The current profile.
PlayerProfile* GetPlayerProfile();
