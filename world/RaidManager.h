#pragma once
// The raid manager: on a timer set by the difficulty it sends a group of scavengers (from a
// dropship) or creatures (from a nest) against one of the player's power or drop-off
// buildings, or the rig, and leads the group along a short route: a river crossing when there
// is one between them, then the target. The raiders fight what they meet on the way (their
// brains take them into "Attack"); the group moves on only when all of them are idle again,
// and the raid ends when the group has gathered at the target or its last member has fallen.
// Its record is part of a saved game.
#include "host/Maths.h"

#include <cstdint>
#include <cstdio>

class SceneRecordInput;

constexpr int RAID_POINTS = 8;
// The raid timer before it is first set.
constexpr float RAID_TIMER_UNSET = -99.99f;

class AIManager {
public:
    // Everything as at the first level of a run: no raid, the timer unset, active.
    void Reset();
    // The same, keeping the route points: every level start.
    void ResetTimers();
    // Every frame of play with the frame time; evaluates twice a second.
    void Update(float dt);
    // The manager's lines of a scene file.
    void Save(FILE* file);
    // "AIManagerData" and "AIManagerPath"; false for any other keyword.
    bool ReadSceneRecord(const char* keyword, SceneRecordInput& in);
    // After a saved level is read: new raids take ids above every raider that came with it.
    void OnSceneLoaded();

    float tick = 0.5f;
    float elapsed = 0.0f;
    float raidTimer = RAID_TIMER_UNSET;
    int state = 0;  // 1 while a raid is under way
    int reserved = 0;
    Vec3 points[RAID_POINTS];
    int pointCount = 0;
    int raidId = 0;
    int launchSecond = 0;
    uint8_t active = 0;

private:
    void Launch(int minutes, int second, int difficulty, int playerLevel, int missionLevel, bool timerJustSet);
    void Lead();
    void EndRaid();
};

// The id of the next raid: it only grows while the program runs.
extern int NextRaidId;
// True when the game's generator draws an even number.
bool CoinFlip();
