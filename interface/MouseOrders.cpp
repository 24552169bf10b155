// The mouse turned into orders: per frame the pick, the drag box and the minimap; on a click
// the order the selection, the entity under the cursor, the keys and the armed command mode
// call for, given to the order queue. What the order does is the world's, at the next tick
// (mechanics/PlayerOrders.cpp, mechanics/OrderHandlers.cpp).
#include "mechanics/GameMechanics.h"

#include "gui/WindowManager.h"
#include "host/InputKeys.h"
#include "interface/CharacterGui.h"
#include "interface/Inventory.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Selection.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/InputState.h"
#include "render/Camera.h"
#include "terrain/Minimap.h"
#include "tools/TerrainEditor.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/BuildItem.h"
#include "world/GridQueries.h"
#include "world/Item.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float MOVE_FLAG_TIME = 1.5f;

bool KeyHeld(int a, int b = -1)
{
    return Input.keyboard && (Input.keyboard->IsKeyDown(a) || (b >= 0 && Input.keyboard->IsKeyDown(b)));
}
bool CtrlHeld() { return KeyHeld(DIK_LCONTROL, DIK_RCONTROL); }
bool ShiftHeld() { return KeyHeld(DIK_LSHIFT, DIK_RSHIFT); }

// The name of the bag's first item that does that, "" when there is none.
const char* CarriedNameFor(int action)
{
    const Item* item = PlayerInventory ? PlayerInventory->FindItemByAction(action) : nullptr;
    return item ? item->name : "";
}

// Whether a press at that screen point fell on the character screen's bag while it is shown.
bool PressedOnBag(int x, int y)
{
    const Inventory* bag = TheCharacterGui ? TheCharacterGui->inventory : nullptr;
    return bag && bag->panel && bag->panel->IsVisible() && bag->panel->HitTest(x, y);
}

}  // namespace

// ---- The hand gives the orders ------------------------------------------------------------------

void GameMechanics::GiveMouseOrder(uint16_t kind, Agent* agent, const char* item)
{
    PlayerOrder order;
    order.kind = kind;
    if (item) order.text = item;
    if (agent) {
        const uint32_t number = LevelNumberOf(agent);
        if (number != NO_LEVEL_ENTITY) order.units.push_back(number);
    } else {
        order.units = SelectionLevelNumbers();
    }
    if (order.units.empty()) return;
    order.target = LevelNumberOf(hoveredEntity);
    order.point = pickedPoint;
    order.args[0] = (ShiftHeld() ? ORDER_FLAG_SHIFT : 0) | (CtrlHeld() ? ORDER_FLAG_CTRL : 0) |
                    (pressTimer == 1.0f ? ORDER_FLAG_FRESH : 0);
    // The move's flag shows where the click fell at once; the units set off at the next tick.
    const bool moving = kind == ORDER_MOVE || kind == ORDER_ATTACK_MOVE || kind == ORDER_CLICK;
    if (moving && !hoveredEntity && moveFlag) {
        Vec3 at = pickedPoint;
        at.y += 0.1f;
        moveFlag->SetPosition(at);
        moveFlag->flags &= ~ENTITY_NODRAW;
        flagTimer = MOVE_FLAG_TIME;
    }
    TheOrders.Give(order);
}

void GameMechanics::OrderMove(bool attackMove) { GiveMouseOrder(attackMove ? ORDER_ATTACK_MOVE : ORDER_MOVE, nullptr); }
void GameMechanics::OrderAttack(Agent* agent) { GiveMouseOrder(ORDER_ATTACK, agent); }
void GameMechanics::OrderRepair(Agent* agent) { GiveMouseOrder(ORDER_REPAIR, agent); }
void GameMechanics::OrderExtractOre(Agent* agent) { GiveMouseOrder(ORDER_EXTRACT, agent); }
void GameMechanics::OrderHeal(Agent* agent) { GiveMouseOrder(ORDER_HEAL, agent); }

void GameMechanics::OrderSelected()
{
    if (buildItems && buildItems->current) buildItems->ClearCurrent();
    if (hand.selected.count < 1) return;
    if (MinimapShown && Input.mouse && IsPointOnMinimap(Input.mouse->cursorX, Input.mouse->cursorY)) {
        pickedPoint = MinimapToWorld(Input.mouse->cursorX, Input.mouse->cursorY);
        // A click on an objective's mark sends the units to the object itself: the mark is
        // drawn far wider than the object, and its edge lies several cells short of it.
        if (Entity* marked = MinimapMarkerAt(Input.mouse->cursorX, Input.mouse->cursorY)) pickedPoint = marked->GetPosition();
        TheMinimap.AddPing(pickedPoint, PING_ORDER, (int)GetFirstSelected()->id, 2.0f);
    }
    if (Config && Config->debugMode && KeyHeld(DIK_LMENU) && CtrlHeld()) {
        GiveMouseOrder(ORDER_TELEPORT, nullptr);
        return;
    }
    GiveMouseOrder(ORDER_CLICK, nullptr);
}

