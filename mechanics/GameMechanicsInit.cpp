// A level's start: the front end's one-time preparation, then, at every mission, the level
// made behind the loading screen in a fixed order (layout, heights and population first; the
// terrain, the water and the tile map on them; the fog of war, the weather and the camera
// last), with the fix-ups a saved game needs once everything stands.
#include "mechanics/GameMechanics.h"

#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "levelgen/Growth.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/RandomUtil.h"
#include "render/Animation.h"
#include "render/Camera.h"
#include "render/Font.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "world/Agent.h"
#include "world/AgentSceneRecords.h"
#include "world/Building.h"
#include "world/Entity.h"
#include "world/MissionHooks.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/RaidManager.h"

#include <cstring>
#include <vector>

namespace {

// The grid a level's terrain is built on.
constexpr int LEVEL_TERRAIN_SIZE = 128;
// How far the camera stands from the builder at a level's start.
constexpr float BUILDER_CAMERA_DISTANCE = 43.149677f;

// A weather or lava system over the whole level: it follows the view, not an emitter.
void SpawnLevelEffect(const char* name, uint32_t flag)
{
    ParticleManager* particles = TheScene.particles;
    ParticleSystem* system = particles ? particles->SpawnSystem(name) : nullptr;
    if (!system) {
        Log("WARNING: the level effect \"%s\" cannot be made\n", name);
        return;
    }
    system->flags = (system->flags & ~PARTICLE_TIMED) | flag;
}

void StartWeather()
{
    const Environment* environment = Environment::GetCurrent();
    if (!environment) return;
    if (Config && Config->weatherFX) SpawnWeather();
    // Lava glows whatever the weather setting.
    if (StrICmp(environment->name, "lava") == 0) SpawnLevelEffect("lava", PARTICLE_WATER);
}

// The level opens looking at the builder. A saved level's rig is looked at where it stands on
// the ground, not at the height its save gave it (its first frame sets it on the ground, and the
// next save writes that), so that a save opens on the same view at every load.
void LookAtBuilder(bool saved)
{
    Entity* builder = TheScene.FindEntityByName("builder", CATEGORY_ALL, 0);
    if (!builder) return;
    Vec3 centre = builder->GetPosition();
    if (saved && (builder->flags & ENTITY_AGENT) && !static_cast<Agent*>(builder)->IsAirUnit() && TheTerrain.created)
        centre.y = TheTerrain.GetHeight(centre);
    if (builder->mesh) centre.y += (builder->mesh->boundsMax.y - builder->mesh->boundsMin.y) * 0.5f * builder->scale;
    GameCamera.distance = BUILDER_CAMERA_DISTANCE;
    GameCamera.eye = centre - GameCamera.direction * BUILDER_CAMERA_DISTANCE;
    GameCamera.KeepInBounds();
}

}  // namespace

void SpawnWeather()
{
    const Environment* environment = Environment::GetCurrent();
    if (!environment) return;
    switch (environment->weatherType) {
    case 1:
        SpawnLevelEffect("snow", PARTICLE_WEATHER_FRONT);
        SpawnLevelEffect("snowblow", PARTICLE_GROUND_WEATHER);
        break;
    case 2:
        SpawnLevelEffect("mist", PARTICLE_GROUND_WEATHER);
        break;
    case 3:
        SpawnLevelEffect("dust", PARTICLE_GROUND_WEATHER);
        break;
    default:
        break;
    }
}

void StopWeather()
{
    ParticleManager* particles = TheScene.particles;
    if (!particles) return;
    for (auto* node = particles->active.head; node; node = node->next) {
        ParticleSystem* system = node->value;
        for (const char* name : {"snow", "snowblow", "mist", "dust"})
            if (system && StrICmp(system->name, name) == 0) system->flags |= PARTICLE_STOP;
    }
}

