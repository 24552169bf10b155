// The options window: spinners step within their ranges whatever came in, the word spinners
// cycle both ways, every change is in settings.cfg at once, the tabs show one page, "Done" goes
// back where the player came from; and the resolution list filters the display's modes, names
// their aspect ratios, and stores a chosen mode only on "Ok".
#include "interface/OptionsWindow.h"

#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "interface/InGameMenu.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "render/Font.h"
#include "platform/UserFolders.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

DisplayModeInfo Mode(int w, int h, int bpp = 32, int hz = 60)
{
    DisplayModeInfo mode;
    mode.width = w;
    mode.height = h;
    mode.bitsPerPixel = bpp;
    mode.refreshRate = hz;
    return mode;
}

class OptionsTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        base = MakeTempFolder("options");
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        current = std::make_unique<ScopedGlobal<OptionsWindow*>>(TheOptionsWindow, &options);
    }
    void TearDown() override
    {
        current.reset();
        data.reset();
        HudTest::TearDown();
    }
    void Build(const std::vector<DisplayModeInfo>& modes = {Mode(1024, 768), Mode(1280, 1024)})
    {
        options.Build(Mode(1024, 768), modes);
        ASSERT_TRUE(options.built);
    }
    // Windows built by a test besides the fixture's own; the manager knows them to the end.
    std::vector<std::unique_ptr<OptionsWindow>> others;
    std::string Settings() const { return ReadTextFile(base + "/Veldmark/settings.cfg"); }
    // The line of a key in settings.cfg, tabs folded to one blank.
    std::string Line(const char* key) const
    {
        std::string text = Settings();
        size_t at = text.find(std::string("\n") + key + "\t");
        if (at == std::string::npos) return "";
        std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
        std::string folded;
        for (char c : line)
            if (c != '\t' || folded.empty() || folded.back() != ' ') folded += c == '\t' ? ' ' : c;
        return folded;
    }
    // The control of a row: the first child after the row's label whose kind is asked for, or
    // for a spinner its value box (the first button after the label without a callback).
    Button* Control(const char* label, bool valueBox)
    {
        bool seen = false;
        for (Window* child = options.window->firstChild; child; child = child->nextSibling) {
            if (auto* l = dynamic_cast<Label*>(child)) seen = seen || strcmp(l->GetText(), label) == 0;
            auto* b = dynamic_cast<Button*>(child);
            if (seen && b && (valueBox ? b->clickCallback == nullptr : true)) return b;
        }
        return nullptr;
    }
    // The arrow of a spinner: right (1) or left (0).
    Button* Arrow(Button* box, int direction)
    {
        for (Window* child = options.window->firstChild; child; child = child->nextSibling) {
            auto* b = dynamic_cast<Button*>(child);
            if (b && b->hasUserData && b->userData == (intptr_t)box && b->tag == direction) return b;
        }
        return nullptr;
    }
    void ClickOn(Window* w)
    {
        ASSERT_NE(w, nullptr);
        int x = 0, y = 0;
        w->GetScreenPosition(&x, &y);
        Click(x + w->width / 2, y + w->height / 2);
    }

    OptionsWindow options;
    std::string base;
    std::unique_ptr<ScopedEnv> data;
    std::unique_ptr<ScopedGlobal<OptionsWindow*>> current;
};

