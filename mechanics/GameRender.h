#pragma once
// What the in-game frame keeps between its passes: the switches the HUD and the developer
// commands flip, the targets the passes draw into, and the helpers entity drawing shares with
// the overlays of play. The passes themselves are operations of the Game object (Game.h).
#include "host/Maths.h"

#include <cstdint>

class Entity;
class GfxSurface;
class GfxTexture;
struct TextureRecord;

// Render passes, as entity drawing and the meshes understand them.
enum RenderPass : int {
    PASS_COLOUR = 0,      // the lit scene
    PASS_SHADOW = 1,      // depth from the light into the shadow map
    PASS_REFLECTION = 2,  // mirrored at the water into the reflection map
    PASS_GLOW = 3,        // what glows, into the glow target
};

// Post-processing (the scene drawn into a target, then copied and glowed onto the back
// buffer): on at start; the HUD toggles it and wireframe clears it.
extern bool PostProcessing;
extern bool Wireframe;
extern bool DebugDrawShadowBuffer;
extern bool DebugDrawGlowBuffer;
// Buildings draw their collision mesh too (the console's "collision"); off at start.
extern bool ShowCollisionVolumes;
// Lighting of the scene's meshes; on unless a developer turns it off.
extern bool SceneLighting;
// The pass being drawn, for drawing code that behaves differently per pass.
extern int CurrentRenderPass;
// Set by the frame when some water is in view and something reads its reflection; the
// reflection pass runs only then.
extern bool WaterVisible;
extern float ReflectionHeight;
// Whether a heightfield spanning the box's xz rectangle, between its two heights, covers every
// pixel seen through that view and projection: each corner edge of the view volume goes down
// through both heights between its near and far ends, over the rectangle.
bool GroundFillsView(const Matrix& view, const Matrix& projection, const Vec3& groundMin, const Vec3& groundMax);
// Whether anything shows the reflection map: a compiled effect that samples it, or the
// developer's view of the frame's targets. A map nobody reads is not worth drawing.
bool ReflectionIsRead();

// The frame's own targets. The scene and glow targets live in the texture manager (made again
// after a device reset); the rest are the frame's and are dropped at a device loss and made
// again by the next frame that needs them.
struct GameRenderTargets {
    TextureRecord* scene = nullptr;  // "RT_renderTarget"
    TextureRecord* glow = nullptr;   // "RT_glow"
    TextureRecord* glowBlur = nullptr;  // "RT_glowBlur": the glow blurred, at the glow's size
    GfxSurface* glowDepth = nullptr;
    GfxTexture* shadowMap = nullptr;
    GfxSurface* shadowDepth = nullptr;
    int shadowMapSize = 0;
    GfxTexture* reflectionMap = nullptr;
    // The reflection map's own depth: the screen's may be smaller than the map.
    GfxSurface* reflectionDepth = nullptr;
    // Once a shadow map has been made with object ids, every later one is too.
    bool idBuffers = false;
};
extern GameRenderTargets RenderTargets;

constexpr int REFLECTION_MAP_SIZE = 512;
constexpr int DEFAULT_SHADOW_MAP_SIZE = 1024;

// The shadow map's format for a shadowType (sticky: see idBuffers).
uint32_t ShadowMapFormat(int shadowType);
// Lets go of every target the frame owns (device loss, and the end of the program).
void ReleaseGameRenderTargets();
// Also forgets the targets the texture manager holds (the scene and glow targets), for when
// that manager goes: a game started again in the same process makes them anew.
void ForgetGameRenderTargets();

// The rotation turning the up axis onto the ground's normal under the entity.
Matrix ComputeTerrainTilt(Entity* entity);
// The world matrix entity drawing uses for an entity: turned (and tilted onto the ground when it
// asks for it), moved to its place, or hung on its parent's bone; withOffset adds the draw
// offset of scene objects.
Matrix EntityWorldMatrix(Entity* entity, bool withOffset);
// Whether the entity is seen in a pass: its mesh box against the pass's view volume, and, while
// the fog of war hides the ground, only where the player sees. The colour and glow passes
// share one answer per frame.
bool IsEntityVisible(Entity* entity, int pass);
// Below five seconds a cloak blinks: whether the agent shows plainly this frame.
bool CloakShowsPlainly(float cloakTimeLeft);
// How much a ground splat is raised for its lift value.
float SplatLift(float liftValue);
