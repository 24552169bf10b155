#include "mechanics/Game.h"

#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/MusicPlayer.h"
#include "platform/MusicThread.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"

#include <cstdio>

int TipCount = 8;
bool GamePaused = false;

namespace {

// Timing of the loading phases.
uint32_t LastReportTime = 0;
uint32_t PhaseTotal = 0;
char PhaseName[128] = "";

}  // namespace

Game::Game()
{
    CopyText(levelName, sizeof levelName, "none");
    CopyText(classLabel, sizeof classLabel, "Game");
}

Game::~Game()
{
    for (Font*& font : fonts) {
        delete font;
        font = nullptr;
    }
}

bool Game::Init()
{
    if (!CreateHud()) return false;
    state = GAME_STATE_PLAYING;
    started = true;
    return true;
}

void Game::Update() {}

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

bool Game::CreateHud()
{
    if (!Config) return false;
    float scale = Config->height / 768.0f;
    for (int slot = 0; slot < FONT_COUNT; ++slot) {
        if (fonts[slot]) continue;
        fonts[slot] = new Font("gui");
        int size = (int)(Config->fonts[slot].size * scale);
        if (size < 1) size = 1;
        fonts[slot]->Load(Config->fonts[slot].face, size, 0);
    }
    return true;
}

void Game::DrawHud() {}

void Game::Render()
{
    if (!Graphics) return;
    Graphics->Clear(7, 0.0f, 0.0f, 0.0f, 1.0f);
    Graphics->BeginScene();
    Graphics->Begin2D();
    DrawHud();
    FrameGraph::Draw();
    Graphics->End2D();
    Graphics->Present();
}

void Game::ShowLoadingScreen(const char* text, float fraction, bool)
{
    if (!text) text = "";
    uint32_t now = TimeGetTimeMs();
    uint32_t elapsed = now - LastReportTime;
    LastReportTime = now;
    PhaseTotal += elapsed;

    if (Music && !IsMusicThreadRunning() && (!Config || Config->music || Music->IsTrackOpen())) Music->Update();

    if (fraction == 0.0f) {
        PhaseTotal = 0;
    } else if (PhaseName[0]) {
        Log("%s : %.3f\n", PhaseName, elapsed / 1000.0);
        if (fraction == 1.0f) Log("TOTAL TIME:  %.2f Seconds\n", PhaseTotal / 1000.0);
    }
    CopyText(PhaseName, sizeof PhaseName, text);

    if (!Graphics || !Config) return;
    RenderStates.Reset();
    Graphics->Clear(3, 0.0f, 0.0f, 0.0f, 1.0f);
    Graphics->BeginScene();
    Graphics->Begin2D();
    Font* font = fonts[1];
    if (font && font->loaded) {
        int h = Config->height;
        int w = Config->width;
        int barWidth = (int)(h * 0.5208333f);
        int y = h / 2 + (int)(h * 0.1822917f);
        int x0 = (w - barWidth) / 2;
        font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        font->DrawText((float)(x0 + 6), (float)(y - 7), text);
    }
    Graphics->End2D();
    Graphics->Present();
}

void CountTips()
{
    TipCount = 0;
    if (!Strings) return;
    char key[32];
    for (;;) {
        snprintf(key, sizeof key, "<tip%d>", TipCount);
        if (!Strings->Lookup(key)) break;
        ++TipCount;
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
