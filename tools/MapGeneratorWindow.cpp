// The level generator's window: a developer's bench in the front end for making levels again
// and again. It shows the generator's map (or the height image) as a picture, picks the
// environment, tunes the path jitter, forces rivers, sketches points on the map and starts a
// game on the level it made: a level made here is not made again at the level start.
#include "tools/MapGeneratorWindow.h"

#include "campaign/MissionScreen.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/GfxTexture.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
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

// The one window there is, over the map generator it was built for.
MapGeneratorWindow* TheWindow = nullptr;

MapGenerator* Generator() { return TheMapGenerator; }
// The window over the program's map generator; null when it has none.
MapGeneratorWindow* Bench() { return TheMapGenerator ? MapGeneratorWindow::Of(*TheMapGenerator) : nullptr; }

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
    MapGeneratorWindow* bench = Bench();
    MouseDevice* mouse = Input.mouse;
    if (!button || !maps || !bench || !mouse) return 1;
    int mx = 0, my = 0;
    bench->MapPointFromScreen(mouse->cursorX, mouse->cursorY, &mx, &my);
    KeyboardDevice* keys = Input.keyboard;
    maps->Sketch(mx, my, keys && (keys->IsKeyDown(DIK_LSHIFT) || keys->IsKeyDown(DIK_RSHIFT)));
    return 1;
}

int ClearPressed(void*, Button* button)
{
    MapGeneratorWindow* bench = Bench();
    if (button && bench) bench->FillPreview(CLEARED_PREVIEW);
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
    MapGeneratorWindow* bench = Bench();
    if (!button || !maps || !bench) return 1;
    if (ShowHeightImageNext)
        bench->LoadHeightImage();
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
    MapGeneratorWindow* bench = Bench();
    if (!button || !maps || !bench) return 1;
    MissionScreen::InitRandomMission();
    TheTerrain.SetEnvironment(button->text);
    bench->ShowEnvironment(button->text);
    if (bench->environmentBox) bench->environmentBox->SetText(button->text);
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

MapGeneratorWindow* MapGeneratorWindow::Create(MapGenerator& maps)
{
    if (TheWindow && &TheWindow->maps == &maps) return TheWindow;
    if (!WindowMgr) return nullptr;
    delete TheWindow;
    TheWindow = new MapGeneratorWindow(maps);
    return TheWindow;
}

MapGeneratorWindow* MapGeneratorWindow::Of(const MapGenerator& maps)
{
    return TheWindow && &TheWindow->maps == &maps ? TheWindow : nullptr;
}

void MapGeneratorWindow::Forget(const MapGenerator& maps)
{
    if (!Of(maps)) return;
    delete TheWindow;
    TheWindow = nullptr;
}

MapGeneratorWindow::~MapGeneratorWindow()
{
    ReleaseToolWindow(window);
    window = nullptr;
    delete previewSprite;  // leaves the sprite table
    previewSprite = nullptr;
}

MapGeneratorWindow::MapGeneratorWindow(MapGenerator& generator) : maps(generator)
{
    const int previewSize = maps.previewSize, mapWidth = maps.mapWidth;
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
    snprintf(text, sizeof text, "%.2f", maps.pathJitter);
    tool.AddEditBox("Grow Factor", text, x + labelW, y, columnW - labelW, rowH, JitterEntered);
    y += pitch;
    snprintf(text, sizeof text, "%d", maps.maximumDepth);
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

void MapGeneratorWindow::SetVisible(bool show)
{
    if (window) window->SetVisible(show);
}

bool MapGeneratorWindow::IsVisible() const { return window && window->IsVisible(); }

void MapGeneratorWindow::Draw()
{
    if (!IsVisible()) return;
    if (maps.mapImageStale) maps.SaveMapImage();
    if (Graphics) Graphics->Begin2D();
    if (previewSprite) GuiDrawSprite(previewSprite);
    if (WindowMgr) WindowMgr->Draw();
    if (Graphics) Graphics->End2D();
}

void MapGeneratorWindow::MapPointFromScreen(int sx, int sy, int* mx, int* my) const
{
    const int previewSize = maps.previewSize, mapWidth = maps.mapWidth;
    const int previewW = (int)((float)previewSize / 1024.0f * (float)ScreenWidth());
    const int previewH = (int)((float)previewSize / 768.0f * (float)ScreenHeight());
    *mx = previewW > 0 ? (int)((float)sx / (float)previewW * (float)mapWidth) : 0;
    *my = previewH > 0 ? (int)((float)sy / (float)previewH * (float)mapWidth) : 0;
}

void MapGeneratorWindow::ShowEnvironment(const char* name)
{
    if (environmentLabel) environmentLabel->SetText(name);
}

const char* MapGeneratorWindow::TypedEnvironment() const
{
    return environmentBox ? environmentBox->GetText() : nullptr;
}

void MapGeneratorWindow::ShowPreview(const uint32_t* pixels)
{
    const int mapWidth = maps.mapWidth;
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

void MapGeneratorWindow::FillPreview(uint32_t colour)
{
    std::vector<uint32_t> pixels((size_t)maps.mapWidth * maps.mapWidth, colour);
    ShowPreview(pixels.data());
}

void MapGeneratorWindow::LoadHeightImage()
{
    const std::vector<uint32_t> pixels = maps.HeightPixels();
    if (!pixels.empty()) ShowPreview(pixels.data());
}
