#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "campaign/RigCatalog.h"
#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "levelgen/Growth.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/EventManager.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/MathUtil.h"
#include "platform/InputState.h"
#include "platform/PackageFile.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/Sprite.h"
#include "terrain/SplatPool.h"
#include "terrain/Minimap.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "world/Agent.h"
#include "world/AiBrain.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Grid.h"
#include "world/GridWalk.h"
#include "world/ItemCatalog.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/RaidManager.h"

#include <algorithm>
#include <vector>

GameMechanics* TheGame = nullptr;

GameMechanics::GameMechanics()
{
    CopyText(classLabel, sizeof classLabel, "GameMechanics");
    state = GAME_STATE_INTRO;
    grid = new Grid(128, 2.5f);
    pathPool = new PathPool();
    walkRound = new GridWalk();
    PathFinder::InitNodePool();
}

GameMechanics::~GameMechanics()
{
    // The program ends, maybe in the middle of a level: there is no world left to keep.
    SealWorld(false);
    // The Scene's agents are the pool's, and its buildings the catalogue's copies: the Scene
    // lets go of them before the catalogues go.
    if (TheGame == this) TheScene.ReleaseEntities();
    // The profiles' rigs are agents of the unit types: they go first.
    if (TheRigCatalog == rigCatalog) TheRigCatalog = nullptr;
    delete rigCatalog;
    if (TheTerrain.waterSet == water) TheTerrain.waterSet = nullptr;
    delete water;
    if (mapGenerator && !mapGenerator->kinds.empty() && TheTerrain.mapCells == mapGenerator->kinds.data())
        TheTerrain.mapCells = nullptr;
    if (TheMapGenerator == mapGenerator) TheMapGenerator = nullptr;
    delete mapGenerator;
    if (TheGrowthDB == growth) TheGrowthDB = nullptr;
    delete growth;
    delete buildItems;
    delete agentTypes;
    delete items;
    delete walkRound;
    delete pathPool;
    delete grid;
    delete loadingFont;
    delete logoFont;
    if (TheProjectiles == projectiles) TheProjectiles = nullptr;
    if (TheSplats == splats) TheSplats = nullptr;
    delete projectiles;
    delete splats;
    delete aiManager;
}

void GameMechanics::EndLevelHud()
{
    ClearSelection();
    ClearControlGroups();
    ClearOrderFlash();
}

void GameMechanics::CreateCatalogues()
{
    if (!items) items = new ItemList();
    if (!agentTypes) agentTypes = new AgentTypeRegistry();
    if (!buildItems) buildItems = new BuildItemList();
}

void GameMechanics::LoadCatalogues()
{
    CreateCatalogues();
    if (cataloguesLoaded) return;
    cataloguesLoaded = true;
    if (!items->ReadItemsScript()) Log("ERROR: the item catalogue %s cannot be read\n", ITEMS_SCRIPT);
    if (!agentTypes->LoadUnitTypes(nullptr, items)) Log("ERROR: the unit types %s cannot be read\n", UNITS_SCRIPT);
    if (!buildItems->Load()) Log("ERROR: the build catalogue %s cannot be read\n", BUILD_ITEMS_SCRIPT);
}

void GameMechanics::EndLevel()
{
    // The level is taken apart here, outside any tick; with it gone there is no world to keep.
    const WorldChangeScope ending;
    // The level's replay is written as it ends, before anything of the level goes.
    TheReplay.OnLevelEnd();
    // The selection and the panels let go of the level's entities before they leave; however
    // the level was left (a lost mission's window, the menu, a load, a restart), its windows
    // and its pause go with it: the next level must not start standing still.
    EndLevelHud();
    GamePaused = false;
    PausedWithoutFocus = false;
    pausedBefore_ = false;
    TheOrders.Clear();
    // The next level may draw its shadows in another format.
    ReleaseShadowMap();
    if (projectiles) projectiles->Clear();
    if (buildItems) buildItems->ClearCurrent();
    flagEntity = nullptr;
    hoveredEntity = nullptr;
    if (cursorSprite) cursorSprite->SetTexCoords(0.0f, 0.0f, 0.25f, 0.25f);
    for (float& channel : cursorColour) channel = 1.0f;
    commandMode = commandArgument = 0;

    // Everything of the level but the player's rig leaves the Scene. Agents are the pool's and
    // go back to it; the rest are freed, and with them the meshes they own. A shared mesh (a
    // prototype's, a definition's) stays in the library: the next level draws with it.
    std::vector<Entity*> leaving;
    std::vector<Entity*> rigs;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory()) {
        std::vector<Entity*>& into = (entity->flags & ENTITY_PLAYER) ? rigs : leaving;
        if (std::find(into.begin(), into.end(), entity) == into.end()) into.push_back(entity);
    }
    for (Entity* entity : leaving) {
        // Its effects end with it as it leaves (EndOwnedEffects).
        TheScene.RemoveEntity(entity, REMOVE_EVERYWHERE);
        entity->LeaveGridCell();
        if (entity->flags & ENTITY_AGENT) {
            Agent* agent = static_cast<Agent*>(entity);
            if (agentTypes && agentTypes->IsPoolAgent(agent)) agentTypes->ReturnAgent(agent);
            continue;
        }
        delete entity;
    }
    if (splats) splats->ClearActive();
    // The rig comes home mended, standing nowhere until the next level places it: what it had
    // of this level (its death too) goes as it goes from every unit of it.
    for (Entity* rig : rigs) {
        rig->ResetLevelState();
        if (rig->flags & ENTITY_AGENT)
            static_cast<Agent*>(rig)->MakeWhole();
        else
            rig->SetHealth(rig->GetMaxHealth());
    }

    if (TheGrowthDB) TheGrowthDB->ClearInstances();
    if (TheObjectives) TheObjectives->Clear();
    if (TheEvents) TheEvents->Clear();
    TheMinimap.OnLevelEnd();
    if (water) water->Clear();
    TheTerrain.waterSet = nullptr;
    TheScene.ClearRemoved();
    TheScene.KillAllParticles();
    if (SoundMgr) {
        SoundMgr->StopAll();
        SoundMgr->ClearQueues();
    }
    TheScene.power.Reset();
    TheScene.unitControl = UnitControlCount();
    ClearMessages();
    StopCameraShake();
    if (grid) grid->ResetCells();
    // The level's light, its shadow matrices and its ground's values go with it: the front end
    // and the next level draw as if none had been.
    ForgetLevelEffectValues();
    SealWorld(false);
}

// A level starts with the rig selected and in view.
void CmdSelectPlayer()
{
    SelectPlayerRig();
}
