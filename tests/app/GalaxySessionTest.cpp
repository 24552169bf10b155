// The galaxy map as a returning player uses it: "Continue Game" on the main menu opens the
// galaxy of the player's profile; a click on the star system of the first story mission zooms
// into it (a click on its marker as on its star); a click on its planet's marker (the worlds
// hold still under the cursor) chooses it, "Mission Briefing" opens the planet panel with the
// mission's briefing, Escape closes it alone, "Accept" makes it the next mission and the start
// button starts it; on the way, a locked moon's briefing is opened and the moon's tooltip kept
// off it; at five frames a second a moving moon is picked where the picture shows it. The
// mission aborted, the map comes back as it first looked. The galaxy (both times), the star
// system (drawn after a device loss), the planet panel and the locked moon's are checked
// against their pictures.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "interface/InGameMenu.h"
#include "interface/MessageWindow.h"
#include "platform/StringTable.h"
#include "render/Font.h"
#include "render/ParticleManager.h"
#include "render/Sprite.h"

#include <algorithm>

using namespace playersession;

namespace {

// The pause sign a frame draws: the box drawn just before the word "Paused".
class SpritesDrawn : public GuiPainter {
public:
    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    SpritesDrawn() { SetGuiPainter(this); }
    ~SpritesDrawn() override { SetGuiPainter(nullptr); }
    void DrawSprite(Sprite* sprite) override
    {
        last = {sprite->left, sprite->top, sprite->right, sprite->bottom};
        GuiPainter::DrawSprite(sprite);
    }
    void DrawText(Font* font, int x, int y, const char* text) override
    {
        if (strcmp(text, "Paused") == 0) {
            paused = true;
            sign = last;
        }
        GuiPainter::DrawText(font, x, y, text);
    }
    Rect last, sign;
    bool paused = false;
};

class GalaxySession : public PlayerSession {
protected:
    void SetUp() override { StartAsPilot("galaxy", "mainMenuEnabled true\ncurrentprofile Pilot\n"); }

    // Where a point of the map stands on the screen, through the map's own camera.
    static void OnMap(const Vec3& point, int* x, int* y)
    {
        const Matrix view = ViewMatrix, projection = ProjectionMatrix;
        ViewMatrix = TheGalaxy->viewMatrix;
        ProjectionMatrix = TheGalaxy->projectionMatrix;
        Vec3 screen = ProjectToScreen(point);
        ViewMatrix = view;
        ProjectionMatrix = projection;
        *x = (int)lroundf(screen.x);
        *y = (int)lroundf(screen.y);
    }

    // The cursor put on a body (which may be moving along its orbit), or that far above it,
    // until the map sees it.
    bool PointAt(CelestialBody* body, float above = 0.0f)
    {
        for (int tries = 0; tries < 6; ++tries) {
            int x = 0, y = 0;
            OnMap(Vec3(body->world._41, body->world._42 + above, body->world._43), &x, &y);
            MoveMouseTo(x, y);
            if (TheGalaxy->hoveredBody == body) return true;
        }
        return false;
    }

    // The next frame against its picture; with the cursor put out of the way first, or where
    // the player holds it (a tooltip follows it).
    Pixels CheckPicture(const std::string& name, bool cursorAway = true)
    {
        Image shot;
        const std::string path = base + "/" + name + ".png";
        if (cursorAway) {
            EXPECT_TRUE(ShotOfNextFrame(path, shot));
        } else {
            Graphics->SaveScreenshot(path.c_str(), Config->width, Config->height);
            RenderFrame();
            Image loaded;
            EXPECT_TRUE(LoadImageFile(path.c_str(), loaded) && ConvertImage(loaded, PixelFormat::A8R8G8B8, shot));
        }
        Pixels picture = ToPixels(shot);
        EXPECT_TRUE(MatchesReference(picture, name, {16, picture.width * picture.height / 40}));
        return picture;
    }