bool GameMechanics::Init()
{
    // The level is made here, outside any tick; once it stands, only ticks change it.
    const WorldChangeScope levelMade;
    if (!commandsRegistered) {
        RegisterGameCommands();
        commandsRegistered = true;
    }
    if (state != GAME_STATE_PLAYING) {
        // The start-up call: the front end is prepared.
        if (Config) AnimationPlay = Config->playanimation;
        if (!started) {
            LoadSoundScript("data/scripts/guisounds.cgs");
            LoadCatalogues();
            // The rigs after the unit types: a new profile's rig is a "Builder".
            if (!rigCatalog) {
                rigCatalog = new RigCatalog();
                TheRigCatalog = rigCatalog;
                rigCatalog->Init();
            }
            if (!aiManager) {
                aiManager = new AIManager();
                aiManager->Reset();
            }
            if (!CreateHud()) return false;
        }
        if (Config && !loadingFont) {
            float scale = Config->height / 768.0f;
            loadingFont = new Font("gui");
            loadingFont->Load(Config->fonts[FONT_LARGE].face, (int)(Config->fonts[FONT_LARGE].size * scale) + 1, 0);
            logoFont = new Font("gui");
            logoFont->Load(Config->fonts[FONT_LARGE].face, (int)(Config->fonts[FONT_LARGE].size * 2.5f * scale) + 1, 1);
            logoFont->SetShadow(true);
            logoFont->SetSize(2, 2);
        }
        if (state != GAME_STATE_PLAYING) return true;
    }

    if (!started) {
        // The first level of the run loads what every later one shares.
        GameCamera.SetMode(Camera::MODE_ORBIT);
        CreateCatalogues();
        if (!TheGrowthDB) {
            growth = new GrowthDB();
            TheGrowthDB = growth;
        }
        if (TheMeshLibrary) {
            ShowLoadingScreen("Loading Meshes", 0.27f, true);
            TheMeshLibrary->LoadAll();
            ShowLoadingScreen("Loading Anims", 0.5f, true);
            TheMeshLibrary->LoadPendingAnimations();
        }
    }

    // The objectives and events hear nothing of the level until it stands.
    MissionHooksMuted making;
    ShowLoadingScreen("LevelInit", 0.6f, true);
    TheReplay.OnLevelBuild();
    // The developer's instant building and fog switch are the level's own: each level starts
    // without the one and with the other, as its replay starts, whatever the level before left.
    InstantBuild = false;
    TheMinimap.SetFogEnabled(true);
    bool result = StartLevel();

    ShowLoadingScreen("Generating terrain", 0.7f, true);
    // Decoration splats keep off the level's features.
    if (TheMapGenerator && !TheMapGenerator->kinds.empty()) TheTerrain.mapCells = TheMapGenerator->kinds.data();
    TheTerrain.Create(LEVEL_TERRAIN_SIZE, LEVEL_TERRAIN_SIZE);

    TheTerrain.waterSet = nullptr;
    if (TheScene.sceneFlags & SCENE_HAS_WATER) {
        ShowLoadingScreen("Making Rivers", 0.75f, true);
        if (!water) water = new WaterSet();
        water->Build(TheTerrain);
        water->BuildZones();
        TheTerrain.waterSet = water;
    }

    ShowLoadingScreen("Updating heights", 0.8f, true);
    TheScene.DropToTerrain();
    TheScene.ConformEntitiesToTerrain();

    ShowLoadingScreen("Updating grid", 0.85f, true);
    BuildTileMap();

    ShowLoadingScreen("Generating textures", 0.9f, true);
    TheMinimap.CreateFogOfWar();
    if (levelNamed) TheMinimap.LoadVisited(levelName);
    if (TheGrowthDB) TheGrowthDB->RegrowAll();
    PathFinder::InitNodePool();
    levelCounter = 0;
    if (!pathPool) pathPool = new PathPool();
    if (!projectiles) {
        projectiles = new ProjectileSystem();
        projectiles->Init();
    }
    projectiles->LoadResources();
    TheProjectiles = projectiles;
    // The scan's ring is made now, not at the first scan, which would stall while its effect
    // compiles and its texture loads.
    TheScanEffects.BuildRingMesh();
    TheScanEffects.Clear();

    StartWeather();

    ShowLoadingScreen("Generating gui", 0.9f, true);
    CreateHud();
    TheSplats = splats;
    if (TheScreenHooks) TheScreenHooks->ShowObjectives(true);

    GameCamera.Update(0.0f);
    // A saved level opens on the view it was saved with.
    if (!(TheScene.sceneFlags & SCENE_CAMERA_PLACED)) LookAtBuilder(levelNamed);
    if (Input.mouse && Config) {
        Input.mouse->cursorX = (int)(Config->width * 0.5f);
        Input.mouse->cursorY = (int)(Config->height * 0.5f);
    }
    started = true;
    TheScene.firstFrame = true;
    TheScene.rigLostAfterWin = false;
    if (TheScreenHooks) TheScreenHooks->StampLevel();
    // A saved level goes on with the sequences and the clock it was saved with, not with those
    // the making of it left: drawn from after, the level is the one the save was made of.
    SavedWorldState& saved = TheScene.savedWorld;
    if (saved.read) {
        SRand(saved.levelSequence);
        MwcGenerator program;
        program.z = saved.programZ;
        program.w = saved.programW;
        SetRandomMWCState(program);
        if (PlayerProfile* profile = GetPlayerProfile()) profile->missionTime = saved.missionTime;
        // What was read is settled now, as it stood settled in the game that saved it: on
        // its ground, in its cells, and no longer waiting for a first update.
        std::vector<Entity*> read;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) read.push_back(e);
        TheScene.EndIteration();
        for (Entity* e : read) e->Settle();
        // Then what each of them was doing, to the bit, over what settling made of it.
        TheScene.PutBackSavedStates();
    }
    TheScene.ForgetSavedStates();
    saved = SavedWorldState();
    ClearLevelName();
    SealWorld(true);
    return result;
}

