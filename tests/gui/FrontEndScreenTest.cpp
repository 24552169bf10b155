// The front end's first screen made of GUI windows: every picture the toolkit and the menu draw
// is one the game ships; the menu answers the mouse; and drawn on the real device with the
// shipped pictures, it shows its frames, words and highlight, read back from the screen and
// checked against its reference pictures; its sky is the same however often it is built.
#include "campaign/MissionScreen.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "host/GfxWindow.h"
#include "host/InputEvents.h"
#include "interface/OptionsWindow.h"
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/FontCache.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/GfxFixture.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

bool QuitPosted()
{
    HostMessage message;
    bool quit = false;
    while (InputEvents.PeekMessage(&message))
        if (message.message == (unsigned)WM_QUIT) quit = true;
    return quit;
}

// The menu's buttons by their text.
std::map<std::string, Button*> MenuButtons()
{
    std::map<std::string, Button*> buttons;
    for (Window* child = MissionScreen::windows[0]->firstChild; child; child = child->nextSibling) {
        Button* button = dynamic_cast<Button*>(child);
        if (button && button->hasText) buttons[button->text] = button;
    }
    return buttons;
}

int CentreX(const Window* w) { return w->x + w->width / 2; }
int CentreY(const Window* w) { return w->y + w->height / 2; }

}  // namespace