    // Pixels whose green stands well above their red and blue: the orbit lines.
    static int CountGreen(const Pixels& p)
    {
        int n = 0;
        for (uint32_t c : p.argb) {
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            n += g > r + 30 && g > b + 20 && g > 60;
        }
        return n;
    }
    // The brightest channel of the pixel where a body is drawn.
    static int Brightness(const Pixels& p, const CelestialBody* body)
    {
        int x = 0, y = 0;
        OnMap(Vec3(body->world._41, body->world._42, body->world._43), &x, &y);
        if (!p.Contains(x, y)) return -1;
        const uint32_t c = p.At(x, y);
        return std::max({(int)((c >> 16) & 0xFF), (int)((c >> 8) & 0xFF), (int)(c & 0xFF)});
    }
};

TEST_F(GalaxySession, APlanetPickedOnTheMapIsBriefedAcceptedAndStarted)
{
    for (int i = 0; i < 100 && TheGame->state != GAME_STATE_FRONT_END; ++i) Press(DIK_ESCAPE);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    ClickOn(FindButton(MissionScreen::windows[0], "Continue Game"));
    ASSERT_EQ(FrontEndScreenState, 2);
    Galaxy& galaxy = *TheGalaxy;
    ASSERT_NE(galaxy.container, nullptr);
    EXPECT_TRUE(galaxy.container->IsVisible());
    EXPECT_EQ(galaxy.seed, std::stoi(GALAXY_SEED));
    EXPECT_EQ(galaxy.galaxyView, 1);
    EXPECT_GT(TheScene.particles->ActiveCount(), 0) << "the spiral's backdrop";
    Passes(2, 0.05f);
    Pixels map = CheckPicture("galaxy_map");
    // Every system's star is drawn where the map says it is.
    for (int s = 0; s < galaxy.count; ++s) EXPECT_GT(Brightness(map, &galaxy.systems[s]), 90) << galaxy.systems[s].name;

    // The first story mission lies in a system open to a new pilot; a click there zooms in.
    CelestialBody* body = galaxy.FindBodyByStoryId(0);
    ASSERT_NE(body, nullptr);
    CelestialBody* star = body;
    while (star->parent) star = star->parent;
    ASSERT_TRUE(PointAt(star)) << "the cursor finds the star";
    EXPECT_EQ(TheGame->cursorColour[0], 0.0f) << "the cursor turns green over a system";
    // The system's diamond above its star is the system too.
    ASSERT_NE(galaxy.GalaxyMarker(star), MARKER_NONE);
    ASSERT_TRUE(PointAt(star, GALAXY_MARKER_LIFT)) << "the cursor finds the system's marker";
    Click(0);
    ASSERT_EQ(galaxy.galaxyView, 0);
    EXPECT_EQ(&galaxy.systems[galaxy.selectedSystem], star);
    EXPECT_STREQ(galaxy.titleBanner->text, star->name);
    // The device lost and back: the star, its worlds, their orbits and markers are all drawn again.
    Graphics->device->ForceDeviceLoss(1);
    Passes(3, 0.05f);
    Pixels system = CheckPicture("galaxy_system");
    EXPECT_GT(Brightness(system, star), 200) << "the star";
    for (CelestialBody* planet = star->firstChild; planet; planet = planet->nextSibling)
        EXPECT_GT(Brightness(system, planet), 40) << planet->name;
    EXPECT_GT(CountGreen(system), 2000) << "the orbit lines";


    // The cursor aimed at the planet's marker: the worlds hold still while the player makes up
    // his mind, and the click chooses the planet; "Mission Briefing" opens its panel.
    ASSERT_NE(galaxy.SystemMarker(body), MARKER_NONE);
    ASSERT_TRUE(PointAt(body, body->scale + SYSTEM_MARKER_LIFT)) << "the cursor finds the planet's marker";
    const float aimedAt = body->orbitAngle;
    Passes(40, 0.05f);
    EXPECT_EQ(body->orbitAngle, aimedAt) << "the world waited under the cursor";
    Click(0);
    EXPECT_EQ(galaxy.clickedBody, body);
    ASSERT_TRUE(galaxy.missionBriefingButton->IsVisible());
    ClickOn(galaxy.missionBriefingButton);
    ASSERT_TRUE(galaxy.PlanetPanelShown());
    int panelX = 0, panelY = 0;
    galaxy.panel.frame->GetScreenPosition(&panelX, &panelY);
    MoveMouseTo(panelX + galaxy.panel.frame->width / 2, panelY + galaxy.panel.frame->height / 2);
    EXPECT_EQ(TooltipBody(nullptr, 0.0f), nullptr) << "no tooltip of the map lingers over the briefing";
    EXPECT_EQ(galaxy.infoBody, body);
    EXPECT_TRUE(galaxy.panel.accessible);
    const MissionRecord& story = MissionScreen::missions[0];
    EXPECT_STREQ(galaxy.panel.briefingLabel->GetText(), GameText(story.briefing)) << "the briefing is the mission's";
    EXPECT_STREQ(galaxy.panel.nameLabel->GetText(), GameText(story.name));
    EXPECT_STREQ(galaxy.panel.factionLabel->GetText(), GetFactionName(0)) << "the guild gives the first mission";
    if (galaxy.panel.downArrow->IsVisible()) {
        ClickOn(galaxy.panel.downArrow);
        EXPECT_EQ(galaxy.panel.firstLine, 1) << "the briefing scrolls";
    }
    CheckPicture("galaxy_planet_panel");
    {
        // The Pause key over the open briefing: the sign keeps clear of the panel, and the key
        // lifts the pause again.
        Press(DIK_PAUSE);
        ASSERT_TRUE(GamePaused);
        SpritesDrawn drawn;
        Passes(1, 0.05f);
        const Window* box = galaxy.panel.frame->firstChild;
        int boxX = 0, boxY = 0;
        box->GetScreenPosition(&boxX, &boxY);
        ASSERT_TRUE(drawn.paused) << "the sign is drawn";
        const SpritesDrawn::Rect& sign = drawn.sign;
        EXPECT_TRUE(sign.right <= boxX || sign.left >= boxX + box->width || sign.bottom <= boxY ||
                    sign.top >= boxY + box->height)
            << "the sign " << sign.left << "," << sign.top << " - " << sign.right << "," << sign.bottom;
        Press(DIK_PAUSE);
        EXPECT_FALSE(GamePaused) << "lifted with the briefing open";
        EXPECT_TRUE(galaxy.PlanetPanelShown());
    }
    {
        // Another window takes the focus: the galaxy goes on turning and drawing, unpaused.
        InputScript::Focus(false);
        int exitCode = 0;
        DrainMessages(&exitCode);
        EXPECT_TRUE(AppActive);
        const int frames = PresentedFrames;
        Passes(10, 0.05f);
        EXPECT_GE(PresentedFrames - frames, 10);
        EXPECT_FALSE(GamePaused);
        InputScript::Focus(true);
        DrainMessages(&exitCode);
        Passes(2, 0.05f);
    }
    // Escape closes the briefing alone: the system stays, and the briefing opens again.
    Press(DIK_ESCAPE);
    EXPECT_FALSE(galaxy.PlanetPanelShown());
    EXPECT_EQ(galaxy.galaxyView, 0) << "the system is still shown";
    EXPECT_EQ(galaxy.clickedBody, body);
    ClickOn(galaxy.missionBriefingButton);
    ASSERT_TRUE(galaxy.PlanetPanelShown());

    // "Accept" makes it the next mission and closes the panel; the start button starts it.
    ClickOn(galaxy.panel.acceptButton);
    EXPECT_FALSE(galaxy.PlanetPanelShown());
    EXPECT_EQ(galaxy.selectedBody, body);
    EXPECT_TRUE(galaxy.currentBriefingButton->IsEnabled());

    // A locked moon's briefing: its notice wraps over two lines and the level line stands under
    // them. The tooltip of the moon, above the open briefing, keeps off it.
    CelestialBody* locked = nullptr;
    int boxX = 0, boxY = 0;
    const Window* box = galaxy.panel.frame->firstChild;
    box->GetScreenPosition(&boxX, &boxY);
    for (CelestialBody* planet = star->firstChild; planet && !locked; planet = planet->nextSibling)
        for (CelestialBody* moon = planet->firstChild; moon && !locked; moon = moon->nextSibling) {
            int x = 0, y = 0;
            OnMap(Vec3(moon->world._41, moon->world._42, moon->world._43), &x, &y);
            if (!galaxy.CanAccess(moon) && moon->completed != 1 && y < boxY) locked = moon;
        }
    ASSERT_NE(locked, nullptr) << "a locked moon above the briefing";
    ASSERT_TRUE(PointAt(locked));
    Click(0);
    ClickOn(galaxy.missionBriefingButton);
    ASSERT_TRUE(galaxy.PlanetPanelShown());
    ASSERT_FALSE(galaxy.panel.accessible);
    const Label* name = galaxy.panel.nameLabel;
    int lines = 0;
    const int nameHeight = name->font->DrawWrappedText(name->GetText(), name->wrapWidth, 0, 0, 0, 0, &lines);
    EXPECT_EQ(lines, 2);
    EXPECT_GE(galaxy.panel.levelLabel->y, name->y + nameHeight) << "the level line under the notice";
    ASSERT_TRUE(PointAt(locked));
    CheckPicture("galaxy_locked_moon_tooltip", false);
    Press(DIK_ESCAPE);
    ASSERT_FALSE(galaxy.PlanetPanelShown());

    // At five frames a second, a small moon: the cursor put beside it, where the last picture
    // shows it, finds it, and one click picks it.
    CelestialBody* moon = nullptr;
    int moonX = 0, moonY = 0;
    for (CelestialBody* planet = star->firstChild; planet && !moon; planet = planet->nextSibling)
        for (CelestialBody* candidate = planet->firstChild; candidate && !moon; candidate = candidate->nextSibling) {
            OnMap(Vec3(candidate->world._41, candidate->world._42, candidate->world._43), &moonX, &moonY);
            if (candidate->orbitSpeed != 0.0f && candidate->completed != 1 &&
                GalaxyMapTakesPoint(moonX, moonY, Config->width, Config->height) &&
                !WindowMgr->IsPointOverWindow(moonX, moonY, true) && !galaxy.IsPointOverPanel(moonX, moonY))
                moon = candidate;
        }
    ASSERT_NE(moon, nullptr) << "a moving moon in the open map";
    // The cursor first rests on open space, where the worlds go round; then it is taken, in one
    // move, a few pixels beside the moon's middle, where the last picture shows it.
    MoveMouseTo(moonX + 60, moonY + 60);
    Passes(2, 0.2f);
    ASSERT_EQ(galaxy.hoveredBody, nullptr) << "no world under the cursor";
    OnMap(Vec3(moon->world._41, moon->world._42, moon->world._43), &moonX, &moonY);
    playerhand::MoveMouseBy(moonX + 5 - Input.mouse->cursorX, moonY - Input.mouse->cursorY);
    Passes(1, 0.2f);
    ASSERT_EQ(galaxy.hoveredBody, moon) << "the moon under the cursor, as the picture showed it";
    InputScript::ButtonDown(0);
    Passes(1, 0.2f);
    InputScript::ButtonUp(0);
    Passes(1, 0.2f);
    EXPECT_EQ(galaxy.clickedBody, moon) << "one click picked it";
    Passes(1, 0.05f);
    EXPECT_STREQ(galaxy.startButton->text, "  Start\nMission");
    int x = 0, y = 0;
    galaxy.startButton->GetScreenPosition(&x, &y);
    MoveMouseTo(x + galaxy.startButton->width * 2 / 3, y + galaxy.startButton->height * 2 / 3);
    Click(0);
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
    UntilPlaying();
    EXPECT_FALSE(MissionScreen::scratchActive);
    EXPECT_EQ(MissionScreen::selectedIndex, 0) << "the first story mission is in play";
    EXPECT_FALSE(galaxy.container->IsVisible());
    EXPECT_NE(GetPlayerRig(), nullptr);

    // A while in the level, then "Abort Mission", confirmed: the map is shown again as it was
    // the first time, whatever the level's effects drew meanwhile.
    Passes(40, 0.05f);
    if (TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(TheInGameMenu->abortButton);
    ASSERT_TRUE(TheConfirmationDialog->IsVisible());
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    ASSERT_EQ(FrontEndScreenState, 2);
    EXPECT_EQ(galaxy.galaxyView, 1);
    Passes(2, 0.05f);
    CheckPicture("galaxy_map");

    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
}

}  // namespace
