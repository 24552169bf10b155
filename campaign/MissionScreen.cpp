#include "campaign/MissionScreen.h"

#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/MusicPlayer.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"

#include <cstdio>

int FrontEndScreenState = 0;
Window* MissionScreen::windows[2] = {nullptr, nullptr};
bool MissionScreen::catalogueRead = false;

namespace {

// The front end's background: the whole screen in a deep blue, darker toward the bottom.
Sprite* BackgroundTop = nullptr;
Sprite* BackgroundBottom = nullptr;
bool Built = false;

}  // namespace

bool MissionScreen::LoadMissions(const char* path)
{
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path ? path : "");
    FixPath(fixed);
    FILE* file = OpenFile(fixed, "rb");
    if (!file) {
        Log("WARNING: the mission catalogue %s could not be opened; there are no story missions\n", fixed);
        catalogueRead = false;
        return false;
    }
    fclose(file);
    catalogueRead = true;
    return true;
}

void MissionScreen::Init()
{
    if (Built) return;
    Built = true;
    MusicPlayer::LoadScript();
    const char* captions[2] = {"MainMenu", "MissionPanel"};
    for (int i = 0; i < 2; ++i) {
        windows[i] = new Window();
        CopyText(windows[i]->caption, sizeof windows[i]->caption, captions[i]);
        if (WindowMgr) WindowMgr->AddWindow(windows[i]);
    }
}

void MissionScreen::Release()
{
    delete BackgroundTop;
    delete BackgroundBottom;
    BackgroundTop = BackgroundBottom = nullptr;
    for (Window*& window : windows) {
        delete window;
        window = nullptr;
    }
    Built = false;
}

void MissionScreen::FrameHook() {}

void MissionScreen::OnBack(int, int) {}

void MissionScreen::StartMission(int, int)
{
    if (!TheGame) return;
    FrontEndScreenState = 0;
    TheGame->state = GAME_STATE_LOAD_PENDING;
}

void RenderByScreenState()
{
    if (!Config) return;
    int w = Config->width, h = Config->height;
    // The screen is drawn flat over the whole window.
    if (Graphics) Graphics->Begin2D();
    if (!BackgroundTop) {
        BackgroundTop = CreateSprite(0, 0, w, h / 2, "data/textures/white.dds", 0xFF14243C, 0, 0, 1, 1, false);
        BackgroundBottom = CreateSprite(0, h / 2, w, h - h / 2, "data/textures/white.dds", 0xFF0B1422, 0, 0, 1, 1, false);
    }
    if (BackgroundTop) BackgroundTop->Draw();
    if (BackgroundBottom) BackgroundBottom->Draw();
    Font* title = TheGame ? TheGame->logoFont : nullptr;
    if (title && title->loaded) {
        TextSize size = {};
        title->GetTextExtent(Config->game, &size);
        title->SetColor(0.85f, 0.9f, 1.0f, 1.0f);
        title->DrawText((float)((w - (int)size.cx) / 2), (float)(h / 4), Config->game);
    }
}

void StartNewGameIntro(int, int)
{
    // The story of a new game comes with the campaign; until then a new game goes straight
    // to the front end.
    if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
}
