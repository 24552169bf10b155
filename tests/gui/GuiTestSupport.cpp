#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/GameAnswersInstalled.h"

#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/FontCache.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cctype>

namespace {

uint64_t ClockTicks = 0;
uint64_t Ticks() { return ClockTicks; }
uint64_t Frequency() { return 1000000; }
uint32_t Milliseconds() { return (uint32_t)(ClockTicks / 1000); }
const ClockSource ScriptedClock = {Ticks, Frequency, Milliseconds};

}  // namespace

void RecordingPainter::DrawSprite(Sprite* sprite)
{
    quads.push_back({sprite, sprite->left, sprite->top, sprite->right, sprite->bottom, sprite->colour,
                     sprite->texture ? sprite->texture->name : "", sprite->ua, sprite->va, sprite->ub, sprite->vb});
}

void RecordingPainter::DrawText(Font* font, int x, int y, const char* text)
{
    texts.push_back({text, x, y, font->PackedColour()});
}

void RecordingPainter::Clear()
{
    quads.clear();
    texts.clear();
}

int RecordingPainter::TimesDrawn(const Sprite* sprite) const
{
    return (int)std::count_if(quads.begin(), quads.end(), [&](const DrawnQuad& q) { return q.sprite == sprite; });
}

std::vector<std::string> RecordingPainter::Texts() const
{
    std::vector<std::string> out;
    for (const DrawnText& t : texts) out.push_back(t.text);
    return out;
}

std::string TextureFile(const std::string& path)
{
    std::string name = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
    for (char& c : name) c = (char)std::tolower((unsigned char)c);
    return name;
}

void GuiTest::SetUp()
{
    savedConfig_ = Config;
    config_ = new ConfigFile(nullptr);
    config_->width = 1024;
    config_->height = 768;
    Config = config_;
    savedFonts_ = Fonts;
    fonts_ = new FontCache();
    Fonts = fonts_;
    font.Load("Arial", 12, 0);
    ASSERT_GT(font.LineHeight(), 0.0f) << "no font to measure with";
    savedTextures_ = Textures;
    textures_ = new TextureManager();
    Textures = textures_;
    savedManager_ = WindowMgr;
    WindowMgr = &manager;
    savedMouse_ = Input.mouse;
    Input.mouse = &mouse;
    savedDefaultFont_ = GuiDefaultFont;
    savedListFont_ = GuiListFont;
    GuiDefaultFont = GuiListFont = &font;
    SetGuiPainter(&painter);
    ClockTicks = 1000000;
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);
}

void GuiTest::TearDown()
{
    FrameTimer.SetClock(nullptr);
    FrameTimer.delta = 0.0f;
    SetGuiPainter(nullptr);
    GuiDefaultFont = savedDefaultFont_;
    GuiListFont = savedListFont_;
    Input.mouse = savedMouse_;
    WindowMgr = savedManager_;
    Textures = savedTextures_;
    delete textures_;
    Fonts = savedFonts_;
    delete fonts_;
    Config = savedConfig_;
    delete config_;
}

void GuiTest::Pass(int x, int y, int button, int event)
{
    mouse.cursorX = x;
    mouse.cursorY = y;
    for (unsigned char& e : mouse.event) e = 0;
    if (button >= 0 && button < 3) mouse.event[button] = (unsigned char)event;
    manager.Update(&mouse);
}

void GuiTest::Click(int x, int y, int button)
{
    Pass(x, y, button, 1);
    Pass(x, y, button, 2);
}

void GuiTest::AdvanceClock(float seconds)
{
    ClockTicks += (uint64_t)(seconds * 1000000.0f);
}

void GuiOnScreen::SetUp()
{
    savedConfig_ = Config;
    Config = &config;
    config.width = screenWidth;
    config.height = screenHeight;
    config.antiAliasing = false;
    config.vsync = false;
    config.messageBoxErrors = false;
    config.useLowResTextures = false;
    config.shadows = false;
    if (!window.Create("Veldmark", screenWidth, screenHeight, false)) GTEST_SKIP() << "no display";
    Graphics = new GraphicsDevice();
    if (!Graphics->InitGraphics(&window, false, screenWidth, screenHeight)) GTEST_SKIP() << "no graphics device";
    Fonts = new FontCache();
    Textures = new TextureManager();
}

void GuiOnScreen::TearDown()
{
    delete Fonts;
    Fonts = nullptr;
    delete Textures;
    Textures = nullptr;
    delete Graphics;
    Graphics = nullptr;
    window.Destroy();
    Config = savedConfig_;
}