TEST_F(GuiTest, EveryPictureTheToolkitAndTheMenuDrawIsShipped)
{
    const std::map<std::string, std::string> shipped = ShippedTextureFiles();

    MissionScreen::BuildMainMenu();
    MissionScreen::BuildBackButton();
    Window framed(10, 10, 200, 100, 8, nullptr, WINDOW_BORDERED | WINDOW_EXTRA_PIECE);
    Window blue(10, 10, 200, 100, "wframe_blue.dds"), black(10, 10, 200, 100, "wframe_black.dds");
    Button button(nullptr, nullptr, 300, 10, 100, 30, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    GuiMeter meter, whole("", 0xFFFFFFFF, 0xFF000000, 0, 0, 50, 10, true, nullptr, false);
    for (Window* w : {&framed, &blue, &black, (Window*)&button, (Window*)&meter, (Window*)&whole}) manager.AddWindow(w);

    // Pressed and hovered, so that every face and highlight is drawn once.
    std::set<std::string> drawn;
    for (int pass = 0; pass < 3; ++pass) {
        Button* exit = MenuButtons()["Exit"];
        if (pass == 1) Pass(CentreX(exit), CentreY(exit));
        if (pass == 2) {
            button.pressed = true;
            manager.modal = MissionScreen::windows[1];
            MissionScreen::windows[1]->SetVisible(true);
        }
        painter.Clear();
        manager.Draw();
        for (const DrawnQuad& quad : painter.quads) drawn.insert(quad.texture);
    }
    manager.modal = nullptr;

    for (const std::string& path : drawn) {
        std::string file = TextureFile(path);
        auto found = shipped.find(file);
        ASSERT_NE(found, shipped.end()) << path << " is drawn but not made by the texture generator";
        std::string folder = found->second.substr(0, found->second.find('/'));
        EXPECT_TRUE(folder == "gui" || file == "white.dds") << path << " comes from " << found->second;
    }
    for (const char* name : {"black.dds", "frame.dds", "8.dds", "9.dds", "panelblue.dds", "solid_darkgrey.dds",
                             "wframe_blue.dds", "wframe_black.dds", "button_pressed.dds", "button_unpressed.dds",
                             "progress_bar.dds", "main_logo.dds", "transparent.dds", "highlight_blue.dds",
                             "button_red.dds"}) {
        bool seen = false;
        for (const std::string& path : drawn) seen = seen || TextureFile(path) == name;
        EXPECT_TRUE(seen) << name << " was never drawn";
    }
    MissionScreen::Release();
}

TEST_F(GuiTest, TheMainMenuAnswersTheMouse)
{
    PlayerGame game;
    GameMechanics* savedGame = TheGame;
    TheGame = &game;
    game.state = GAME_STATE_FRONT_END;
    MissionScreen::Init();
    Window* menu = MissionScreen::windows[0];
    Window* back = MissionScreen::windows[1];
    ASSERT_TRUE(menu && back);
    EXPECT_EQ(menu->id, MAIN_MENU_ID);
    EXPECT_TRUE(menu->IsVisible());
    EXPECT_FALSE(back->IsVisible());
    std::map<std::string, Button*> buttons = MenuButtons();
    for (const char* text : {"New Game", "Continue Game", "Load Game", "Profiles", "Options", "Exit"})
        ASSERT_TRUE(buttons.count(text)) << text;

    // The six buttons stand centred one under the other, H/3 wide.
    int y = UnitH(219);
    for (const char* text : {"New Game", "Continue Game", "Load Game", "Profiles", "Options", "Exit"}) {
        Button* b = buttons[text];
        EXPECT_EQ(b->y, y) << text;
        EXPECT_EQ(b->width, 768 / 3);
        EXPECT_EQ(b->x, (1024 - 256) / 2);
        y += UnitH(40) + UnitH(7);
    }

    // The pointer lights a button up.
    Button* load = buttons["Load Game"];
    Pass(CentreX(load), CentreY(load));
    painter.Clear();
    manager.Draw();
    EXPECT_EQ(painter.TimesDrawn(load->hoverImage), 1);
    EXPECT_EQ(painter.TimesDrawn(buttons["Exit"]->hoverImage), 0);

    // "Options" leads to the options window, modal over the front end; "Done" comes back.
    QuitPosted();
    Button* options = buttons["Options"];
    Click(CentreX(options), CentreY(options));
    EXPECT_EQ(mouse.event[0], 0) << "the menu took the click";
    ASSERT_NE(TheOptionsWindow, nullptr);
    EXPECT_TRUE(TheOptionsWindow->shown);
    EXPECT_EQ(manager.modal, TheOptionsWindow->window);
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_EQ(FrontEndScreenState, 5);
    OptionsWindow::OnOptionsDone(nullptr, nullptr);
    EXPECT_TRUE(menu->IsVisible());
    EXPECT_EQ(manager.modal, nullptr);
    EXPECT_EQ(FrontEndScreenState, 0);
    EXPECT_FALSE(QuitPosted());

    // Back from another page: the menu again.
    menu->SetVisible(false);
    back->SetVisible(true);
    FrontEndScreenState = 4;
    Click(CentreX(back), CentreY(back));
    EXPECT_TRUE(menu->IsVisible());
    EXPECT_FALSE(back->IsVisible());
    EXPECT_EQ(FrontEndScreenState, 0);

    // A mission takes the screen: the menu leaves the clicks to the level.
    Button* exit = buttons["Exit"];
    MissionScreen::StartMission(-1, 0);
    EXPECT_EQ(game.state, GAME_STATE_LOAD_PENDING);
    Click(CentreX(exit), CentreY(exit));
    EXPECT_EQ(mouse.event[0], 2);
    EXPECT_FALSE(QuitPosted());
    ReturnToMainMenu();
    EXPECT_EQ(game.state, GAME_STATE_FRONT_END);

    Click(CentreX(exit), CentreY(exit));
    EXPECT_TRUE(QuitPosted());

    MissionScreen::Release();
    TheGame = savedGame;
}

namespace {

// The menu on the device of a window of its own, with the shipped packages and fonts.
class FrontEndOnScreen : public GuiOnScreen {
protected:
    FrontEndOnScreen() : GuiOnScreen(kWidth, kHeight) {}
    void SetUp() override
    {
        GuiOnScreen::SetUp();
        if (IsSkipped()) return;
        font_.Load("Arial Bold", 12, 0);
        GuiDefaultFont = GuiListFont = &font_;
        WindowMgr = &manager_;
        Input.mouse = &mouse_;
        mouse_.cursorX = mouse_.cursorY = 0;
        MissionScreen::BuildMainMenu();
    }
    void TearDown() override
    {
        MissionScreen::Release();
        Input.mouse = nullptr;
        WindowMgr = nullptr;
        GuiOnScreen::TearDown();
    }
    Pixels DrawMenu()
    {
        Graphics->Clear(7, 0.0f, 0.0f, 0.0f, 1.0f);
        Graphics->BeginScene();
        Graphics->Begin2D();
        manager_.Draw();
        Graphics->End2D();
        Pixels shot = ReadBackBuffer(Graphics->device);
        Graphics->Present();
        return shot;
    }
    // A frame of the start screen as the front end draws it.
    static Pixels DrawStartScreen()
    {
        Graphics->Clear(7, 0.0f, 0.0f, 0.0f, 1.0f);
        Graphics->BeginScene();
        RenderByScreenState();
        Graphics->End2D();
        Pixels shot = ReadBackBuffer(Graphics->device);
        Graphics->Present();
        return shot;
    }

    static constexpr int kWidth = 1024, kHeight = 768;
    // The part of the screen the logo and the menu take (nothing is drawn beside them).
    static constexpr int kMenuLeft = 352, kMenuTop = 24, kMenuRight = 672, kMenuBottom = 536;
    Font font_{"gui"};
    WindowManager manager_;
    MouseDevice mouse_;
};

}  // namespace

TEST_F(FrontEndOnScreen, TheMenuShowsItsFramesWordsAndHighlight)
{
    Pixels shot = DrawMenu();
    ASSERT_EQ(shot.width, kWidth);
    const std::string folder = MakeTempFolder("front-end-screen");
    SavePixels(shot, folder + "/menu.png");
    SCOPED_TRACE("pictures in " + folder);

    // At 1024 x 768 the blue frame spans x 365..659 and y 194..520, the black one 10 inside.
    auto blueish = [](uint32_t c) { return Blue(c) > Red(c) + 20 && Blue(c) > 40; };
    EXPECT_TRUE(blueish(shot.At(368, 360))) << std::hex << shot.At(368, 360) << " the blue frame";
    EXPECT_TRUE(blueish(shot.At(390, 360))) << std::hex << shot.At(390, 360) << " the panel's blue ground";
    EXPECT_EQ(shot.At(200, 360) & 0xFFFFFF, 0u) << "nothing beside the menu";

    // The logo, the frames and the words as they should look; the words in the menu's light blue.
    EXPECT_TRUE(MatchesReference(CropPixels(shot, kMenuLeft, kMenuTop, kMenuRight, kMenuBottom), "frontend_menu"));
    int left, top, right, bottom;
    ASSERT_TRUE(shot.LitBox(&left, &top, &right, &bottom, 150, 400, 219, 624, 259)) << "the words of New Game";
    EXPECT_NEAR((left + right) / 2, 512, 4) << "centred";
    EXPECT_LT(Red(shot.At((left + right) / 2, (top + bottom) / 2)), 170);

    // The pointer over Exit lights its row up.
    Button* exit = MenuButtons()["Exit"];
    const int rowY = CentreY(exit), edgeX = exit->x + 3;
    uint32_t before = shot.At(edgeX, rowY);
    mouse_.cursorX = CentreX(exit);
    mouse_.cursorY = rowY;
    Pixels lit = DrawMenu();
    SavePixels(lit, folder + "/hover.png");
    uint32_t after = lit.At(edgeX, rowY);
    EXPECT_GT(Blue(after), Blue(before) + 40) << std::hex << before << " -> " << after;
    EXPECT_TRUE(MatchesReference(CropPixels(lit, kMenuLeft, kMenuTop, kMenuRight, kMenuBottom), "frontend_menu_hover"));

    // A modal window darkens everything under it.
    Window dialog(0, 0, 10, 10, 0, nullptr, WINDOW_FRAMELESS);
    manager_.modal = &dialog;
    Pixels dark = DrawMenu();
    manager_.modal = nullptr;
    SavePixels(dark, folder + "/modal.png");
    EXPECT_LT(Blue(dark.At(390, 360)), Blue(shot.At(390, 360)) / 2 + 2);
    EXPECT_TRUE(MatchesReference(CropPixels(dark, kMenuLeft, kMenuTop, kMenuRight, kMenuBottom), "frontend_menu_modal"));
}

TEST_F(FrontEndOnScreen, TheStartScreenShowsItsSkyFromOnePictureUntilItsLightsChange)
{
    ScopedGlobal<int> page(FrontEndScreenState, 0);
    ScopedGlobal<float> still(FrameTimer.delta, 0.0f);
    // Left of the menu and above the corner text only the sky shows.
    auto sky = [](const Pixels& shot) { return CropPixels(shot, 0, 0, 340, 700); };
    const std::string folder = MakeTempFolder("start-screen-sky");
    SCOPED_TRACE("pictures in " + folder);

    Pixels first = DrawStartScreen();
    SavePixels(first, folder + "/first.png");
    const StartScreenParts& parts = GetStartScreen();
    ASSERT_NE(parts.starfield, nullptr);

    // The sky drawn sprite by sprite, as it was before it was kept as one picture: the same.
    Graphics->Clear(7, 0.0f, 0.0f, 0.0f, 1.0f);
    Graphics->BeginScene();
    Graphics->Begin2D();
    for (Sprite* sprite : {parts.starfield, parts.nebula}) GuiDrawSprite(sprite);
    for (Sprite* sprite : parts.stars) GuiDrawSprite(sprite);
    for (Sprite* sprite : parts.bigStars) GuiDrawSprite(sprite);
    Graphics->End2D();
    Pixels direct = ReadBackBuffer(Graphics->device);
    Graphics->Present();
    SavePixels(direct, folder + "/direct.png");
    {
        const Pixels a = sky(direct), b = sky(first);
        int differ = 0, most = 0, shifted = 0;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const uint32_t p = a.At(x, y), q = b.At(x, y);
                if ((p & 0xFFFFFF) == (q & 0xFFFFFF)) continue;
                ++differ;
                for (int c = 0; c < 24; c += 8) most = std::max(most, std::abs((int)((p >> c) & 255) - (int)((q >> c) & 255)));
                if (x + 1 < a.width && (a.At(x + 1, y) & 0xFFFFFF) == (q & 0xFFFFFF)) ++shifted;
            }
        EXPECT_EQ(differ, 0) << "most " << most << " shifted " << shifted << " the kept sky differs from the sky drawn whole";
    }

    // Without the star field the next frames still show the kept picture...
    parts.starfield->flags |= SPRITE_HIDDEN;
    EXPECT_TRUE(sky(DrawStartScreen()).argb == sky(first).argb) << "the sky was drawn again at once";
    // ...until a device reset loses the pictures: then the sky is drawn again.
    ASSERT_EQ(Graphics->ResetDevice(), DEVICE_USABLE);
    Pixels afterReset = DrawStartScreen();
    SavePixels(afterReset, folder + "/after_reset.png");
    EXPECT_FALSE(sky(afterReset).argb == sky(first).argb) << "the sky was not drawn again after the reset";

    // The lights change slowly: a quarter of a second on, the sky is drawn again.
    parts.starfield->flags &= ~SPRITE_HIDDEN;
    Pixels hidden = DrawStartScreen();
    EXPECT_TRUE(sky(hidden).argb == sky(afterReset).argb);
    {
        ScopedGlobal<float> frame(FrameTimer.delta, 0.1f);
        for (int i = 0; i < 3; ++i) DrawStartScreen();
    }
    EXPECT_FALSE(sky(DrawStartScreen()).argb == sky(afterReset).argb) << "the sky's lights never changed";
}

