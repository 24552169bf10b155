// Environments: the script and its conventions, lookups by name, selecting one onto the ground,
// the shipped environments (every texture they name ships), and the music each one plays.
#include "host/Log.h"
#include "host/System.h"
#include "interface/GameSeamImpl.h"
#include "mechanics/Scene.h"
#include "platform/MusicPlayer.h"
#include "platform/PackageFile.h"
#include "render/Effect.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"
#include "tests/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

using Environments = TerrainTest;

const char* const SHIPPED[] = {"forest", "winter", "desert", "fall", "marsh", "moon", "alien", "lava"};

}  // namespace

TEST_F(Environments, TheScriptFillsRecordsByItsConventions)
{
    LoadEnvironments("conventions",
                     "texture1 ignored.dds  // before any block: nothing to fill\n"
                     "DefineEnvironment first\n"
                     "TEXTURE1 data/a.dds\n"
                     "texture2 data/b.dds // the rest of this line is a comment texture3 no.dds\n"
                     "/* texture3 hidden.dds */ texture3 data/c.dds\n"
                     "/*glued texture3 seen.dds\n"
                     "NormalMap data/n.dds colormap data/colormaps/m.dds\n"
                     "rivercolor 0.1 0.2 0.3 0.4 rivers 0.9 bumpVals 0.3 0.6 population 0.5\n"
                     "weatherType 3 shadowValue 0.15 minlevel 7 shader other.fx\n"
                     "splat_texture data/s.dds splat_normalmap data/s_sn.dds unknownKey value\n"
                     "definEenvironment notABlock\n"
                     "DefineEnvironment second\n"
                     "rivers lots\n"
                     "END_OF_FILE\n"
                     "DefineEnvironment afterTheEnd\n");
    ASSERT_EQ(Environment::GetCount(), 2);
    const Environment& first = *Environment::Get(0);
    EXPECT_STREQ(first.name, "first");
    EXPECT_EQ(first.index, 0);
    EXPECT_STREQ(first.texture1, "data/a.dds");
    EXPECT_STREQ(first.texture2, "data/b.dds");
    EXPECT_STREQ(first.texture3, "seen.dds");  // "/*glued" opens no comment
    EXPECT_STREQ(first.normalmap, "data/n.dds");
    EXPECT_STREQ(first.colormap, "data/colormaps/m.dds");
    EXPECT_STREQ(first.shader, "other.fx");
    EXPECT_STREQ(first.splat_texture, "data/s.dds");
    EXPECT_STREQ(first.splat_normalmap, "data/s_sn.dds");
    EXPECT_FLOAT_EQ(first.rivercolor[2], 0.3f);
    EXPECT_FLOAT_EQ(first.rivercolor[3], 0.4f);
    EXPECT_FLOAT_EQ(first.rivers, 0.9f);
    EXPECT_FLOAT_EQ(first.bumpVals[1], 0.6f);
    EXPECT_FLOAT_EQ(first.population, 0.5f);
    EXPECT_EQ(first.weatherType, 3);
    EXPECT_FLOAT_EQ(first.shadowValue, 0.15f);
    EXPECT_EQ(first.minlevel, 7);

    // A block that says little keeps the defaults, and a value that is no number changes nothing.
    const Environment& second = *Environment::Get(1);
    EXPECT_STREQ(second.shader, "terrain.fx");
    EXPECT_FLOAT_EQ(second.rivers, 0.5f);
    EXPECT_FLOAT_EQ(second.bumpVals[0], 0.4f);
    EXPECT_FLOAT_EQ(second.bumpVals[1], 0.75f);
    EXPECT_FLOAT_EQ(second.population, 0.1f);
    EXPECT_FLOAT_EQ(second.shadowValue, 0.2f);
    for (float c : second.rivercolor) EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(Environment::Get(2), nullptr);
    EXPECT_EQ(Environment::Get(-1), nullptr);
}