// ---- The left click ---------------------------------------------------------------------------

bool GameMechanics::DropCarriedItem()
{
    Inventory* bag = TheCharacterGui ? TheCharacterGui->inventory : nullptr;
    Item* held = bag ? bag->InHand() : nullptr;
    if (!held) return false;
    // One item goes down: a stack held whole is refused, one held off a stack goes.
    if (bag->dragItem ? held->stackCount != 1 : bag->HeldCount() != 1 && held->stackCount != 1) {
        PlayFeedbackSound("bad");
        return false;
    }
    // Put down at the next tick, out of the slot the hand held; the hand lets go of it now.
    PlayerOrder order;
    order.kind = ORDER_DROP_ITEM;
    order.text = held->name;
    if (!bag->dragItem) order.args[0] = bag->HeldSlot() + 1;
    TheOrders.Give(order);
    bag->Release();
    PlayFeedbackSound("dropitem");
    return true;
}

void GameMechanics::PlaceBuilding()
{
    // What the hand carries out of the bag is put down beside the rig before anything else.
    if (DropCarriedItem()) return;
    if (!buildItems || !buildItems->current) {
        // Whatever the mouse picks is selected when it says it can be: units, buildings, items on
        // the ground, ore and fuel patches (their page shows what is left), the mission's objects.
        Entity* hovered = hoveredEntity;
        if (hovered && hovered->IsAvailable()) {
            if (Input.mouse && Input.mouse->HeldLongerThan(0.3f) && hovered == GetFirstSelected())
                SelectAllOfType(true, hovered->name);
            else
                SelectEntity(hovered);
            PlayFeedbackSound("blip");
        } else if (CtrlHeld()) {
            ClearSelection();
        }
        return;
    }
    // The building goes down at the next tick where the hand holds it now; the hand lets go of
    // it with the click.
    const BuildPlacement held = buildItems->CurrentPlacement();
    PlayerOrder order;
    order.kind = ORDER_PLACE_BUILDING;
    order.units = SelectionLevelNumbers();
    order.text = held.item->name;
    order.point = held.item->prototype ? held.point : pickedPoint;
    order.args[0] = held.free ? 1 : 0;
    const PlacementRefusal refusal = buildItems->CurrentRefusal();
    if (refusal != PLACEMENT_ALLOWED) {
        // Refused at once, saying why; the preview stays to be moved.
        PlayFeedbackSound("bad");
        TellPlayer(PlacementRefusalText(refusal), 4.0f);
        return;
    }
    buildItems->ClearCurrent();
    TheOrders.Give(order);
}

// ---- Per frame --------------------------------------------------------------------------------

// ---- Per frame --------------------------------------------------------------------------------

