#pragma once
// The player's orders. Everything the player's hand does that changes the world reaches it as
// an order given now and applied at the start of the next tick, so that a level's course is its
// seed and the orders of each tick alone: the same orders at the same ticks play the same game,
// whatever the frame rate, the camera or the selection. A replay records exactly these orders and
// feeds them back at their ticks in place of the hand's.
//
// An order names entities by their level number (LevelNumberOf), which is the same in every play
// of the level, never by pointer or by the program-wide id.
#include "host/Maths.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Entity;

// The kinds of order. Numbers are stored in replays: append new kinds, never renumber.
enum PlayerOrderKind : uint16_t {
    ORDER_NONE = 0,
    // The mouse on the world: the right click (what each unit does to the target, or a move),
    // and the left click of an armed command. args[0] holds the ORDER_FLAG_ bits.
    ORDER_CLICK = 1,
    ORDER_MOVE = 2,
    ORDER_ATTACK_MOVE = 3,
    ORDER_ATTACK = 4,
    ORDER_REPAIR = 5,
    ORDER_EXTRACT = 6,
    ORDER_HEAL = 7,
    ORDER_INSTANT_BUILD = 8,
    ORDER_ENRICH = 9,
    // The building of `text` put down at `point` (args[0] 1: free), the first unit to build it.
    ORDER_PLACE_BUILDING = 10,
    // The developer's teleport of the units to the point.
    ORDER_TELEPORT = 11,
    // The named commands on the units: stop, a stance (args[0]), a scan, a mine laid.
    ORDER_STOP = 12,
    ORDER_STANCE = 13,
    ORDER_SCAN = 14,
    ORDER_LAY_MINE = 15,
    // An item of the bag used: the first found of the names in `text` (separated by '|'), on
    // the target (none named: the rig). args[0] holds the ORDER_USE_ bits.
    ORDER_USE_ITEM = 16,
    // The unit type `text` added to a factory's queue (the target). A stop on a factory takes
    // the last one back.
    ORDER_QUEUE_UNIT = 17,
    // Control group args[0] made of the units.
    ORDER_ASSIGN_GROUP = 18,
    // The game speed, args[0] in 1/16ths.
    ORDER_GAME_SPEED = 19,
    // The game held and let go again. No tick runs while it is held, so both land at the first
    // tick after it is let go: the world is not touched by them; a replay knows where the
    // player stopped.
    ORDER_PAUSE = 20,
    ORDER_RESUME = 21,
    // The game saved under `text`: the save is written between ticks, when it is given; the
    // order marks where.
    ORDER_SAVE = 22,
    // The research computer (the target) set to program args[0]; the program it runs already
    // goes on undisturbed.
    ORDER_RESEARCH_PROGRAM = 23,
    // The unit held in a recycler (the target) recycled (args[0] 1) or let out again (0).
    ORDER_RECYCLE = 24,
    // The upgrader's panel on the upgrader (the target): upgrade args[0] (1-based) stepped a
    // level up (args[1] 1) or down (-1); the chosen upgrades started, paid for; the unit inside
    // let out, a running upgrade paid back.
    ORDER_UPGRADE_CHOICE = 25,
    ORDER_UPGRADE_START = 26,
    ORDER_UPGRADE_EJECT = 27,
    // A mine made by the mine layer (the first unit) for ore and fuel (args[0] 1), or the one
    // being made given up and paid back (0; with none being made, 0 makes one as 1 does).
    ORDER_BUILD_MINE = 28,
    // The building still under construction (the target) taken down, its price paid back.
    ORDER_CANCEL_CONSTRUCTION = 29,
    // The unit at place args[0] (1: the one in production) of a factory's queue (the target)
    // taken back, when it is still of the type `text`.
    ORDER_UNQUEUE_UNIT = 30,
    // The item `text` carried out of the bag put down beside the rig: one of it, out of slot
    // args[0] - 1 when it still holds one (args[0] 0: the first slot that does).
    ORDER_DROP_ITEM = 31,
    // The pattern `text` in slot args[0] of the bag learnt.
    ORDER_LEARN_PATTERN = 32,
    // The level left by a restart or an abort. The level ends when they are given, so no tick
    // carries them out: the replay keeps them at its last tick to say how the player left.
    ORDER_RESTART = 33,
    ORDER_ABORT = 34,
    // A skill point spent on skill args[0] (1-based) on the character screen in a level.
    ORDER_SPEND_SKILL = 35,
    // The rig's slot args[0] (args[1] 0: a weapon's attachment, 1: a module) pressed on the
    // character screen with the part `text` in hand (none: an empty hand), taken out of bag slot
    // (args[1] >> 8) - 1 when it still holds it (0: the first slot that does): the part fitted,
    // the one it replaces (or the slot's own) put into the bag, where the hand then holds it.
    ORDER_FIT_PART = 36,
    // The developer's fog of war switched on (args[0] 1) or off (0): what the player's sight
    // uncovers, and with it what the level's events see discovered.
    ORDER_FOG_OF_WAR = 37,
    // A line of the developer console that changes the world (`text`), run on the units with, in
    // `point`, the place it needs from the view (the mouse's point, the ground the camera looks
    // at), both taken when the line was entered.
    ORDER_CONSOLE = 40,
    // The item `text` of bag slot args[0] & 0xff put on slot args[0] >> 8: all of it (args[1] 0)
    // or args[1] of its stack. Placed on an empty slot, merged into a stack of its name, or
    // (all of it) swapped with what lies there. From slot 255: what the hand carried into the
    // level, put where its kind goes.
    ORDER_MOVE_ITEM = 41,
    // The developer's switch of the units' animation (args[0] 0) or of its blending between
    // keys (1) set to args[1]: the poses, and with them where weapons fire from.
    ORDER_ANIMATION = 42,
    // A placement of the developer's terrain editor: the mesh `text` at `point` as scenery
    // (args[0] 0) or ore (1), blocking the grid when args[1] is 1; the unit type `text` at
    // `point` (args[0] 2); the splat brush `text` at `point` (args[0] 3) with the picture and
    // normals of args[1] & 0xff and args[1] >> 8.
    ORDER_EDITOR_PLACE = 43,
};

