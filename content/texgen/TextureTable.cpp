#include "content/texgen/TextureTable.h"

#include "content/texgen/Paintings.h"

#include <cctype>
#include <map>

namespace {

constexpr TextureStore Argb = TextureStore::Argb;
constexpr TextureStore Dxt1 = TextureStore::Dxt1;
constexpr TextureStore Dxt5 = TextureStore::Dxt5;
constexpr TextureStore Jpeg = TextureStore::Jpeg;
constexpr TextureKind Picture = TextureKind::Picture;
constexpr TextureKind NormalMap = TextureKind::NormalMap;
constexpr TextureKind Lookup = TextureKind::Lookup;
constexpr bool Mips = true;
constexpr bool NoMips = false;

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

std::string Lower(const std::string& text)
{
    std::string out = text;
    for (char& ch : out) ch = (char)std::tolower((unsigned char)ch);
    return out;
}

}  // namespace

const std::vector<TextureRecipe>& TextureRecipes()
{
    static const std::vector<TextureRecipe> table = {
        // What the engine falls back on and looks values up in.
        {"textures/notexture.dds", 64, 64, Argb, Mips, Picture, PaintNoTexture},
        {"textures/white.dds", 8, 8, Argb, Mips, Picture, PaintWhite},
        {"textures/red.dds", 8, 8, Argb, Mips, Picture, PaintRed},
        {"textures/green_alpha.dds", 64, 8, Argb, Mips, Picture, PaintGreenAlpha},
        {"textures/grid.dds", 256, 256, Argb, Mips, Picture, PaintGrid},
        {"textures/default.dds", 64, 64, Argb, Mips, Picture, PaintDefault},
        {"textures/normalmapnone.dds", 8, 8, Argb, Mips, NormalMap, PaintFlatNormal},
        {"textures/math/pow1d_30.dds", 256, 1, Argb, NoMips, Lookup, PaintPow30},
        {"textures/colormaps/defaultcolor.dds", 256, 256, Argb, NoMips, Picture, PaintDefaultColourMap},
        {"textures/particle.dds", 64, 64, Argb, Mips, Picture, PaintParticle},

        // Particle shapes, coloured by the particle definitions.
        {"textures/effects/smoke.dds", 64, 64, Argb, Mips, Picture, PaintSmoke},
        {"textures/effects/spark.dds", 64, 64, Argb, Mips, Picture, PaintSpark},
        {"textures/effects/flame.dds", 64, 64, Argb, Mips, Picture, PaintFlame},
        {"textures/effects/ring.dds", 64, 64, Argb, Mips, Picture, PaintRing},
        {"textures/effects/snowflake.dds", 64, 64, Argb, Mips, Picture, PaintSnowflake},
        {"textures/effects/star.dds", 64, 64, Argb, Mips, Picture, PaintStar},

        // The beams' frames: u along the beam, v across it.
        {"textures/effects/laser_grey1.dds", 128, 32, Argb, Mips, Picture, PaintLaserGrey1},
        {"textures/effects/laser_grey2.dds", 128, 32, Argb, Mips, Picture, PaintLaserGrey2},
        {"textures/effects/laser_grey3.dds", 128, 32, Argb, Mips, Picture, PaintLaserGrey3},
        {"textures/effects/lightning1.dds", 128, 64, Argb, Mips, Picture, PaintLightning1},
        {"textures/effects/lightning2.dds", 128, 64, Argb, Mips, Picture, PaintLightning2},
        {"textures/effects/lightning3.dds", 128, 64, Argb, Mips, Picture, PaintLightning3},
        {"textures/effects/lightning_red1.dds", 128, 64, Argb, Mips, Picture, PaintLightningRed1},
        {"textures/effects/lightning_red2.dds", 128, 64, Argb, Mips, Picture, PaintLightningRed2},
        {"textures/effects/lightning_red3.dds", 128, 64, Argb, Mips, Picture, PaintLightningRed3},

        // Ground layers for the environments, water and lava.
        {"textures/terrain/ground_grass.dds", 512, 512, Dxt1, Mips, Picture, PaintGrass},
        {"textures/terrain/ground_dirt.dds", 512, 512, Dxt1, Mips, Picture, PaintDirt},
        {"textures/terrain/ground_rock.dds", 512, 512, Dxt1, Mips, Picture, PaintRock},
        {"textures/terrain/ground_sand.dds", 512, 512, Dxt1, Mips, Picture, PaintSand},
        {"textures/terrain/ground_snow.dds", 512, 512, Dxt1, Mips, Picture, PaintSnow},
        {"textures/terrain/ground_ash.dds", 512, 512, Dxt1, Mips, Picture, PaintAsh},
        {"textures/terrain/grnd_b08.dds", 256, 256, Argb, Mips, NormalMap, PaintGroundNormals},
        // The ground before any environment is chosen (the terrain's default layers).
        {"textures/terrain/grass_9_1.jpg", 512, 512, Jpeg, NoMips, Picture, PaintGrass},
        {"textures/terrain/rocky_2-1.jpg", 512, 512, Jpeg, NoMips, Picture, PaintDirt},
        {"textures/terrain/rock02m.jpg", 512, 512, Jpeg, NoMips, Picture, PaintRock},
        // The ground layers the developer console's "terrain" command puts on.
        {"textures/terrain/snow_1-1.jpg", 256, 256, Jpeg, NoMips, Picture, PaintSnow},
        {"textures/terrain/grnd_t08.jpg", 256, 256, Jpeg, NoMips, Picture, PaintFrostRock},
        {"textures/final/ground/ground_dirta.jpg", 256, 256, Jpeg, NoMips, Picture, PaintMud},
        {"textures/final/ground/groundwetmarsh.jpg", 256, 256, Jpeg, NoMips, Picture, PaintMarshGrass},
        {"textures/final/ground/pavement_1.jpg", 256, 256, Jpeg, NoMips, Picture, PaintSlate},
        {"textures/final/ground/ground_dirtred.jpg", 256, 256, Jpeg, NoMips, Picture, PaintCrackedEarth},
        {"textures/final/ground/grounddrygrass.jpg", 256, 256, Jpeg, NoMips, Picture, PaintSand},
        {"textures/waves.dds", 256, 256, Argb, Mips, NormalMap, PaintWaves},
        {"textures/lava_river.dds", 512, 512, Dxt1, Mips, Picture, PaintLavaRiver},
        {"textures/terrain/ground_forestfloor.dds", 512, 512, Dxt1, Mips, Picture, PaintForestFloor},
        {"textures/terrain/ground_leaves.dds", 512, 512, Dxt1, Mips, Picture, PaintLeaves},
        {"textures/terrain/ground_slate.dds", 512, 512, Dxt1, Mips, Picture, PaintSlate},
        {"textures/terrain/ground_mud.dds", 512, 512, Dxt1, Mips, Picture, PaintMud},
        {"textures/terrain/ground_marshgrass.dds", 512, 512, Dxt1, Mips, Picture, PaintMarshGrass},
        {"textures/terrain/ground_mossrock.dds", 512, 512, Dxt1, Mips, Picture, PaintMossRock},
        {"textures/terrain/ground_ice.dds", 512, 512, Dxt1, Mips, Picture, PaintIce},
        {"textures/terrain/ground_frostrock.dds", 512, 512, Dxt1, Mips, Picture, PaintFrostRock},
        {"textures/terrain/ground_cracked.dds", 512, 512, Dxt1, Mips, Picture, PaintCrackedEarth},
        {"textures/terrain/ground_sandstone.dds", 512, 512, Dxt1, Mips, Picture, PaintSandstone},
        {"textures/terrain/ground_regolith.dds", 512, 512, Dxt1, Mips, Picture, PaintRegolith},
        {"textures/terrain/ground_craters.dds", 512, 512, Dxt1, Mips, Picture, PaintCraters},
        {"textures/terrain/ground_basalt.dds", 512, 512, Dxt1, Mips, Picture, PaintBasalt},
        {"textures/terrain/ground_alienmoss.dds", 512, 512, Dxt1, Mips, Picture, PaintAlienMoss},
        {"textures/terrain/ground_crystal.dds", 512, 512, Dxt1, Mips, Picture, PaintCrystal},
        {"textures/terrain/ground_alienrock.dds", 512, 512, Dxt1, Mips, Picture, PaintAlienRock},
        {"textures/terrain/ground_cinders.dds", 512, 512, Dxt1, Mips, Picture, PaintCinders},
        {"textures/terrain/ground_obsidian.dds", 512, 512, Dxt1, Mips, Picture, PaintObsidian},
        {"textures/terrain/normal_ripples.dds", 256, 256, Argb, Mips, NormalMap, PaintRippleNormals},
        {"textures/terrain/normal_rough.dds", 256, 256, Argb, Mips, NormalMap, PaintRoughNormals},
        {"textures/final/ground/smallstones.dds", 256, 256, Dxt1, Mips, Picture, PaintSmallStones},

        // The environments' colour maps: one picture stretched over a whole level.
        {"textures/colormaps/forestcolor.dds", 256, 256, Argb, NoMips, Picture, PaintForestColourMap},
        {"textures/colormaps/wintercolor.dds", 256, 256, Argb, NoMips, Picture, PaintWinterColourMap},
        {"textures/colormaps/desertcolor.dds", 256, 256, Argb, NoMips, Picture, PaintDesertColourMap},
        {"textures/colormaps/fallcolor.dds", 256, 256, Argb, NoMips, Picture, PaintFallColourMap},
        {"textures/colormaps/marshcolor.dds", 256, 256, Argb, NoMips, Picture, PaintMarshColourMap},
        {"textures/colormaps/mooncolor.dds", 256, 256, Argb, NoMips, Picture, PaintMoonColourMap},
        {"textures/colormaps/aliencolor.dds", 256, 256, Argb, NoMips, Picture, PaintAlienColourMap},
        {"textures/colormaps/lavacolor.dds", 256, 256, Argb, NoMips, Picture, PaintLavaColourMap},

        // The sky dome.
        {"textures/skys/skybox.dds", 512, 256, Argb, Mips, Picture, PaintSky},

        // Decoration atlases scattered over the ground, one per kind of world.
        {"textures/splats/green_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintGreenSplats},
        {"textures/splats/green_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintGreenSplatNormals},
        {"textures/splats/fall_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintFallSplats},
        {"textures/splats/fall_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintFallSplatNormals},
        {"textures/splats/snow_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintSnowSplats},
        {"textures/splats/snow_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintSnowSplatNormals},
        {"textures/splats/desert_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintDesertSplats},
        {"textures/splats/desert_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintDesertSplatNormals},
        {"textures/splats/marsh_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintMarshSplats},
        {"textures/splats/marsh_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintMarshSplatNormals},
        {"textures/splats/moon_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintMoonSplats},
        {"textures/splats/moon_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintMoonSplatNormals},
        {"textures/splats/alien_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintAlienSplats},
        {"textures/splats/alien_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintAlienSplatNormals},
        {"textures/splats/lava_splats.dds", 512, 512, Dxt5, Mips, Picture, PaintLavaSplats},
        {"textures/splats/lava_splats_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintLavaSplatNormals},

        // Blood and cracked ground left on the terrain for a while.
        {"textures/splats/blood_0.dds", 128, 128, Argb, Mips, Picture, PaintBlood0},
        {"textures/splats/blood_1.dds", 128, 128, Argb, Mips, Picture, PaintBlood1},
        {"textures/splats/blood_2.dds", 128, 128, Argb, Mips, Picture, PaintBlood2},
        {"textures/splats/blood_3.dds", 128, 128, Argb, Mips, Picture, PaintBlood3},
        {"textures/splats/blood_4.dds", 128, 128, Argb, Mips, Picture, PaintBlood4},
        {"textures/splats/blood_green_0.dds", 128, 128, Argb, Mips, Picture, PaintGreenBlood0},
        {"textures/splats/blood_green_1.dds", 128, 128, Argb, Mips, Picture, PaintGreenBlood1},
        {"textures/splats/blood_green_2.dds", 128, 128, Argb, Mips, Picture, PaintGreenBlood2},
        {"textures/splats/blood_green_3.dds", 128, 128, Argb, Mips, Picture, PaintGreenBlood3},
        {"textures/splats/blood_green_4.dds", 128, 128, Argb, Mips, Picture, PaintGreenBlood4},
        {"textures/splats/crackedground.dds", 256, 256, Argb, Mips, Picture, PaintCrackedGround},
        {"textures/splats/crackedground_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintCrackedGroundNormals},

        // The ground under the player's buildings, scavenger camps and creature nests.
        {"textures/splats/splat_building.dds", 256, 256, Dxt5, Mips, Picture, PaintBuildingSplat},
        {"textures/splats/splat_building_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintBuildingSplatNormals},
        {"textures/splats/splat_camp.dds", 256, 256, Dxt5, Mips, Picture, PaintCampSplat},
        {"textures/splats/splat_camp_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintCampSplatNormals},
        {"textures/splats/splat_nest.dds", 256, 256, Dxt5, Mips, Picture, PaintNestSplat},
        {"textures/splats/splat_nest_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintNestSplatNormals},

        // The level generator's decals and the grades of ore.
        {"textures/splats/splat_default.dds", 256, 256, Dxt5, Mips, Picture, PaintDefaultSplat},
        {"textures/splats/splat_default_sn.dds", 256, 256, Argb, Mips, NormalMap, PaintDefaultSplatNormals},
        {"textures/splats/splat_vent.dds", 128, 128, Dxt5, Mips, Picture, PaintVentSplat},
        {"textures/splats/splat_vent_sn.dds", 128, 128, Argb, Mips, NormalMap, PaintVentSplatNormals},
        {"textures/ore_red.dds", 128, 128, Dxt1, Mips, Picture, PaintOreRed},
        {"textures/ore_green.dds", 128, 128, Dxt1, Mips, Picture, PaintOreGreen},
        {"textures/ore_blue.dds", 128, 128, Dxt1, Mips, Picture, PaintOreBlue},

        // Front end and HUD.
        {"gui/story/presents_text.dds", 512, 256, Argb, NoMips, Picture, PaintPresentsText},
        {"gui/story/main_logo_big.dds", 1024, 256, Argb, NoMips, Picture, PaintMainLogo},
        // The new game's intro story: per slide a back picture and layers over it.
        {"gui/story/planet_and_stars_bg.dds", 512, 256, Dxt1, NoMips, Picture, PaintStoryPlanetBack},
        {"gui/story/planet_and_stars_fg.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryPlanet},
        {"gui/story/planet_and_stars_asteroids.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryAsteroids},
        {"gui/story/intro_gate_bg.dds", 512, 256, Dxt1, NoMips, Picture, PaintStoryGateBack},
        {"gui/story/intro_gate_fg.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryGate},
        {"gui/story/intro_gate_console.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryConsole},
        {"gui/story/intro_guild_bg.dds", 512, 256, Dxt1, NoMips, Picture, PaintStoryGuildBack},
        {"gui/story/intro_guild_mid.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryGuildCamp},
        {"gui/story/intro_guild_fg.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryGuildRig},
        {"gui/story/intro_scav_bg.dds", 512, 256, Dxt1, NoMips, Picture, PaintStoryScavBack},
        {"gui/story/intro_scav_fg.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryScavShips},
        {"gui/story/story_last_bg.dds", 512, 256, Dxt1, NoMips, Picture, PaintStoryLastBack},
        {"gui/story/story_last_mid.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryLastRuins},
        {"gui/story/story_last_fg.dds", 512, 256, Dxt5, NoMips, Picture, PaintStoryLastPilots},
        // The profile screens: rows, previews, choices and their marks.
        {"gui/solid_charcoal.dds", 8, 8, Argb, NoMips, Picture, PaintSolidCharcoal},
        // The start screen's sky.
        {"gui/starfield.dds", 1024, 512, Dxt1, NoMips, Picture, PaintStarfield},
        {"gui/nebula.dds", 512, 256, Dxt5, NoMips, Picture, PaintNebula},
        {"gui/stars.dds", 256, 256, Argb, NoMips, Picture, PaintStars},
        {"gui/bigstar.dds", 64, 64, Argb, NoMips, Picture, PaintBigStar},
        {"gui/blacklabel.dds", 128, 32, Argb, NoMips, Picture, PaintBlackLabel},
        {"gui/grid_grad.dds", 128, 128, Argb, NoMips, Picture, PaintGridGradient},
        {"gui/highlight_outline.dds", 64, 64, Argb, NoMips, Picture, PaintHighlightOutline},
        {"gui/pilot_circle.dds", 128, 128, Argb, NoMips, Picture, PaintPilotCircle},
        {"gui/arrows.dds", 128, 64, Argb, NoMips, Picture, PaintArrows},
        {"gui/uniticons.dds", 256, 256, Argb, NoMips, Picture, PaintChassisIcons},
        {"gui/boticons.dds", 256, 256, Argb, NoMips, Picture, PaintBotIcons},
        {"gui/weaponicons.dds", 256, 256, Argb, NoMips, Picture, PaintWeaponIcons},
        {"gui/commandicons.dds", 256, 128, Argb, NoMips, Picture, PaintCommandIcons},
        {"gui/game/buildback.dds", 512, 256, Argb, NoMips, Picture, PaintBuildBack},
        {"gui/icons/cursors.dds", 256, 256, Argb, NoMips, Picture, PaintCursors},
        {"gui/main_logo.dds", 512, 128, Argb, NoMips, Picture, PaintMainLogo},
        // The minimap: the bezel in the HUD's corner and the radar range circle.
        {"gui/game/minimapframe.dds", 256, 256, Argb, NoMips, Picture, PaintMinimapFrame},
        {"gui/circle.dds", 64, 64, Argb, NoMips, Picture, PaintRadarCircle},

        // The GUI toolkit: the modal backdrop, window frames ("frame.dds" and the numbered
        // pieces of bordered windows), panels and their frames, button faces and highlights,
        // the meters' fill. The meters' plain white is the engine's white.dds.
        {"gui/black.dds", 8, 8, Argb, NoMips, Picture, PaintGuiBlack},
        {"gui/missionbanner.dds", 128, 32, Argb, NoMips, Picture, PaintMissionBanner},
        // The planet panel's badges, with the minimap's marks in row 3 and cell (0, 2).
        {"gui/planet_controls.dds", 256, 256, Argb, NoMips, Picture, PaintPlanetControlsWithMapMarks},
        {"gui/transparent.dds", 8, 8, Argb, NoMips, Picture, PaintGuiTransparent},
        {"gui/frame.dds", 64, 64, Argb, NoMips, Picture, PaintGuiFrame},
        {"gui/8.dds", 64, 64, Argb, NoMips, Picture, PaintGuiCentre},
        {"gui/9.dds", 32, 64, Argb, NoMips, Picture, PaintGuiExtra},
        {"gui/panelblue.dds", 64, 64, Argb, NoMips, Picture, PaintPanelBlue},
        {"gui/solid_darkgrey.dds", 64, 64, Argb, NoMips, Picture, PaintSolidDarkGrey},
        // The information screens: the texts' backing, the crests of the four factions in a
        // row (guild, military, corporate, science) and the mission givers' pictures.
        {"gui/crests.dds", 256, 64, Argb, NoMips, Picture, PaintCrests},
        {"gui/guildback.dds", 128, 128, Argb, NoMips, Picture, PaintGuildBack},
        {"gui/militaryback.dds", 128, 128, Argb, NoMips, Picture, PaintMilitaryBack},
        {"gui/corporateback.dds", 128, 128, Argb, NoMips, Picture, PaintCorporateBack},
        {"gui/corporate2back.dds", 128, 128, Argb, NoMips, Picture, PaintCorporate2Back},
        {"gui/scienceback.dds", 128, 128, Argb, NoMips, Picture, PaintScienceBack},
        // The end-of-game screen: the story's ending and the galaxy's.
        {"gui/story/scav_intro.dds", 512, 256, Argb, NoMips, Picture, PaintEndScavengers},
        {"gui/story/intro_space.dds", 512, 256, Argb, NoMips, Picture, PaintEndSpace},
        {"gui/wframe_blue.dds", 64, 64, Argb, NoMips, Picture, PaintFrameBlue},
        {"gui/wframe_black.dds", 64, 64, Argb, NoMips, Picture, PaintFrameBlack},
        {"gui/button_unpressed.dds", 128, 64, Argb, NoMips, Picture, PaintButtonUnpressed},
        {"gui/button_pressed.dds", 128, 64, Argb, NoMips, Picture, PaintButtonPressed},
        {"gui/button_red.dds", 128, 256, Argb, NoMips, Picture, PaintButtonRed},
        {"gui/highlight_blue.dds", 128, 64, Argb, NoMips, Picture, PaintHighlightBlue},
        {"gui/icons/progress_bar.dds", 64, 16, Argb, NoMips, Picture, PaintProgressBar},
        // Text boxes, scroll lists and file lists, and the dialogs' buttons. The button sheets
        // stack three cells: the lit picture, the face, the pressed face.
        {"gui/button.dds", 128, 256, Argb, NoMips, Picture, PaintButtonSheet},
        {"gui/editbox_focus.dds", 128, 32, Argb, NoMips, Picture, PaintEditBoxFocus},
        {"gui/editbox_nofocus.dds", 128, 32, Argb, NoMips, Picture, PaintEditBoxNoFocus},
        {"gui/editbox_cursor.dds", 8, 8, Argb, NoMips, Picture, PaintEditBoxCursor},
        {"gui/textentrybg.dds", 128, 32, Argb, NoMips, Picture, PaintTextEntryBackground},
        {"gui/niceblue.dds", 128, 32, Argb, NoMips, Picture, PaintNiceBlue},
        {"gui/checkbox.dds", 32, 128, Argb, NoMips, Picture, PaintCheckBox},
        {"gui/arrows_updown.dds", 64, 64, Argb, NoMips, Picture, PaintArrowsUpDown},
        {"gui/solid_grey.dds", 32, 64, Argb, NoMips, Picture, PaintSolidGrey},
        {"gui/solid_black.dds", 8, 8, Argb, NoMips, Picture, PaintSolidBlack},
        {"gui/blue.dds", 8, 8, Argb, NoMips, Picture, PaintSolidBlue},
        {"gui/thumbscroll.dds", 32, 64, Argb, NoMips, Picture, PaintThumbScroll},
        {"gui/highlight_darkblue.dds", 128, 32, Argb, NoMips, Picture, PaintHighlightDarkBlue},
        {"gui/emptyslot.dds", 64, 64, Argb, NoMips, Picture, PaintEmptySlot},
        {"gui/savefile.dds", 64, 64, Argb, NoMips, Picture, PaintSaveFile},
        // The terrain editor's buttons.
        {"gui/editor/editor_icons_1.dds", 256, 256, Argb, NoMips, Picture, PaintEditorIcons1},
        {"gui/editor/editor_icons_2.dds", 256, 256, Argb, NoMips, Picture, PaintEditorIcons2},
        {"gui/editor/icon_spacer.dds", 64, 8, Argb, NoMips, Picture, PaintEditorSpacer},
        {"gui/editor/icon_autotexture.dds", 64, 64, Argb, NoMips, Picture, PaintAutoTextureIcon},

        // The icons of the world's units, buildings and items, eight by eight cells each.
        {"gui/icons/unit_icons.dds", 512, 512, Argb, NoMips, Picture, PaintUnitIcons},
        {"gui/icons/building_icons.dds", 512, 512, Argb, NoMips, Picture, PaintBuildingIcons},
        {"gui/icons/item_icons.dds", 512, 512, Argb, NoMips, Picture, PaintItemIcons},
        {"gui/icons/unknown.dds", 64, 64, Argb, NoMips, Picture, PaintUnknownIcon},

        // The player's rig: every chassis's texture with its paints, the chassis icons; the
        // inventory grid's pictures.
        {"textures/rigs/rig_basic.dds", 128, 128, Argb, Mips, Picture, PaintRig<0, 0>},
        {"textures/rigs/rig_basic@camo.dds", 128, 128, Argb, Mips, Picture, PaintRig<0, 1>},
        {"textures/rigs/rig_basic@race.dds", 128, 128, Argb, Mips, Picture, PaintRig<0, 2>},
        {"textures/rigs/rig_basic@scav.dds", 128, 128, Argb, Mips, Picture, PaintRig<0, 3>},
        {"textures/rigs/rig_round.dds", 128, 128, Argb, Mips, Picture, PaintRig<1, 0>},
        {"textures/rigs/rig_round@camo.dds", 128, 128, Argb, Mips, Picture, PaintRig<1, 1>},
        {"textures/rigs/rig_round@race.dds", 128, 128, Argb, Mips, Picture, PaintRig<1, 2>},
        {"textures/rigs/rig_round@scav.dds", 128, 128, Argb, Mips, Picture, PaintRig<1, 3>},
        {"textures/rigs/rig_strider.dds", 128, 128, Argb, Mips, Picture, PaintRig<2, 0>},
        {"textures/rigs/rig_strider@camo.dds", 128, 128, Argb, Mips, Picture, PaintRig<2, 1>},
        {"textures/rigs/rig_strider@race.dds", 128, 128, Argb, Mips, Picture, PaintRig<2, 2>},
        {"textures/rigs/rig_strider@scav.dds", 128, 128, Argb, Mips, Picture, PaintRig<2, 3>},
        {"textures/rigs/rig_crawler.dds", 128, 128, Argb, Mips, Picture, PaintRig<3, 0>},
        {"textures/rigs/rig_crawler@camo.dds", 128, 128, Argb, Mips, Picture, PaintRig<3, 1>},
        {"textures/rigs/rig_crawler@race.dds", 128, 128, Argb, Mips, Picture, PaintRig<3, 2>},
        {"textures/rigs/rig_crawler@scav.dds", 128, 128, Argb, Mips, Picture, PaintRig<3, 3>},
        {"gui/icons/rig_icons.dds", 256, 256, Argb, NoMips, Picture, PaintChassisIcons},
        {"gui/icons/inventory_slot.dds", 64, 64, Argb, NoMips, Picture, PaintInventorySlot<0>},
        {"gui/icons/inventory_slot_blue.dds", 64, 64, Argb, NoMips, Picture, PaintInventorySlot<1>},
        {"gui/icons/inventory_slot_red.dds", 64, 64, Argb, NoMips, Picture, PaintInventorySlot<2>},
        {"gui/icons/inventory_attach_blue.dds", 64, 64, Argb, NoMips, Picture, PaintInventoryMarker<0>},
        {"gui/icons/inventory_attach_red.dds", 64, 64, Argb, NoMips, Picture, PaintInventoryMarker<1>},
        {"gui/hotbar_indicator.dds", 128, 32, Argb, NoMips, Picture, PaintHotbarIndicator},
        {"gui/highlight.dds", 64, 64, Argb, NoMips, Picture, PaintSlotHighlight},
        // The character screen and the shop.
        {"gui/wframe_exp.dds", 64, 64, Argb, NoMips, Picture, PaintFrameExperience},
        {"gui/playstop.dds", 128, 64, Argb, NoMips, Picture, PaintPlayStop},
        {"gui/icons/exp_bar.dds", 128, 16, Argb, NoMips, Picture, PaintExperienceBar},
        {"gui/icons/skills_bar.dds", 128, 16, Argb, NoMips, Picture, PaintSkillsBar},
        {"gui/skilldiv.dds", 128, 16, Argb, NoMips, Picture, PaintSkillDivider},
        {"gui/icons/paper_doll_sheet.dds", 256, 128, Argb, NoMips, Picture, PaintPaperDollSheet},
        {"gui/rigpaint.dds", 128, 128, Argb, NoMips, Picture, PaintRigPaintSwatches},
        {"gui/storetabs.dds", 512, 256, Argb, NoMips, Picture, PaintStoreTabs},
        // The ground of a drained fuel patch.
        {"textures/splats/splat_vent_low.dds", 128, 128, Argb, Mips, Picture, PaintVentLow},
        {"textures/splats/splat_vent_sn_low.dds", 8, 8, Argb, Mips, NormalMap, PaintFlatNormal},
        {"textures/splats/splat_vent_depleted.dds", 128, 128, Argb, Mips, Picture, PaintVentDepleted},
        {"textures/splats/splat_vent_sn_depleted.dds", 8, 8, Argb, Mips, NormalMap, PaintFlatNormal},
        // The HUD of play: main display, message bar and pop-ups, power bar.
        {"gui/game/maindisplay.dds", 512, 128, Argb, NoMips, Picture, PaintMainDisplay},
        {"gui/itemicons.dds", 256, 256, Argb, NoMips, Picture, PaintHudItemIcons},
        {"gui/itemicons_2.dds", 256, 256, Argb, NoMips, Picture, PaintHudItemIcons2},
        {"gui/damagetypes.dds", 256, 256, Argb, NoMips, Picture, PaintDamageTypes},
        {"gui/divbar.dds", 128, 16, Argb, NoMips, Picture, PaintDivBar},
        {"gui/orebar.dds", 128, 16, Argb, NoMips, Picture, PaintOreBar},
        {"gui/button_green.dds", 128, 256, Argb, NoMips, Picture, PaintButtonGreen},
        {"gui/button_grey.dds", 128, 256, Argb, NoMips, Picture, PaintButtonGrey},
        {"gui/grad_white.dds", 64, 64, Argb, NoMips, Picture, PaintGradWhite},
        {"gui/messagebar.dds", 256, 128, Argb, NoMips, Picture, PaintMessageBar},
        {"gui/achievement_back.dds", 128, 64, Argb, NoMips, Picture, PaintAchievementBack},
        {"gui/achievements.dds", 256, 256, Argb, NoMips, Picture, PaintAchievements},
        {"gui/icons/power_bar.dds", 64, 16, Argb, NoMips, Picture, PaintPowerBar},
        {"gui/game/chevron.dds", 32, 32, Argb, NoMips, Picture, PaintChevron},
        {"gui/info_back.dds", 256, 64, Argb, NoMips, Picture, PaintInfoBack},
        // The mission HUD around the world view.
        {"gui/gui_spacer.dds", 256, 64, Argb, NoMips, Picture, PaintGuiSpacer},
        {"gui/mmapvbar.dds", 64, 256, Argb, NoMips, Picture, PaintMinimapStrip},
        {"gui/minimapicons.dds", 256, 128, Argb, NoMips, Picture, PaintMinimapIcons},
        {"gui/game/buildtabs.dds", 128, 256, Argb, NoMips, Picture, PaintBuildTabs},
        {"gui/game/resourceback.dds", 512, 64, Argb, NoMips, Picture, PaintResourceBack},
        {"gui/game/commandback.dds", 256, 64, Argb, NoMips, Picture, PaintCommandBack},
        {"gui/button_black.dds", 128, 256, Argb, NoMips, Picture, PaintButtonBlack},
        {"gui/planetlabels.dds", 128, 64, Argb, NoMips, Picture, PaintPlanetLabels},
        {"textures/planets/planet_environments.dds", 256, 512, Argb, NoMips, Picture, PaintPlanetEnvironments},
        // The galaxy map: the worlds (land against water in the alpha), seas, clouds, gas giants,
        // the sun, and the map screen's panels, buttons and frames.
        {"textures/planets/p_forest_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetForest},
        {"textures/planets/p_desert_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetDesert},
        {"textures/planets/p_fall_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetFall},
        {"textures/planets/p_marsh_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetMarsh},
        {"textures/planets/p_winter_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetWinter},
        {"textures/planets/p_moon_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetMoon},
        {"textures/planets/p_alien_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetAlien},
        {"textures/planets/p_lava_1.dds", 256, 128, Argb, Mips, Picture, PaintPlanetLava},
        {"textures/planets/ocean_0.dds", 64, 64, Argb, Mips, Picture, PaintOcean0},
        {"textures/planets/ocean_1.dds", 64, 64, Argb, Mips, Picture, PaintOcean1},
        {"textures/planets/ocean_2.dds", 64, 64, Argb, Mips, Picture, PaintOcean2},
        {"textures/planets/ocean_3.dds", 64, 64, Argb, Mips, Picture, PaintOcean3},
        {"textures/planets/ocean_4.dds", 64, 64, Argb, Mips, Picture, PaintOcean4},
        {"textures/planets/ocean_5.dds", 64, 64, Argb, Mips, Picture, PaintOcean5},
        {"textures/planets/ocean_6.dds", 64, 64, Argb, Mips, Picture, PaintOcean6},
        {"textures/planets/clouds_0.dds", 8, 8, Argb, Mips, Picture, PaintClouds0},
        {"textures/planets/clouds_1.dds", 256, 128, Argb, Mips, Picture, PaintClouds1},
        {"textures/planets/clouds_2.dds", 256, 128, Argb, Mips, Picture, PaintClouds2},
        {"textures/planets/clouds_3.dds", 256, 128, Argb, Mips, Picture, PaintClouds3},
        {"textures/planets/planets.dds", 256, 256, Argb, Mips, Picture, PaintGasGiants},
        {"textures/planets/sun.dds", 128, 64, Argb, Mips, Picture, PaintSun},
        {"gui/galspacer.dds", 256, 64, Argb, NoMips, Picture, PaintGalaxySpacer},
        {"gui/galcontrolleft.dds", 256, 256, Argb, NoMips, Picture, PaintGalaxyControlLeft},
        {"gui/galstartback.dds", 256, 256, Argb, NoMips, Picture, PaintGalaxyStartBack},
        {"gui/galpanelmid.dds", 512, 128, Argb, NoMips, Picture, PaintGalaxyPanelMid},
        {"gui/galstartright.dds", 256, 128, Argb, NoMips, Picture, PaintGalaxyStartRight},
        {"gui/galstarthilite.dds", 128, 128, Argb, NoMips, Picture, PaintGalaxyStartHilite},
        {"gui/galaxy_button.dds", 256, 128, Argb, NoMips, Picture, PaintGalaxyButton},
        {"gui/log_buttons.dds", 128, 64, Argb, NoMips, Picture, PaintLogButtons},
        {"gui/planet_frame.dds", 128, 64, Argb, NoMips, Picture, PaintPlanetFrame},
        {"gui/env_frame.dds", 128, 64, Argb, NoMips, Picture, PaintEnvironmentFrame},
    };
    return table;
}

std::string FileNameOf(const char* path)
{
    std::string p = path ? path : "";
    size_t slash = p.find_last_of("/\\");
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool CheckRecipes(const std::vector<TextureRecipe>& recipes, std::string* error)
{
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    std::map<std::string, std::string> byFileName;
    for (const TextureRecipe& recipe : recipes) {
        std::string path = recipe.path ? recipe.path : "";
        if (path.rfind("textures/", 0) != 0 && path.rfind("gui/", 0) != 0)
            return fail("'" + path + "' lies neither below textures/ nor below gui/");
        const bool jpeg = recipe.store == TextureStore::Jpeg;
        const char* extension = jpeg ? ".jpg" : ".dds";
        if (path.size() < 5 || path.compare(path.size() - 4, 4, extension) != 0)
            return fail("'" + path + "' is no " + extension + " file");
        if (jpeg && recipe.mips) return fail("'" + path + "' is a JPEG picture with mip levels");
        if (path != Lower(path)) return fail("'" + path + "' is not all lower case");
        std::string name = FileNameOf(recipe.path);
        if (name.size() <= 4) return fail("'" + path + "' has no file name");
        if (!IsPowerOfTwo(recipe.width) || !IsPowerOfTwo(recipe.height) || recipe.width > 2048 || recipe.height > 2048)
            return fail("'" + path + "' is not sized in powers of two up to 2048");
        if (recipe.kind == TextureKind::Lookup && recipe.mips) return fail("'" + path + "' is a lookup with mip levels");
        if (!recipe.paint) return fail("'" + path + "' has no painter");
        auto [it, fresh] = byFileName.emplace(Lower(name), path);
        if (!fresh) return fail("'" + path + "' and '" + it->second + "' share the file name " + name);
    }
    return true;
}
