// The galaxy map screen: its windows and buttons, the mouse on the map, who may play which
// mission, the switch between the whole galaxy and one star system, and the road from a chosen
// body into its mission.
#include "campaign/Galaxy.h"

#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RandomMission.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "interface/CharacterGui.h"
#include "interface/InfoScreen.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Cells of the 1 x 3 button sheets: lit, up, pressed.
constexpr int SHEET_LIT = 0x1030000, SHEET_UP = 0x1030001, SHEET_DOWN = 0x1030002;
// The start button's faces: a mission waits (left), none (right).
constexpr int START_READY = 0x02010000, START_NONE = 0x02010100;
constexpr const char* START_TEXTURE = "data/gui/galStartRight.dds";
constexpr const char* CONTROLS_TEXTURE = "data/gui/planet_controls.dds";
constexpr uint32_t BLINK_GREY = 0xFFBFBFBF;

int T(float fraction) { return (int)(fraction * ScreenHeight()); }

int Value(void* user) { return user ? (int)*static_cast<intptr_t*>(user) : 0; }

// The galaxy whose screen is being built; it keeps the windows made.
Galaxy* Building = nullptr;

template <class W> W* Made_(W* window)
{
    return Building->Keep(window);
}

// A picture with no action of its own.
Button* Picture(Window* parent, const char* texture, int x, int y, int w, int h, int cell = 0)
{
    Button* picture =
        Made_(new Button(nullptr, nullptr, x, y, w, h, 0, nullptr, texture, texture, nullptr, cell, cell, 0));
    parent->AddChild(picture);
    return picture;
}

Button* SheetButton(Window* parent, const char* texture, const char* text, int x, int y, int w, int h,
                    ButtonCallback click, int value)
{
    Button* button = Made_(new Button(nullptr, click, x, y, w, h, 0, ScreenFont(0), texture, texture, nullptr, SHEET_UP,
                                      SHEET_DOWN, 0));
    button->SetImage(texture, SHEET_LIT);
    if (text) button->SetText(text);
    button->userData = value;
    button->hasUserData = true;
    parent->AddChild(button);
    return button;
}

// A square control of the planet-controls sheet, acting on press or on release.
Button* ControlButton(Window* parent, int x, int y, int cell, ButtonCallback press, ButtonCallback click)
{
    const int size = T(0.0416667f);
    Button* button = Made_(new Button(press, click, x, y, size, size, 0, nullptr, CONTROLS_TEXTURE, CONTROLS_TEXTURE,
                                      nullptr, cell, cell, 0));
    button->SetImage("data/gui/highlight_blue.dds", 0);
    button->group = 0;
    parent->AddChild(button);
    return button;
}

Label* GroupLabel(Window* parent, const char* text, int x, int y)
{
    Label* label = Made_(new Label(text, x, y, T(0.1f), T(0.025f), 0, ScreenFont(3), false));
    label->group = 0;
    parent->AddChild(label);
    return label;
}

int MainMenuButton(void* user, Button*)
{
    MissionScreen::OnBack(Value(user), 0);
    return 1;
}

int GalaxyMapButton(void*, Button*)
{
    MissionScreen::OnBack(0, 0);
    return 1;
}

int StartMissionButton(void*, Button*)
{
    if (TheGalaxy && TheGalaxy->StartSelectedMission(true)) {
        GuiPlaySound("blip");
    } else {
        GuiPlaySound("bad");
    }
    return 1;
}

bool StartButtonHit(Window*)
{
    return Galaxy::IsInStartButton();
}

// The map screen's container: the map moves on every frame while it shows.
class GalaxyContainer : public Window {
public:
    bool Animates() const override { return true; }
};

// Which side of the line from a to b a point lies on.
float Side(float px, float py, float ax, float ay, float bx, float by)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// The least a world measures across for a click, in pixels from its middle.
constexpr float SMALLEST_PICK_PIXELS = 8.0f;

}  // namespace

void GreyCurrentBriefing(Button* button)
{
    if (!button) return;
    button->SetIcon("data/gui/button_grey.dds", "data/gui/button_grey.dds", SHEET_DOWN, SHEET_UP);
    button->SetImage("data/gui/button_grey.dds", SHEET_LIT);
    button->SetEnabled(false);
}

