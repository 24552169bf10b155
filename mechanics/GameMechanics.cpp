#include "mechanics/GameMechanics.h"

#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/PackageFile.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Grid.h"

GameMechanics* TheGame = nullptr;

namespace {

constexpr const char* CURSOR_TEXTURE = "data/gui/icons/cursors.dds";
constexpr const char* CURSOR_FALLBACK = "data/textures/white.dds";

// The cursor shows the arrow cell of the 4 x 4 cursor atlas; without the GUI package (a broken
// install) it falls back to a small light square so the player still sees where the mouse is.
Sprite* MakeCursorSprite(int x, int y, int size)
{
    if (GuiPackage && GuiPackage->FindEntry("cursors.dds") >= 0)
        return CreateSprite(x, y, size, size, CURSOR_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 0.25f, 0.25f, true);
    int side = size / 3 > 4 ? size / 3 : 4;
    return CreateSprite(x, y, side, side, CURSOR_FALLBACK, 0xFFE8EEFF, 0.0f, 0.0f, 1.0f, 1.0f, true);
}

}  // namespace

GameMechanics::GameMechanics()
{
    CopyText(classLabel, sizeof classLabel, "GameMechanics");
    state = GAME_STATE_INTRO;
    grid = new Grid(128, 2.5f);
}

GameMechanics::~GameMechanics()
{
    // The Scene's agents are the pool's, and its buildings the catalogue's copies: the Scene
    // lets go of them before the catalogues go.
    if (TheGame == this) TheScene.ReleaseEntities();
    delete buildItems;
    delete agentTypes;
    delete grid;
    delete loadingFont;
    delete logoFont;
    delete cursorSprite;
}

void GameMechanics::CreateCatalogues()
{
    if (!agentTypes) agentTypes = new AgentTypeRegistry();
    if (!buildItems) buildItems = new BuildItemList();
}

bool GameMechanics::Init()
{
    if (!commandsRegistered) {
        RegisterGameCommands();
        commandsRegistered = true;
    }
    if (!started) {
        LoadSoundScript("data/scripts/guisounds.cgs");
        CreateCatalogues();
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
        // A level start: the one-time loads of the first level; laying out and populating the
        // level come with the level generator.
        InitGeometry(levelName);
        started = true;
        TheScene.firstFrame = true;
        ClearLevelName();
    }
    return true;
}

void GameMechanics::Update()
{
    if (state != GAME_STATE_PLAYING) return;
    TheScene.Update();
    float dt = GamePaused ? 0.0f : FrameTimer.delta;
    if (SoundMgr) SoundMgr->Update(dt);
}

void GameMechanics::DrawHud()
{
    if (!Config) return;
    int w = Config->width, h = Config->height;
    bool modalOpen = WindowMgr && WindowMgr->modal;
    if (GamePaused && !modalOpen && fonts[0] && fonts[0]->loaded) {
        fonts[0]->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        fonts[0]->SetShadow(true);
        fonts[0]->DrawText((float)(w / 2 - (int)(h * 0.0390625f)), (float)(h / 2 - (int)(h * 0.0104167f)), "Paused");
    }
    // The system pointer is hidden while the game holds the mouse: the game draws its own.
    if (Input.mouse) {
        int size = (int)(24.0f / 768.0f * h);
        if (!cursorSprite)
            cursorSprite = MakeCursorSprite(Input.mouse->cursorX, Input.mouse->cursorY, size);
        if (cursorSprite) {
            cursorSprite->SetPosition(Input.mouse->cursorX, Input.mouse->cursorY);
            cursorSprite->Draw();
        }
    }
}

bool GameMechanics::OnEscape()
{
    // The in-game menu that Escape opens comes with the game interface.
    return false;
}

void CmdSelectPlayer() {}
