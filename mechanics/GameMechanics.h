#pragma once
// The one game object in play. It carries the program through its screens and a level through
// its life: at start-up (intro state) it registers the named commands, reads the catalogues and
// makes the HUD; at every level start it lays out, generates and populates the level (or reads
// a named scene file over it), builds the terrain, the water, the tile map and the fog of war
// behind the loading screen; at every level end it empties the Scene but for the player's rig,
// hands the agents back to their pool and resets the grid, so that the next level starts from
// nothing the last one left. What is the player's screen (the HUD, the messages, the pick under
// the cursor, the overlays of play) answers quietly here; the player's game (interface/
// PlayerGame.h) draws it.
#include "host/Maths.h"
#include "mechanics/Game.h"
#include "mechanics/Selection.h"
#include "platform/PooledList.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class AIManager;
class AchievementPopup;
class Agent;
class AgentTypeRegistry;
class FloatingTextList;
class MessageBar;
class BuildItemList;
class Item;
class ItemList;
class Grid;
class PathPool;
class GridWalk;
class RigCatalog;
class ProjectileSystem;
class SplatPool;
class Entity;
class GrowthDB;
class MapGenerator;
class Sprite;
class WaterSet;
struct PlayerOrder;

// What the order being carried out is for, as the order names it: its live units (in the order
// given, the first leading), the entity it aims at, the ground point and the keys it was given
// with. Filled only while an order applies; the world's side of an order reads nothing else of
// the hand.
struct OrderContext {
    std::vector<Entity*> units;
    Entity* target = nullptr;
    Vec3 point;
    bool shift = false;
    bool ctrl = false;
    bool fresh = true;
    Entity* First() const { return units.empty() ? nullptr : units.front(); }
};

class GameMechanics : public Game {
public:
    GameMechanics();
    ~GameMechanics() override;

    // The first call (at start-up, intro state) prepares the front end: HUD fonts, the named
    // commands, the GUI's sounds and the catalogues. Later calls are level starts.
    bool Init() override;
    // The level itself (GameMechanicsInit.cpp): the level name "none" takes the configuration's
    // scenefile; the first level reads the primitives and sounds; then the level is laid out
    // and generated (unless the level generator's window made one), populated, and, for a
    // named level, the scene file is read over it. Last the "flag" marker is made. False when
    // the one-time geometry cannot be read.
    bool StartLevel() override;
    // The program's map generator, made on first need (the front end makes it with its window).
    MapGenerator* CreateMapGenerator();
    // The catalogues the world is made from, each made (empty) when absent: the items, the unit
    // types with the agent pool, and the build catalogue.
    void CreateCatalogues();
    // Reads the game's item, unit and build scripts into the catalogues, in that order (units
    // take their weapons from the items, buildings name the units they make). Once.
    void LoadCatalogues();
    // The per-frame update: the mission clock and the status labels in every state; in play,
    // the world's frame in its fixed order, then the objectives and the events.
    void Update() override;
    // The level's end: every entity but the player's rig leaves the Scene (agents back to
    // their pool, the rest freed with the meshes they own; shared meshes stay the library's),
    // the rig is mended, the objectives, events, fog, water, particles, sounds and messages are
    // cleared, the power ledger starts again and the grid's cells reset. A second call on an empty Scene only resets state.
    void EndLevel() override;

    // ---- The tile map (TileMap.cpp)
    // Classifies every cell of the grid from the ground's slope, the level's water and the
    // static objects standing on it, labels the walk regions and marks the steps that climb
    // or drop too far beside collision objects. Runs whole at every call: at level start,
    // when mission objects are placed and after every terrain edit.
    void BuildTileMap();
    // Gives every connected walkable area of the grid's inner cells a label of its own, all
    // of them above the labels of earlier runs.
    void LabelWalkRegions();
    // Closes, around every collision object, the steps between cells whose ground differs by
    // half a unit or more.
    void MarkStepEdges();