bool GalaxyMapTakesPoint(int x, int y, int w, int h)
{
    const float fx = (float)x, fy = (float)y, fh = (float)h, fw = (float)w;
    if (fy > fh - 0.0898438f * fh) return false;
    if (fy <= fh - 0.1894531f * fh) return true;
    if (fx < 0.23125f * fh) {
        // Below the left panel's slanted top edge, on the side of its lower-left corner.
        const float ax = 0.1302083f * fh, ay = 0.75f * fh + 0.0605469f * fh;
        const float bx = 0.2302083f * fh, by = 0.75f * fh + 0.1542969f * fh;
        if ((Side(fx, fy, ax, ay, bx, by) > 0.0f) == (Side(0.0f, fh, ax, ay, bx, by) > 0.0f)) return false;
    }
    if (fx > fw - 0.2333333f * fh) {
        const float ax = fw - 0.2666667f * fh + 0.1322917f * fh, ay = 0.75f * fh + 0.0625f * fh;
        const float bx = fw - 0.2666667f * fh + 0.0333333f * fh, by = 0.75f * fh + 0.1542969f * fh;
        if ((Side(fx, fy, ax, ay, bx, by) > 0.0f) == (Side(fw, fh, ax, ay, bx, by) > 0.0f)) return false;
    }
    return true;
}

bool StartButtonTakesPoint(int x, int y, int w, int h)
{
    const float fh = (float)h;
    const float left = w - 0.1760417f * fh - 0.0270833f * fh, top = fh - 0.1435547f * fh - 0.0234375f * fh;
    const float right = w - 0.0270833f * fh, bottom = fh - 0.0234375f * fh;
    const float fx = (float)x, fy = (float)y;
    if (fx < left || fx >= right || fy < top || fy >= bottom) return false;
    const float ax = left + 0.0833333f * fh, ay = top, bx = left, by = top + 0.0761719f * fh;
    // The cut corner is the upper-left one: the point must lie on the other side.
    return (Side(fx, fy, ax, ay, bx, by) > 0.0f) != (Side(left, top, ax, ay, bx, by) > 0.0f);
}

bool Galaxy::IsInStartButton()
{
    MouseDevice* mouse = Input.mouse;
    return mouse && StartButtonTakesPoint(mouse->cursorX, mouse->cursorY, ScreenWidth(), ScreenHeight());
}

int OnAcceptMission(void* user, Button*)
{
    Galaxy* galaxy = TheGalaxy;
    if (!galaxy || !galaxy->clickedBody) return 1;
    CelestialBody* body = galaxy->clickedBody;
    if (!galaxy->CanAccess(body)) {
        GuiPlaySound("bad");
        return 1;
    }
    const int value = Value(user);
    if (value == 1) galaxy->RefreshPlanetPanel();
    if (galaxy->panel.frame) galaxy->panel.frame->SetVisible(value == 1);
    galaxy->AcceptBody(body);
    // The choice is the player's: it waits for them after a restart too.
    PlayerProfile* profile = GetPlayerProfile();
    if (profile->flags & PROFILE_LOADED) profile->SaveByName(false);
    GuiPlaySound("blip");
    return 1;
}

int OnMissionBriefing(void* user, Button*)
{
    Galaxy* galaxy = TheGalaxy;
    if (!galaxy) return 1;
    if (Value(user) == 1) {
        galaxy->infoBody = galaxy->clickedBody;
        galaxy->RefreshPlanetPanel();
        if (galaxy->panel.frame && galaxy->infoBody) galaxy->panel.frame->SetVisible(true);
    } else if (galaxy->panel.frame) {
        galaxy->panel.frame->SetVisible(false);
    }
    GuiPlaySound("blip");
    return 1;
}

