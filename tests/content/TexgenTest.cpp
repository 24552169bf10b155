#include "content/texgen/TextureBuild.h"
#include "content/texgen/TextureTable.h"
#include "host/DdsFile.h"
#include "host/DxtCodec.h"
#include "host/ImageCodec.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

bool PaintNothing(Canvas&) { return true; }

const TextureRecipe* FindRecipe(const std::string& fileName)
{
    for (const TextureRecipe& recipe : TextureRecipes()) {
        if (FileNameOf(recipe.path) == fileName) return &recipe;
    }
    return nullptr;
}

// Level 0 of a texture as it ships, decoded to B, G, R, A bytes.
struct Pixels {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgra;
    const uint8_t* At(uint32_t x, uint32_t y) const { return &bgra[((size_t)y * width + x) * 4]; }
};

Pixels ShippedPixels(const std::string& fileName)
{
    Pixels out;
    const TextureRecipe* recipe = FindRecipe(fileName);
    EXPECT_TRUE(recipe) << fileName;
    if (!recipe) return out;
    std::vector<uint8_t> dds;
    Image image, argb;
    EXPECT_TRUE(BuildTexture(*recipe, dds, nullptr));
    EXPECT_TRUE(ReadDds(dds.data(), dds.size(), image));
    EXPECT_TRUE(ConvertImage(image, PixelFormat::A8R8G8B8, argb));
    out.width = argb.width;
    out.height = argb.height;
    out.bgra.assign(argb.Level(0, 0), argb.Level(0, 0) + argb.LevelSize(0));
    return out;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path.c_str(), bytes)) << path;
    return bytes;
}

}  // namespace

TEST(Texgen, TableHoldsTheTexturesTheGameNames)
{
    std::string error;
    EXPECT_TRUE(CheckRecipes(TextureRecipes(), &error)) << error;
    for (const char* path : {"textures/notexture.dds", "textures/white.dds", "textures/grid.dds", "textures/default.dds",
                             "textures/normalmapnone.dds", "textures/math/pow1d_30.dds",
                             "textures/colormaps/defaultcolor.dds", "textures/particle.dds",
                             "gui/story/presents_text.dds", "gui/story/main_logo_big.dds", "gui/commandicons.dds",
                             "gui/game/buildback.dds", "gui/icons/cursors.dds",
                             // The minimap's and the scan ring's.
                             "gui/game/minimapframe.dds", "gui/circle.dds", "gui/planet_controls.dds",
                             "textures/green_alpha.dds"}) {
        const TextureRecipe* recipe = FindRecipe(FileNameOf(path));
        ASSERT_TRUE(recipe) << path;
        EXPECT_STREQ(recipe->path, path);
    }
}

TEST(Texgen, EveryTextureTheCodeNamesIsInTheTable)
{
    // Names written into the game's code ("data/textures/terrain/Grass_9_1.jpg"), not only
    // those of the scripts: the game asks for them by file name, in any case.
    std::set<std::string> shipped;
    for (const TextureRecipe& recipe : TextureRecipes()) shipped.insert(FileNameOf(recipe.path));
    const std::vector<std::string> files = SourceFiles(
        {"app", "campaign", "gui", "interface", "levelgen", "mechanics", "platform", "render", "terrain", "tools", "world"});
    ASSERT_GT(files.size(), 100u) << "no sources below " << SourcePath("");
    int names = 0;
    for (const std::string& file : files) {
        std::ifstream in(SourcePath(file));
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            for (size_t at = line.find('"'); at != std::string::npos; at = line.find('"', at + 1)) {
                size_t end = line.find('"', at + 1);
                if (end == std::string::npos) break;
                std::string name = line.substr(at + 1, end - at - 1);
                at = end;
                std::string lower = name;
                for (char& c : lower) c = (char)std::tolower((unsigned char)c);
                if (lower.rfind("data/textures/", 0) != 0 && lower.rfind("data/gui/", 0) != 0) continue;
                const std::string fileName = lower.substr(lower.find_last_of('/') + 1);
                // Folders and names made at run time ("data/textures/splats/%s") are not names.
                if (fileName.find('.') == std::string::npos || lower.find_first_of("%<") != std::string::npos) continue;
                ++names;
                EXPECT_TRUE(shipped.count(fileName)) << file << ":" << number << " names " << name;
            }
        }
    }
    EXPECT_GT(names, 50);
}

