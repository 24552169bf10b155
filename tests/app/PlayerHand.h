#pragma once
// The mouse and the build panel as a player's hand works them: the cursor moved by the mouse's
// own movement, clicks, a building chosen on the rig's build panel and put down. Each step runs
// the main loop through the caller's `pass` (one pass of the loop): the end-to-end walks run it
// on the scripted clock, the benchmarks on the real one and time it.
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "host/System.h"
#include "gui/Window.h"
#include "host/InputScript.h"
#include "interface/MissionHud.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "render/Camera.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <cmath>

namespace playerhand {

// The middle of an entity where the picture shows it: a unit on the move is drawn between its
// last two ticks, and a hand aims at what it sees.
inline Vec3 DrawnCenter(Entity* entity)
{
    const CarriedPoses drawn(TheScene);
    return entity->GetCenter();
}

// Where a world point is on the screen, clear of its edges.
inline bool OnScreen(const Vec3& point, int* x, int* y)
{
    Vec3 screen = ProjectToScreen(point);
    *x = (int)screen.x;
    *y = (int)screen.y;
    return screen.z > 0.0f && screen.z < 1.0f && *x > 40 && *y > 40 && *x < Config->width - 40 &&
           *y < Config->height - 40;
}

// The mouse moved by as much as takes the cursor dx, dy pixels at this screen size and speed.
inline void MoveMouseBy(int dx, int dy)
{
    float speed = Config->mouseSpeed + 0.5f;
    InputScript::MoveMouse((int)lroundf(dx / (Config->width / 1024.0f) / speed),
                           (int)lroundf(dy / (Config->height / 768.0f) / speed));
}

// The cursor taken to a screen point by the mouse's own movement, as a hand moves it.
template <class Pass> void MoveMouseTo(int x, int y, Pass pass)
{
    for (int i = 0; i < 8; ++i) {
        int dx = x - Input.mouse->cursorX, dy = y - Input.mouse->cursorY;
        if (dx == 0 && dy == 0) return;
        MoveMouseBy(dx, dy);
        pass();
    }
}

// A left-button drag as a hand makes it: pressed at one point, moved a little in each of
// `frames` passes toward the other, let go there (by `release`, which may do more at once).
template <class Pass, class Release>
void Drag(int fromX, int fromY, int toX, int toY, int frames, Pass pass, Release release)
{
    MoveMouseTo(fromX, fromY, pass);
    InputScript::ButtonDown(0);
    pass();
    for (int i = 1; i <= frames; ++i) {
        MoveMouseBy(fromX + (toX - fromX) * i / frames - Input.mouse->cursorX,
                    fromY + (toY - fromY) * i / frames - Input.mouse->cursorY);
        pass();
    }
    MoveMouseTo(toX, toY, pass);
    release();
    pass();
}
template <class Pass> void Drag(int fromX, int fromY, int toX, int toY, int frames, Pass pass)
{
    Drag(fromX, fromY, toX, toY, frames, pass, [] { InputScript::ButtonUp(0); });
}

template <class Pass> void Click(int button, Pass pass)
{
    InputScript::ButtonDown(button);
    pass();
    InputScript::ButtonUp(button);
    pass();
}

// The cursor taken by hand to the middle of a window.
template <class Pass> void MoveMouseOnto(const Window* window, Pass pass)
{
    int x = 0, y = 0;
    window->GetScreenPosition(&x, &y);
    MoveMouseTo(x + window->width / 2, y + window->height / 2, pass);
}

// A click (left, or the given button) in the middle of a window, the cursor moved there by hand.
template <class Pass> void ClickOn(const Window* window, int button, Pass pass)
{
    MoveMouseOnto(window, pass);
    Click(button, pass);
}

// A building of the player's by name, not the one still following the cursor.
inline Building* FindPlayerBuilding(const char* name)
{
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
        if ((entity->flags & ENTITY_BUILDING) && entity->alignment == ALIGN_PLAYER && StrICmp(entity->name, name) == 0 &&
            !(static_cast<Building*>(entity)->stateFlags & BUILDING_PREVIEW))
            return static_cast<Building*>(entity);
    return nullptr;
}

// The building in the hand put down with a click at a spot; where its footprint does not fit,
// the click is tried a little further along. The building, or null.
template <class Pass> Building* PutDownAt(const Vec3& site, const char* name, Pass pass)
{
    int x = 0, y = 0;
    OnScreen(site, &x, &y);
    for (int attempt = 0; attempt < 6 && !FindPlayerBuilding(name); ++attempt) {
        MoveMouseTo(x + attempt * 24, y, pass);
        Click(0, pass);
    }
    return FindPlayerBuilding(name);
}

// The rig clicked, unless its build panel is already shown.
template <class Pass> void SelectRig(Pass pass)
{
    const Window* panel = TheMissionHud.buildPanel;
    Agent* rig = GetPlayerRig();
    int x = 0, y = 0;
    if ((panel && panel->IsVisible()) || !rig || !OnScreen(rig->GetCenter(), &x, &y)) return;
    MoveMouseTo(x, y, pass);
    Click(0, pass);
}

// The building chosen on the selected rig's build panel, its tab and then its button clicked:
// whether it is now in hand.
template <class Pass> bool TakeFromBuildPanel(const char* name, Pass pass)
{
    MissionHud& hud = TheMissionHud;
    if (!hud.buildPanel || !hud.buildPanel->IsVisible()) return false;
    Button* button = nullptr;
    int tab = 0;
    for (auto* node = hud.buildButtons.head; node; node = node->next)
        if (node->value.item && StrICmp(node->value.item->name, name) == 0) {
            button = node->value.button;
            tab = node->value.item->category;
        }
    if (!button) return false;
    if (tab > 0 && tab < BUILD_TABS && hud.buildTabs[tab]) ClickOn(hud.buildTabs[tab], 0, pass);
    ClickOn(button, 0, pass);
    return TheGame->buildItems->current != nullptr;
}

// Open ground the rig can walk to, some way off and on the screen; with a building in hand,
// ground it may be put down on.
inline bool FindOpenGround(const Vec3& from, Vec3* out)
{
    Grid& grid = *TheGame->grid;
    for (float distance : {12.0f, 9.0f, 15.0f, 6.0f})
        for (int step = 0; step < 16; ++step) {
            float angle = step * 0.3926991f;
            Vec3 point(from.x + distance * cosf(angle), 0.0f, from.z + distance * sinf(angle));
            int column = 0, row = 0;
            if (!grid.WorldToCell(point, &column, &row)) continue;
            GridCell* cell = grid.GetCell(column, row);
            if (!cell || !cell->IsFreeWalkable()) continue;
            point = grid.CellToWorld(column, row);
            point.y = TheTerrain.GetHeight(point);
            int x, y;
            if (!OnScreen(point, &x, &y)) continue;
            // A building in hand needs room for all of it, off the ore too.
            BuildItemList* list = TheGame->buildItems;
            if (list && list->current) {
                TheGame->pickedPoint = point;
                SnapEntityToCell(list);
                if (!list->CanPlaceCurrent()) continue;
            }
            *out = point;
            return true;
        }
    return false;
}

// The building taken from the build panel and put down on open ground near a point, as a
// player places one: the rig selected, the building chosen, its preview moved over the ground
// and clicked down, the rig sent to build it. The building, or null.
template <class Pass> Building* PlaceFromBuildPanel(const char* name, const Vec3& near, Pass pass)
{
    SelectRig(pass);
    if (!TakeFromBuildPanel(name, pass)) return nullptr;
    Vec3 site;
    if (!FindOpenGround(near, &site)) return nullptr;
    return PutDownAt(site, name, pass);
}

}  // namespace playerhand