int OnCurrentBriefing(void*, Button*)
{
    Galaxy* galaxy = TheGalaxy;
    if (!galaxy || !galaxy->selectedBody) return 1;
    galaxy->infoBody = galaxy->selectedBody;
    galaxy->RefreshPlanetPanel();
    if (galaxy->panel.frame) galaxy->panel.frame->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int OnZoomIn(void*, Button*)
{
    if (TheGalaxy) TheGalaxy->cameraTargetDistance = std::clamp(TheGalaxy->cameraTargetDistance - 2.0f, 5.0f, 100.0f);
    return 1;
}

int OnZoomOut(void*, Button*)
{
    if (TheGalaxy) TheGalaxy->cameraTargetDistance = std::clamp(TheGalaxy->cameraTargetDistance + 2.0f, 5.0f, 100.0f);
    return 1;
}

int OnFrameSystem(void*, Button*)
{
    if (TheGalaxy) TheGalaxy->FitSystemCamera();
    return 1;
}

int OnToggleOrbits(void*, Button*)
{
    if (TheGalaxy) TheGalaxy->showOrbits = !TheGalaxy->showOrbits;
    return 1;
}

int OnShopManageRig(void* user, Button*)
{
    Galaxy* galaxy = TheGalaxy;
    if (!galaxy) return 1;
    if (galaxy->panel.frame) galaxy->panel.frame->SetVisible(false);
    if (TheGame && TheGame->messageBar) TheGame->messageBar->Clear();
    CloseAllGameWindows();
    if (Value(user) == 1) {
        if (TheCharacterGui) TheCharacterGui->SetVisible(true);
        if (WindowMgr) WindowMgr->HideById(galaxy->windowId);
    } else {
        if (TheCharacterGui) TheCharacterGui->SetVisible(false);
        galaxy->ShowScreen(true);
    }
    GuiPlaySound("blip");
    return 1;
}

void Galaxy::CreateGui()
{
    if (container) return;
    Building = this;
    const int w = ScreenWidth(), h = ScreenHeight();
    windowId = WindowMgr ? WindowMgr->NewWindowId() : -1;
    container = Made_(new GalaxyContainer());
    CopyText(container->caption, sizeof container->caption, "galaxyContainer");
    container->flags |= WINDOW_FRAMELESS;
    container->id = windowId;
    container->x = container->y = 0;
    if (WindowMgr) WindowMgr->AddWindow(container);

    const int bannerW = T(0.3255208f), bannerH = T(0.0651042f);
    titleBanner = Made_(new Button(nullptr, nullptr, (w - bannerW) / 2, T(0.0260417f), bannerW, bannerH, 0,
                                   ScreenFont(0), "data/gui/missionbanner.dds", "data/gui/missionbanner.dds", nullptr,
                                   0, 0, 0));
    titleBanner->SetText("Galaxy Map");
    container->AddChild(titleBanner);

    const int spacerW = (int)(0.2f * w), spacerH = T(0.125f);
    Picture(container, "data/gui/galSpacer.dds", T(0.23125f), h - spacerH, spacerW, spacerH);
    Picture(container, "data/gui/galSpacer.dds", w - T(0.2333333f) - spacerW, h - spacerH, spacerW, spacerH);
    const int panelW = T(0.2666667f), panelH = T(0.25f);
    Picture(container, "data/gui/galControlLeft.dds", 0, h - panelH, panelW, panelH);
    Picture(container, "data/gui/galStartBack.dds", w - panelW, h - panelH, panelW, panelH);

    const int startW = T(0.1760417f), startH = T(0.1435547f);
    startButton = Made_(new Button(nullptr, StartMissionButton, w - T(0.0270833f) - startW,
                                   h - T(0.0234375f) - startH, startW, startH, 0, ScreenFont(0), START_TEXTURE,
                                   START_TEXTURE, nullptr, START_NONE, START_NONE, 0));
    startButton->SetImage("data/gui/galStartHilite.dds", 0);
    startButton->SetText("    No\nMission");
    startButton->hitCallback = StartButtonHit;
    startButton->group = 3;
    container->AddChild(startButton);

    const int midW = T(0.7291667f);
    const int midX = (w - midW) / 2;
    Picture(container, "data/gui/galPanelMid.dds", midX, h - T(0.125f), midW, T(0.125f));
    currentBriefingButton = Made_(new Button(nullptr, OnCurrentBriefing, midX + midW - T(0.1041667f) - T(0.0911458f),
                                             h - T(0.078125f), T(0.0911458f), T(0.0651042f), 0, ScreenFont(3),
                                             "data/gui/button_grey.dds", "data/gui/button_grey.dds", nullptr, SHEET_UP,
                                             SHEET_DOWN, 0));
    currentBriefingButton->SetText("Current\nBriefing");
    GreyCurrentBriefing(currentBriefingButton);
    container->AddChild(currentBriefingButton);

    const int mapSize = T(0.1666667f);
    Button* mapButton = Made_(new Button(GalaxyMapButton, nullptr, 0, h - T(0.2167969f) - mapSize, mapSize, mapSize, 0,
                                         ScreenFont(0), "data/gui/galaxy_button.dds", "data/gui/galaxy_button.dds",
                                         nullptr, START_NONE, START_READY, 0));
    mapButton->SetText("Galaxy\n Map");
    mapButton->group = 0;
    container->AddChild(mapButton);

    const int x0 = T(0.03125f), y0 = h - T(0.1666667f);
    GroupLabel(container, "Controls", x0, y0);
    const int y1 = y0 + T(0.0234375f);
    ControlButton(container, x0, y1, AtlasCellCode(4, 4, 0, 0), OnZoomIn, nullptr);
    ControlButton(container, x0 + T(0.0416667f), y1, AtlasCellCode(4, 4, 1, 0), OnZoomOut, nullptr);
    const int y2 = y1 + T(0.0494792f);
    GroupLabel(container, "Frame", x0, y2);
    const int y3 = y2 - T(0.0104167f);
    ControlButton(container, x0 + T(0.0572917f), y3, AtlasCellCode(4, 4, 2, 0), nullptr, OnFrameSystem);
    const int y4 = y3 + T(0.0598958f);
    GroupLabel(container, "Orbits", x0, y4);
    ControlButton(container, x0 + T(0.0572917f), y4 - T(0.0130208f), AtlasCellCode(4, 4, 3, 0), OnToggleOrbits,
                  nullptr);

    const int briefingW = T(0.15625f);
    missionBriefingButton = SheetButton(container, "data/gui/button.dds", "Mission Briefing",
                                        w - T(0.0416667f) - briefingW, T(0.3125f), briefingW, T(0.0416667f),
                                        OnMissionBriefing, 1);
    missionBriefingButton->group = 0;
    SheetButton(container, "data/gui/button_green.dds", "Main Menu", T(0.0208333f), T(0.0208333f), T(0.15625f),
                T(0.0520833f), MainMenuButton, 1);
    SheetButton(container, "data/gui/button_green.dds", "Shop/Manage Rig", T(0.1875f), T(0.0208333f), T(0.2291667f),
                T(0.0520833f), OnShopManageRig, 1);
    // The profile's recent games, under the shop: both are the profile's own.
    SheetButton(container, "data/gui/button_green.dds", GameText("<replays_button>"), T(0.1875f), T(0.0859375f),
                T(0.15625f), T(0.0520833f), ShowReplays, 1);
    const int logSize = T(0.0625f);
    Button* log = Made_(new Button(nullptr, OnMissionLogClicked, T(0.0416667f), T(0.0859375f), logSize, logSize, 0,
                                   nullptr, "data/gui/log_buttons.dds", "data/gui/log_buttons.dds", nullptr,
                                   AtlasCellCode(2, 1, 0, 0), AtlasCellCode(2, 1, 0, 0), 0));
    log->SetImage("data/gui/highlight.dds", 0);
    CopyText(log->caption, sizeof log->caption, "Mission Log");
    container->AddChild(log);
    Button* achievements =
        Made_(new Button(nullptr, OnAchievementsClicked, T(0.0416667f), T(0.0859375f) + T(0.0807292f), logSize,
                         logSize, 0, nullptr, "data/gui/log_buttons.dds", "data/gui/log_buttons.dds", nullptr,
                         AtlasCellCode(2, 1, 1, 0), AtlasCellCode(2, 1, 1, 0), 0));
    achievements->SetImage("data/gui/highlight.dds", 0);
    CopyText(achievements->caption, sizeof achievements->caption, "Achievements");
    container->AddChild(achievements);

    container->ShowChildrenByGroup(1);
    container->HideChildrenByGroup(0);
    container->FitToChildren(1, 1, 0, 0);
    container->SetVisible(false);

    // The tooltip: its two frames (a mission open or not) and the completion meter of a star.
    const int tipW = T(0.1888021f), tipH = T(0.0755208f);
    tooltipFrames[0] = CreateGuiSprite(0, 0, tipW, tipH, "data/gui/planetlabels.dds", 0xFFFFFFFF, 0, 0, 1, 0.5f);
    tooltipFrames[1] = CreateGuiSprite(0, 0, tipW, tipH, "data/gui/planetlabels.dds", 0xFFFFFFFF, 0, 0.5f, 1, 1);
    tooltipMeterBack = CreateGuiSprite(0, 0, 1, 1, "data/textures/white.dds", 0xFF0A140A, 0, 0, 1, 1);
    tooltipMeter = CreateGuiSprite(0, 0, 1, 1, "data/textures/white.dds", 0xFF008000, 0, 0, 1, 1);
}

void Galaxy::ReleaseGui()
{
    for (auto it = ownedWindows.rbegin(); it != ownedWindows.rend(); ++it) delete *it;
    ownedWindows.clear();
    container = nullptr;
    titleBanner = currentBriefingButton = missionBriefingButton = startButton = nullptr;
    panel = PlanetPanel();
}

void Galaxy::ShowScreen(bool on)
{
    backdropShown = on;
    if (container) container->SetVisible(on);
    if (!on && panel.frame) panel.frame->SetVisible(false);
}

bool Galaxy::CanAccess(const CelestialBody* body) const
{
    if (MissionRequirementsIgnored) return true;
    if (!body) return false;
    const PlayerProfile* profile = GetPlayerProfile();
    if (body->parent && body->missionId >= 0 && profile->IsMissionCompleted(body->missionId)) return false;
    if (profile->level < body->levelMin) return false;
    if (body->storyId <= 0) return true;
    const CelestialBody* previous = const_cast<Galaxy*>(this)->FindBodyByStoryId(body->storyId - 1);
    return previous && previous->missionId >= 0 && profile->IsMissionCompleted(previous->missionId);
}

bool Galaxy::RegisterClick(CelestialBody* hit)
{
    const bool twice = hit == clickedBody && clickTimer > 0.0f && clickTimer < 0.3f;
    clickTimer = 0.0f;
    clickedBody = hit;
    return twice;
}

bool Galaxy::HandleInput()
{
    MouseDevice* mouse = Input.mouse;
    const float dt = IsGuiPaused() ? 0.0f : FrameTimer.delta;
    clickTimer += dt;
    hoveredBody = nullptr;
    if (TheGame) std::fill(TheGame->cursorColour, TheGame->cursorColour + 4, 1.0f);
    if (!mouse) return false;
    const int x = mouse->cursorX, y = mouse->cursorY;
    // A window or the briefing over the map hides the body under it: no tooltip lingers on
    // top of them.
    if (WindowMgr && WindowMgr->IsPointOverWindow(x, y, true)) {
        ClearTooltipLinger();
        return false;
    }
    // The map's own buttons lie over it: a press on one is the button's.
    for (Window* child = container ? container->firstChild : nullptr; child; child = child->nextSibling)
        if (const Button* button = dynamic_cast<const Button*>(child))
            if (button->IsVisible() && (button->pressCallback || button->clickCallback) && button->HitTest(x, y)) {
                ClearTooltipLinger();
                return false;
            }
    if (IsPointOverPanel(x, y)) {
        ClearTooltipLinger();
        return false;
    }
    if (!GalaxyMapTakesPoint(x, y, ScreenWidth(), ScreenHeight())) return false;
    const bool pressed = mouse->ButtonEventIs(0, 1);

    if (galaxyView == 0) {
        if (selectedSystem < 0 || selectedSystem >= count) return false;
        CelestialBody* hit = systems[selectedSystem].HitTest((float)x, (float)y);
        if (!hit) return false;
        hoveredBody = hit;
        if (TheGame) TheGame->cursorColour[0] = TheGame->cursorColour[2] = 0.0f;
        if (!pressed) return true;
        if (hit->parent && !hit->IsGasGiant() && hit->completed != 1) {
            const bool twice = RegisterClick(hit);
            if (missionBriefingButton) missionBriefingButton->SetVisible(true);
            if (twice) {
                intptr_t open = 1;
                OnMissionBriefing(&open, nullptr);
            } else {
                GuiPlaySound("blip");
            }
            if (PlanetPanelShown()) {
                infoBody = clickedBody;
                RefreshPlanetPanel();
            }
            return true;
        }
        if (hit->completed == 1) {
            if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage("Mission already completed!", 2.0f, 0);
            GuiPlaySound("bad");
        }
        return true;
    }

    CelestialBody* hit = nullptr;
    for (int s = 0; s < count && !hit; ++s)
        if (systems[s].HitTest((float)x, (float)y)) hit = &systems[s];
    if (!hit) return false;
    hoveredBody = hit;
    if (TheGame) TheGame->cursorColour[0] = TheGame->cursorColour[2] = 0.0f;
    if (!pressed) return true;
    if (GetPlayerProfile()->level >= hit->levelMin || MissionRequirementsIgnored) {
        selectedSystem = hit->systemIndex;
        SetGalaxyView(false);
        GuiPlaySound("blip");
    } else {
        char text[96];
        snprintf(text, sizeof text, "Level %d required to access this system!", hit->levelMin);
        if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, 2.0f, 0);
        GuiPlaySound("bad");
    }
    return true;
}

