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

// More ground layers and normal maps of the environments (GroundLayers.cpp,
// OtherworldGround.cpp).
bool PaintForestFloor(Canvas& c);
bool PaintLeaves(Canvas& c);
bool PaintSlate(Canvas& c);
bool PaintMud(Canvas& c);
bool PaintMarshGrass(Canvas& c);
bool PaintMossRock(Canvas& c);
bool PaintIce(Canvas& c);
bool PaintFrostRock(Canvas& c);
bool PaintCrackedEarth(Canvas& c);
bool PaintSandstone(Canvas& c);
bool PaintRegolith(Canvas& c);
bool PaintCraters(Canvas& c);
bool PaintBasalt(Canvas& c);
bool PaintAlienMoss(Canvas& c);
bool PaintCrystal(Canvas& c);
bool PaintAlienRock(Canvas& c);
bool PaintCinders(Canvas& c);
bool PaintObsidian(Canvas& c);
bool PaintRippleNormals(Canvas& c);
bool PaintRoughNormals(Canvas& c);

// The environments' colour maps, the sky and the river bed (ColourMaps.cpp).
bool PaintForestColourMap(Canvas& c);
bool PaintWinterColourMap(Canvas& c);
bool PaintDesertColourMap(Canvas& c);
bool PaintFallColourMap(Canvas& c);
bool PaintMarshColourMap(Canvas& c);
bool PaintMoonColourMap(Canvas& c);
bool PaintAlienColourMap(Canvas& c);
bool PaintLavaColourMap(Canvas& c);
bool PaintSky(Canvas& c);
bool PaintSmallStones(Canvas& c);

// The decoration atlases and their normal maps (SplatTextures.cpp, SplatThemes.cpp).
bool PaintGreenSplats(Canvas& c);
bool PaintGreenSplatNormals(Canvas& c);
bool PaintFallSplats(Canvas& c);
bool PaintFallSplatNormals(Canvas& c);
bool PaintSnowSplats(Canvas& c);
bool PaintSnowSplatNormals(Canvas& c);
bool PaintDesertSplats(Canvas& c);
bool PaintDesertSplatNormals(Canvas& c);
bool PaintMarshSplats(Canvas& c);
bool PaintMarshSplatNormals(Canvas& c);
bool PaintMoonSplats(Canvas& c);
bool PaintMoonSplatNormals(Canvas& c);
bool PaintAlienSplats(Canvas& c);
bool PaintAlienSplatNormals(Canvas& c);
bool PaintLavaSplats(Canvas& c);
bool PaintLavaSplatNormals(Canvas& c);

// Blood and cracked-ground decals (BloodSplats.cpp).
bool PaintBlood0(Canvas& c);
bool PaintBlood1(Canvas& c);
bool PaintBlood2(Canvas& c);
bool PaintBlood3(Canvas& c);
bool PaintBlood4(Canvas& c);
bool PaintGreenBlood0(Canvas& c);
bool PaintGreenBlood1(Canvas& c);
bool PaintGreenBlood2(Canvas& c);
bool PaintGreenBlood3(Canvas& c);
bool PaintGreenBlood4(Canvas& c);
bool PaintCrackedGround(Canvas& c);
bool PaintCrackedGroundNormals(Canvas& c);

// Front end and HUD pictures (GuiTextures.cpp, CommandIcons.cpp, CursorIcons.cpp).
bool PaintPresentsText(Canvas& c);
bool PaintMainLogo(Canvas& c);
bool PaintBuildBack(Canvas& c);
bool PaintCommandIcons(Canvas& c);
bool PaintCursors(Canvas& c);

// What the base's buildings change at run time (BuildingTextures.cpp).
bool PaintVentLow(Canvas& c);
bool PaintVentDepleted(Canvas& c);