    // ---- Agent step planning (AgentStepPlanning.cpp)
    // Plans a stepping agent's way to the point: settles it when it is there, steps it
    // straight into a neighbouring cell, lays a path, or, when the point's cell cannot be
    // had, after a while takes a free cell near it or gives up.
    void StepAgentToward(Agent* agent, const Vec3& target);

    // ---- The player's hand: selection and control groups (Selection.cpp), picking and the
    // minimap clicks (Picking.cpp), the mouse orders (PlayerOrders.cpp)
    // The first selected entity, null with nothing selected.
    Entity* GetFirstSelected();
    // Every selected entity deselected; the selection and the hover list emptied.
    void ClearSelection();
    // A click: replaces the selection, or with the left Shift toggles one of the player's
    // own in a selection of the player's; never beyond 12.
    void SelectEntity(Entity* entity);
    // The player's units and buildings (of one name when given, only those on screen when
    // asked), at most 12.
    void SelectAllOfType(bool onScreenOnly, const char* name);
    // The drag box from the press point (where the left button went down) to the cursor: the
    // player's units on screen it touches (buildings only when no unit is taken), the rig first.
    void BoxSelect();
    // The screen rectangle of the entity's projected position and mesh box.
    bool GetScreenBox(Entity* entity, float* minX, float* minY, float* maxX, float* maxY);
    // The selection (or the units an order names) becomes the group.
    void AssignControlGroup(int group);
    void AssignControlGroup(int group, const std::vector<Entity*>& units);
    // The group's live members become the selection; the same group again within 0.3 s
    // centres the camera on the first of them.
    void SelectControlGroup(int group);
    // The entity's group index again; a dead entity leaves every group.
    void SyncControlGroups(Entity* entity);
    void ClearControlGroups();
    // The entity's control-group line of a scene file; nothing for an entity in no group.
    void WriteControlGroups(Entity* entity, FILE* file);
    // The group numbers of such a line: the entity joins each group 0..9 once (other numbers
    // and full groups are passed over).
    void ReadControlGroups(Entity* entity, const int* numbers, int count);
    // The entity is leaving the level: out of the selection, the hover list, every group
    // and the order flash, whatever its flags say.
    void ForgetEntity(Entity* entity);
    // The camera looks at the entity (null: the first selected) from its distance.
    void CenterCameraOnEntity(Entity* entity);
    // Forgets the flashed order target when it is this entity.
    void ForgetOrderTarget(Entity* entity);

    // Arms a command mode for the next click (1 move, 2 attack, 8 repair, 16 extract, 32
    // instant build, 64 enrich, 128 heal, 256 warp); 4 orders a stop and 512 a scan, both
    // carried out at the next tick; nothing without an entity.
    void SetCommandMode(int mode, Entity* first);
    // The stop order: an agent stops where it is (the rig also drops its placement preview).
    void StopEntity(Entity* entity);

    // The nearest pickable entity the ray meets (null for none): put in the hover list, the
    // hover tint set by what a click on it would do. Without a screen nothing is picked.
    virtual Entity* PickEntity(const Vec3&, const Vec3&) { return nullptr; }
    virtual void SetHoverTint(Entity*) {}
    // The grid cells the four screen corners look at (off-grid corners count as the nearest
    // grid corner); empty (min 100000, max -99999) without a grid.
    void GetVisibleCellRect(int* minColumn, int* minRow, int* maxColumn, int* maxRow);
    // Where the selected building sends its units (on the ground; at the spawning agent it
    // follows); false when the first selected is no building with a rally point.
    bool GetRallyMarkerPoint(Vec3* out);