TEST_F(OptionsTest, SpinnersStayInTheirRangeAndEveryChangeIsWritten)
{
    Config->scrollSpeed = 500.0f;  // out of range in settings.cfg: shown as its nearest bound
    Config->mouseSpeed = 0.7f;
    Config->SoundVolume = 0;
    Config->MusicVolume = 12;
    Build();
    options.SetVisible(true);
    Button* scroll = Control("Scroll Speed", true);
    Button* mouseSpeed = Control("Mouse Speed", true);
    Button* zoom = Control("Zoom Speed", true);
    Button* sound = Control("Sound Volume", true);
    Button* music = Control("Music Volume", true);
    ASSERT_TRUE(scroll && mouseSpeed && zoom && sound && music);
    EXPECT_STREQ(scroll->text, "10");
    EXPECT_STREQ(mouseSpeed->text, "7");
    EXPECT_STREQ(zoom->text, "5");
    EXPECT_STREQ(music->text, "10");

    const struct {
        Button* box;
        int direction;
        const char* shown;
        const char* key;
        const char* written;
    } steps[] = {
        {scroll, 0, "9", "scrollSpeed", "scrollSpeed 90.0"},
        {scroll, 1, "10", "scrollSpeed", "scrollSpeed 100.0"},
        {scroll, 1, "10", "scrollSpeed", "scrollSpeed 100.0"},
        {mouseSpeed, 1, "8", "mouseSpeed", "mouseSpeed 0.8"},
        {zoom, 1, "6", "zoomSpeed", "zoomSpeed 24.0"},
        {music, 1, "10", "MusicVolume", "MusicVolume 10"},
        {music, 0, "9", "MusicVolume", "MusicVolume 9"},
    };
    // The Game page's arrows are clicked with the mouse; the others through their callbacks.
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.key) + " " + std::to_string(step.direction));
        Button* arrow = Arrow(step.box, step.direction);
        ASSERT_NE(arrow, nullptr);
        if (arrow->IsVisible())
            ClickOn(arrow);
        else
            arrow->clickCallback(&arrow->userData, arrow);
        EXPECT_STREQ(step.box->text, step.shown);
        EXPECT_EQ(Line(step.key), step.written);
    }
    // A volume's lower bound is 0, a speed's 1.
    Button* left = Arrow(sound, 0);
    left->clickCallback(&left->userData, left);
    EXPECT_STREQ(sound->text, "0");
    EXPECT_EQ(Config->SoundVolume, 0);
    for (int i = 0; i < 12; ++i) Arrow(mouseSpeed, 0)->clickCallback(&Arrow(mouseSpeed, 0)->userData, nullptr);
    EXPECT_STREQ(mouseSpeed->text, "1");
    EXPECT_FLOAT_EQ(Config->mouseSpeed, 0.1f);
    // A spinner without its box changes nothing but is still written.
    OptionsWindow::OnScrollSpeedArrow(nullptr, nullptr);
    EXPECT_EQ(Line("scrollSpeed"), "scrollSpeed 100.0");
}

TEST_F(OptionsTest, WordSpinnersCycleBothWaysAndLeaveStrangeTextsAlone)
{
    Config->Difficulty = 2;
    Config->shadowMapSize = 2048;
    Build();
    Button* difficulty = Control("Difficulty", true);
    Button* shadow = Control("Shadow Size", true);
    ASSERT_TRUE(difficulty && shadow);
    EXPECT_STREQ(difficulty->text, "Advanced");
    EXPECT_STREQ(shadow->text, "2048");
    const struct {
        Button* box;
        int direction;
        const char* shown;
        const char* written;
    } steps[] = {
        {difficulty, 1, "Expert", "Difficulty 3"},     {difficulty, 1, "Beginner", "Difficulty 0"},
        {difficulty, 0, "Expert", "Difficulty 3"},     {shadow, 1, "256", "shadowMapSize 256"},
        {shadow, 0, "2048", "shadowMapSize 2048"},     {shadow, 0, "1024", "shadowMapSize 1024"},
    };
    for (const auto& step : steps) {
        Button* arrow = Arrow(step.box, step.direction);
        ASSERT_NE(arrow, nullptr);
        arrow->clickCallback(&arrow->userData, arrow);
        EXPECT_STREQ(step.box->text, step.shown);
        EXPECT_EQ(Line(step.box == shadow ? "shadowMapSize" : "Difficulty"), step.written);
    }
    shadow->SetText("300");
    Arrow(shadow, 1)->clickCallback(&Arrow(shadow, 1)->userData, Arrow(shadow, 1));
    EXPECT_STREQ(shadow->text, "300");
    EXPECT_EQ(Config->shadowMapSize, 1024);
}

TEST_F(OptionsTest, CheckBoxesShowTheirSettingAndWriteIt)
{
    Config->fullscreen = false;
    Config->useLowResTextures = false;
    Config->showFPS = false;
    Build();
    options.SetVisible(true);
    Button* windowed = Control("Windowed Mode", false);
    Button* textures = Control("High Quality Textures", false);
    Button* fps = Control("Show FPS", false);
    ASSERT_TRUE(windowed && textures && fps);
    EXPECT_TRUE(windowed->toggled);
    EXPECT_TRUE(textures->toggled);
    EXPECT_FALSE(fps->toggled);

    ClickOn(fps);
    EXPECT_TRUE(Config->showFPS);
    EXPECT_TRUE(fps->toggled);
    EXPECT_EQ(Line("showFPS"), "showFPS true");
    windowed->clickCallback(&windowed->userData, windowed);
    EXPECT_TRUE(Config->fullscreen);
    EXPECT_FALSE(windowed->toggled);
    EXPECT_EQ(Line("fullscreen"), "fullscreen true");
    textures->clickCallback(&textures->userData, textures);
    EXPECT_EQ(Line("useLowResTextures"), "useLowResTextures true");
    // Weather outside a mission only changes the setting.
    Button* weather = Control("Weather FX", false);
    weather->clickCallback(&weather->userData, weather);
    EXPECT_EQ(Line("weatherFX"), "weatherFX false");
}

