#pragma once
// The minimap's alert pings: a pulsing marker where a player unit or building was hit, or
// where the player gave an order, shown for a short time (2 s for every caller). One ping per
// entity: a new one for the same entity replaces the old. The list also draws, while Shift is
// held, where the selected unit or building sends its units, and always the rig's marker.
//
// The list is drawn into the minimap picture, which is redrawn every 0.1 s: each drawing
// takes 0.1 s off every ping. A fixed pool of 32 pings; a full list drops new ones.
#include "host/Maths.h"
#include "platform/PooledList.h"

class Entity;
class Sprite;

enum PingKind : int { PING_DAMAGE = 0, PING_ORDER = 1 };

struct Ping {
    Vec3 position;
    int kind;
    float timeLeft;
    int entityId;
};

class PingList {
public:
    static constexpr int CAPACITY = 32;
    // Seconds one minimap picture takes off every ping.
    static constexpr float STEP = 0.1f;

    PingList();
    ~PingList();
    PingList(const PingList&) = delete;
    PingList& operator=(const PingList&) = delete;

    // False when the list is full (the ping is dropped). A damage ping is remembered as the
    // last damage alert, with the frame it was raised in.
    bool Add(const Vec3& position, int kind, int entityId, float time, int frame);
    // The first listed ping equal to this one (positions within 0.001, same kind and id).
    bool Remove(const Ping& ping);
    // Every ping, and the last damage alert.
    void RemoveAll();
    // One picture's worth of time off every ping; the expired leave the list.
    void Step();
    // Draws the pings into the current target (a screen of ws x hs), then, while shiftHeld,
    // where the selected entity sends its units, then the rig's marker (without a rig, none).
    // Steps the list first.
    void Draw(int ws, int hs, Sprite* rigMarker, Entity* rig, Entity* selected, bool shiftHeld);
    // The ping sprite, from the screen height.
    void CreateSprite(int screenHeight);
    void ReleaseSprite();

    // The ping's marker size for its pulse phase, on a screen of ws x hs.
    static void PulseSize(float timeLeft, int ws, int hs, int* width, int* height);

    // Where the selection is headed: a building's rally point, or a moving agent's target and
    // its queued waypoints (up to max). False when there is nothing to show.
    static bool FindDestination(Entity* selected, Vec3* destination, Vec3* waypoints, int max, int* waypointCount);

    PooledList<Ping> list;
    Sprite* sprite = nullptr;
    Vec3 lastAlertPosition;
    int lastAlertFrame = 0;
};