    // Per frame while playing: the pick, the drag box, the minimap and, on a click, the order.
    void HandleMouseOrders(float dt);
    // One tick of the world, `step` seconds long, in its fixed order; false when the world
    // stops there for this frame (the level ended or was left, or the game is held).
    bool RunWorldTick(float step);
    // The hand's orders: each is given as a PlayerOrder for the selection, the entity under the
    // cursor, the picked point and the keys held now, and carried out at the next tick.
    // The right click: what each selected entity of the player's does to the hovered one.
    void OrderSelected();
    // The selection moves to the picked point (a group in formation, over the river by its
    // crossing, queued with Shift), or a selected building takes it as its rally point.
    void OrderMove(bool attackMove);
    // Attack the hovered entity: one agent, or every selected agent (null).
    void OrderAttack(Agent* agent);
    void OrderRepair(Agent* agent);
    void OrderExtractOre(Agent* agent);
    void OrderHeal(Agent* agent);
    // The left click without a command mode: select what is under the cursor, or place the
    // building being positioned.
    void PlaceBuilding();
    // An order of the mouse of that kind given for the agent (null: the selection), the
    // hovered entity, the picked point and the keys held (and the name of the bag's item it
    // uses); nothing with no unit to give it to.
    void GiveMouseOrder(uint16_t kind, Agent* agent, const char* item = nullptr);

    // ---- The world's side of the orders (PlayerOrders.cpp): what the order names, in ordered.
    void ApplyClickOrder();
    void OrderFromEntity(Entity* selected, Entity* target, bool group, bool force);
    void ApplyMoveOrder(bool attackMove);
    void ApplyAttackOrder(Agent* agent);
    void ApplyRepairOrder(Agent* agent);
    void ApplyExtractOrder(Agent* agent);
    bool AssignExtractOre(Agent* agent);
    void ApplyHealOrder(Agent* agent);
    // The building named put down where the order says, the first unit sent to build it.
    void ApplyPlaceBuilding(const PlayerOrder& order);
    OrderContext ordered;
    // Ends a carry out of the character screen's bag: the item is ordered put down beside the
    // rig; false when nothing was carried or the carried stack may not leave.
    bool DropCarriedItem();
    // The order's item, out of the hand or the bag, put down beside the rig.
    void ApplyDropItem(const PlayerOrder& order);
    // Through a warp platform (the agent's job target) to a seen spot of the same walk region
    // as the agent; "Invalid warp destination!" otherwise.
    bool WarpAgent(Agent* agent, const Vec3& destination);
    // Item uses on the ordered target: an enrichment cannister on ore, an instant build on a
    // building going up. Refused ("bad") without the item (none left) or a fitting target; a
    // use takes one from the item's stack.
    bool UseEnrichmentCannister(Item* cannister);
    bool UseHealItem(Item* instantBuild);
    // The developer's teleport of the ordered agents to the ordered point.
    void DebugTeleportSelection();