TEST_F(OptionsTest, TabsShowOnePageAndDoneGoesBack)
{
    Build();
    InGameMenu menu;
    ScopedGlobal<InGameMenu*> inGame(TheInGameMenu, &menu);
    options.SetVisible(true);
    EXPECT_TRUE(Control("Scroll Speed", true)->IsVisible());
    EXPECT_FALSE(Control("Music Volume", true)->IsVisible());
    ClickOn(options.tabs[2]);
    EXPECT_TRUE(Control("Music Volume", true)->IsVisible());
    EXPECT_FALSE(Control("Scroll Speed", true)->IsVisible());
    EXPECT_FALSE(Control("Shadow Size", true)->IsVisible());
    // The tab clicked again stays selected; the others are not.
    ClickOn(options.tabs[2]);
    EXPECT_TRUE(options.tabs[2]->toggled);
    EXPECT_FALSE(options.tabs[0]->toggled);
    EXPECT_TRUE(Control("Music Volume", true)->IsVisible());

    // In a mission "Done" brings the pause menu back.
    game->state = GAME_STATE_PLAYING;
    Button* done = nullptr;
    for (Window* child = options.window->firstChild; child; child = child->nextSibling)
        if (auto* b = dynamic_cast<Button*>(child); b && b->hasText && strcmp(b->text, "Done") == 0) done = b;
    ASSERT_NE(done, nullptr);
    ClickOn(done);
    EXPECT_FALSE(options.shown);
    EXPECT_FALSE(options.window->IsVisible());
    EXPECT_TRUE(menu.menuShown);
    menu.HideAll();
}

TEST(OptionsResolution, AspectRatios)
{
    const struct {
        int w, h, numerator, denominator;
    } cases[] = {{1024, 768, 4, 3}, {1280, 1024, 5, 4}, {1280, 800, 8, 5}, {1920, 1080, 16, 9}, {1366, 768, 16, 9},
                 {800, 600, 4, 3}};
    for (const auto& c : cases) {
        int n = 0, d = 0;
        GetAspectRatio((float)c.w / (float)c.h, &n, &d);
        EXPECT_EQ(n, c.numerator) << c.w << " x " << c.h;
        EXPECT_EQ(d, c.denominator) << c.w << " x " << c.h;
    }
}

TEST(OptionsResolution, TheListKeepsTheCurrentDepthAndRateAndDropsRepeats)
{
    const std::vector<DisplayModeInfo> modes = {Mode(640, 400),       Mode(800, 600),  Mode(800, 600),
                                                Mode(1024, 768, 16),  Mode(1024, 768, 32, 75),
                                                Mode(1024, 768),      Mode(1280, 1024), Mode(800, 600)};
    std::vector<DisplayModeInfo> listed = ListedDisplayModes(Mode(1024, 768), modes);
    ASSERT_EQ(listed.size(), 4u);
    const int expected[][2] = {{800, 600}, {1024, 768}, {1280, 1024}, {800, 600}};
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].width, expected[i][0]);
        EXPECT_EQ(listed[i].height, expected[i][1]);
    }
    EXPECT_TRUE(ListedDisplayModes(Mode(1024, 768), {Mode(320, 200)}).empty());
}