TEST(Texgen, CheckRefusesBrokenTables)
{
    struct Case {
        std::vector<TextureRecipe> recipes;
        const char* complaint;
    } cases[] = {
        {{{"textures/a/rock.dds", 8, 8, TextureStore::Argb, true, TextureKind::Picture, PaintNothing},
          {"gui/b/ROCK.dds", 8, 8, TextureStore::Argb, false, TextureKind::Picture, PaintNothing}},
         "lower case"},
        {{{"textures/a/rock.dds", 8, 8, TextureStore::Argb, true, TextureKind::Picture, PaintNothing},
          {"gui/b/rock.dds", 8, 8, TextureStore::Argb, false, TextureKind::Picture, PaintNothing}},
         "share the file name rock.dds"},
        {{{"meshes/rock.dds", 8, 8, TextureStore::Argb, true, TextureKind::Picture, PaintNothing}}, "neither"},
        {{{"textures/rock.png", 8, 8, TextureStore::Argb, true, TextureKind::Picture, PaintNothing}}, "no .dds"},
        {{{"textures/rock.dds", 12, 8, TextureStore::Argb, true, TextureKind::Picture, PaintNothing}}, "powers of two"},
        {{{"textures/rock.dds", 8, 8, TextureStore::Argb, true, TextureKind::Lookup, PaintNothing}}, "lookup"},
        {{{"textures/rock.dds", 8, 8, TextureStore::Argb, true, TextureKind::Picture, nullptr}}, "no painter"},
        {{{"textures/rock.jpg", 8, 8, TextureStore::Argb, false, TextureKind::Picture, PaintNothing}}, "no .dds"},
        {{{"textures/rock.dds", 8, 8, TextureStore::Jpeg, false, TextureKind::Picture, PaintNothing}}, "no .jpg"},
        {{{"textures/rock.jpg", 8, 8, TextureStore::Jpeg, true, TextureKind::Picture, PaintNothing}}, "mip levels"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(CheckRecipes(c.recipes, &error)) << c.complaint;
        EXPECT_NE(error.find(c.complaint), std::string::npos) << error;
    }
}

TEST(Texgen, EveryTextureIsWrittenReadsBackAndComesOutTheSameAgain)
{
    std::string folder = MakeTempFolder("texgen");
    std::string error;
    ASSERT_TRUE(GenerateTextures(TextureRecipes(), folder, &error)) << error;

    // The run writes exactly what the listing (the build's one list of textures) names.
    std::vector<std::string> listed = OutputsOf(TextureRecipes());
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) written.insert(std::filesystem::relative(entry.path(), folder).generic_string());
    EXPECT_EQ(written, std::set<std::string>(listed.begin(), listed.end()));
    EXPECT_EQ(written.size(), listed.size()) << "a file listed twice";

    for (const TextureRecipe& recipe : TextureRecipes()) {
        SCOPED_TRACE(recipe.path);
        std::vector<std::string> outputs = OutputsOf(recipe);
        bool world = std::string(recipe.path).rfind("textures/", 0) == 0;
        ASSERT_EQ(outputs.size(), world ? 2u : 1u);
        for (size_t i = 0; i < outputs.size(); i++) {
            std::vector<uint8_t> bytes = ReadFile(folder + "/" + outputs[i]);
            Image image;
            if (recipe.store == TextureStore::Jpeg) {
                ASSERT_TRUE(LoadImageFromMemory(bytes.data(), bytes.size(), image));
                EXPECT_FALSE(IsDdsData(bytes.data(), bytes.size()));
            } else {
                ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), image));
            }
            bool low = i == 1 && recipe.kind != TextureKind::Lookup;
            EXPECT_EQ(image.width, low ? std::max(1u, recipe.width / 2) : recipe.width);
            EXPECT_EQ(image.height, low ? std::max(1u, recipe.height / 2) : recipe.height);
            EXPECT_EQ(image.mipLevels, recipe.mips ? FullMipCount(image.width, image.height) : 1u);
            PixelFormat format = recipe.store == TextureStore::Dxt1   ? PixelFormat::DXT1
                                 : recipe.store == TextureStore::Dxt5 ? PixelFormat::DXT5
                                                                      : PixelFormat::A8R8G8B8;
            EXPECT_EQ(image.format, format);
        }
    }

    // Painting again, on this thread rather than the generator's workers, gives the same bytes.
    for (const char* name : {"main_logo_big.dds", "commandicons.dds", "ground_grass.dds", "pow1d_30.dds"}) {
        const TextureRecipe* recipe = FindRecipe(name);
        ASSERT_TRUE(recipe) << name;
        std::vector<uint8_t> dds, low;
        bool world = OutputsOf(*recipe).size() == 2;
        ASSERT_TRUE(BuildTexture(*recipe, dds, world ? &low : nullptr));
        EXPECT_TRUE(dds == ReadFile(folder + "/" + OutputsOf(*recipe)[0])) << name;
        if (world) {
            EXPECT_TRUE(low == ReadFile(folder + "/" + OutputsOf(*recipe)[1])) << name;
        }
    }
}

