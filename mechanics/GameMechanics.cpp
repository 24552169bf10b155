#include "mechanics/GameMechanics.h"

#include "host/Log.h"
#include "host/System.h"
#include "interface/MessageLists.h"
#include "mechanics/EventManager.h"
#include "mechanics/Objectives.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/PackageFile.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/MeshLibrary.h"
#include "render/Sprite.h"
#include "terrain/SplatPool.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Grid.h"
#include "world/ItemCatalog.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/RaidManager.h"

GameMechanics* TheGame = nullptr;

GameMechanics::GameMechanics()
{
    CopyText(classLabel, sizeof classLabel, "GameMechanics");
    state = GAME_STATE_INTRO;
    grid = new Grid(128, 2.5f);
    pathPool = new PathPool();
    PathFinder::InitNodePool();
    floatingTexts = new FloatingTextList();
    popups = new AchievementPopup();
    messageBar = new MessageBar();
}

GameMechanics::~GameMechanics()
{
    // The Scene's agents are the pool's, and its buildings the catalogue's copies: the Scene
    // lets go of them before the catalogues go.
    if (TheGame == this) TheScene.ReleaseEntities();
    delete buildItems;
    delete agentTypes;
    delete items;
    delete pathPool;
    delete grid;
    delete loadingFont;
    delete logoFont;
    delete messageBar;
    delete popups;
    delete floatingTexts;
    if (TheProjectiles == projectiles) TheProjectiles = nullptr;
    if (TheSplats == splats) TheSplats = nullptr;
    delete projectiles;
    delete splats;
    delete aiManager;
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

bool GameMechanics::Init()
{
    if (!commandsRegistered) {
        RegisterGameCommands();
        commandsRegistered = true;
    }
    if (!started) {
        LoadSoundScript("data/scripts/guisounds.cgs");
        LoadCatalogues();
    }
    CreateHud();
    if (Config && !loadingFont) {
        float scale = Config->height / 768.0f;
        loadingFont = new Font("gui");
        loadingFont->Load(Config->fonts[FONT_LARGE].face, (int)(Config->fonts[FONT_LARGE].size * scale) + 1, 0);
        logoFont = new Font("gui");
        logoFont->Load(Config->fonts[FONT_LARGE].face, (int)(Config->fonts[FONT_LARGE].size * 2.5f * scale) + 1, 1);
        logoFont->SetShadow(true);
        logoFont->SetSize(2, 2);
    }
    if (state == GAME_STATE_PLAYING) {
        // A level start: the one-time loads of the first level (the meshes the catalogues asked
        // for, then the animations that waited for them); laying out and populating the level
        // come with the level generator.
        if (!started && TheMeshLibrary) {
            TheMeshLibrary->LoadAll();
            TheMeshLibrary->LoadPendingAnimations();
        }
        InitGeometry(levelName);
        if (!projectiles) {
            projectiles = new ProjectileSystem();
            projectiles->Init();
        }
        projectiles->LoadResources();
        TheProjectiles = projectiles;
        if (!splats) splats = new SplatPool();
        splats->Init();
        TheSplats = splats;
        if (!aiManager) {
            aiManager = new AIManager();
            aiManager->Reset();
        }
        aiManager->ResetTimers();
        if (TheObjectives) TheObjectives->Show(true);
        started = true;
        TheScene.firstFrame = true;
        ClearLevelName();
    }
    return true;
}

void GameMechanics::EndLevel()
{
    // A building being placed leaves with the level; its prototype stays the catalogue's.
    if (buildItems) buildItems->ClearCurrent();
    if (TheObjectives) TheObjectives->Clear();
    if (TheEvents) TheEvents->Clear();
    popups->Clear();
    messageBar->Clear();
    floatingTexts->Clear();
    if (splats) splats->ClearActive();
    if (projectiles) projectiles->Clear();
}

bool GameMechanics::OnEscape()
{
    // The in-game menu that Escape opens comes with the game interface.
    return false;
}

void CmdSelectPlayer() {}
