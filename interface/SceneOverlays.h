#pragma once
// The overlays of play drawn over the lit scene (GameMechanics::RenderScene): their scene
// primitives, and the sizes and places of the rings and the placement footprint.
#include "host/Maths.h"

#include <cstdint>

class BuildItem;
class Entity;
class Grid;

enum OverlayPrimitive : int {
    OVERLAY_RED,
    OVERLAY_GREEN,
    OVERLAY_BLUE,
    OVERLAY_YELLOW,
    OVERLAY_REDTILE,
    OVERLAY_GREENTILE,
    OVERLAY_BLUETILE,
    OVERLAY_SELECTION,
    OVERLAY_SELECTSQ,
    OVERLAY_ATTACK_CIRCLE,
    OVERLAY_ANIMFLAG,
    OVERLAY_FLAG,
    OVERLAY_CUBE,
    OVERLAY_PRIMITIVE_COUNT
};

// The primitives of primitives.cgs the overlays draw, found by name on the first frames that
// miss them and kept (a name not found is looked for again next frame).
struct OverlayPrimitives {
    Entity* slots[OVERLAY_PRIMITIVE_COUNT] = {};
    void LookUpMissing();
    void Forget()
    {
        for (Entity*& slot : slots) slot = nullptr;
    }
};
extern OverlayPrimitives Overlays;

// The radius of the ring under an entity: its grid footprint's larger side in cells (a ground
// unit's as it stands on a grid point facing ahead, wherever it is and however it is turned),
// or, for a building with a footprint and for anything that is neither agent nor building, 0.45
// of its mesh's wider horizontal extent times its scale. A selected air unit's ring is a third
// of its size and lies 1.0 below it (lowered receives the drop).
float RingSize(Entity* entity, bool forSelection, float* lowered);
// Where the ring lies: an agent's position, anything else's centre.
Vec3 RingCentre(Entity* entity);
// The gold ring that marks a mission object or a fuel vent the player has found, at rest (it
// breathes a little wider): its centre and outer radius on the ground. False for anything else,
// and for a marked thing that is gone or not yet found.
bool MissionMarkRing(Entity* entity, Vec3* centre, float* radius);
// The ring instance's flag word: 1 (laid on the ground) for all but air units, which are
// coloured by side: 2 the player's, 4 an enemy's, 8 anyone else's.
uint32_t RingFlags(Entity* entity);
// The cells a building being placed would cover: the corner of its first cell and how many
// columns and rows (an add-on: the one cell under it). False when it is off the grid.
bool PlacementFootprint(const BuildItem* item, Grid* grid, Vec3* origin, int* columns, int* rows);

// The pulsing ring on the target of the last order: its time left after a frame of dt (never
// below 0), how far it swells at the flash's own clock, and its tint by what the target is
// (light blue the player's, red an enemy or a trap to trigger, yellow anything else).
float OrderFlashStep(float timeLeft, float dt);
float OrderFlashPulse(float clock);
Vec3 OrderFlashTint(Entity* target);
// The colour of a developer overlay's number: red grows and green fades with the value.
uint32_t OverlayTextColour(float value);