void Galaxy::SetGalaxyView(bool on)
{
    if (on == (galaxyView == 1)) return;
    panX = panY = 0.0f;
    galaxyView = on ? 1 : 0;
    // The galaxy's own seed again: the layout and the systems stay, the backdrop is renewed.
    if (count > 0) Generate(seed);
    Update();
    if (on) clickedBody = nullptr;
    ApplyViewLayout();
    if (!on) FitSystemCamera();
    if (missionBriefingButton) missionBriefingButton->SetVisible(false);
    ClearTooltipLinger();
}

void Galaxy::ApplyViewLayout()
{
    const bool system = galaxyView == 0 && selectedSystem >= 0 && selectedSystem < count;
    if (titleBanner) titleBanner->SetText(system ? systems[selectedSystem].name : "Galaxy Map");
    if (!container) return;
    container->ShowChildrenByGroup(system ? 0 : 1);
    container->HideChildrenByGroup(system ? 1 : 0);
    if (missionBriefingButton) missionBriefingButton->SetVisible(system && clickedBody);
}

void Galaxy::FitSystemCamera()
{
    if (galaxyView != 0 || selectedSystem < 0 || selectedSystem >= count) return;
    panX = panY = 0.0f;
    const CelestialBody& root = systems[selectedSystem];
    float extent = root.scale;
    const CelestialBody* planet = root.firstChild;
    if (planet) {
        extent = std::max(extent, planet->orbitRadius + planet->scale);
        for (planet = planet->nextSibling; planet; planet = planet->nextSibling) {
            float moons = 0.0f;
            for (const CelestialBody* moon = planet->firstChild; moon; moon = moon->nextSibling)
                moons = std::max(moons, moon->orbitRadius + moon->scale);
            extent = std::max(extent, planet->orbitRadius + planet->scale) + moons;
        }
    }
    cameraDistance = cameraTargetDistance = extent * 3.1415f;
}

