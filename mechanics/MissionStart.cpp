#include "mechanics/MissionStart.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Replay.h"
#include "mechanics/ReplayFile.h"
#include "mechanics/Scene.h"
#include "platform/RandomUtil.h"

void StartMissionLevel(int seed, int restore)
{
    if (!TheGame) return;
    if (seed >= 0) SRand((unsigned)seed);
    ResetRandomMWC();
    TheGame->state = GAME_STATE_LOAD_PENDING;
    // A pause held before (the pause key works over the front end too) would stop the count
    // before the level, and the level.
    GamePaused = false;
    TheScene.KillAllParticles();
    // Every level played is recorded, however it started: what it is made from is taken now,
    // before the profile is made ready for it.
    TheReplay.OnMissionStart(seed, restore);
    GetPlayerProfile()->ResetForMission(200.0f, 0.0f, restore != 0);
}

void StartNamedMission(const ReplayHeader& h)
{
    if (h.missionKind == REPLAY_GALAXY_BODY)
        Log("WARNING: the replay's mission %d is a galaxy's, and there is no galaxy\n", (int)h.missionId);
    MissionCatalogue::scratchActive = false;
    MissionCatalogue::selectedIndex = h.missionKind == REPLAY_STORY ? h.missionId : -1;
    StartMissionLevel(h.seed, h.restore);
}