MapGenerator* GameMechanics::CreateMapGenerator()
{
    if (!TheMapGenerator) {
        if (!mapGenerator) mapGenerator = new MapGenerator();
        TheMapGenerator = mapGenerator;
    }
    return TheMapGenerator;
}

bool GameMechanics::StartLevel()
{
    if (StrICmp(levelName, "none") == 0 && Config) CopyText(levelName, sizeof levelName, Config->scenefile);
    if (!InitGeometry(levelName)) return false;
    MissionRecord* mission = TheScreenHooks ? TheScreenHooks->CurrentMission() : nullptr;

    MapGenerator* maps = CreateMapGenerator();
    // The player's rig is the current profile's; the population puts it at the start. It comes
    // from the level before (or from the profile), and enters this one as the level's own units
    // are made: nothing of where it was, or of how it fared there, comes with it.
    // The blood splats' pool is made with the first level, before its numbers begin: the
    // numbers the pool's entities take never shift those of what the level makes in play.
    if (!splats) splats = new SplatPool();
    splats->Init();
    // The level's entities are numbered from here, the rig first, for the orders that name them.
    StartLevelNumbers();
    TheOrders.Clear();
    // The power ledger starts from the base supply: the buildings the level is made with (or a
    // save holds) write it again as they are finished or restored.
    TheScene.power.Reset();
    // The last level's ground goes before this one's entities are put down: the grid they are
    // placed by is open ground until this level's terrain is made, whatever was played before.
    TheTerrain.Free();
    Agent* rig = GetPlayerRig();
    if (rig) rig->ResetLevelState();
    maps->rig = rig;
    if (maps->heightsReady <= 0) {
        ShowLoadingScreen("Generating random level", 0.66f, true);
        TheLevelGenerator.Layout(mission);
        maps->BuildHeightmap(TheLevelGenerator);
    }
    ShowLoadingScreen("Building level map", 0.67f, true);
    maps->Populate(levelNamed);
    // A generated level's rivers run through low ground that must hold water; a scene file
    // read next may say the same of its own level.
    if (TheLevelGenerator.riverCount > 0) TheScene.sceneFlags |= SCENE_HAS_WATER;

    // The raids' clock starts again with every level; a scene file's raid lines set it after.
    if (!aiManager) {
        aiManager = new AIManager();
        aiManager->Reset();
    }
    aiManager->ResetTimers();
    TheScene.savedWorld = SavedWorldState();
    TheScene.ForgetSavedStates();
    if (levelNamed) {
        if (!TheScene.ReadSceneFile(levelName)) Log("ERROR: the scene file %s cannot be read\n", levelName);
        // A saved level's ground, drawn again as it was drawn in the game that saved it.
        const SavedWorldState& saved = TheScene.savedWorld;
        if (saved.groundRead && TheScene.groundDrawn && saved.groundSequence != TheScene.groundSequence)
            maps->GenerateHeightImage(saved.groundSequence);
        TheScene.ResolveLinks();
        aiManager->OnSceneLoaded();
        Building::RestoreAtLevelStart();
        RestoreRigOrder(GetPlayerRig());
        GetPlayerProfile()->RestoreRigTimers();
    }

    Entity* primitive = TheScene.FindPrimitive("flag");
    if (!primitive) return true;
    Entity* flag = new Entity();
    CopyText(flag->name, sizeof flag->name, primitive->name);
    flag->flags |= ENTITY_MARKER | ENTITY_NODRAW;
    // The primitive's mesh is shared, never the flag's own.
    flag->mesh = primitive->mesh;
    if (!TheScene.translucent.PushBack(flag)) {
        Log("ERROR: no room for the level's flag among the translucent objects\n");
        delete flag;
        return true;
    }
    flagEntity = flag;
    return true;
}
