#include "levelgen/MapGenerator.h"

#include "campaign/MissionRecord.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/LevelTools.h"
#include "levelgen/MissionObjects.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/ScanPulses.h"
#include "world/Grid.h"
#include "terrain/Terrain.h"

#include <cmath>
#include <cstdio>
#include <cstring>

MapGenerator* TheMapGenerator = nullptr;

namespace {

// Open ground lies at this height; water and crater floors at 0, hills and rock above.
constexpr float GROUND = 1.1f;
// The terrain's height scale for a generated level.
constexpr float GENERATED_HEIGHT_SCALE = 1.6f;
// The rim of the map is raised into a wall between these heights.
constexpr float RIM_LOW = TERRAIN_VERTICAL_SCALE - 2.0f;
constexpr int RIM = 2;
// The compound's outposts stand this far out from its middle on both axes.
constexpr int OUTPOST_OFFSET = 24;

float Unit()
{
    return (float)Rand() / 32768.0f;
}

bool SameName(const char* a, const char* b)
{
    return StrICmp(a, b) == 0;
}

// The height a cell of a kind gets in the image; open ground and rock draw their roughness.
float KindHeight(int kind, const float bump[2])
{
    switch (kind) {
    case KIND_OPEN: {
        float r = Unit();
        return GROUND + bump[0] + (bump[1] - bump[0]) * r;
    }
    case KIND_ROAD:
    case 2: case 3: case 4: case 5: case 6:
        return GROUND + (float)kind / 7.0f;
    case KIND_SKETCH: return GROUND + 1.0f;
    case KIND_POND:
    case KIND_RIVER:
    case KIND_CRATER: return 0.0f;
    case KIND_RIVER_2:
    case KIND_ROCK: return GROUND + RandomFloat(3.0f, 4.0f);
    case KIND_HILL_PEAK: return GROUND + 2.64f;
    case KIND_HILL_SLOPE: return GROUND + 2.34f;
    case KIND_HILL_SLOPE + 1: return GROUND + 2.04f;
    case KIND_HILL_SLOPE + 2: return GROUND + 1.74f;
    case KIND_HILL_SLOPE + 3: return GROUND + 1.44f;
    case 24: case 26: case KIND_CAMP: case 28: return GROUND + 2.0f / 7.0f;
    case KIND_CRATER_RIM: return GROUND + 1.1f;
    case KIND_ROUGH: return 1.8f;
    default: return GROUND;
    }
}

uint32_t KindColour(int kind)
{
    switch (kind) {
    case KIND_OPEN: return 0xff000000u;
    case KIND_ROAD: return 0xff44cc44u;
    case 2: return 0xff656565u;
    case 3: return 0xff545454u;
    case 4: return 0xff434343u;
    case 5: return 0xff323232u;
    case 6: return 0xff222222u;
    case KIND_SKETCH: return 0xffee0000u;
    case KIND_START: return 0xff00cc00u;
    case KIND_JUNCTION: return 0xff990099u;
    case KIND_GUARD_POST: return 0xffcc0000u;
    case KIND_ORE: return 0xffcccc00u;
    case KIND_FUEL: return 0xff0000ccu;
    case 13: return 0xff00ccccu;
    case KIND_LAIR: return 0xff22cc00u;
    case KIND_POND: return 0xff00ffffu;
    case KIND_RIVER: return 0xff0033ffu;
    case KIND_RIVER_2: return 0xff772222u;
    case KIND_ROCK: return 0xffa52a2au;
    case KIND_HILL_PEAK: return 0xff55a52au;
    case KIND_HILL_SLOPE: return 0xff55952au;
    case KIND_HILL_SLOPE + 1: return 0xff55852au;
    case KIND_HILL_SLOPE + 2: return 0xff55752au;
    case KIND_HILL_SLOPE + 3: return 0xff55652au;
    case 24: return 0xff778899u;
    case KIND_DROPSHIP: return 0xffff8800u;
    case 26: return 0xff99aabbu;
    case KIND_CAMP: return 0xffbbccddu;
    case 28: return 0xff22ddddu;
    case KIND_CRATER: return 0xff885555u;
    case KIND_CRATER_RIM: return 0xff997777u;
    case KIND_ROUGH: return 0xff226633u;
    default: return 0xffffffffu;
    }
}

// "<user folder>/<relative>", with its folder made when missing.
void UserFile(char* out, size_t size, const char* relative)
{
    char folder[512];
    snprintf(folder, sizeof folder, "%s/heightmaps", UserFolder);
    FileStatus status;
    if (GetFileStatus(folder, status) != 0) CreateFolder(folder);
    snprintf(out, size, "%s/%s", UserFolder, relative);
}

}  // namespace

