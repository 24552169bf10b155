// The level generator's window: a developer's bench in the front end for making levels again
// and again. It shows the generator's map (or the height image) as a picture, picks the
// environment, tunes the path jitter, forces rivers, sketches points on the map and starts a
// game on the level it made: a level made here is not made again at the level start.
#include "levelgen/MapGenerator.h"

#include "campaign/MissionScreen.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/GfxTexture.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "platform/InputState.h"
#include "platform/RandomUtil.h"
#include "render/Draw2D.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "tools/ToolWindows.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// "Toggle Maps": the next press shows the height image when set, the generator's map when not.
bool ShowHeightImageNext = false;

namespace {

constexpr uint32_t CLEARED_PREVIEW = 0xff333333u;
constexpr const char* PREVIEW_TEXTURE = "dyn_mapgen";

MapGenerator* Generator() { return TheMapGenerator; }

// A new random mission is current, and the level is laid out and shaped for it.
void MakeLevel(MapGenerator& maps)
{
    MissionRecord* mission = MissionScreen::InitRandomMission();
    TheLevelGenerator.Layout(mission);
    maps.BuildHeightmap(TheLevelGenerator);
}

int PreviewPressed(void*, Button* button)
{
    MapGenerator* maps = Generator();
    MouseDevice* mouse = Input.mouse;
    if (!button || !maps || !mouse) return 1;
    int mx = 0, my = 0;
    maps->MapPointFromScreen(mouse->cursorX, mouse->cursorY, &mx, &my);
    KeyboardDevice* keys = Input.keyboard;
    maps->Sketch(mx, my, keys && (keys->IsKeyDown(DIK_LSHIFT) || keys->IsKeyDown(DIK_RSHIFT)));
    return 1;
}

int ClearPressed(void*, Button* button)
{
    MapGenerator* maps = Generator();
    if (button && maps) maps->FillPreview(CLEARED_PREVIEW);
    return 1;
}

int GrowModePressed(void*, Button* button)
{
    MapGenerator* maps = Generator();
    if (!button || !maps) return 1;
    static const char* const names[3] = {"Grow Trees", "Grow Path", "All"};
    maps->growMode = maps->growMode >= 2 ? 0 : maps->growMode + 1;
    button->SetText(names[maps->growMode]);
    return 1;
}

int JitterEntered(void*, EditBox* box)
{
    MapGenerator* maps = Generator();
    if (!box || !maps) return 1;
    maps->pathJitter = (float)atof(box->GetText());
    DropFocus(box);
    return 1;
}

int DepthEntered(void*, EditBox* box)
{
    MapGenerator* maps = Generator();
    if (!box || !maps) return 1;
    maps->maximumDepth = atoi(box->GetText());
    DropFocus(box);
    return 1;
}

int DecayPressed(void*, Button* button)
{
    // The button turns after its callback: the text shows the state it turns to.
    if (button && Generator()) button->SetText(button->toggled ? "Decay On" : "Decay Off");
    return 1;
}

int MakeLevelPressed(void*, Button* button)
{
    MapGenerator* maps = Generator();
    if (button && maps) MakeLevel(*maps);
    return 1;
}

int ToggleMapsPressed(void*, Button* button)
{
    MapGenerator* maps = Generator();
    if (!button || !maps) return 1;
    if (ShowHeightImageNext)
        maps->LoadHeightImage();
    else
        maps->SaveMapImage();
    ShowHeightImageNext = !ShowHeightImageNext;
    return 1;
}

int ForceRiversPressed(void*, Button* button)
{
    if (!button || !Generator()) return 1;
    TheLevelGenerator.forceRivers = !TheLevelGenerator.forceRivers;
    button->SetText(TheLevelGenerator.forceRivers ? "Force Rivers" : "Rand Rivers");
    return 1;
}

int EnvironmentEntered(void*, EditBox* box)
{
    if (box && Generator()) DropFocus(box);
    return 1;
}

int EnvironmentPressed(void*, Button* button)
{
    MapGenerator* maps = Generator();
    if (!button || !maps) return 1;
    MissionScreen::InitRandomMission();
    TheTerrain.SetEnvironment(button->text);
    maps->ShowEnvironment(button->text);
    if (maps->environmentBox) maps->environmentBox->SetText(button->text);
    TheLevelGenerator.Layout(MissionScreen::GetCurrentMission());
    maps->BuildHeightmap(TheLevelGenerator);
    return 1;
}

int StartGamePressed(void*, Button* button)
{
    if (!button || !Generator()) return 1;
    // The generated level stays: heights ready keeps the level start from making another.
    MissionScreen::StartMission(-1, 0);
    return 1;
}

}  // namespace

MapGenerator::~MapGenerator()
{
    ReleaseToolWindow(window);
    window = nullptr;
    delete previewSprite;  // leaves the sprite table
    previewSprite = nullptr;
}