TEST_F(OptionsTest, ResolutionOkStoresTheChoiceAndCancelKeepsIt)
{
    Build({Mode(1024, 768), Mode(1366, 768), Mode(1280, 1024, 16)});
    ASSERT_EQ(options.resolutionEntries.size(), 2u);
    EXPECT_STREQ(options.resolutionEntries[1]->text, "1366 x 768  [32-bit]  16:9");
    EXPECT_STREQ(options.resolutionButton->text, "1024 x 768 [32-bit]");
    options.SetVisible(true);
    ClickOn(options.tabs[1]);
    ClickOn(options.resolutionButton);
    EXPECT_TRUE(options.resolutionList->IsVisible());
    EXPECT_EQ(manager.modal, options.resolutionList);

    // The list opens on the window's own mode.
    EXPECT_EQ(options.selectedEntry, options.resolutionEntries[0]);
    EXPECT_TRUE(options.resolutionEntries[0]->toggled);
    Button* ok = nullptr;
    Button* cancel = nullptr;
    for (Window* child = options.resolutionList->firstChild; child; child = child->nextSibling)
        if (auto* b = dynamic_cast<Button*>(child); b && b->hasText) {
            if (strcmp(b->text, "Ok") == 0) ok = b;
            if (strcmp(b->text, "Cancel") == 0) cancel = b;
        }
    ASSERT_TRUE(ok && cancel);

    // Choosing an entry twice keeps it chosen; another entry takes the choice over.
    ClickOn(options.resolutionEntries[0]);
    ClickOn(options.resolutionEntries[1]);
    ClickOn(options.resolutionEntries[1]);
    EXPECT_EQ(options.selectedEntry, options.resolutionEntries[1]);
    EXPECT_TRUE(options.resolutionEntries[1]->toggled);
    EXPECT_FALSE(options.resolutionEntries[0]->toggled);

    // "Cancel" keeps the choice but stores nothing; a later "Ok" stores it.
    ClickOn(cancel);
    EXPECT_FALSE(options.resolutionList->IsVisible());
    EXPECT_EQ(manager.modal, options.window);
    EXPECT_EQ(Config->pendingWidth, -1);
    ClickOn(options.resolutionButton);
    ClickOn(ok);
    EXPECT_STREQ(options.resolutionButton->text, "1366 x 768 [32-bit]");
    TextSize size{};
    options.resolutionButton->style->GetTextExtent(options.resolutionButton->text, &size);
    EXPECT_LE(size.cx, options.resolutionButton->width) << "the choice fits its button";
    EXPECT_EQ(Config->pendingWidth, 1366);
    EXPECT_EQ(Config->pendingHeight, 768);
    EXPECT_EQ(Config->width, 1024) << "the screen keeps its size until the next start";
    EXPECT_EQ(Line("width"), "width 1366");
    EXPECT_EQ(Line("height"), "height 768");
    EXPECT_EQ(manager.modal, options.window);

    // Closing the options gives back what was modal before them: nothing.
    options.SetVisible(false);
    EXPECT_EQ(manager.modal, nullptr);
    EXPECT_FALSE(options.resolutionList->IsVisible());
}

TEST_F(OptionsTest, TheResolutionListOpensOnTheNearestModeAndEnterTakesIt)
{
    const std::vector<DisplayModeInfo> modes = {Mode(800, 600), Mode(1152, 864), Mode(1280, 1024), Mode(1920, 1080)};
    const struct {
        int width, height;  // the window's size
        const char* taken;
        int pendingWidth;
    } cases[] = {
        {1280, 1024, "1280 x 1024 [32-bit]", 1280},
        {1100, 800, "1152 x 864 [32-bit]", 1152},  // a stretched window: the nearest mode
        {1910, 1070, "1920 x 1080 [32-bit]", 1920},
    };
    for (const auto& c : cases) {
        ScopedGlobal<int> width(Config->width, c.width), height(Config->height, c.height);
        others.push_back(std::make_unique<OptionsWindow>());
        OptionsWindow& fresh = *others.back();
        ScopedGlobal<OptionsWindow*> current(TheOptionsWindow, &fresh);
        fresh.Build(Mode(1024, 768), modes);
        fresh.SetVisible(true);
        ClickOn(fresh.tabs[1]);
        ClickOn(fresh.resolutionButton);
        ASSERT_EQ(manager.modal, fresh.resolutionList) << c.taken;
        KeyboardDevice keyboard;
        keyboard.lastKeyDown = VK_RETURN;
        EXPECT_TRUE(manager.OnKey(&keyboard)) << c.taken;
        EXPECT_FALSE(fresh.resolutionList->IsVisible()) << c.taken;
        EXPECT_EQ(Config->pendingWidth, c.pendingWidth);
        EXPECT_STREQ(fresh.resolutionButton->text, c.taken);
        // What the button shows fits on it.
        TextSize size{};
        fresh.resolutionButton->style->GetTextExtent(fresh.resolutionButton->text, &size);
        EXPECT_LE(size.cx, fresh.resolutionButton->width) << c.taken;
        fresh.SetVisible(false);
    }
}

}  // namespace