void Galaxy::UpdateStartButton(float dt)
{
    if (!startButton) return;
    uint32_t colour = 0xFFFFFFFF;
    if (selectedBody) {
        startButton->SetIcon(START_TEXTURE, START_TEXTURE, START_READY, START_READY);
        if (strcmp(startButton->text, "  Start\nMission") != 0) startButton->SetText("  Start\nMission");
        const float before = blinkTimer;
        blinkTimer -= dt;
        if (blinkTimer <= 0.0f) blinkTimer = 1.0f;
        colour = before >= 0.5f ? 0xFFFFFFFF : BLINK_GREY;
    } else {
        startButton->SetIcon(START_TEXTURE, START_TEXTURE, START_NONE, START_NONE);
        if (strcmp(startButton->text, "    No\nMission") != 0) startButton->SetText("    No\nMission");
    }
    if (startButton->pressedSprite) startButton->pressedSprite->SetColor(colour);
    if (startButton->unpressedSprite) startButton->unpressedSprite->SetColor(colour);
}

void Galaxy::AcceptBody(CelestialBody* body)
{
    if (!body) return;
    selectedBody = body;
    GetPlayerProfile()->acceptedMissionId = body->missionId;
    if (Button* current = currentBriefingButton) {
        current->SetIcon("data/gui/button.dds", "data/gui/button.dds", SHEET_DOWN, SHEET_UP);
        current->SetImage("data/gui/button.dds", SHEET_LIT);
        current->SetEnabled(true);
    }
    if (body->storyId < 0) {
        MissionScreen::scratchActive = true;
        BuildMissionBriefing(body->mission.faction, body->mission.category, body->mission.target, body->mission.count);
        CopyText(MissionScreen::scratch.name, sizeof MissionScreen::scratch.name, MissionObjectiveText);
    } else {
        MissionScreen::selectedIndex = body->storyId;
        MissionScreen::scratchActive = false;
    }
}