MapGenerator::MapGenerator() = default;

MapGenerator::~MapGenerator()
{
    if (TheLevelToolHooks) TheLevelToolHooks->MapGeneratorGone(*this);
}

bool MapGenerator::IsVisible() const
{
    return TheLevelToolHooks && TheLevelToolHooks->MapWindowShown(*this);
}

void MapGenerator::ChooseEnvironment(const MissionRecord* mission)
{
    Environment::EnsureLoaded();
    const char* name = nullptr;
    if (mission && (mission->flags & MISSION_DATA_OWN_ENVIRONMENT)) {
        TheTerrain.SetEnvironment(mission->environment);
        name = mission->environment;
    } else if (const char* typed = TheLevelToolHooks ? TheLevelToolHooks->TypedEnvironment(*this) : nullptr;
               typed && !SameName(typed, "rand")) {
        TheTerrain.SetEnvironment(typed);
        name = typed;
    } else {
        name = TheTerrain.SetRandomEnvironment();
        if (!name) name = "forest";
    }
    CopyText(environmentName, sizeof environmentName, name);
    if (TheLevelToolHooks) TheLevelToolHooks->ShowEnvironment(*this, environmentName);
}

void MapGenerator::StampClearing(const IntPoint& site, int r, int shape, bool named)
{
    switch (shape) {
    case CLEARING_PLUS:
        StampArea(r, site, KIND_CLEARED, true, (int)(1.5f * (float)r), false);
        StampArea((int)(1.5f * (float)r), site, KIND_CLEARED, true, r, false);
        break;
    case CLEARING_ROUGH:
        StampArea(r, site, KIND_ROUGH, false, -1, true);
        break;
    case CLEARING_SQUARE:
        StampArea(r, site, KIND_CLEARED, true, -1, false);
        break;
    case CLEARING_COMPOUND:
        if (!named) {
            // A walled compound with four outposts, a road out to each.
            StampArea(r, site, KIND_CLEARED, true, -1, true);
            static const int corners[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
            for (const auto& c : corners) {
                IntPoint outpost(site.x + c[0] * OUTPOST_OFFSET, site.y + c[1] * OUTPOST_OFFSET);
                StampArea(4, outpost, KIND_CLEARED, false, -1, true);
                DrawPaths(1, &outpost, IntPoint(site.x + c[0] * r, site.y + c[1] * r), KIND_ROAD, false);
            }
            break;
        }
        [[fallthrough]];
    default:
        StampArea(r, site, KIND_CLEARED, false, -1, false);
        break;
    }
}

// The field the rig lands beside lies inside the ring of its first scan, so a newcomer who
// scans where he stands finds ore at once.
float MapGenerator::StartOreDistance()
{
    const ScanRecord pulse;
    const float reach = pulse.outerRadius + pulse.maxPhase;  // world units
    const Grid* grid = CurrentGrid();
    return std::floor(reach / (grid ? grid->cellSize : 2.5f));
}

void MapGenerator::BuildHeightmap(LevelGenerator& layout)
{
    const size_t cells = (size_t)mapWidth * mapWidth;
    kinds.assign(cells, KIND_OPEN);
    second.assign(cells, 0);

    startPoint = layout.startPoint;
    SetKind(startPoint.x, startPoint.y, KIND_START);
    StampArea(8, startPoint, KIND_CLEARED, false, -1, false);

    if (layout.riverCount > 0) BuildRivers(layout);

    for (int i = 0; i < layout.objectiveSiteCount; ++i) {
        IntPoint site = layout.objectiveSites[i];
        // Objectives without a site (build, mine, find ore) clear nothing.
        if (site == IntPoint(-1, -1) || !layout.siteObjectives[i] || !TheMissionObjects) continue;
        const MissionObject* object = TheMissionObjects->Find(layout.siteObjectives[i]->target, -1);
        if (!object || object->clearingRadius <= 0) continue;
        StampClearing(site, object->clearingRadius, object->clearingShape, false);
    }

    for (int i = 0; i < layout.specialSiteCount; ++i) {
        IntPoint site = layout.specialSites[i];
        SetKind(site.x, site.y, layout.specialSiteKinds[i]);
        if (layout.specialSiteKinds[i] != SITE_GUARD_POST) StampArea(8, site, KIND_CLEARED, false, -1, false);
    }
    for (int i = 0; i < layout.creatureSiteCount; ++i) {
        SetKind(layout.creatureSites[i].x, layout.creatureSites[i].y, KIND_LAIR);
        StampArea(8, layout.creatureSites[i], KIND_CLEARED, false, -1, false);
    }
    for (int i = 0; i < layout.oreSiteCount; ++i)
        ScatterOre(layout.oreSites[i], 4.0f, 6, layout.oreSites[i] == startPoint ? StartOreDistance() : 7.0f);
    for (int i = 0; i < layout.fuelSiteCount; ++i) ScatterFuel(layout.fuelSites[i], 2.0f, 2, 11.0f);

    for (int i = 0; i < layout.namedSiteCount; ++i) {
        const MissionObject* object = TheMissionObjects ? TheMissionObjects->Find(layout.siteNames[i], -1) : nullptr;
        if (!object) continue;
        StampClearing(layout.namedSites[i], object->clearingRadius, object->clearingShape, true);
        if (object->clearingShape == CLEARING_ROCK_HILL) RockHill(layout.namedSites[i], layout.namedSites[i]);
    }

    // Roads join the fords of different rivers, and lead from the start, the camps and the
    // lairs down to the nearest ford.
    for (int o = 0; o < layout.crossingCount; ++o)
        for (int i = 0; i < layout.crossingCount / 2; ++i)
            if (i != o && layout.crossingRivers[i] != layout.crossingRivers[o])
                DrawPaths(1, &layout.crossingPoints[i], layout.crossingPoints[o], KIND_ROAD, true);
    if (layout.crossingCount > 0) {
        auto roadToBank = [&](IntPoint from) {
            IntPoint bank = BankPoint(from, layout);
            DrawPaths(1, &bank, from, KIND_ROAD, false);
        };
        roadToBank(startPoint);
        for (int i = 0; i < layout.specialSiteCount; ++i) roadToBank(layout.specialSites[i]);
        for (int i = 0; i < layout.creatureSiteCount; ++i) roadToBank(layout.creatureSites[i]);
    }

    Terrace(1);
    PlaceFreeCellTerrain();
    PlaceJunctions(layout);
    Terrace(5);
    // The debug picture costs more than the whole build: only for someone looking at it.
    mapImageStale = true;
    if (IsVisible() || (Config && Config->debugMode)) SaveMapImage();
    heightsReady = 1;
}

void MapGenerator::PlaceFreeCellTerrain()
{
    float hills = 0.5f, mounds = 0.3f;
    bool craters = false;
    if (SameName(environmentName, "moon")) {
        hills = 0.2f;
        mounds = 0.3f;
        craters = true;
    } else if (SameName(environmentName, "desert")) {
        hills = 0.4f;
        mounds = 0.4f;
    }
    static const IntPoint nudges[8] = {{-4, -4}, {0, -4}, {4, -4}, {-4, 0}, {4, 0}, {-4, 4}, {0, 4}, {4, 4}};
    const CellGrid& cells = CellGrid::Instance();
    int done = 0;
    for (int cell = 0; cell < cells.GetCellCount() && done < cells.GetCellCount() - 1; ++cell) {
        if (!cells.IsFree(cell)) continue;
        ++done;
        int column = cell % 4, row = cell / 4;
        IntPoint centre(PLACEMENT_CELL_SIZE * column + 16, PLACEMENT_CELL_SIZE * row + 16);
        if (Unit() < hills) {
            int y = PLACEMENT_CELL_SIZE * row + 8 + Rand() % 9;
            int x = PLACEMENT_CELL_SIZE * column + 8 + Rand() % 9;
            int qx = x + Rand() % 5 - 2;
            int qy = y + Rand() % 5 - 2;
            RockHill(IntPoint(x, y), IntPoint(qx, qy));
        } else if (Unit() < hills + mounds) {
            bool blob = Rand() % 2 == 0;
            if (blob)
                Blob(centre, 32, 32, KIND_ROCK);
            else
                RockOutcrop(centre);
            IntPoint nudge = nudges[Rand() % 8];
            IntPoint p(centre.x + nudge.x, centre.y + nudge.y);
            if (blob)
                Blob(p, 16, 16, KIND_ROCK);
            else
                RockOutcrop(p);
        } else if (craters) {
            int n = 2 + Rand() % 4;
            if (IsInner(centre.x, centre.y)) SetKind(centre.x, centre.y, KIND_CRATER);
            StampArea(n, centre, KIND_CRATER, false, -1, false);
            StampArea(n + 2, centre, KIND_CRATER_RIM, false, -1, false);
        } else {
            Blob(centre, 16, 16, KIND_POND);
        }
    }
}

void MapGenerator::PlaceJunctions(const LevelGenerator& layout)
{
    bool marsh = SameName(environmentName, "marsh");
    for (int i = 0; i < JUNCTION_COUNT; ++i) {
        IntPoint corner = JunctionPoint(i);
        if (marsh && Rand() % 2 == 0) {
            bool open = true;
            for (int y = corner.y - 8; y <= corner.y + 7 && open; ++y)
                for (int x = corner.x - 8; x <= corner.x + 7 && open; ++x) open = KindAt(x, y) == KIND_OPEN;
            if (open) Blob(corner, 16, 16, KIND_POND);
        }
        if (layout.junctionSwitches[i] > 0) SetKind(corner.x, corner.y, KIND_JUNCTION);
    }
}

void MapGenerator::KindHeights(Heightmap& heights) const
{
    const int w = mapWidth;
    if (kinds.empty() || heights.width != w || heights.height != w) return;
    const Environment* environment = Environment::GetCurrent();
    const float noBump[2] = {0.0f, 0.0f};
    const float* bump = environment ? environment->bumpVals : noBump;
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < w; ++x) {
            int kind = kinds[(size_t)(w - 1 - y) * w + (w - 1 - x)];
            float h;
            if (x < RIM || x > w - 1 - RIM || y < RIM || y > w - 1 - RIM)
                h = kind == KIND_RIVER ? GROUND : RIM_LOW + 2.0f * Unit();  // rivers run out through the rim
            else
                h = KindHeight(kind, bump);
            heights.data[(size_t)y * w + x] = h;
        }
}