    PlayerSelection hand;
    Entity* moveFlag = nullptr;  // shown at a move target for a moment
    Entity* rallyMarker = nullptr;  // the "animflag" primitive, found by the overlays
    float flagTimer = 0.0f;
    float pressTimer = 0.0f;
    int pressX = 0, pressY = 0;
    bool boxDragging = false;
    bool moveRequested = false;  // an entity of the right click fell back to a move
    float hoverTint[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int commandMode = 0;
    int commandArgument = 0;

    // The font of the "Loading..." text and of the game's title on the front end.
    Font* loadingFont = nullptr;
    Font* logoFont = nullptr;
    bool commandsRegistered = false;
    // The level's map grid: 128 x 128 cells of 2.5 units, made with the game object.
    Grid* grid = nullptr;
    // The routes agents walk, lent out and taken back for the whole run: a path an agent holds
    // outlives any one level's teardown order.
    PathPool* pathPool = nullptr;
    // The walk round a dead end over the whole grid, its marks kept for the run.
    GridWalk* walkRound = nullptr;
    // The cells the route searches and walks of the frame routeFrame have taken so far.
    int routeFrame = -1;
    int routeCells = 0;
    // The ground point under the cursor this frame (the mouse orders keep it).
    Vec3 pickedPoint;
    ItemList* items = nullptr;
    AgentTypeRegistry* agentTypes = nullptr;
    BuildItemList* buildItems = nullptr;
    bool cataloguesLoaded = false;
    // The level's "flag" marker (a copy of the primitive, never drawn), and the entity under
    // the mouse; both forgotten at the level's end.
    Entity* flagEntity = nullptr;
    Entity* hoveredEntity = nullptr;
    // The level's rivers, made at the first level that has any and kept for the run.
    WaterSet* water = nullptr;
    // Made with the first level when the front end (or the tools) have not made one.
    MapGenerator* mapGenerator = nullptr;
    GrowthDB* growth = nullptr;
    // Counts from 0 at every level start.
    int levelCounter = 0;
    // The floating texts, the pop-ups and the message bar: the player's game makes them with
    // itself; null without a screen.
    FloatingTextList* floatingTexts = nullptr;
    AchievementPopup* popups = nullptr;
    MessageBar* messageBar = nullptr;
    // The level's attacks in flight and its ground splats: made at the first level start, kept
    // for the run, emptied at every level's end (TheProjectiles and TheSplats point at them).
    ProjectileSystem* projectiles = nullptr;
    SplatPool* splats = nullptr;
    // The raids against the player: made at start-up, kept for the run.
    AIManager* aiManager = nullptr;
    // The rig's parts and the current profile (TheRigCatalog): made at start-up after the unit
    // types, kept for the run.
    RigCatalog* rigCatalog = nullptr;

    // ---- The HUD's frame (the player's game's; nothing without a screen)
    // The mission HUD's counters, rates and build buttons, every playing frame.
    virtual void UpdateHud() {}
    // The FPS, clock and debug labels for this frame (the mission time only in play).
    virtual void UpdateStatusLabels(bool) {}
    // The pop-ups and the message bar age by dt, and the floating texts when asked.
    virtual void UpdateMessages(float, bool) {}

protected:
    // A level's end: the selection, the control groups and the order flash go (and, with a
    // screen, the main display's panels and the in-game menu's windows).
    virtual void EndLevelHud();
    // The messages shown to the player emptied at every level's end; none without a screen.
    virtual void ClearMessages() {}

private:
    // The frames' time gathered for the world and not yet run as a tick.
    double worldTime_ = 0.0;
    // Whether the game was held at the last frame of play.
    bool pausedBefore_ = false;
};

extern GameMechanics* TheGame;

// Selects the player's rig alone, or looks at it when it already is all that is selected (the
// "select_player" command); the shell calls it at every level start. Nothing to select until
// the world has a rig.
void CmdSelectPlayer();
// The named commands the key bindings refer to.
void RegisterGameCommands();
// Puts an item on the ground on a free spot beside the player's rig and into the level; false
// (the item still the caller's) without a rig or when the level refuses it.
bool PlaceItemBesideRig(Item* item);
// The current environment's weather (snow, mist or dust), as a level starts with it; nothing
// without an environment or for an environment without weather.
void SpawnWeather();
// Every running snow, mist and dust system ends.
void StopWeather();
// The journal entries the string tables hold: n = 1, 2, ... while "<journal_n>" and
// "<journal_n_desc>" both exist, at most 30; counted once, when the tables are there.
int CountJournalEntries();
// Toggled by the developer's speed commands, read by the per-frame update.
extern float GameSpeed;
// Developer switches that add to the status labels: texture memory, and the music player.
extern bool TextureStatsShown;
extern bool MusicDebugShown;

// The status labels' texts, as the per-frame update writes them.
struct TextureStats {
    int totalMemory;
    int availableMemory;
    int textureCount;
};
// "FPS: 60.0\n", with the game speed when it is not 1 and the texture figures when given.
void FormatFpsText(char* out, size_t size, float framesPerSecond, float speed, const TextureStats* stats);
// "Mission time: 59:59\n" below an hour, "Mission time: 1:00:00\n" from then on.
void FormatMissionTime(char* out, size_t size, float seconds);
// "       Clock: 9:05 PM\n" (the hour without a leading zero).
void FormatClockText(char* out, size_t size, int hour, int minute);
