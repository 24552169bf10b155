#pragma once
// The in-game frame, drawn over the world by the player's game: the passes (DrawnGame), the
// targets they draw into, and the helpers entity drawing shares with the overlays of play. The
// world's own game object draws nothing; this one reads the world and draws it.
#include "host/Maths.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/GameRender.h"

#include <cstdint>

class Entity;
class GfxSurface;
class GfxTexture;
struct TextureRecord;

// The world's game object with its picture: the frame's passes (WorldFrame.cpp) and one pass of
// everything drawn of the world (EntityDrawing.cpp). The player's game derives from it.
class DrawnGame : public GameMechanics {
public:
    // Lights, sky, reflection and the colour pass; one pass of everything drawn of the world;
    // the shadow map from the light; the mirrored pass into the water's reflection map. The
    // clears bind their map and clear it (restoreTarget puts render target 0 back afterwards).
    void RenderScene() override;
    void RenderEntities(int pass) override;
    void RenderShadowMap() override;
    void ClearShadowMap(bool restoreTarget) override;
    void RenderReflection() override;
    void ClearReflectionMap(bool restoreTarget) override;
    // (Re)makes the shadow map and its depth surface in the format shadowType asks for; false
    // (reported) when either could not be made.
    bool CreateShadowMap() override;
    // Level start and end: the shadow map and its depth surface go; the next frame with
    // shadows on makes them again.
    void ReleaseShadowMap() override;
    // Makes the reflection map when missing; false when it could not be made.
    bool CreateReflectionMap() override;
    // Draws and presents the whole in-game frame.
    void Render() override;
};

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

// Whether the player sees the entity in this picture (inside the view and not hidden by the fog
// of war), worked out once a frame and again after a tick, with its distance to the camera. The
// world never asks. Mode 1 answers afresh without keeping anything: discovered, for an agent
// seen in the fog now, and in view.
bool IsInPicture(Entity* entity, int mode = 0);
// Draws an entity's mesh for a render pass: tinted red while selected, lit in the flash colour
// (through the fixed pipeline) while a hit flash lasts; a building with its added parts and the
// unit it holds, or its collision mesh in the developer's view.
void DrawEntityMesh(Entity* entity, int pass);
// Draws a mounted object (a weapon) on a joint of an entity's mesh, found by name or else by
// index, for a render pass. unscaled: the entity's scale is left out. Nothing is drawn
// without an entity, an object, a mesh with joints or a joint of that name or index.
bool ComputeWeaponMountMatrix(Entity* entity, Entity* mounted, const char* jointName, int jointIndex, int pass,
                              bool unscaled, float rollDegrees);
// The world matrix ComputeWeaponMountMatrix sets (false when it would draw nothing).
bool WeaponMountMatrix(Entity* entity, const char* jointName, int jointIndex, bool unscaled, float rollDegrees,
                       Matrix* out);
