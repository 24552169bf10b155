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
    // Further kinds are added as the hand's paths move onto the queue.
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

private:
    std::vector<PlayerOrder> waiting_;
};

extern OrderQueue TheOrders;