// The GUI toolkit's frames, panels, faces and fills (GuiWidgets.cpp).
bool PaintGuiBlack(Canvas& c);
bool PaintMissionBanner(Canvas& c);
bool PaintPlanetControls(Canvas& c);
bool PaintGuiTransparent(Canvas& c);
bool PaintGuiFrame(Canvas& c);
bool PaintGuiCentre(Canvas& c);
bool PaintGuiExtra(Canvas& c);
bool PaintPanelBlue(Canvas& c);
bool PaintSolidDarkGrey(Canvas& c);
// The information screens: text backing, faction crests, the mission givers' pictures.
bool PaintSolidCharcoal(Canvas& c);
bool PaintCrests(Canvas& c);
bool PaintGuildBack(Canvas& c);
bool PaintMilitaryBack(Canvas& c);
bool PaintCorporateBack(Canvas& c);
bool PaintCorporate2Back(Canvas& c);
bool PaintScienceBack(Canvas& c);
// The start screen's sky (StartScreenTextures.cpp).
bool PaintStarfield(Canvas& c);
bool PaintNebula(Canvas& c);
bool PaintStars(Canvas& c);
bool PaintBigStar(Canvas& c);
// The end-of-game screen's pictures of the two endings.
bool PaintEndSpace(Canvas& c);
bool PaintEndScavengers(Canvas& c);
bool PaintFrameBlue(Canvas& c);
bool PaintFrameBlack(Canvas& c);
bool PaintButtonUnpressed(Canvas& c);
bool PaintButtonPressed(Canvas& c);
bool PaintButtonRed(Canvas& c);
bool PaintHighlightBlue(Canvas& c);
bool PaintProgressBar(Canvas& c);
// The text boxes, lists and dialogs (GuiWidgets.cpp).
bool PaintButtonSheet(Canvas& c);
bool PaintButtonBlack(Canvas& c);
bool PaintEditBoxFocus(Canvas& c);
bool PaintTextEntryBackground(Canvas& c);
bool PaintNiceBlue(Canvas& c);
bool PaintCheckBox(Canvas& c);
bool PaintEditBoxNoFocus(Canvas& c);
bool PaintEditBoxCursor(Canvas& c);
bool PaintArrowsUpDown(Canvas& c);
bool PaintSolidGrey(Canvas& c);
bool PaintSolidBlack(Canvas& c);
bool PaintSolidBlue(Canvas& c);
bool PaintThumbScroll(Canvas& c);
bool PaintHighlightDarkBlue(Canvas& c);
bool PaintEmptySlot(Canvas& c);
bool PaintSaveFile(Canvas& c);
bool PaintEditorIcons1(Canvas& c);
bool PaintEditorIcons2(Canvas& c);
bool PaintEditorSpacer(Canvas& c);
bool PaintAutoTextureIcon(Canvas& c);

// The player's rig: each chassis's texture unpainted and in its three paints, the chassis
// icons; the inventory's slots, markers, hotbar strip and hover light (RigTextures.cpp).
enum RigPaint { RIG_PAINT_NONE, RIG_PAINT_CAMO, RIG_PAINT_RACE, RIG_PAINT_SCAV };
template <int Chassis, int Paint> bool PaintRig(Canvas& c);
bool PaintRigIcons(Canvas& c);
template <int Tint> bool PaintInventorySlot(Canvas& c);
template <int Red> bool PaintInventoryMarker(Canvas& c);
bool PaintHotbarIndicator(Canvas& c);
bool PaintSlotHighlight(Canvas& c);

// The character screen and the shop: the screen's frame and level badge, the close button, the
// experience and skill bars, the paper doll's slots, the paint swatches and the shop's tabs
// (CharacterTextures.cpp).
bool PaintFrameExperience(Canvas& c);
bool PaintPlayStop(Canvas& c);
bool PaintExperienceBar(Canvas& c);
bool PaintSkillsBar(Canvas& c);
bool PaintSkillDivider(Canvas& c);
bool PaintPaperDollSheet(Canvas& c);
bool PaintRigPaintSwatches(Canvas& c);
bool PaintStoreTabs(Canvas& c);

// The icon sheets of the world's units, buildings and items, and the picture of an unknown
// thing (WorldIcons.cpp).
bool PaintUnitIcons(Canvas& c);
bool PaintBuildingIcons(Canvas& c);
bool PaintItemIcons(Canvas& c);
bool PaintUnknownIcon(Canvas& c);

// Ground decals under buildings, camps and nests (BaseSplats.cpp).
bool PaintBuildingSplat(Canvas& c);
bool PaintBuildingSplatNormals(Canvas& c);
bool PaintCampSplat(Canvas& c);
bool PaintCampSplatNormals(Canvas& c);
bool PaintNestSplat(Canvas& c);
bool PaintNestSplatNormals(Canvas& c);

// The minimap: its bezel, the radar range circle, and its marks over the planet controls.
bool PaintMinimapFrame(Canvas& c);
bool PaintRadarCircle(Canvas& c);
bool PaintPlanetControlsWithMapMarks(Canvas& c);

// The level generator's decals under spawners and fuel vents, and the grades of ore
// (LevelSplats.cpp).
bool PaintDefaultSplat(Canvas& c);
bool PaintDefaultSplatNormals(Canvas& c);
bool PaintVentSplat(Canvas& c);
bool PaintVentSplatNormals(Canvas& c);
bool PaintOreRed(Canvas& c);
bool PaintOreGreen(Canvas& c);
bool PaintOreBlue(Canvas& c);

