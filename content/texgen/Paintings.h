#pragma once
// The painters of the texture table, grouped by where the textures are seen. Each paints a
// canvas of its recipe's size and returns false (logged) when it cannot, such as when a font
// is missing.
#include "content/texgen/Canvas.h"

// Engine defaults and lookups (BasicTextures.cpp).
bool PaintNoTexture(Canvas& c);
bool PaintWhite(Canvas& c);
bool PaintRed(Canvas& c);
bool PaintGreenAlpha(Canvas& c);
bool PaintGrid(Canvas& c);
bool PaintDefault(Canvas& c);
bool PaintFlatNormal(Canvas& c);
bool PaintPow30(Canvas& c);
bool PaintDefaultColourMap(Canvas& c);
bool PaintParticle(Canvas& c);

// Particle shapes (ParticleTextures.cpp).
bool PaintSmoke(Canvas& c);
bool PaintSpark(Canvas& c);
bool PaintFlame(Canvas& c);
bool PaintRing(Canvas& c);
bool PaintSnowflake(Canvas& c);
bool PaintStar(Canvas& c);

// Ground, water and lava (GroundTextures.cpp).
bool PaintGrass(Canvas& c);
bool PaintDirt(Canvas& c);
bool PaintRock(Canvas& c);
bool PaintSand(Canvas& c);
bool PaintSnow(Canvas& c);
bool PaintAsh(Canvas& c);
bool PaintGroundNormals(Canvas& c);
bool PaintWaves(Canvas& c);
bool PaintLavaRiver(Canvas& c);

// The terrain's default decoration atlas and its normal map (SplatTextures.cpp).
bool PaintGreenSplats(Canvas& c);
bool PaintGreenSplatNormals(Canvas& c);

// Front end and HUD pictures (GuiTextures.cpp, CommandIcons.cpp, CursorIcons.cpp).
bool PaintPresentsText(Canvas& c);
bool PaintMainLogo(Canvas& c);
bool PaintBuildBack(Canvas& c);
bool PaintCommandIcons(Canvas& c);
bool PaintCursors(Canvas& c);

// The GUI toolkit's frames, panels, faces and fills (GuiWidgets.cpp).
bool PaintGuiBlack(Canvas& c);
bool PaintGuiTransparent(Canvas& c);
bool PaintGuiFrame(Canvas& c);
bool PaintGuiCentre(Canvas& c);
bool PaintGuiExtra(Canvas& c);
bool PaintPanelBlue(Canvas& c);
bool PaintSolidDarkGrey(Canvas& c);
bool PaintFrameBlue(Canvas& c);
bool PaintFrameBlack(Canvas& c);
bool PaintButtonUnpressed(Canvas& c);
bool PaintButtonPressed(Canvas& c);
bool PaintButtonRed(Canvas& c);
bool PaintHighlightBlue(Canvas& c);
bool PaintProgressBar(Canvas& c);
