#pragma once
// The GUI tests' world: a 1024 x 768 screen, a font that measures without a device, a texture
// manager that hands out records by name, a window manager, a mouse and keyboard driven by
// hand, a scripted frame clock, and a painter that records every quad and text the GUI draws
// instead of drawing it.
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/GfxWindow.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "host/System.h"
#include "render/Font.h"
#include "render/TextureManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class ConfigFile;
class FontCache;
class TextureManager;

struct DrawnQuad {
    const Sprite* sprite;
    int left, top, right, bottom;
    uint32_t colour;
    std::string texture;  // the path the texture was asked for ("" without one)
    float ua, va, ub, vb;
};

struct DrawnText {
    std::string text;
    int x, y;
    uint32_t colour;
};

class RecordingPainter : public GuiPainter {
public:
    void DrawSprite(Sprite* sprite) override;
    void DrawText(Font* font, int x, int y, const char* text) override;
    void Clear();
    // How often the sprite was drawn.
    int TimesDrawn(const Sprite* sprite) const;
    // The drawn texts, in order.
    std::vector<std::string> Texts() const;

    std::vector<DrawnQuad> quads;
    std::vector<DrawnText> texts;
};

// The file name of a texture path, lower case: "progress_bar.dds".
std::string TextureFile(const std::string& path);
// Every texture the game ships, by file name: its path below the data folder.
std::map<std::string, std::string> ShippedTextureFiles();

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One pass of the window manager with the cursor at (x, y) and, when button is 0 or 1, that
    // button's event (1 pressed, 2 released) this pass.
    void Pass(int x, int y, int button = -1, int event = 0);
    // A press pass and a release pass at the same point.
    void Click(int x, int y, int button = 0);
    // Advances the scripted frame clock.
    void AdvanceClock(float seconds);

    RecordingPainter painter;
    WindowManager manager;
    MouseDevice mouse;
    KeyboardDevice keyboard;
    Font font{"gui"};

private:
    ConfigFile* config_ = nullptr;
    ConfigFile* savedConfig_ = nullptr;
    FontCache* fonts_ = nullptr;
    FontCache* savedFonts_ = nullptr;
    TextureManager* textures_ = nullptr;
    TextureManager* savedTextures_ = nullptr;
    WindowManager* savedManager_ = nullptr;
    MouseDevice* savedMouse_ = nullptr;
    Font* savedDefaultFont_ = nullptr;
    Font* savedListFont_ = nullptr;
};

// The GUI drawn for real: a window of its own of the size asked for, the game's graphics device
// on it with the shipped packages, the configuration, the font cache and a texture manager.
// Skipped without a display.
class GuiOnScreen : public ::testing::Test {
protected:
    GuiOnScreen(int width, int height) : screenWidth(width), screenHeight(height) {}
    void SetUp() override;
    void TearDown() override;

    const int screenWidth, screenHeight;
    ConfigFile config{nullptr};
    GfxWindow window;

private:
    ConfigFile* savedConfig_ = nullptr;
};
