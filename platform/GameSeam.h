#pragma once
// The one way the engine asks the game anything. The engine floors (platform, render) never
// include the game: whatever they need to know of it (the pause, the ground, the entities, the
// fog of war, the windows that take typing, the level's environment) they ask through this
// interface. The game implements it, the shell installs that implementation at start-up, and
// until then (and in tests) the null seam answers: no game, no level, nothing selected, no
// windows, a flat empty map of 320 x 320.
//
// Contract of an operation: it answers from the game's current state and changes nothing but
// what its name says (SetFollowButton). It is called on the main thread only. Entities are
// opaque here: the engine holds Entity pointers the game gave it and hands them back.
#include "host/Maths.h"

class Entity;

class GameSeam {
public:
    virtual ~GameSeam() = default;

    // ---- The game's clock
    // The game is paused: everything that runs on game time (camera shake, particles) stands.
    virtual bool IsGamePaused();
    // A level is being played (not the intro, the front end or a level still loading).
    virtual bool IsPlaying();

    // ---- The ground
    // The map's extent in world units on x and z.
    virtual void GetMapSize(float* width, float* height);
    // The ground height under (x, z); option is passed to the terrain's height query as it
    // stands. False when there is no ground: the caller keeps the height it had.
    virtual bool GetTerrainHeight(float x, float z, int option, float* height);
    // Where a ray first meets the terrain; false when it misses or there is no terrain.
    virtual bool IntersectTerrain(const Vec3& origin, const Vec3& direction, Vec3* hit);
    // The walls that rim the map: the highest ground along its edges, and how far in from the
    // edges the ground still stands at `level` or above (0 where it stays lower). A flat map
    // has no rim: both are 0.
    virtual float GetRimTop();
    virtual float GetRimDepth(float level);
    // The share of the screen's height the HUD's bottom bar covers, from the screen's lower edge
    // to the top of the command bar: ground under it need not be map, so that the map's edge can
    // be brought above it. 0 without a HUD.
    virtual float GetCoveredBottomShare();

    // ---- Entities
    virtual Vec3 GetEntityPosition(Entity* entity);
    // The middle of the entity (what the camera keeps in view when it follows one).
    virtual Vec3 GetEntityCenter(Entity* entity);
    virtual Vec3 GetEntityVelocity(Entity* entity);
    // The entity has died (particle systems then let go of it).
    virtual bool IsEntityDead(Entity* entity);
    // The entity is drawn this frame.
    virtual bool IsEntityVisible(Entity* entity);
    // Only agents (mobile units) can be followed by the camera.
    virtual bool IsAgent(Entity* entity);
    // The point the camera measures its distance to: the "Chassis" bone of a skinned mesh that
    // has one, else the centre.
    virtual Vec3 GetFollowPoint(Entity* entity);
    // The first selected entity; null when nothing is selected.
    virtual Entity* GetFirstSelected();

    // ---- Fog of war and water
    // The player can see the point (or the entity): it is not under the fog of war.
    virtual bool IsPositionRevealed(const Vec3& position);
    virtual bool IsEntityRevealed(Entity* entity);
    // The box around the visible water; false when none is visible.
    virtual bool GetVisibleWaterBox(Vec3* min, Vec3* max);
    // A random point of a visible water zone not hidden by fog; false when there is none.
    virtual bool GetRandomWaterPoint(Vec3* out);

    // ---- The HUD, the windows and typing
    // The HUD's follow button shows whether the camera follows the selection.
    virtual void SetFollowButton(bool on);
    // A window that takes typing (an edit box, the developer console's line) has the keyboard:
    // keys are text, not hotkeys, and the arrows move its caret rather than the camera.
    virtual bool IsTextInputFocused();
    // The game's in-game text-entry line is open: the arrows and Page Up/Down are typing keys.
    virtual bool IsTextEntryActive();
    // A visible window lies under the screen point (the wheel then scrolls it, not the camera).
    virtual bool IsPointOverWindow(int x, int y);
    // The developer console's slow camera auto-rotation is on, and its speed in radians a
    // second (0.5 unless the console set another).
    virtual bool IsAutoRotateOn();
    virtual float AutoRotateSpeed();

    // ---- The level's environment
    // The index of the current level's environment; -1 when there is none.
    virtual int GetCurrentEnvironment();
    // The index of an environment by name; 0 when no environment has the name.
    virtual int FindEnvironment(const char* name);
};

// The seam of no game at all: every answer above as documented for "no game". Tests derive
// their worlds from it and override only what they stage.
class NullGameSeam : public GameSeam {};

// Installs the game's seam; null puts the null seam back. The seam must outlive its use.
void SetGameSeam(GameSeam* seam);
// The installed seam (the null seam until the game installs its own).
GameSeam& GetGameSeam();