void Galaxy::RestoreAcceptedMission()
{
    const int id = GetPlayerProfile()->acceptedMissionId;
    if (selectedBody || id < 0) return;
    CelestialBody* body = FindBodyByMissionId(id);
    if (body && CanAccess(body) && !body->completed) AcceptBody(body);
}

void Galaxy::Reset()
{
    ForgetSystems();
    GreyCurrentBriefing(currentBriefingButton);
}

void Galaxy::ClearSelection()
{
    selectedBody = clickedBody = nullptr;
    GetPlayerProfile()->acceptedMissionId = -1;
    GreyCurrentBriefing(currentBriefingButton);
    FitSystemCamera();
}


bool Galaxy::StartSelectedMission(bool fromClick)
{
    MissionRecord* record = TakeSelectedMission();
    if (!record) return false;
    ShowScreen(false);
    // A mission chosen on the galaxy map starts anew; one started for a loaded game (not from
    // a click) goes on with the saved rig.
    MissionScreen::StartMission(record->levelSeed, fromClick ? 0 : 1);
    return true;
}

CelestialBody* CelestialBody::HitTest(float mouseX, float mouseY)
{
    if (WindowMgr && WindowMgr->modal) return nullptr;
    Vec3 nearPoint, farPoint;
    // The pick goes through the galaxy's own camera, whatever the world's is.
    const Matrix savedView = ViewMatrix, savedProjection = ProjectionMatrix;
    if (TheGalaxy) ViewMatrix = TheGalaxy->viewMatrix;
    if (TheGalaxy && TheGalaxy->cameraSet) ProjectionMatrix = TheGalaxy->projectionMatrix;
    BuildPickRay(mouseX, mouseY, &nearPoint, &farPoint);
    ViewMatrix = savedView;
    ProjectionMatrix = savedProjection;
    Vec3 direction = farPoint - nearPoint;
    Vec3Normalize(&direction, &direction);
    if (CelestialBody* marked = HitAlong(nearPoint, direction, true)) return marked;
    return HitAlong(nearPoint, direction, false);
}