TEST_F(Environments, ASeventeenthBlockIsRefusedAndNothingOverflows)
{
    std::string blocks;
    for (int i = 0; i < MAX_ENVIRONMENTS + 2; ++i) blocks += "DefineEnvironment e" + std::to_string(i) + "\nrivers 0.25\n";
    blocks += "texture1 data/late.dds\n";
    LogCaptureBegin();
    LoadEnvironments("seventeen", blocks);
    std::string log = LogCaptureEnd();
    EXPECT_EQ(Environment::GetCount(), MAX_ENVIRONMENTS);
    EXPECT_NE(log.find("'e16' is left out"), std::string::npos) << log;
    EXPECT_NE(log.find("'e17' is left out"), std::string::npos) << log;
    // The refused block's keywords land nowhere, not in the last record kept.
    EXPECT_STREQ(Environment::Get(MAX_ENVIRONMENTS - 1)->texture1, "");
    EXPECT_STREQ(Environment::Get(MAX_ENVIRONMENTS - 1)->name, "e15");
}

TEST_F(Environments, NamesAreFoundWithoutRegardToCase)
{
    LoadEnvironments("names", "DefineEnvironment Forest\nDefineEnvironment lava\nDefineEnvironment MOON\n");
    const struct {
        const char* name;
        int found;
        int index;
    } cases[] = {{"forest", 0, 0}, {"FOREST", 0, 0}, {"Lava", 1, 1}, {"moon", 2, 2}, {"nowhere", 0, -1}, {"", 0, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(Environment::FindByName(c.name), c.found) << c.name;
        EXPECT_EQ(Environment::FindIndex(c.name), c.index) << c.name;
    }
    EXPECT_EQ(Environment::FindByName(nullptr), 0);
}

TEST_F(Environments, SelectingOneFillsTheSlotsAndTheLevelsColourMap)
{
    // Before any selection: no environment and the default fog.
    EXPECT_EQ(Environment::GetCurrent(), nullptr);
    Vec4 fog = Environment::GetFogColour();
    EXPECT_FLOAT_EQ(fog.x, 0.1216f);
    EXPECT_FLOAT_EQ(fog.y, 0.2353f);
    EXPECT_FLOAT_EQ(fog.z, 0.2863f);
    EXPECT_FLOAT_EQ(fog.w, 1.0f);
    EXPECT_STREQ(GroundTextureSlots[0], "data/textures/terrain/Grass_9_1.jpg");

    LoadEnvironments("select", "DefineEnvironment dry\ntexture1 d1.dds\ntexture2 d2.dds\ntexture3 d3.dds\n"
                               "normalmap dn.dds\ncolormap dc.dds\nrivercolor 0.5 0.4 0.3 1\nshadowValue 0.6\n"
                               "DefineEnvironment wet\ntexture1 w1.dds\n");
    Terrain terrain;
    EXPECT_EQ(terrain.SetEnvironment("nowhere"), nullptr);
    EXPECT_EQ(Environment::GetCurrent(), nullptr);

    ASSERT_NE(terrain.SetEnvironment("DRY"), nullptr);
    EXPECT_STREQ(Environment::GetCurrent()->name, "dry");
    EXPECT_EQ(Environment::GetCurrentIndex(), 0);
    const char* slots[] = {"d1.dds", "d2.dds", "d3.dds", "dn.dds"};
    for (int i = 0; i < GROUND_TEXTURE_SLOTS; ++i) EXPECT_STREQ(GroundTextureSlots[i], slots[i]);
    EXPECT_STREQ(TheScene.colourMapName, "dc.dds");
    EXPECT_FLOAT_EQ(Environment::GetFogColour().x, 0.5f);
    EXPECT_FLOAT_EQ(EffectValues.shadowValue, 0.6f);

    // A reload of the script selects the current environment again, by name.
    CopyText(TheScene.colourMapName, sizeof TheScene.colourMapName, "changed.dds");
    LoadEnvironments("reload", "DefineEnvironment wet\nDefineEnvironment dry\ncolormap dc2.dds\n");
    EXPECT_STREQ(Environment::GetCurrent()->name, "dry");
    EXPECT_EQ(Environment::GetCurrentIndex(), 1);
    EXPECT_STREQ(TheScene.colourMapName, "dc2.dds");

    // With one environment the random choice is that one.
    LoadEnvironments("one", "DefineEnvironment only\n");
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(terrain.SetRandomEnvironment(), "only");
}

TEST_F(Environments, WithoutAScriptThereAreNone)
{
    Environment::LoadScript("data/scripts/no-such-environments.cgs");
    Terrain terrain;
    EXPECT_EQ(Environment::GetCount(), 0);
    EXPECT_EQ(Environment::GetCurrent(), nullptr);
    EXPECT_EQ(Environment::FindByName("forest"), 0);
    EXPECT_EQ(terrain.SetEnvironment("forest"), nullptr);
    EXPECT_EQ(terrain.SetRandomEnvironment(), nullptr);
}

TEST_F(Environments, TheShippedEnvironmentsAreTheGamesAndEverythingTheyNameShips)
{
    Environment::LoadScript();
    ASSERT_EQ(Environment::GetCount(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_STREQ(Environment::Get(i)->name, SHIPPED[i]);

    PackageFile textures, shaders;
    ASSERT_TRUE(textures.Open("data/textures.pkb", false));
    ASSERT_TRUE(shaders.Open("data/shaders.pkb", false));
    auto ships = [](PackageFile& package, const char* path) {
        const char* slash = strrchr(path, '/');
        return package.FindEntry(slash ? slash + 1 : path) >= 0;
    };
    std::set<std::string> lowGround;
    for (int i = 0; i < Environment::GetCount(); ++i) {
        const Environment& e = *Environment::Get(i);
        SCOPED_TRACE(e.name);
        for (const char* texture : {e.texture1, e.texture2, e.texture3, e.normalmap, e.colormap, e.splat_texture,
                                    e.splat_normalmap})
            EXPECT_TRUE(ships(textures, texture)) << texture;
        EXPECT_TRUE(ships(shaders, e.shader)) << e.shader;
        // Each world has a ground of its own.
        EXPECT_TRUE(lowGround.insert(e.texture1).second) << e.texture1;
        EXPECT_NE(std::string(e.texture1), e.texture2);
        EXPECT_NE(std::string(e.texture2), e.texture3);
        float fog = e.rivercolor[0] + e.rivercolor[1] + e.rivercolor[2];
        EXPECT_GT(fog, 0.0f);
        EXPECT_FLOAT_EQ(e.rivercolor[3], 1.0f);
        EXPECT_GE(e.weatherType, 0);
        EXPECT_LE(e.weatherType, 3);
    }
    for (const char* name : {"lava.fx", "reflect_refract.fx", "splat.fx", "terrain.fx"}) EXPECT_TRUE(ships(shaders, name)) << name;
    for (const char* name : {"lava_river.dds", "waves.dds", "red.dds", "white.dds", "smallstones.dds", "skybox.dds",
                             "crackedground.dds", "crackedground_sn.dds", "blood_0.dds", "blood_4.dds",
                             "blood_green_0.dds", "blood_green_4.dds"})
        EXPECT_TRUE(ships(textures, name)) << name;
}

TEST_F(Environments, EachLevelPlaysTheMusicOfItsOwnEnvironment)
{
    GameSeamImpl game;
    ScopedGameSeam seam(&game);
    Environment::LoadScript();
    MusicPlayer::LoadScript();
    ASSERT_EQ(MusicTrackCount, 3);
    // music.cgs: track 1 for the green and cold worlds, track 2 for the hot and strange ones,
    // track 3 everywhere.
    const struct {
        const char* environment;
        std::set<std::string> tracks;
    } cases[] = {
        {"forest", {"data/music/ingame_track1.ogg", "data/music/ingame_track3.ogg"}},
        {"winter", {"data/music/ingame_track1.ogg", "data/music/ingame_track3.ogg"}},
        {"marsh", {"data/music/ingame_track1.ogg", "data/music/ingame_track3.ogg"}},
        {"desert", {"data/music/ingame_track2.ogg", "data/music/ingame_track3.ogg"}},
        {"lava", {"data/music/ingame_track2.ogg", "data/music/ingame_track3.ogg"}},
        {"moon", {"data/music/ingame_track2.ogg", "data/music/ingame_track3.ogg"}},
    };
    Terrain terrain;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.environment);
        ASSERT_NE(terrain.SetEnvironment(c.environment), nullptr);
        EXPECT_EQ(game.GetCurrentEnvironment(), Environment::FindIndex(c.environment));
        MusicPlayer player;
        player.PlayIngamePlaylist();
        std::set<std::string> tracks;
        char track[MUSIC_PATH_TEXT];
        for (int i = 0; i < player.GetPlaylistCount(); ++i)
            if (player.GetPlaylistTrack(i, track, sizeof track)) tracks.insert(track);
        EXPECT_EQ(tracks, c.tracks);
    }
    MusicTrackCount = 0;
}
