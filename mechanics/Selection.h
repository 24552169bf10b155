#pragma once
// The player's hand: the selection (the entities orders go to, the first one leading), the
// entity under the cursor this frame and the ten control groups. The game object keeps one
// and works on it (GameMechanics.h); the lists are node pools made with it.
//
// Every list holds entities the Scene owns, so an entity that leaves the level must leave
// every list here at once (GameMechanics::ForgetEntity): an agent goes back to the pool and
// comes out again as someone else under the same address.
#include "host/Maths.h"
#include "platform/PooledList.h"

#include <cstddef>
#include <cstdint>

class Entity;
class Grid;

constexpr int MAX_SELECTED = 12;
constexpr int SELECTION_NODES = 100;
constexpr int HOVER_NODES = 32;
constexpr int CONTROL_GROUP_COUNT = 10;
constexpr int CONTROL_GROUP_SIZE = 32;
// A second press of the same group key within this many seconds centres the camera.
constexpr double GROUP_DOUBLE_TAP = 0.3;

struct PlayerSelection {
    PlayerSelection();

    bool IsSelected(const Entity* entity) const;
    static bool Lists(const PooledList<Entity*>& list, const Entity* entity);

    PooledList<Entity*> selected;
    PooledList<Entity*> hovered;
    PooledList<Entity*> groups[CONTROL_GROUP_COUNT];
    int lastGroup = -1;
    double lastGroupTime = 0.0;
};

// The feedback sounds of the player's hand ("blip", "bad", ...): played, and the last one
// kept for whoever wants to know what the player just heard.
void PlayFeedbackSound(const char* name);
extern const char* LastFeedbackSound;

// The target of the last order, marked for a while (the scene overlays draw and count it).
struct OrderFlash {
    float timeLeft = 0.0f;
    Entity* target = nullptr;
    float elapsed = 0.0f;
};
extern OrderFlash TheOrderFlash;
constexpr float ORDER_FLASH_TIME = 1.4f;
void FlashOrderTarget(Entity* target);
void ClearOrderFlash();

class Agent;
// Hands the agent the job of that name with an AI mode (its old job given back first); false
// when the agent has no brain, the pool is used up or no job has the name.
bool GiveOrderJob(Agent* agent, const char* jobName, int mode);
// The agent's job given back, its brain idle.
void ClearOrderJob(Agent* agent);
// One agent attacks one target: refused (false) for an air target out of reach of its weapon.
bool OrderAttackEntity(Agent* agent, Entity* target);

// ---- The named commands of the player's hand (CommandHandlers.cpp)
// Switches the commands flip, read by the HUD, the frame and the drawing.
extern bool MinimapShown;
extern bool CameraLocked;
extern bool VertexCacheFlag;
extern bool ModelViewerTest;
extern bool DrawGuiShown;

void CmdAttack();
void CmdMove();
void CmdRepair();
void CmdStop();
void CmdLayMine();
// A mine laid by the agent at once: the rig out of its bag, a mine layer from its own count.
void LayMineFrom(Entity* layer);
// An item of the bag, by its names ('|' between them, the first found is used), used at the
// next tick on the target (null: the rig); `how` holds ORDER_USE_ bits.
void GiveItemUse(const char* names, Entity* target, int how);
// An order for one unit (a stop, a scan, a mine) given for the next tick.
void GiveUnitOrder(uint16_t kind, Entity* unit, int argument = 0);
void CmdScan();
// The bag's items used at the next tick. The heal key's health cannister (the large one when
// there is no other) and a cannister in a hotbar slot mend the rig whatever is selected, and
// say why when they cannot; a shield cannister and the other items of the hotbar slots (1..4)
// go on the first selected; a freeze trap is laid by the rig. A refusal (nothing to use,
// nothing it would do) sounds "bad".
void CmdHeal();
// The developer's switch of the units' animation (0) or of its blending (1) set: the world's
// side of ORDER_ANIMATION, and the keys' own outside play.
void SetAnimationSwitch(int which, bool on);
void CmdRechargeShields();
void CmdLayFreezeTrap();
void CmdQuickSlot(int slot);
// How every selected unit of the player's (not the rig) fights: AGENT_STANCE_*. Holding
// position stops a unit that is on the move.
void SetSelectionStance(int stance);
void CmdSelectAll();
// The player's rig: selected alone, or looked at when it is already all that is selected.
void SelectPlayerRig();
// The player's rig among the level's entities, alive; null when the level has none.
Agent* FindLevelRig();
void CmdGotoAlert();
void CmdToggleMinimap();
void CmdToggleFogOfWar();
// The developer's fog of war switched over: in play an order the next tick carries out (the
// level's discoveries read it).
void ToggleFogOfWar();
void CmdToggleCameraLock();
void CmdToggleVertexCache();
void CmdToggleDrawGui();
void CmdToggleShadowBuffer();
void CmdToggleGlowBuffer();
// The group commands, 0..9.
void CmdAssignControlGroup(int group);
void CmdSelectControlGroup(int group);
// The screenshot's file name: "<time>_<n>.<extension>" in the folder with the first n from
// *counter on whose file does not exist yet; *counter moves past it.
void MakeScreenshotName(char* out, size_t size, const char* folder, const char* stamp, const char* format,
                        int* counter);

// ---- Picking and the minimap (Picking.cpp)
// The terrain editor is open: the pick takes splats and static objects too.
extern bool TerrainEditorActive;
bool IsPointOnMinimap(int x, int y);
// The ground point (with the ground's height) of a minimap pixel; the minimap's x runs
// against world x.
Vec3 MinimapToWorld(int x, int y);
// The mission object or fuel vent whose minimap mark lies under the pixel (the nearest of
// several), or null.
Entity* MinimapMarkerAt(int x, int y);
// The camera looks at the ground point of a minimap pixel from 30 units back.
void CenterCameraOnMinimapPoint(int x, int y);
// The one of the grid's four corner cells nearest to the point.
void NearestGridCorner(const Grid* grid, const Vec3& point, int* column, int* row);
