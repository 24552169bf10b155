// The game object's base (mechanics/Game.h): the level's name, the plain game's start and
// update, the first level's one-time loads, and the pick rays the hand uses. Its HUD is the
// player's game's (interface/PlayerGame.cpp).
#include "mechanics/Game.h"
#include "mechanics/GameRender.h"

#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "render/Camera.h"
#include "render/Font.h"
#include "render/Sprite.h"

bool PostProcessing = true;
bool Wireframe = false;
bool ShowCollisionVolumes = false;
bool DebugDrawShadowBuffer = false;
bool DebugDrawGlowBuffer = false;
bool SceneLighting = true;
int CurrentRenderPass = PASS_COLOUR;
bool WaterVisible = false;
float ReflectionHeight = 0.1f;

Game::Game()
{
    CopyText(levelName, sizeof levelName, "none");
    CopyText(classLabel, sizeof classLabel, "Game");
}

// The labels are the player's game's and gone by now; the cursor and the fonts are drawn with
// the renderer alone and go with the base.
Game::~Game()
{
    delete cursorSprite;
    cursorSprite = nullptr;
    for (Font*& font : fonts) {
        delete font;
        font = nullptr;
    }
}

void Game::SetLevelName(const char* name)
{
    CopyText(levelName, sizeof levelName, name ? name : "none");
    levelNamed = true;
}

void Game::ClearLevelName()
{
    CopyText(levelName, sizeof levelName, "none");
    levelNamed = false;
}

bool Game::Start()
{
    if (!CreateHud()) return false;
    GameCamera.SetMode(2);
    state = GAME_STATE_PLAYING;
    if (!InitGeometry(Config ? Config->scenefile : "none")) return false;
    // The minimap's fog-of-war targets come with the minimap.
    started = true;
    return true;
}

void Game::Update()
{
    if (state != GAME_STATE_PLAYING) return;
    TheScene.Update();
    // The first light follows the cursor over the ground.
    SceneLight* light = TheScene.lights.head ? &TheScene.lights.head->value : nullptr;
    Vec3 origin, direction, point;
    if (light && GetCameraRay(&origin, &direction) &&
        IntersectRayPlane(origin, direction, Vec3(0.0f, 1.0f, 0.0f), 1.0f, &point))
        light->position = point;
}

bool Game::InitGeometry(const char*)
{
    Log("    InitGeometry\n");
    if (started) return true;
    ShowLoadingScreen("Parsing primitives", 0.61f, true);
    TheScene.ReadSceneFile("data/scripts/primitives.cgs");
    if (started) return true;
    ShowLoadingScreen("Parsing sounds", 0.65f, true);
    LoadSoundScript("data/scripts/sounds.cgs");
    return true;
}

bool GetScreenRay(int x, int y, Vec3* origin, Vec3* direction)
{
    Vec3 nearPoint, farPoint;
    if (!origin || !direction || !BuildPickRay((float)x, (float)y, &nearPoint, &farPoint)) return false;
    *origin = nearPoint;
    Vec3 along = farPoint - nearPoint;
    Vec3Normalize(direction, &along);
    return true;
}

bool GetCameraRay(Vec3* origin, Vec3* direction)
{
    if (!Input.mouse) return false;
    return GetScreenRay(Input.mouse->cursorX, Input.mouse->cursorY, origin, direction);
}