CelestialBody* CelestialBody::HitAlong(const Vec3& nearPoint, const Vec3& direction, bool markers)
{
    const bool systemView = TheGalaxy && TheGalaxy->galaxyView == 0;
    const Vec3 centre(world._41, world._42, world._43);
    if (markers) {
        // A small world is drawn with its mission marker floating over it, often the larger of
        // the two: a click on the marker is a click on its world.
        if (systemView && TheGalaxy && TheGalaxy->SystemMarker(this) != MARKER_NONE &&
            IntersectRaySphere(nearPoint, direction, centre + Vec3(0, scale + SYSTEM_MARKER_LIFT, 0),
                               SYSTEM_MARKER_SIZE / 2))
            return this;
        // On the galaxy map a system's marker floats over its star, and a click on it is a click
        // on the system.
        if (!systemView && !parent && TheGalaxy && TheGalaxy->GalaxyMarker(this) != MARKER_NONE &&
            IntersectRaySphere(nearPoint, direction, centre + Vec3(0, GALAXY_MARKER_LIFT, 0), GALAXY_MARKER_SIZE / 2))
            return this;
    } else {
        float radius = systemView ? std::max(scale, 0.15f) : std::max(scale * 0.15f, 0.25f);
        // However far the map is zoomed out, a world is as wide as a fingertip's aim: a moon a
        // few pixels across is picked a few pixels beside it too.
        const Vec3 toCentre = centre - nearPoint;
        const float pixel = 2.0f * Tan(0.3926991f) * Vec3Length(&toCentre) / (float)std::max(1, ScreenHeight());
        radius = std::max(radius, SMALLEST_PICK_PIXELS * pixel);
        if (IntersectRaySphere(nearPoint, direction, centre, radius)) return this;
    }
    if (!systemView) return nullptr;
    for (CelestialBody* child = firstChild; child; child = child->nextSibling)
        if (CelestialBody* hit = child->HitAlong(nearPoint, direction, markers)) return hit;
    return nullptr;
}