TEST(Texgen, PlaceholderFlatNormalAndSpecularLookupHoldTheirValues)
{
    Pixels missing = ShippedPixels("notexture.dds");
    size_t magenta = 0, black = 0;
    for (uint32_t y = 0; y < missing.height; y++) {
        for (uint32_t x = 0; x < missing.width; x++) {
            const uint8_t* p = missing.At(x, y);
            if (p[2] == 255 && p[1] == 0 && p[0] == 255) magenta++;
            if (p[2] == 0 && p[1] == 0 && p[0] == 0) black++;
        }
    }
    EXPECT_EQ(magenta, missing.bgra.size() / 8);
    EXPECT_EQ(black, missing.bgra.size() / 8);

    // Every level of the flat normal map, not just the top one.
    const TextureRecipe* flat = FindRecipe("normalmapnone.dds");
    ASSERT_TRUE(flat);
    std::vector<uint8_t> dds;
    Image normals;
    ASSERT_TRUE(BuildTexture(*flat, dds, nullptr));
    ASSERT_TRUE(ReadDds(dds.data(), dds.size(), normals));
    ASSERT_EQ(normals.format, PixelFormat::A8R8G8B8);
    for (size_t i = 0; i < normals.pixels.size(); i += 4) {
        EXPECT_EQ(normals.pixels[i + 0], 255) << i;  // blue: z
        EXPECT_EQ(normals.pixels[i + 1], 128) << i;  // green: y
        EXPECT_EQ(normals.pixels[i + 2], 128) << i;  // red: x
    }

    Pixels pow = ShippedPixels("pow1d_30.dds");
    ASSERT_EQ(pow.width, 256u);
    ASSERT_EQ(pow.height, 1u);
    for (uint32_t x : {0u, 128u, 200u, 230u, 245u, 255u}) {
        int expected = (int)std::lround(std::pow(x / 255.0, 30.0) * 255.0);
        for (int channel = 0; channel < 4; channel++) EXPECT_EQ(pow.At(x, 0)[channel], expected) << x;
    }
}

TEST(Texgen, LogoAndIconsAreDrawnOnTransparentGround)
{
    Pixels logo = ShippedPixels("main_logo_big.dds");
    ASSERT_EQ(logo.width, 4 * logo.height);
    for (uint32_t y : {0u, 1u, logo.height - 2, logo.height - 1}) {
        for (uint32_t x : {0u, 1u, logo.width - 2, logo.width - 1}) EXPECT_EQ(logo.At(x, y)[3], 0) << x << "," << y;
    }
    // Across the middle the letters stand solid, with gaps between them.
    size_t solid = 0;
    for (uint32_t x = 0; x < logo.width; x++) solid += logo.At(x, logo.height / 2)[3] == 255;
    EXPECT_GT(solid, logo.width / 4);
    EXPECT_LT(solid, logo.width * 9 / 10);

    // Eight different pictograms, one per cell, each on an opaque face.
    Pixels icons = ShippedPixels("commandicons.dds");
    ASSERT_EQ(icons.width, 2 * icons.height);
    uint32_t side = icons.height / 2;
    std::set<std::vector<uint8_t>> pictures;
    for (uint32_t row = 0; row < 2; row++) {
        for (uint32_t column = 0; column < 4; column++) {
            std::vector<uint8_t> centre;
            for (uint32_t y = side / 4; y < side * 3 / 4; y++) {
                for (uint32_t x = side / 4; x < side * 3 / 4; x++) {
                    const uint8_t* p = icons.At(column * side + x, row * side + y);
                    EXPECT_EQ(p[3], 255);
                    centre.insert(centre.end(), p, p + 3);
                }
            }
            pictures.insert(centre);
            EXPECT_EQ(icons.At(column * side, row * side)[3], 0);
        }
    }
    EXPECT_EQ(pictures.size(), 8u);
}

