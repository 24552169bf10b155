#pragma once
// Scan pulses: a unit with the Scan command sends out a glowing ring that hugs the ground
// around it and grows for one second, revealing the hidden ore it passes over; the unit must
// then wait five seconds before it scans again, and the HUD's Scan button counts the wait
// down (through ScanHooks). The pulses live in one object for the whole run; the game's update
// moves them and the terrain's render passes draw their ring.
//
// The wait of each scanning unit is kept with its pulse: a unit has waited enough when no
// pulse of its own is listed (GetCooldown answers 0).
#include "host/Maths.h"
#include "platform/PooledList.h"
#include "render/DeviceListing.h"
#include "world/Entity.h"

class IndexedMesh;

// What the pulses show the player on the HUD's Scan button: the waiting look when a pulse
// starts, and the first selected unit's wait counting down. The terrain's own answers show
// nothing; the interface puts the HUD's in their place at start-up
// (interface/PlayerAnswers.cpp), which leave the button alone while the HUD has none. A test
// listens by deriving and installing its own.
class ScanHooks {
public:
    virtual ~ScanHooks() = default;
    // A unit started a pulse.
    virtual void ScanStarted();
    // The first selected unit's wait before its next scan ("Scan(4)"); 0: it may scan ("Scan").
    virtual void ShowScanWait(float wait);
};
// The answers in use: the terrain's quiet ones until the interface or a test puts its own here.
extern ScanHooks* TheScanHooks;

struct ScanRecord {
    EntityRef entity;
    Vec3 position;
    float innerRadius = 1.0f;
    float outerRadius = 4.0f;
    float phase = 0.0f;  // how far the ring has grown, in world units
    float currentOuter = 0.0f;
    float maxPhase = 7.5f;
    float speed = 7.5f;  // world units a second
    int segments = 24;
    float cooldown = 5.0f;  // seconds the unit waits before its next scan
    bool active = false;    // the ring is growing
    bool ready = true;
    float wait = 0.0f;  // what is left of the unit's wait
};

class ScanEffects {
public:
    static constexpr int CAPACITY = 16;

    ScanEffects();
    ~ScanEffects();
    ScanEffects(const ScanEffects&) = delete;
    ScanEffects& operator=(const ScanEffects&) = delete;

    // The unit a scan order names (the first selected when it was given) starts a pulse when it
    // has the Scan command and has waited enough. False, with nothing changed, otherwise, and
    // while 16 pulses run.
    bool BeginScan(Entity* entity);
    // Once a frame from the game's update, drawn or not: the waits run down (not while the
    // game is paused), and the rings grow and reveal the ore they pass over.
    void Update();
    // For every render pass of the terrain: the growing rings are drawn in every pass but the
    // shadow and reflection passes (1 and 2). Drawing changes nothing of the pulses.
    void Draw(int pass);
    // No pulse and no wait: the pulses of the level before (its rig's wait among them) are not
    // the next level's. The Scan button shows the scan ready.
    void Clear();
    // The unit's wait before its next scan; 0 when it may scan.
    float GetCooldown(const Entity* entity) const;
    // Where the ring's vertices lie for a pulse: inner circle first, then the outer one, on
    // the ground and one unit above it.
    static void RingPositions(const ScanRecord& record, Vec3* out);

    bool BuildRingMesh();
    // The ring's buffers go with the device and come back after a reset; the mesh stays.
    void ReleaseBuffers();
    void RestoreBuffers();
    void Release();

    PooledList<ScanRecord> list;
    IndexedMesh* ringMesh = nullptr;

private:
    void RewriteRing(const ScanRecord& record);
    void DrawRing(int pass);

    DeviceListing<ScanEffects, &ScanEffects::ReleaseBuffers, &ScanEffects::RestoreBuffers> listing_{
        this, RELEASE_SCAN_RING, RESTORE_SCAN_RING};
};

extern ScanEffects TheScanEffects;

// The Scan button of the HUD shows the first selected unit's wait ("Scan(4)") or "Scan".
void UpdateScanButton();
