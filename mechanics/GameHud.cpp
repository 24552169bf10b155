// The game object's HUD of play: the main display for the selection, the power bar and the
// message lists, made once with the base HUD and drawn every frame of a mission.
#include "mechanics/GameMechanics.h"

#include "gui/WindowManager.h"
#include "interface/EntityInfoGui.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "interface/PowerBar.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"

bool GameMechanics::CreateHud()
{
    if (!Game::CreateHud()) return false;
    // The HUD of play is made at the first level start: the front end never shows it.
    if (state == GAME_STATE_PLAYING && !ThePowerBar && !TheEntityInfoGui) {
        ThePowerBar = new PowerBar();
        TheEntityInfoGui = new EntityInfoGui();
        TheEntityInfoGui->CreateMainDisplay();
        hudOwner_ = true;
    }
    return true;
}

void GameMechanics::ReleaseHud()
{
    if (!hudOwner_) return;
    hudOwner_ = false;
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
    if (TheEntityInfoGui) TheEntityInfoGui->HideAll();
    if (ThePowerBar) ThePowerBar->Reset();
}

void GameMechanics::DrawHud()
{
    floatingTexts->Draw();
    if (EntityInfoGui* display = TheEntityInfoGui) {
        Entity* first = GetFirstSelected();
        display->SetVisible(first != nullptr);
        if (TheInfoTooltip) {
            MouseDevice* mouse = Input.mouse;
            if (mouse && WindowMgr && WindowMgr->IsPointOverWindow(mouse->cursorX, mouse->cursorY, false))
                TheInfoTooltip->Draw();
            else
                TheInfoTooltip->Hide();
        }
        if (hand.selected.count > 1) {
            display->DrawOverlay();
            display->HideAll();
            display->ShowStanceButtons();
        } else if (first) {
            display->Update(first);
        }
    }
    if (ThePowerBar) ThePowerBar->Update();
    popups->Draw();
    messageBar->Draw();
}

void GameMechanics::DrawGui()
{
    if (state == GAME_STATE_PLAYING) {
        DrawHud();
    } else if (state == GAME_STATE_FRONT_END) {
        // What the galaxy and the mission screens post stands over the menus.
        popups->Draw();
        messageBar->Draw();
    }
    Game::DrawGui();
}
