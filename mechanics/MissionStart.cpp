#include "mechanics/MissionStart.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "levelgen/MissionObjects.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Replay.h"
#include "mechanics/ReplayFile.h"
#include "mechanics/Scene.h"
#include "world/MissionHooks.h"
#include "platform/Hotkeys.h"
#include "platform/RandomUtil.h"
#include "render/IndexedMesh.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"

void MakeMissionWorld()
{
    if (!TheObjectives) TheObjectives = new Objectives();
    if (!TheEvents) TheEvents = new EventManager();
    InstallMissionHooks();
    if (!TheGalaxy) TheGalaxy = new Galaxy();
    if (!TheMissionObjects) {
        TheMissionObjects = new MissionObjects();
        TheMissionObjects->EnsureLoaded();
    }
}

void FreeMissionWorld()
{
    TheMissionHooks = nullptr;
    delete TheMissionObjects;
    TheMissionObjects = nullptr;
    delete TheGalaxy;
    TheGalaxy = nullptr;
    delete TheObjectives;
    TheObjectives = nullptr;
    delete TheEvents;
    TheEvents = nullptr;
}

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

CelestialBody* SelectReplayBody(const ReplayHeader& h)
{
    if (h.missionKind != REPLAY_GALAXY_BODY || !TheGalaxy) return nullptr;
    PlayerProfile* profile = GetPlayerProfile();
    if (TheGalaxy->count < 1) profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
    CelestialBody* body = TheGalaxy->FindBodyByMissionId(h.missionId);
    // The level is the one it was played on, whatever seed the body carries now.
    if (body && h.seed >= 0) body->levelSeed = h.seed;
    TheGalaxy->selectedBody = body;
    return body;
}

void FreeGameWorld()
{
    TheMinimap.Release();
    TheScanEffects.Release();
    TheTerrain.Free();
    delete TheGame;
    TheGame = nullptr;
    ClearCommandRegistry();
    TheScene.ReleaseEffectManager();
    TheScene.ReleaseParticleManager();
    TheScene.ReleaseLibraries();
    ReleaseMeshVertexDeclaration();
}

void StartNamedMission(const ReplayHeader& h)
{
    if (h.missionKind == REPLAY_GALAXY_BODY && TheGalaxy) {
        CelestialBody* body = SelectReplayBody(h);
        if (MissionRecord* record = body ? TheGalaxy->TakeSelectedMission() : nullptr) {
            StartMissionLevel(record->levelSeed, h.restore == 0 ? 0 : 1);
            return;
        }
        Log("WARNING: the replay's mission %d is not in its galaxy\n", (int)h.missionId);
    } else if (h.missionKind == REPLAY_GALAXY_BODY) {
        Log("WARNING: the replay's mission %d is a galaxy's, and there is no galaxy\n", (int)h.missionId);
    }
    if (TheGalaxy) TheGalaxy->selectedBody = nullptr;
    MissionCatalogue::scratchActive = false;
    MissionCatalogue::selectedIndex = h.missionKind == REPLAY_STORY ? h.missionId : -1;
    StartMissionLevel(h.seed, h.restore);
}
