// The game object's HUD of play: the mission HUD (interface/MissionHud.h) made at the first
// level start, kept up to date and drawn every frame of a mission, hidden when a level ends
// and let go with the game object.
#include "mechanics/GameMechanics.h"
#include "tools/TerrainEditor.h"

#include "gui/WindowManager.h"
#include "interface/EntityInfoGui.h"
#include "interface/InfoScreen.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "interface/PowerBar.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/HintBox.h"
#include "render/Sprite.h"
#include "terrain/Minimap.h"

bool GameMechanics::CreateHud()
{
    if (!Game::CreateHud()) return false;
    // The HUD of play is made at the first level start: the front end never shows it.
    if (state == GAME_STATE_PLAYING) {
        HintBox::SetFonts(fonts[3], fonts[3]);
        BuildMissionHud();
        BuildEndOfMissionScreens();
        hudOwner_ = true;
    }
    return true;
}

void GameMechanics::ReleaseHud()
{
    if (!hudOwner_) return;
    hudOwner_ = false;
    ReleaseTerrainEditor();
    ReleaseMissionHud();
    // The window manager lets go of the main display's windows before they go.
    if (WindowMgr && TheEntityInfoGui) {
        Window* owned[] = {TheEntityInfoGui, ProductionQueueWindow, StatusIconWindow};
        for (Window* window : owned)
            if (window) WindowMgr->windows.Remove(window);
    }
    delete TheEntityInfoGui;
    TheEntityInfoGui = nullptr;
    delete ThePowerBar;
    ThePowerBar = nullptr;
}

void GameMechanics::EndLevelHud()
{
    ClearSelection();
    ClearControlGroups();
    ClearOrderFlash();
    HideMissionHud();
    // The terrain editor works on a level in play: it is switched off with the level.
    if (TheTerrainEditor) TheTerrainEditor->SetActive(false);
    if (TheEntityInfoGui) {
        TheEntityInfoGui->HideAll();
        TheEntityInfoGui->SetVisible(false);
    }
}

void GameMechanics::UpdateHud()
{
    ::UpdateHud();
}

void GameMechanics::DrawHud()
{
    float dt = WindowMgr && WindowMgr->modal ? 0.0f : FrameTimer.delta;
    int x = Input.mouse ? Input.mouse->cursorX : 0, y = Input.mouse ? Input.mouse->cursorY : 0;
    if (!DrawGuiShown) return;
    MissionHud& hud = TheMissionHud;
    hud.cursorSize = ScreenHeight() / 32;
    DrawMissionHud(dt, x, y);

    int column = 0, row = 0;
    bool enlarged = false;
    bool overWindow = WindowMgr && WindowMgr->IsPointOverWindow(x, y, false);
    ChooseCursorCell(x, y, overWindow, &column, &row, &enlarged);
    if (enlarged) hud.cursorSize = ScreenHeight() / 24;
    if (cursorSprite) {
        if (column < 0)
            cursorSprite->SetTexCoords(0.0f, 0.0f, 0.5f, 0.5f);
        else
            cursorSprite->SetTexCoords(column / 4.0f, row / 4.0f, (column + 1) / 4.0f, (row + 1) / 4.0f);
        cursorSprite->SetRect(x, y, x + hud.cursorSize, y + hud.cursorSize);
    }
    Game::DrawGui();
    DrawMissionHudOverCursor(x, y);
}

void GameMechanics::DrawGui()
{
    if (state == GAME_STATE_PLAYING) {
        DrawHud();
        return;
    }
    if (state == GAME_STATE_FRONT_END) {
        // What the galaxy and the mission screens post stands over the menus.
        popups->Draw();
        messageBar->Draw();
    }
    Game::DrawGui();
}