void GameMechanics::HandleMouseOrders(float dt)
{
    if (flagTimer > 0.0f) {
        flagTimer -= dt;
        if (flagTimer <= 0.0f && moveFlag) moveFlag->flags |= ENTITY_NODRAW;
    }
    if (WindowMgr && WindowMgr->modal) return;
    MouseDevice* mouse = Input.mouse;
    if (!mouse) return;

    Vec3 nearPoint, farPoint;
    BuildPickRay((float)mouse->cursorX, (float)mouse->cursorY, &nearPoint, &farPoint);
    const Vec3 direction = farPoint - nearPoint;

    const bool leftPressed = mouse->ButtonEventIs(0, 1), rightPressed = mouse->ButtonEventIs(1, 1);
    if (leftPressed || rightPressed) {
        if (pressTimer == 0.0f) pressTimer = 1.0f;
    } else if (mouse->IsButtonDown(0) || mouse->IsButtonDown(1)) {
        pressTimer += dt > 0.0f ? dt : 0.01f;
    } else {
        pressTimer = 0.0f;
    }
    if (leftPressed) {
        pressX = mouse->cursorX;
        pressY = mouse->cursorY;
    }

    if (MinimapShown) {
        // A drag that began on the minimap keeps the cursor on it.
        const MinimapLayout& box = TheMinimap.layout;
        if (mouse->IsButtonDown(0) && IsPointOnMinimap(pressX, pressY) && pressX == mouse->pressX &&
            pressY == mouse->pressY && pressTimer > 0.0f && (mouse->stepX || mouse->stepY) &&
            !IsPointOnMinimap(mouse->cursorX, mouse->cursorY) && box.width > 2 && box.height > 2) {
            mouse->cursorX = std::min(std::max(mouse->cursorX, box.x + 1), box.x + box.width - 1);
            mouse->cursorY = std::min(std::max(mouse->cursorY, box.y + 1), box.y + box.height - 1);
        }
        const bool onMinimap = IsPointOnMinimap(mouse->cursorX, mouse->cursorY);
        if (leftPressed || (mouse->IsButtonDown(0) && !boxDragging)) {
            if (onMinimap && (leftPressed || IsPointOnMinimap(pressX, pressY))) {
                CenterCameraOnMinimapPoint(mouse->cursorX, mouse->cursorY);
                pressTimer = 0.0f;
                boxDragging = false;
                return;
            }
        }
    }

    hand.hovered.Clear();
    Vec3 ground;
    bool found = GetGameSeam().IntersectTerrain(nearPoint, direction, &ground);
    if (!found && std::fabs(direction.y) > 1e-6f) {
        const float t = -nearPoint.y / direction.y;
        if (t > 0.0f) {
            ground = nearPoint + direction * t;
            found = true;
        }
    }
    if (found) pickedPoint = ground;
    // The minimap hides what the view shows behind it: nothing there is picked, and a right
    // click on it orders by its own point alone.
    const bool overMinimap = MinimapShown && IsPointOnMinimap(mouse->cursorX, mouse->cursorY);
    hoveredEntity = found && !overMinimap ? PickEntity(nearPoint, direction) : nullptr;
    if (!hoveredEntity) SetHoverTint(nullptr);
    // The building being placed stands on the cell under the cursor.
    if (buildItems && buildItems->current) SnapEntityToCell(buildItems);

    if (mouse->ButtonEventIs(0, 2) && boxDragging) BoxSelect();
    if (mouse->ButtonEventIs(0, 2)) boxDragging = false;
    const bool pressOverWindow = WindowMgr && WindowMgr->IsPointOverWindow(pressX, pressY, false);
    static float editorRepeatTimer = 0.0f;
    if (mouse->IsDragging(8) && !pressOverWindow) {
        if (mouse->IsButtonDown(0) && pressX == mouse->pressX && pressY == mouse->pressY &&
            !(MinimapShown && IsPointOnMinimap(pressX, pressY)))
            boxDragging = true;
        // A drag strokes the terrain editor's brush ten times a second.
        if (TheTerrainEditor && mouse->IsButtonDown(0)) {
            editorRepeatTimer += dt;
            if (editorRepeatTimer > 0.1f) {
                TheTerrainEditor->Update(true);
                editorRepeatTimer = 0.0f;
            }
        }
    } else {
        editorRepeatTimer = 0.0f;
    }
    // An item dragged straight out of the bag and let go over the world goes down as a click
    // there would put it. The bag takes the press itself, so the drag is known by the mouse's
    // own press point while the button is held.
    static bool heldFromBag = false;
    if (mouse->ButtonEventIs(0, 2) && heldFromBag &&
        !(WindowMgr && WindowMgr->IsPointOverWindow(mouse->cursorX, mouse->cursorY, false)))
        DropCarriedItem();
    heldFromBag = mouse->IsButtonDown(0) && PressedOnBag(mouse->pressX, mouse->pressY);

    if (!(leftPressed || rightPressed)) return;
    if (WindowMgr && WindowMgr->IsPointOverWindow(mouse->cursorX, mouse->cursorY, false)) return;

    if (commandMode == 0) {
        if (leftPressed) {
            PlaceBuilding();
            if (TheTerrainEditor) TheTerrainEditor->Update(false);
        } else {
            OrderSelected();
        }
        return;
    }
    if (leftPressed) {
        switch (commandMode) {
        case COMMAND_MOVE: OrderMove(false); break;
        case COMMAND_ATTACK: OrderAttack(nullptr); break;
        case COMMAND_REPAIR: OrderRepair(nullptr); break;
        case COMMAND_MINE: OrderExtractOre(nullptr); break;
        case COMMAND_HEAL: OrderHeal(nullptr); break;
        // The item comes out of the bag at the tick: the order names the one there is now.
        case COMMAND_INSTABUILD: GiveMouseOrder(ORDER_INSTANT_BUILD, nullptr, CarriedNameFor(ITEM_ACTION_INSTANT_BUILD)); break;
        case COMMAND_ENRICH_ORE: GiveMouseOrder(ORDER_ENRICH, nullptr, CarriedNameFor(ITEM_ACTION_ENRICH_ORE)); break;
        default: break;  // a warp is given by the platform's own job
        }
    }
    commandMode = 0;
    commandArgument = 0;
}