// The keys and the press an order of the mouse was given with.
enum PlayerOrderFlag : int32_t {
    ORDER_FLAG_SHIFT = 1,   // queued behind what the units do
    ORDER_FLAG_CTRL = 2,    // forced (an attack on a friend, an attack-move)
    ORDER_FLAG_FRESH = 4,   // a fresh press, not a button held since an earlier one
};

// How an item order was given and what it says when it cannot be used.
enum PlayerOrderUse : int32_t {
    ORDER_USE_QUIET = 1,    // refused without the "bad" sound
    ORDER_USE_EXPLAIN = 2,  // refused with a message that says why
    ORDER_USE_RIG_ONLY = 4, // only the rig may use it (traps)
};

constexpr uint32_t NO_LEVEL_ENTITY = 0xffffffffu;

struct PlayerOrder {
    uint16_t kind = ORDER_NONE;
    // The level numbers of the entities the order is for (the selection when it was given).
    std::vector<uint32_t> units;
    // The level number of the entity it aims at.
    uint32_t target = NO_LEVEL_ENTITY;
    // A place on the ground.
    Vec3 point;
    // Small arguments: a mode, a slot, a group, flags.
    int32_t args[2] = {0, 0};
    // A name: an item's, a build's, a save's.
    std::string text;

    bool operator==(const PlayerOrder& other) const;
    bool operator!=(const PlayerOrder& other) const { return !(*this == other); }
};

// The orders' bytes (little-endian, fixed widths), as a replay stores them.
void AppendOrder(std::string& out, const PlayerOrder& order);
// Reads one order at *at and moves *at past it; false (and *at unmoved) when the bytes there are
// short or not an order. Never reads past the end, never trusts a count it read.
bool ReadOrder(const std::string& in, size_t* at, PlayerOrder* out);

// An entity's number within the level it is in: the same in every play of the level, whatever
// the program made before it. NO_LEVEL_ENTITY for null.
uint32_t LevelNumberOf(const Entity* entity);
// The level's entity of that number, null when there is none (or it has left the level).
Entity* EntityOfLevelNumber(uint32_t number);
// Where the level's numbers start: set when a level starts, before it makes anything.
void StartLevelNumbers();

class OrderQueue {
public:
    // The hand gives an order: it is applied at the start of the next tick. Ignored while a
    // replay feeds the orders.
    void Give(const PlayerOrder& order);
    // The orders of the tick about to run, in the order given, taken out of the queue: the
    // hand's, or while a replay plays, the replay's (FeedForTick).
    std::vector<PlayerOrder> TakeForTick();
    // A replay's orders for the next tick, in place of the hand's.
    void FeedForTick(std::vector<PlayerOrder> orders);
    // While true the hand's orders are dropped and only fed ones apply.
    bool fedByReplay = false;
    // Everything waiting dropped (a level's start and end).
    void Clear();
    size_t Waiting() const { return waiting_.size(); }
    const std::vector<PlayerOrder>& WaitingOrders() const { return waiting_; }
    // The orders the last tick took, kept until the next one takes its own.
    const std::vector<PlayerOrder>& LastTaken() const { return lastTaken_; }

private:
    std::vector<PlayerOrder> waiting_;
    std::vector<PlayerOrder> lastTaken_;
};

extern OrderQueue TheOrders;

// Carries out one order at the start of a tick: the units and the target it names are looked
// up by their level numbers, and those dead or gone are passed over. Nothing here reads the
// selection, the cursor or the keys: the order holds all it needs.
void ApplyPlayerOrder(const PlayerOrder& order);
// The level numbers of the selection as it is now: the units an order of the hand is for.
std::vector<uint32_t> SelectionLevelNumbers();