// The frames of the laser and lightning beams (BeamTextures.cpp).
bool PaintLaserGrey1(Canvas& c);
bool PaintLaserGrey2(Canvas& c);
bool PaintLaserGrey3(Canvas& c);
bool PaintLightning1(Canvas& c);
bool PaintLightning2(Canvas& c);
bool PaintLightning3(Canvas& c);
bool PaintLightningRed1(Canvas& c);
bool PaintLightningRed2(Canvas& c);
bool PaintLightningRed3(Canvas& c);

// The mission HUD's spacers, minimap strip and its buttons, build tabs, resource bar, command
// panel backing and rig banner (MissionHudTextures.cpp).
bool PaintGuiSpacer(Canvas& c);
bool PaintMinimapStrip(Canvas& c);
bool PaintMinimapIcons(Canvas& c);
bool PaintBuildTabs(Canvas& c);
bool PaintResourceBack(Canvas& c);
bool PaintCommandBack(Canvas& c);
bool PaintPlanetLabels(Canvas& c);

// The HUD of play: the main display, its badges, overlays and button strips, the message
// bar, the pop-ups and achievements, the power bar (HudTextures.cpp).
bool PaintMainDisplay(Canvas& c);
bool PaintHudItemIcons(Canvas& c);
bool PaintHudItemIcons2(Canvas& c);
bool PaintDamageTypes(Canvas& c);
bool PaintDivBar(Canvas& c);
bool PaintOreBar(Canvas& c);
bool PaintButtonGreen(Canvas& c);
bool PaintButtonGrey(Canvas& c);
bool PaintGradWhite(Canvas& c);
bool PaintMessageBar(Canvas& c);
bool PaintAchievementBack(Canvas& c);
bool PaintAchievements(Canvas& c);
bool PaintPowerBar(Canvas& c);
bool PaintChevron(Canvas& c);
bool PaintPlanetEnvironments(Canvas& c);
bool PaintInfoBack(Canvas& c);

// The intro story's pictures and the profile screens' pictures (StoryPictures.cpp).
bool PaintStoryPlanetBack(Canvas& c);
bool PaintStoryPlanet(Canvas& c);
bool PaintStoryAsteroids(Canvas& c);
bool PaintStoryGateBack(Canvas& c);
bool PaintStoryGate(Canvas& c);
bool PaintStoryConsole(Canvas& c);
bool PaintStoryGuildBack(Canvas& c);
bool PaintStoryGuildCamp(Canvas& c);
bool PaintStoryGuildRig(Canvas& c);
bool PaintStoryScavBack(Canvas& c);
bool PaintStoryScavShips(Canvas& c);
bool PaintStoryLastBack(Canvas& c);
bool PaintStoryLastRuins(Canvas& c);
bool PaintStoryLastPilots(Canvas& c);
bool PaintBlackLabel(Canvas& c);
bool PaintGridGradient(Canvas& c);
bool PaintHighlightOutline(Canvas& c);
bool PaintPilotCircle(Canvas& c);
bool PaintArrows(Canvas& c);
bool PaintChassisIcons(Canvas& c);
bool PaintBotIcons(Canvas& c);
bool PaintWeaponIcons(Canvas& c);

// The galaxy map's worlds, seas, clouds, gas giants, sun and screen pictures (GalaxyTextures.cpp).
bool PaintPlanetForest(Canvas& c);
bool PaintPlanetDesert(Canvas& c);
bool PaintPlanetFall(Canvas& c);
bool PaintPlanetMarsh(Canvas& c);
bool PaintPlanetWinter(Canvas& c);
bool PaintPlanetMoon(Canvas& c);
bool PaintPlanetAlien(Canvas& c);
bool PaintPlanetLava(Canvas& c);
bool PaintOcean0(Canvas& c);
bool PaintOcean1(Canvas& c);
bool PaintOcean2(Canvas& c);
bool PaintOcean3(Canvas& c);
bool PaintOcean4(Canvas& c);
bool PaintOcean5(Canvas& c);
bool PaintOcean6(Canvas& c);
bool PaintClouds0(Canvas& c);
bool PaintClouds1(Canvas& c);
bool PaintClouds2(Canvas& c);
bool PaintClouds3(Canvas& c);
bool PaintGasGiants(Canvas& c);
bool PaintSun(Canvas& c);
bool PaintGalaxySpacer(Canvas& c);
bool PaintGalaxyControlLeft(Canvas& c);
bool PaintGalaxyStartBack(Canvas& c);
bool PaintGalaxyPanelMid(Canvas& c);
bool PaintGalaxyStartRight(Canvas& c);
bool PaintGalaxyStartHilite(Canvas& c);
bool PaintGalaxyButton(Canvas& c);
bool PaintLogButtons(Canvas& c);
bool PaintPlanetFrame(Canvas& c);
bool PaintEnvironmentFrame(Canvas& c);
