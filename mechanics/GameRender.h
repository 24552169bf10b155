#pragma once
// The in-game frame's passes and the switches the HUD and the developer's commands flip. The
// world keeps them for the keys that flip them; the frame that reads them is the drawing's
// (drawing/WorldFrame.h).

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