void MapGenerator::CreateWindow()
{
    if (window || !WindowMgr) return;
    Environment::EnsureLoaded();
    const int W = ScreenWidth(), H = ScreenHeight();
    // The picture fills the left of the screen; the controls stand right of it.
    const int previewW = (int)((float)previewSize / 1024.0f * (float)W);
    const int previewH = (int)((float)previewSize / 768.0f * (float)H);
    const int x = previewW + UnitW(8), labelW = UnitW(80), columnW = W - x - UnitW(8);
    const int rowH = UnitH(22), pitch = rowH + UnitH(3);
    int y = UnitH(8);

    ToolWindow tool("MapGenerator");
    Button* preview = tool.AddButton("", PreviewPressed, nullptr, 0, 0, previewW, previewH);
    CopyText(preview->caption, sizeof preview->caption, "preview");
    preview->SetText(nullptr);
    auto button = [&](const char* text, ButtonCallback press) {
        Button* b = tool.AddButton(text, press, nullptr, x, y, columnW, rowH);
        y += pitch;
        return b;
    };
    char text[32];
    button("Clear", ClearPressed);
    button("Grow Trees", GrowModePressed);
    snprintf(text, sizeof text, "%.2f", pathJitter);
    tool.AddEditBox("Grow Factor", text, x + labelW, y, columnW - labelW, rowH, JitterEntered);
    y += pitch;
    snprintf(text, sizeof text, "%d", maximumDepth);
    tool.AddEditBox("Max Depth", text, x + labelW, y, columnW - labelW, rowH, DepthEntered);
    y += pitch;
    button("Decay On", DecayPressed)->toggleMode = true;
    button("Make Level", MakeLevelPressed);
    button("Toggle Maps", ToggleMapsPressed);
    button(TheLevelGenerator.forceRivers ? "Force Rivers" : "Rand Rivers", ForceRiversPressed);
    environmentBox = tool.AddEditBox("", "rand", x, y, columnW, rowH, EnvironmentEntered);
    CopyText(environmentBox->caption, sizeof environmentBox->caption, "environment");
    y += pitch;
    environmentLabel = tool.AddLabel("envset", x, y, columnW, rowH);
    y += pitch;
    for (int i = 0; i < Environment::GetCount(); ++i)
        if (const Environment* environment = Environment::Get(i)) button(environment->name, EnvironmentPressed);
    button("Start Game!!", StartGamePressed);
    window = tool.Finish();

    previewSprite = CreateGuiSprite(0, 0, previewW, previewH, "data/textures/white.dds", 0xffffffffu, 0.0f, 0.0f,
                                    1.0f, 1.0f);
    if (previewSprite && Textures)
        previewSprite->texture = Textures->CreateDynamicTexture((uint32_t)mapWidth, (uint32_t)mapWidth,
                                                                FMT_A8R8G8B8, PREVIEW_TEXTURE, 1);
}

void MapGenerator::SetVisible(bool show)
{
    if (window) window->SetVisible(show);
}

bool MapGenerator::IsVisible() const { return window && window->IsVisible(); }

void MapGenerator::Draw()
{
    if (!IsVisible()) return;
    if (mapImageStale) SaveMapImage();
    if (Graphics) Graphics->Begin2D();
    if (previewSprite) GuiDrawSprite(previewSprite);
    if (WindowMgr) WindowMgr->Draw();
    if (Graphics) Graphics->End2D();
}

void MapGenerator::MapPointFromScreen(int sx, int sy, int* mx, int* my) const
{
    const int previewW = (int)((float)previewSize / 1024.0f * (float)ScreenWidth());
    const int previewH = (int)((float)previewSize / 768.0f * (float)ScreenHeight());
    *mx = previewW > 0 ? (int)((float)sx / (float)previewW * (float)mapWidth) : 0;
    *my = previewH > 0 ? (int)((float)sy / (float)previewH * (float)mapWidth) : 0;
}

void MapGenerator::Sketch(int mx, int my, bool scattered)
{
    if (kinds.empty()) {
        kinds.assign((size_t)mapWidth * mapWidth, KIND_OPEN);
        second.assign((size_t)mapWidth * mapWidth, 0);
    }
    const int cornerX = mx / PLACEMENT_CELL_SIZE * PLACEMENT_CELL_SIZE;
    const int cornerY = my / PLACEMENT_CELL_SIZE * PLACEMENT_CELL_SIZE;
    for (int i = 0; i < 64; ++i) {
        IntPoint offset = scattered ? RandomPointAround(IntPoint{16, 16}, 15, 15) : HaltonPoint(i, 31, 31);
        const int x = cornerX + offset.x, y = cornerY + offset.y;
        if (IsInside(x, y) && KindAt(x, y) == KIND_OPEN) SetKind(x, y, KIND_SKETCH);
    }
    SaveMapImage();
}

void MapGenerator::ShowEnvironment(const char* name)
{
    if (environmentLabel) environmentLabel->SetText(name);
}

const char* MapGenerator::TypedEnvironment() const
{
    return environmentBox ? environmentBox->GetText() : nullptr;
}

void MapGenerator::ShowPreview(const uint32_t* pixels)
{
    TextureRecord* record = previewSprite ? previewSprite->texture : nullptr;
    GfxTexture* texture = record ? static_cast<GfxTexture*>(record->texture) : nullptr;
    if (!texture) return;
    LockedRect locked;
    if (GfxFailed(texture->LockRect(0, &locked, nullptr, 0))) return;
    for (int row = 0; row < mapWidth; ++row)
        memcpy((uint8_t*)locked.pBits + (size_t)row * locked.Pitch, pixels + (size_t)row * mapWidth,
               (size_t)mapWidth * 4);
    texture->UnlockRect(0);
}

void MapGenerator::FillPreview(uint32_t colour)
{
    std::vector<uint32_t> pixels((size_t)mapWidth * mapWidth, colour);
    ShowPreview(pixels.data());
}

void MapGenerator::LoadHeightImage()
{
    if (kinds.empty()) return;
    Heightmap heights(mapWidth, mapWidth, 1.0f);
    KindHeights(heights);
    float low = heights.data[0], high = heights.data[0];
    for (float h : heights.data) {
        if (h < low) low = h;
        if (h > high) high = h;
    }
    std::vector<uint32_t> pixels(heights.data.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t grey = high > low ? (uint32_t)((heights.data[i] - low) / (high - low) * 255.0f) : 0u;
        pixels[i] = 0xff000000u | grey << 16 | grey << 8 | grey;
    }
    ShowPreview(pixels.data());
}