void MapGenerator::GenerateHeightImage()
{
    GenerateHeightImage(RandState());
}

void MapGenerator::GenerateHeightImage(unsigned groundSequence)
{
    if (kinds.empty()) return;
    // What the level's making drew before the ground depends on what it put down, and a saved
    // level puts down none of its units: the ground's grain is drawn from a sequence the save
    // keeps, so the loaded level stands on the very ground it was saved on.
    SRand(groundSequence);
    TheScene.groundDrawn = true;
    TheScene.groundSequence = groundSequence;
    Heightmap heights(mapWidth, mapWidth, TERRAIN_VERTICAL_SCALE);
    heights.Fill(GROUND);
    TheTerrain.heightScale = GENERATED_HEIGHT_SCALE;
    KindHeights(heights);
    heights.Smooth(0.75f);
    heights.RefreshTexture();
    heights.UploadToTexture();
    char path[512];
    UserFile(path, sizeof path, GENERATED_HEIGHTMAP);
    if (!heights.SaveTexture(path)) Log("ERROR level generator: the height image %s was not written\n", path);
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, path);
    heights.Free();
}

void MapGenerator::SaveMapImage()
{
    if (kinds.empty() || previewSize <= 0) return;
    mapImageStale = false;
    const int size = previewSize;
    Image image;
    if (!image.Create(PixelFormat::A8R8G8B8, (uint32_t)size, (uint32_t)size)) return;
    uint8_t* bytes = image.Level(0, 0);
    const size_t pitch = image.LevelPitch(0);
    const CellGrid& cells = CellGrid::Instance();
    const int cellPixels = size * PLACEMENT_CELL_SIZE / mapWidth;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            int x = px * mapWidth / size, y = py * mapWidth / size;
            uint32_t colour = KindColour(KindAt(x, y));
            // The placement cells' borders, and a frame inside every cell left free.
            int cx = px % cellPixels, cy = py % cellPixels;
            if (cx == 0 || cy == 0) colour = 0xff808080u;
            bool frame = (cx == 6 || cx == cellPixels - 7) && cy >= 6 && cy <= cellPixels - 7;
            frame = frame || ((cy == 6 || cy == cellPixels - 7) && cx >= 6 && cx <= cellPixels - 7);
            if (frame && cells.IsFreeCell(px / cellPixels, py / cellPixels)) colour = 0xffffffffu;
            memcpy(bytes + (size_t)py * pitch + (size_t)px * 4, &colour, 4);
        }
    char path[512];
    UserFile(path, sizeof path, MAP_IMAGE);
    if (!SaveImageFile(path, ImageFileFormat::BMP, image)) Log("ERROR level generator: the map image %s was not written\n", path);
    // The window's picture: one pixel per map cell.
    if (TheLevelToolHooks && TheLevelToolHooks->HasMapPicture(*this)) {
        std::vector<uint32_t> pixels((size_t)mapWidth * mapWidth);
        for (int y = 0; y < mapWidth; ++y)
            for (int x = 0; x < mapWidth; ++x)
                memcpy(&pixels[(size_t)y * mapWidth + x],
                       bytes + (size_t)(y * size / mapWidth) * pitch + (size_t)(x * size / mapWidth) * 4, 4);
        TheLevelToolHooks->ShowMapPicture(*this, pixels.data());
    }
}