TEST(Texgen, CursorsPointFromTheCornerOfTheirCells)
{
    Pixels cursors = ShippedPixels("cursors.dds");
    ASSERT_EQ(cursors.width, 256u);
    ASSERT_EQ(cursors.height, 256u);
    const uint32_t side = cursors.width / 4;
    auto opaqueIn = [&](uint32_t column, uint32_t row, uint32_t from, uint32_t to) {
        size_t opaque = 0;
        for (uint32_t y = from; y < to; y++) {
            for (uint32_t x = from; x < to; x++) opaque += cursors.At(column * side + x, row * side + y)[3] >= 200;
        }
        return opaque;
    };
    // The sprite's top-left corner is the mouse position: whatever clicks points right there.
    struct Cell {
        uint32_t column, row;
        bool pointsFromCorner;
    } used[] = {{0, 0, true},  {1, 0, true},  {2, 0, true},  {3, 0, false}, {0, 1, false}, {2, 1, false},
                {3, 1, true},  {0, 2, true},  {1, 2, true},  {0, 3, false}, {1, 3, false}, {2, 3, false}};
    for (const Cell& cell : used) {
        SCOPED_TRACE(testing::Message() << "cell " << cell.column << "," << cell.row);
        EXPECT_GT(opaqueIn(cell.column, cell.row, 0, side), side * side / 20);
        if (cell.pointsFromCorner) {
            EXPECT_GT(opaqueIn(cell.column, cell.row, 0, 4), 8u);
        }
    }
    EXPECT_EQ(cursors.At(side - 1, side - 1)[3], 0);
    // The spare cells stay empty, so the atlas draws nothing there.
    for (Cell spare : {Cell{1, 1, false}, Cell{2, 2, false}, Cell{3, 2, false}, Cell{3, 3, false}}) {
        for (uint32_t y : {0u, side / 2, side - 1}) {
            for (uint32_t x : {0u, side / 2, side - 1}) {
                EXPECT_EQ(cursors.At(spare.column * side + x, spare.row * side + y)[3], 0)
                    << spare.column << "," << spare.row << " at " << x << "," << y;
            }
        }
    }
}

// The heal key uses the health cannisters; their icons wear the health mark, a red cross on a
// white badge, and no other kit of the bag looks like it. The cells are the ones the shipped
// item catalogue names.
TEST(Texgen, OnlyWhatTheHealKeyUsesWearsTheHealthMark)
{
    std::ifstream script(SourcePath("data/scripts/items.cgs"));
    ASSERT_TRUE(script.good());
    std::map<std::string, std::pair<int, int>> cells;  // item -> column, row of the 8 x 8 sheet
    std::string line, item;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        std::string word, sheet;
        int columns = 0, rows = 0, column = 0, row = 0;
        if (!(words >> word)) continue;
        if (word == "ITEM") words >> item;
        if (word == "ICONSHEET" && words >> sheet >> columns >> rows >> column >> row && sheet == "icons/item_icons.dds")
            cells[item] = {column, row};
    }
    Pixels sheet = ShippedPixels("item_icons.dds");
    ASSERT_EQ(sheet.width, 512u);
    const uint32_t side = sheet.width / 8;
    auto red = [](const uint8_t* p) { return p[2] > 170 && p[1] < 90 && p[0] < 90; };
    auto white = [](const uint8_t* p) { return p[2] > 200 && p[1] > 200 && p[0] > 200; };
    struct Case {
        const char* item;
        float size;  // the large cannister is drawn larger
        bool healKey;
    };
    const Case cases[] = {
        {"health_cannister", 1.0f, true},  {"large_health_cannister", 1.3f, true}, {"repair_kit", 1.0f, false},
        {"shield_cannister", 1.0f, false}, {"bot_experience", 1.0f, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(cells.count(c.item)) << c.item;
        const uint32_t left = cells[c.item].first * side, top = cells[c.item].second * side;
        auto at = [&](float x, float y) {
            return sheet.At(left + (uint32_t)(x * side), top + (uint32_t)(y * side));
        };
        // The cross: its middle and its four arms red, the badge white between the arms.
        const float y = 0.52f, arm = 0.08f * c.size;
        bool mark = red(at(0.5f, y));
        for (float dx : {-arm, arm}) mark = mark && red(at(0.5f + dx, y)) && red(at(0.5f, y + dx));
        for (float dx : {-0.06f * c.size, 0.06f * c.size})
            for (float dy : {-0.06f * c.size, 0.06f * c.size}) mark = mark && white(at(0.5f + dx, y + dy));
        EXPECT_EQ(mark, c.healKey) << c.item;
        if (c.healKey) continue;
        int redPixels = 0;
        for (uint32_t py = 0; py < side; ++py)
            for (uint32_t px = 0; px < side; ++px) redPixels += red(sheet.At(left + px, top + py));
        EXPECT_EQ(redPixels, 0) << c.item << " shows red, the colour of the health mark";
    }
}