// The start screen built again, after the shared cosmetic generator was drawn from (a level's
// particles, the music's order), shows the same sky: every star stands where it stood.
TEST_F(FrontEndOnScreen, TheStartScreenBuiltAgainAfterALevelShowsTheSameSky)
{
    ScopedGlobal<int> page(FrontEndScreenState, 0);
    ScopedGlobal<float> still(FrameTimer.delta, 0.0f);
    ScopedGlobal<MwcGenerator> cosmetic(CosmeticRandom());
    const Pixels first = DrawStartScreen();
    ReleaseStartScreen();
    for (int i = 0; i < 37; ++i) CosmeticRandom().Next();
    const Pixels again = DrawStartScreen();
    int differ = 0;
    for (size_t i = 0; i < first.argb.size() && i < again.argb.size(); ++i) differ += first.argb[i] != again.argb[i];
    EXPECT_EQ(differ, 0) << "pixels of the sky moved";
}

TEST_F(FrontEndOnScreen, TheStartScreensMenuLooksAsIfDrawnWholeWhateverHappensToIt)
{
    ScopedGlobal<int> page(FrontEndScreenState, 0);
    ScopedGlobal<float> still(FrameTimer.delta, 0.0f);
    auto drawStartScreen = [] { return CropPixels(DrawStartScreen(), kMenuLeft, kMenuTop, kMenuRight, kMenuBottom); };
    // A painter that draws to the screen as the 2D layer does: with one installed, every part of
    // the menu is drawn again.
    GuiPainter whole;
    auto drawnWhole = [&] {
        SetGuiPainter(&whole);
        Pixels shot = drawStartScreen();
        SetGuiPainter(nullptr);
        return shot;
    };
    auto differing = [](const Pixels& a, const Pixels& b) {
        int differ = 0;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) differ += (a.At(x, y) & 0xFFFFFF) != (b.At(x, y) & 0xFFFFFF);
        return differ;
    };
    const std::string folder = MakeTempFolder("start-screen-menu");
    SCOPED_TRACE("pictures in " + folder);
    std::map<std::string, Button*> buttons = MenuButtons();
    ASSERT_TRUE(buttons["Exit"] && buttons["Load Game"]);

    Pixels first = drawStartScreen();
    // The panel is copied while it looks the same: a part hidden behind the menu's back stays.
    Window* menu = MissionScreen::windows[0];
    ASSERT_TRUE(menu && menu->firstChild && menu->firstChild->nextSibling);
    Sprite* panel = menu->firstChild->nextSibling->pieces[0];
    ASSERT_NE(panel, nullptr);
    panel->flags |= SPRITE_HIDDEN;
    EXPECT_EQ(differing(drawStartScreen(), first), 0) << "the menu was drawn again, not copied";
    EXPECT_GT(differing(drawnWhole(), first), 1000) << "the black panel was never drawn";
    panel->flags &= ~SPRITE_HIDDEN;

    struct Step {
        const char* what;
        bool changesThePicture;
        std::function<void()> change;
    } const steps[] = {
        {"still", false, [] {}},
        {"the pointer over Exit", true,
         [&] {
             mouse_.cursorX = CentreX(buttons["Exit"]);
             mouse_.cursorY = CentreY(buttons["Exit"]);
         }},
        {"Exit held", true, [&] { buttons["Exit"]->pressed = true; }},
        {"Exit let go, the pointer away", true,
         [&] {
             buttons["Exit"]->pressed = false;
             mouse_.cursorX = mouse_.cursorY = 0;
         }},
        {"Load Game greyed", true, [&] { buttons["Load Game"]->SetEnabled(false); }},
        {"Load Game again", true, [&] { buttons["Load Game"]->SetEnabled(true); }},
        {"the device reset", false, [] { ASSERT_EQ(Graphics->ResetDevice(), DEVICE_USABLE); }},
    };
    Pixels before = first;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        Pixels shown = drawStartScreen();
        Pixels again = drawStartScreen();
        Pixels whole = drawnWhole();
        SavePixels(again, folder + "/" + std::to_string(&step - steps) + ".png");
        EXPECT_EQ(differing(shown, whole), 0);
        EXPECT_EQ(differing(again, whole), 0);
        EXPECT_EQ(differing(whole, before) > 0, step.changesThePicture);
        before = whole;
    }
}
