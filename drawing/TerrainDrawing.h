#pragma once
// The drawing of the sky and of what lies on the ground.
class SplatPool;

// The splats in view, each a little higher the further it lies from the camera, fading through
// their vertex alpha without hiding the ground.
void DrawSplats(const SplatPool& splats, int pass);
// Draws the sky for a colour pass: scaled by 10, centred on the eye (the view without its
// translation), without depth test or depth writes. The depth and glow passes draw none. With
// draw false it draws nothing but leaves every state as a drawing would: a frame whose ground
// hides the sky draws the rest as if the sky had been drawn.
void DrawSky(int pass, bool draw = true);
