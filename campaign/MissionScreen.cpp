#include "campaign/MissionScreen.h"

#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "campaign/ProfileScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/Button.h"
#include "gui/MessageDialogGui.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/ModelViewer.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/GfxDevice.h"
#include "host/GfxTexture.h"
#include "host/InputEvents.h"
#include "host/InputKeys.h"
#include "host/Log.h"
#include "host/Random.h"
#include "campaign/LevelLoadSave.h"
#include "host/SteadyMath.h"
#include "interface/CharacterGui.h"
#include "interface/InGameMenu.h"
#include "interface/InfoScreen.h"
#include "interface/MessageWindow.h"
#include "interface/MessageLists.h"
#include "interface/ObjectivesPanel.h"
#include "interface/OptionsWindow.h"
#include "levelgen/MapGenerator.h"
#include "levelgen/MissionObjects.h"
#include "host/System.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/MissionStart.h"
#include "mechanics/Objectives.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/RenderStateCache.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/TextureManager.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/Sprite.h"
#include "tools/MapGeneratorWindow.h"
#include "world/Entity.h"
#include "world/MissionHooks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

int FrontEndScreenState = 0;
Window* MissionScreen::windows[2] = {nullptr, nullptr};
Window* MissionScreen::galaxyPage = nullptr;

namespace {

// The flat backing of the pages that are not the start screen: a deep blue, darker toward the
// bottom.
Sprite* BackgroundTop = nullptr;
Sprite* BackgroundBottom = nullptr;
bool Built = false;

// The start screen: the sky and the turning galaxy, made on its first drawing.
StartScreenParts StartScreen;
// Every window the screen built, children before their parents, deleted at shutdown.
std::vector<Window*> Owned;

// The game's font slots the GUI writes in: the button font and the list font.
constexpr int BUTTON_FONT_SLOT = 0;
constexpr int LIST_FONT_SLOT = 3;
// The main menu's words: the light steel blue of the frames' accent.
constexpr float MENU_TEXT_COLOUR[4] = {0.6f, 0.78f, 1.0f, 1.0f};

template <class W> W* Keep(W* window)
{
    Owned.push_back(window);
    return window;
}

// The main menu. Its panel stands on an opaque backing, so the panel's picture depends on nothing
// drawn under it (the sky and the galaxy): while the menu looks the same as when the panel was
// last drawn, the panel is copied from a picture taken then. The start screen draws its frames
// for the galaxy, and blending the panel's quads again every frame would cost the software
// renderer several times the copy.
class MainMenuWindow : public Window {
public:
    // The opaque backing, and the parts that lie on it.
    Window* backing = nullptr;
    std::vector<Window*> onPanel;

    void Draw() override
    {
        if (!StartScreenMoves() || !backing || refused || !GuiPaintsOnScreen()) {
            Window::Draw();
            return;
        }
        if (taken && LookNow() == look) {
            if (Copy(true)) {
                for (Window* child = firstChild; child; child = child->nextSibling)
                    if (child != backing && !OnPanel(child) && child->IsVisible() && !(child->flags & WINDOW_FRAMELESS))
                        child->Draw();
                return;
            }
            refused = true;
        }
        Window::Draw();
        // What the buttons' drawing settled (their hover) is what the next frame compares with.
        look = LookNow();
        taken = !refused && backing->IsVisible() && Copy(false);
    }

    // Where the panel's opaque backing will cover the screen when the windows are drawn next,
    // all of it; false when it will not be drawn so.
    bool CoveredArea(GfxRect* area) const
    {
        if (!backing || !IsVisible() || !backing->IsVisible() || !GuiPaintsOnScreen() || !WindowMgr ||
            WindowMgr->modal == this || (flags & WINDOW_NOT_MANAGED_DRAW))
            return false;
        const Sprite* base = backing->pieces[0];
        if (!base || (base->flags & SPRITE_HIDDEN)) return false;
        *area = GfxRect{base->left, base->top, base->right, base->bottom};
        return area->right > area->left && area->bottom > area->top;
    }

    // The picture went with the device's pictures, or never was.
    void Forget()
    {
        taken = false;
        refused = false;
    }

private:
    bool OnPanel(const Window* child) const
    {
        return std::find(onPanel.begin(), onPanel.end(), child) != onPanel.end();
    }

    // Whatever can change how the panel looks: input and the pointer (over a button, a press),
    // the windows shown, and each part's state and words.
    uint64_t LookNow() const
    {
        uint64_t h = 1469598103934665603ull;
        auto mix = [&h](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
        mix(InputEvents.EventCount());
        if (const MouseDevice* mouse = Input.mouse)
            mix((uint64_t)(uint32_t)mouse->cursorX << 32 | (uint32_t)mouse->cursorY);
        mix(WindowMgr ? (uint64_t)WindowMgr->ShownSignature() : 0);
        mix((uint64_t)ScreenWidth() << 32 | (uint32_t)ScreenHeight());
        mix(backing->flags);
        for (const Window* part : onPanel) {
            mix(part->flags);
            mix(part->IsVisible());
            if (const Button* button = dynamic_cast<const Button*>(part)) {
                mix((uint64_t)button->pressed | (uint64_t)button->hovering << 1 | (uint64_t)button->toggled << 2 |
                    (uint64_t)button->hasText << 3);
                for (const char* c = button->text; *c; ++c) mix((uint8_t)*c);
            }
        }
        return h;
    }

    // Copies the panel from the screen into the picture, or back; false where the device cannot.
    bool Copy(bool toScreen)
    {
        if (!Graphics || !Graphics->device || !Textures || !backing->pieces[0]) return false;
        const Sprite& base = *backing->pieces[0];
        const GfxRect area{base.left, base.top, base.right, base.bottom};
        if (area.right <= area.left || area.bottom <= area.top) return false;
        const uint32_t w = (uint32_t)(area.right - area.left), h = (uint32_t)(area.bottom - area.top);
        if (!picture || w != pictureWidth || h != pictureHeight) {
            if (toScreen) return false;
            picture = Textures->CreateRenderTarget(w, h, FMT_A8R8G8B8, "RT_mainMenuPanel");
            pictureWidth = w;
            pictureHeight = h;
        }
        if (!picture || !picture->texture) return false;
        GfxSurface* screen = nullptr;
        GfxSurface* kept = nullptr;
        const GfxRect whole{0, 0, (int32_t)w, (int32_t)h};
        bool copied = false;
        if (GfxSucceeded(Graphics->device->GetRenderTarget(0, &screen)) && screen &&
            GfxSucceeded(static_cast<GfxTexture*>(picture->texture)->GetSurfaceLevel(0, &kept)) && kept)
            copied = GfxSucceeded(toScreen ? Graphics->device->StretchRect(kept, &whole, screen, &area, TEXF_POINT)
                                           : Graphics->device->StretchRect(screen, &area, kept, &whole, TEXF_POINT));
        if (kept) kept->Release();
        if (screen) screen->Release();
        return copied;
    }

    TextureRecord* picture = nullptr;
    uint32_t pictureWidth = 0, pictureHeight = 0;
    uint64_t look = 0;
    bool taken = false;
    bool refused = false;
};
MainMenuWindow* MainMenu = nullptr;

int OptionsButton(void*, Button*)
{
    OpenOptionsFromMainMenu();
    return 1;
}

int LoadGameButton(void*, Button*)
{
    MissionScreen::OnLoadGame();
    return 1;
}

int NewGameButton(void*, Button*)
{
    StartNewGameIntro(0, 0);
    return 1;
}

int ContinueButton(void*, Button*)
{
    OpenShop(0);
    return 1;
}

int ProfilesButton(void*, Button*)
{
    OpenProfilesFromMainMenu();
    return 1;
}

// The menu's buttons that need a profile.
Button* ContinueGame = nullptr;
Button* LoadGame = nullptr;

int ExitButton(void*, Button*)
{
    MissionScreen::OnQuit();
    return 1;
}

int BackButton(void*, Button*)
{
    MissionScreen::OnBack(0, 0);
    return 1;
}

}  // namespace

void MissionScreen::Init()
{
    if (Built) return;
    Built = true;
    if (TheGame) {
        if (!GuiDefaultFont) GuiDefaultFont = TheGame->fonts[BUTTON_FONT_SLOT];
        if (!GuiListFont) GuiListFont = TheGame->fonts[LIST_FONT_SLOT];
    }
    windows[0] = windows[1] = nullptr;
    // The running mission's objectives and events, the galaxy and the mission sites' objects.
    MakeMissionWorld();
    BuildObjectivesPanel();
    BuildMainMenu();
    BuildBackButton();
    if (!TheCharacterGui) {
        TheCharacterGui = new CharacterGui();
        TheCharacterGui->Build();
    }
    MusicPlayer::LoadScript();
    if (!TheMessageDialog) {
        TheMessageDialog = new MessageDialogGui();
        TheMessageDialog->Build();
    }
    if (!TheConfirmationDialog) {
        TheConfirmationDialog = new ConfirmationDialogGui();
        TheConfirmationDialog->Build();
    }
    BuildInGameWindows();
    BuildOptionsWindow();
    CreateInformationScreens();
    if (!TheProfileScreen) {
        TheProfileScreen = new ProfileScreen();
        TheProfileScreen->Build();
    }
    // The galaxy map: its planets' meshes and textures, its screen and planet panel.
    TheGalaxy->LoadPlanetAssets();
    galaxyPage = TheGalaxy->container;
    if (TheGame) MapGeneratorWindow::Create(*TheGame->CreateMapGenerator());
    CloseAllGameWindows();
    if (WindowMgr) WindowMgr->ShowById(MAIN_MENU_ID);
    FrontEndScreenState = 0;
}

void MissionScreen::BuildMainMenu()
{
    const int w = ScreenWidth();
    MainMenuWindow* menu = Keep(new MainMenuWindow());
    MainMenu = menu;
    CopyText(menu->caption, sizeof menu->caption, "MainMenu");
    menu->id = MAIN_MENU_ID;
    menu->flags |= WINDOW_FRAMELESS;
    if (WindowMgr) WindowMgr->AddWindow(menu);
    windows[0] = menu;

    // The menu lies at the screen's corner, so its children's places are screen places.
    const int frameW = UnitH(294), frameH = UnitH(326), inset = UnitH(10);
    const int frameX = (w - frameW) / 2, frameY = UnitH(194);
    menu->backing = Keep(new Window(frameX, frameY, frameW, frameH, "wframe_blue.dds"));
    menu->AddChild(menu->backing);
    menu->onPanel.push_back(
        Keep(new Window(frameX + inset, frameY + inset, frameW - 2 * inset, frameH - 2 * inset, "wframe_black.dds")));
    menu->AddChild(menu->onPanel.back());

    const int buttonW = ScreenHeight() / 3;
    const int buttonX = (w - buttonW) / 2;
    Button* logo = Keep(new Button(nullptr, nullptr, buttonX, UnitH(32), buttonW, UnitH(64), 0, nullptr,
                                   "data/gui/main_logo.dds", "data/gui/main_logo.dds", nullptr, 0, 0, 0));
    CopyText(logo->caption, sizeof logo->caption, "Logo");
    menu->AddChild(logo);

    struct Entry {
        const char* text;
        ButtonCallback click;
    } const entries[] = {
        {"New Game", NewGameButton}, {"Continue Game", ContinueButton}, {"Load Game", LoadGameButton},
        {"Profiles", ProfilesButton}, {"Options", OptionsButton},       {"Exit", ExitButton},
    };
    int y = UnitH(219);
    for (const Entry& entry : entries) {
        Button* button = Keep(new Button(nullptr, entry.click, buttonX, y, buttonW, UnitH(40), 0, nullptr,
                                         "data/gui/transparent.dds", "data/gui/transparent.dds", nullptr, 0, 0, 0));
        std::copy(MENU_TEXT_COLOUR, MENU_TEXT_COLOUR + 4, button->textColour);
        button->SetImage("data/gui/highlight_blue.dds", 0);
        button->SetText(entry.text);
        menu->AddChild(button);
        menu->onPanel.push_back(button);
        if (entry.click == ContinueButton) ContinueGame = button;
        if (strcmp(entry.text, "Load Game") == 0) LoadGame = button;
        y += UnitH(40) + UnitH(7);
    }
    menu->FitToChildren(1, 1, 0, 0);
}

void MissionScreen::BuildBackButton()
{
    const int h = ScreenHeight();
    const int bw = UnitH(120), bh = UnitH(40), margin = UnitH(20);
    // The red button sheet's face and its pressed face.
    Button* back = Keep(new Button(nullptr, BackButton, margin, h - margin - bh, bw, bh, 0, nullptr,
                                   "data/gui/button_red.dds", "data/gui/button_red.dds", nullptr, 0x1030001, 0x1030002, 0));
    CopyText(back->caption, sizeof back->caption, "back");
    back->SetText("back");
    back->id = BACK_BUTTON_ID;
    if (WindowMgr) WindowMgr->AddWindow(back);
    windows[1] = back;
}

void MissionScreen::Release()
{
    delete BackgroundTop;
    delete BackgroundBottom;
    BackgroundTop = BackgroundBottom = nullptr;
    ReleaseStartScreen();
    for (Window* window : Owned) delete window;
    Owned.clear();
    windows[0] = windows[1] = nullptr;
    MainMenu = nullptr;
    galaxyPage = nullptr;
    ContinueGame = LoadGame = nullptr;
    delete TheProfileScreen;
    TheProfileScreen = nullptr;
    ReleaseInGameWindows();
    ReleaseOptionsWindow();
    ReleaseInformationScreens();
    delete TheConfirmationDialog;
    TheConfirmationDialog = nullptr;
    delete TheMessageDialog;
    TheMessageDialog = nullptr;
    if (TheGalaxy) {
        TheGalaxy->ReleasePlanetAssets();
        TheGalaxy->ReleaseGui();
    }
    delete TheCharacterGui;
    TheCharacterGui = nullptr;
    FreeMissionWorld();
    ReleaseObjectivesPanel();
    // The fonts were the game's.
    GuiDefaultFont = nullptr;
    GuiListFont = nullptr;
    Built = false;
}

void MissionScreen::FrameHook()
{
    if (FrontEndScreenState >= 15) FrontEndScreenState = 0;
    if (FrontEndScreenState != 2 || !TheGalaxy) return;
    // The mouse is read against the worlds where they were last drawn, before they move on: at
    // a few frames a second a world travels far between two pictures, and the player clicks the
    // one he sees.
    const int view = TheGalaxy->galaxyView;
    UpdateGalaxyCamera(IsGuiPaused() ? 0.0f : FrameTimer.delta);
    // A click that opened a system or went back to the galaxy has laid the new view out and
    // stepped it already.
    if (TheGalaxy->galaxyView == view) TheGalaxy->Update();
}

namespace {

float Clamp(float value, float low, float high) { return value < low ? low : value > high ? high : value; }

}  // namespace

void MissionScreen::UpdateGalaxyCamera(float dt)
{
    Galaxy* galaxy = TheGalaxy;
    if (!galaxy || (TheCharacterGui && TheCharacterGui->IsVisible())) return;
    MouseDevice* mouse = Input.mouse;
    if (mouse && !(WindowMgr && WindowMgr->IsPointOverWindow(mouse->cursorX, mouse->cursorY, true)) &&
        !galaxy->IsPointOverPanel(mouse->cursorX, mouse->cursorY)) {
        if (mouse->wheel > 0) galaxy->cameraTargetDistance -= 50.0f * dt;
        else if (mouse->wheel < 0) galaxy->cameraTargetDistance += 50.0f * dt;
        // The middle button drags the view across the galaxy.
        if (galaxy->galaxyView == 1 && mouse->IsButtonDown(2)) {
            galaxy->panX = Clamp(galaxy->panX + mouse->stepX * 0.5f * dt, -8.0f, 8.0f);
            galaxy->panY = Clamp(galaxy->panY + mouse->stepY * 0.5f * dt, -8.0f, 8.0f);
        }
    }
    KeyboardDevice* keys = Input.keyboard;
    const bool typing = WindowMgr && WindowMgr->focused && WindowMgr->focused->TakesTextInput();
    if (galaxy->galaxyView == 1 && keys && !typing) {
        if (keys->IsKeyDown(DIK_UP)) ScrollMapView(0);
        else if (keys->IsKeyDown(DIK_DOWN)) ScrollMapView(1);
        if (keys->IsKeyDown(DIK_LEFT)) ScrollMapView(2);
        else if (keys->IsKeyDown(DIK_RIGHT)) ScrollMapView(3);
    }
    galaxy->cameraTargetDistance = Clamp(galaxy->cameraTargetDistance, 5.0f, 30.0f);
    const float gap = galaxy->cameraTargetDistance - galaxy->cameraDistance;
    if (fabsf(gap) > 0.01f) {
        const float step = 5.0f * dt;
        if (fabsf(gap) <= step) galaxy->cameraDistance = galaxy->cameraTargetDistance;
        else galaxy->cameraDistance += gap > 0.0f ? step : -step;
    }
    galaxy->HandleInput();
}

void ScrollMapView(int direction)
{
    Galaxy* galaxy = TheGalaxy;
    if (!galaxy || !TheGame || TheGame->state != GAME_STATE_FRONT_END || galaxy->galaxyView != 1) return;
    const float step = IsGuiPaused() ? 0.0f : 4.0f * FrameTimer.delta;
    if (direction == 0) galaxy->panY += step;
    else if (direction == 1) galaxy->panY -= step;
    else if (direction == 2) galaxy->panX += step;
    else if (direction == 3) galaxy->panX -= step;
    galaxy->panX = Clamp(galaxy->panX, -8.0f, 8.0f);
    galaxy->panY = Clamp(galaxy->panY, -8.0f, 8.0f);
}

void MissionScreen::OnBack(int value, int)
{
    if (TheGame) {
        if (TheGame->popups) TheGame->popups->Clear();
        if (TheGame->messageBar) TheGame->messageBar->Clear();
    }
    // The new-profile page of a new game keeps the player until a profile exists.
    if (FrontEndScreenState == 9) return;
    if (FrontEndScreenState != 2 || value == 1) {
        ReturnToMainMenu();
    } else {
        // The character screen closes first; the galaxy leaves a star system for the galaxy.
        const bool characterShown = TheCharacterGui && TheCharacterGui->IsVisible();
        if (characterShown) {
            TheCharacterGui->SetVisible(false);
            if (TheGalaxy) TheGalaxy->ShowScreen(true);
            GetPlayerProfile()->SaveByName(false);
            return;
        }
        if (TheGalaxy && TheGalaxy->galaxyView == 0) {
            TheGalaxy->SetGalaxyView(true);
            return;
        }
        ReturnToMainMenu();
    }
    GuiPlaySound("blip");
}

void MissionScreen::OnLoadGame()
{
    CloseAllGameWindows();
    if (WindowMgr) WindowMgr->ShowById(BACK_BUTTON_ID);
    if (!TheGalaxy || !TheLevelLoadSaveGui) {
        GuiPlaySound("bad");
        return;
    }
    OpenLoadGameWindow();
    TheLevelLoadSaveGui->ShowAsPage();
    FrontEndScreenState = 4;
    GuiPlaySound("blip");
}

void MissionScreen::SetProfileButtonsEnabled(bool on)
{
    if (ContinueGame) ContinueGame->SetEnabled(on);
    if (LoadGame) LoadGame->SetEnabled(on);
}

void MissionScreen::OnQuit()
{
    GuiPlaySound("blip");
    InputEvents.PostQuitMessage(0);
}

void MissionScreen::StartMission(int seed, int restore)
{
    if (!TheGame) return;
    TheGame->state = GAME_STATE_LOAD_PENDING;
    // The menus must not take clicks meant for the level. A screen closed above gives back the
    // pause it found: the level's start lifts it after.
    CloseAllGameWindows();
    FrontEndScreenState = 0;
    StartMissionLevel(seed, restore);
}

namespace {

constexpr const char* FRONT_END_MUSIC = "data/music/mission_screen.ogg";

// The front end's music plays unless it is playing already (back from a mission, from the
// intro, or after it stopped).
void PlayFrontEndMusic()
{
    if (!Music || !Config || !Config->music) return;
    char track[256];
    Music->GetCurrentTrack(track, sizeof track);
    char current[MAX_PATH_TEXT], wanted[MAX_PATH_TEXT];
    GetFileName(track, current);
    GetFileName(FRONT_END_MUSIC, wanted);
    if (Music->IsTrackOpen() && !Music->IsSilent() && !Music->IsFading() && StrICmp(current, wanted) == 0) return;
    Music->FadeOut(2.0f);
    Music->Play(FRONT_END_MUSIC);
}

}  // namespace

void CloseAllGameWindows()
{
    CloseInformationScreens();
    if (TheOptionsWindow && TheOptionsWindow->shown) TheOptionsWindow->SetVisible(false);
    // Closed as a screen, so that it gives back the modal window it took and hides its list.
    if (TheLevelLoadSaveGui && TheLevelLoadSaveGui->shown) TheLevelLoadSaveGui->SetVisible(false);
    if (WindowMgr)
        for (int id = MAIN_MENU_ID; id <= 1019; ++id) WindowMgr->HideById(id);
    for (Window* window : MissionScreen::windows)
        if (window) window->SetVisible(false);
    if (TheGalaxy) TheGalaxy->ShowScreen(false);
    if (TheProfileScreen) {
        if (TheProfileScreen->profilesWindow) TheProfileScreen->profilesWindow->SetVisible(false);
        if (TheProfileScreen->newProfileWindow) TheProfileScreen->newProfileWindow->SetVisible(false);
        // A new game started after the list was left is not one opened from the list.
        TheProfileScreen->profilesOpen = false;
    }
}

void ReturnToMainMenu()
{
    CloseAllGameWindows();
    if (WindowMgr) WindowMgr->ShowById(MAIN_MENU_ID);
    FrontEndScreenState = 0;
    PlayFrontEndMusic();
    if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
}

void OpenShop(int showHelp)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!(profile->flags & PROFILE_LOADED) || !TheGalaxy) return;
    // A galaxy laid out from another seed is not this player's.
    if (TheGalaxy->count > 0 && TheGalaxy->seed != profile->galaxySeed) TheGalaxy->Reset();
    CloseAllGameWindows();
    // The map opens on the whole galaxy, its backdrop spawned for the screen that shows it.
    TheGalaxy->ShowScreen(true);
    TheGalaxy->galaxyView = 1;
    profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
    TheGalaxy->ApplyViewLayout();
    TheGalaxy->RefreshCompleted();
    TheGalaxy->RestoreAcceptedMission();
    FrontEndScreenState = 2;
    if (TheCharacterGui) TheCharacterGui->SetVisible(false);
    if (showHelp == 1 && TheMessageWindow) {
        TheMessageWindow->SetGiver("guild");
        TheMessageWindow->SetText("<shop_help>");
        TheMessageWindow->Show(true, false);
    }
    GuiPlaySound("blip");
}

void OpenOptionsFromMainMenu()
{
    CloseAllGameWindows();
    FrontEndScreenState = 5;
    if (TheOptionsWindow) TheOptionsWindow->SetVisible(true);
    GuiPlaySound("blip");
}

void OpenProfilesFromMainMenu()
{
    if (!TheProfileScreen) return;
    CloseAllGameWindows();
    if (WindowMgr) WindowMgr->ShowById(PROFILES_WINDOW_ID);
    TheProfileScreen->ShowProfiles(true);
    FrontEndScreenState = 8;
    GuiPlaySound("blip");
}

namespace {

// A star's texture flipped one of four ways, so the same patch of stars looks different.
void FlipTexCoords(Sprite* sprite, int flip)
{
    const float left = (flip & 1) ? 1.0f : 0.0f, top = (flip & 2) ? 1.0f : 0.0f;
    sprite->SetTexCoords(left, top, 1.0f - left, 1.0f - top);
}

uint32_t PackArgb(float r, float g, float b, float a)
{
    auto byte = [](float v) { return v >= 1.0f ? 255u : v <= 0.0f ? 0u : (uint32_t)(v * 255.0f + 0.5f); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// The tints of the bright stars: white, a warm yellow, a pale blue, a rose.
constexpr float BIG_STAR_TINTS[][3] = {{1.0f, 1.0f, 1.0f}, {1.0f, 0.9f, 0.65f}, {0.7f, 0.82f, 1.0f}, {1.0f, 0.75f, 0.85f}};

// The menu's panel is opaque and drawn after the galaxy, and nothing after the galaxy reads its
// depth: a triangle that falls wholly inside the panel would be drawn only to be covered, and
// the software renderer pays for every triangle. Those are left out of this frame's draw; the
// others keep their order, so every pixel seen is drawn as before.
void LeaveOutCoveredStars(StartScreenParts& s, const Matrix& toClip, const Viewport& viewport)
{
    s.galaxyLeftOut = 0;
    IndexedMesh* mesh = s.galaxy ? s.galaxy->mesh : nullptr;
    GfxRect panel;
    if (!mesh || mesh->SubMeshCount() != 1 || !MainMenu || !MainMenu->CoveredArea(&panel)) return;
    SubMesh& sub = mesh->subMeshes[0];
    if (s.galaxyIndices.empty()) s.galaxyIndices = sub.indices;
    // Kept two pixels inside the panel: this projection and the renderer's may round apart.
    constexpr float MARGIN = 2.0f;
    const float left = (float)panel.left + MARGIN, right = (float)panel.right - MARGIN;
    const float top = (float)panel.top + MARGIN, bottom = (float)panel.bottom - MARGIN;
    thread_local std::vector<uint8_t> inside;
    inside.assign(sub.vertices.size(), 0);
    for (size_t i = 0; i < sub.vertices.size(); ++i) {
        const float* p = sub.vertices[i].position;
        const Vec3 at(p[0], p[1], p[2]);
        Vec4 clip;
        Vec3Transform(&clip, &at, &toClip);
        if (clip.w <= 0.0f) continue;
        const float x = (float)viewport.X + (clip.x / clip.w + 1.0f) * 0.5f * (float)viewport.Width;
        const float y = (float)viewport.Y + (1.0f - clip.y / clip.w) * 0.5f * (float)viewport.Height;
        inside[i] = x > left && x < right && y > top && y < bottom;
    }
    const std::vector<uint16_t>& all = s.galaxyIndices;
    std::vector<uint16_t> kept;
    kept.reserve(all.size());
    int leftOut = 0;
    for (size_t t = 0; t + 2 < all.size(); t += 3) {
        const uint16_t a = all[t], b = all[t + 1], c = all[t + 2];
        if (a < inside.size() && b < inside.size() && c < inside.size() && inside[a] && inside[b] && inside[c]) {
            ++leftOut;
            continue;
        }
        kept.insert(kept.end(), {a, b, c});
    }
    if (leftOut == 0) return;
    sub.indices.swap(kept);
    sub.indicesChanged = true;
    s.galaxyLeftOut = leftOut;
}

// The galaxy's mesh whole again once it is drawn.
void RestoreGalaxy(StartScreenParts& s)
{
    IndexedMesh* mesh = s.galaxy ? s.galaxy->mesh : nullptr;
    if (!s.galaxyLeftOut || !mesh || mesh->SubMeshCount() != 1) return;
    mesh->subMeshes[0].indices = s.galaxyIndices;
    mesh->subMeshes[0].indicesChanged = true;
}

void BuildStartScreen()
{
    StartScreenParts& s = StartScreen;
    s.built = true;
    SetDeviceRestoreStep(RESTORE_START_SCREEN, [](void*) {
        StartScreen.skyStale = true;
        if (MainMenu) MainMenu->Forget();
    });
    const int w = ScreenWidth(), h = ScreenHeight();
    s.starfield = CreateGuiSprite(0, 0, w, h, "data/gui/starfield.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    s.nebula = CreateGuiSprite(-w / 16, h / 8, (w * 3) / 4, (h * 9) / 16, "data/gui/nebula.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    const int starSize = h / 5;
    // The sky's own generator, from fixed seeds: the stars stand where they stood the first time,
    // whatever was drawn before the screen was built.
    MwcGenerator stars;
    for (int i = 0; i < StartScreenParts::STARS; ++i) {
        const int flip = stars.Int(0, 3);
        const int x = stars.Int(w / 32, (int)(0.71875f * w)), y = stars.Int(h / 24, (int)(0.625f * h));
        s.starAlpha[i] = 0.2f + 0.8f * stars.Float(0.0f, 1.0f);
        s.stars[i] = CreateGuiSprite(x, y, starSize, starSize, "data/gui/stars.dds", PackArgb(1, 1, 1, s.starAlpha[i]), 0,
                                     0, 1, 1);
        if (s.stars[i]) FlipTexCoords(s.stars[i], flip);
    }
    const int bigSize = UnitH(40);
    for (int i = 0; i < StartScreenParts::BIG_STARS; ++i) {
        const int x = stars.Int(w / 32, (int)(0.90625f * w)), y = stars.Int(h / 24, (int)(0.875f * h));
        const float* tint = BIG_STAR_TINTS[stars.Int(0, 3)];
        for (int c = 0; c < 3; ++c) s.bigStarTint[i][c] = tint[c];
        s.bigStars[i] = CreateGuiSprite(x, y, bigSize, bigSize, "data/gui/bigstar.dds", PackArgb(tint[0], tint[1], tint[2], 1),
                                        0, 0, 1, 1);
    }
    // The galaxy turns slowly at the right edge, in full light of its own.
    const int side = UnitH(600);
    s.galaxy = new Entity();
    s.galaxy->mesh = TheMeshLibrary ? TheMeshLibrary->GetMesh(START_SCREEN_GALAXY, 0, true, false) : nullptr;
    s.viewer = new ModelViewer();
    s.viewer->SetViewRect(w - side, (h - side) / 2, side, side);
    s.viewer->SetDistance(10.25f, 0.6f);
    s.viewer->SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
    s.viewer->SetEntity(s.galaxy);
    s.viewer->autoTurn = true;
    s.viewer->turnSpeed = 6.0f;
    // The screen clears the depth of the whole target for it (see RenderGalaxy).
    s.viewer->clearsDepth = false;
    s.viewer->beforeDraw = [](const Matrix& toClip, const Viewport& viewport) {
        LeaveOutCoveredStars(StartScreen, toClip, viewport);
    };
}

// The sky breathes: every light waxes and wanes slowly, each at its own pace.
void DrawSky(StartScreenParts& s)
{
    const float t = s.phase;
    if (s.starfield) {
        const float k = 0.85f + 0.15f * Sin(t * 0.21f);
        s.starfield->SetColor(PackArgb(k, k, k, 1.0f));
    }
    if (s.nebula) s.nebula->SetColor(PackArgb(1, 1, 1, 0.65f + 0.25f * Sin(t * 0.13f + 1.0f)));
    GuiDrawSprite(s.starfield);
    GuiDrawSprite(s.nebula);
    for (int i = 0; i < StartScreenParts::STARS; ++i) {
        if (!s.stars[i]) continue;
        const float k = 0.75f + 0.25f * Sin(t * (0.3f + 0.02f * i) + (float)i);
        s.stars[i]->SetColor(PackArgb(1, 1, 1, s.starAlpha[i] * k));
        GuiDrawSprite(s.stars[i]);
    }
    for (int i = 0; i < StartScreenParts::BIG_STARS; ++i) {
        if (!s.bigStars[i]) continue;
        const float k = 0.7f + 0.3f * Sin(t * (0.5f + 0.05f * i) + 2.0f * (float)i);
        const float* tint = s.bigStarTint[i];
        s.bigStars[i]->SetColor(PackArgb(tint[0] * k, tint[1] * k, tint[2] * k, 1.0f));
        GuiDrawSprite(s.bigStars[i]);
    }
}

// One of the two corner texts in the list font, in a pale blue; the font keeps its colour.
void DrawCornerText(Font* font, const char* text, bool right)
{
    if (!font) return;
    const float r = font->r, g = font->g, b = font->b, a = font->a;
    font->SetColor(0.75f, 0.85f, 1.0f, 1.0f);
    TextSize size{};
    font->GetTextExtent(text, &size);
    const int margin = UnitH(12);
    const int x = right ? ScreenWidth() - (int)size.cx - margin : margin;
    GuiDrawText(font, x, ScreenHeight() - (int)size.cy - margin, text);
    font->SetColor(r, g, b, a);
}

// The profile's name at the bottom left, the version at the bottom right.
void DrawCornerTexts()
{
    Font* font = GuiListFont ? GuiListFont : GuiDefaultFont;
    char text[160];
    snprintf(text, sizeof text, "Current Profile: %s", GetPlayerProfile()->ShownName());
    DrawCornerText(font, text, false);
    snprintf(text, sizeof text, "Version %s ", GAME_VERSION_TEXT);
    DrawCornerText(font, text, true);
}

// The sky's lights change so slowly that a picture of it four times a second cannot be told
// from drawing it every frame, and drawing the whole sky (a full screen of stars, the nebula
// and forty star sprites over it) is most of what the start screen would cost the renderer.
constexpr float SKY_REFRESH_SECONDS = 0.25f;
constexpr const char* SKY_TARGET = "RT_startScreenSky";

bool ComposeSky(StartScreenParts& s)
{
    GfxSurface* surface = nullptr;
    if (GfxFailed(static_cast<GfxTexture*>(s.skyTarget->texture)->GetSurfaceLevel(0, &surface)) || !surface) return false;
    GfxSurface* screen = nullptr;
    Graphics->device->GetRenderTarget(0, &screen);
    Graphics->device->SetRenderTarget(0, surface);
    surface->Release();
    // The same black the frame starts from, so the sky blends into it as it would on the screen.
    Graphics->Clear(CLEAR_TARGET, 0.0f, 0.0f, 0.0f, 1.0f);
    DrawSky(s);
    // The corner texts lie on the sky alone (the galaxy and the menu keep clear of the corners),
    // and blend into the picture as they would on the screen over it.
    DrawCornerTexts();
    if (screen) {
        Graphics->device->SetRenderTarget(0, screen);
        screen->Release();
    }
    s.skyPhase = s.phase;
    s.skyStale = false;
    return true;
}

// The picture put back texel for texel: pixel centres on texel centres, and nothing blended,
// since it already holds the black the frame starts from. Copied where the target allows it
// (a copy costs the software renderer a fraction of shading a screen of pixels), else drawn.
void DrawComposedSky(StartScreenParts& s, int w, int h)
{
    GfxSurface* screen = nullptr;
    GfxSurface* sky = nullptr;
    bool copied = false;
    if (GfxSucceeded(Graphics->device->GetRenderTarget(0, &screen)) && screen &&
        GfxSucceeded(static_cast<GfxTexture*>(s.skyTarget->texture)->GetSurfaceLevel(0, &sky)) && sky &&
        screen->GetWidth() == (uint32_t)w && screen->GetHeight() == (uint32_t)h)
        copied = GfxSucceeded(Graphics->device->StretchRect(sky, nullptr, screen, nullptr, TEXF_POINT));
    if (sky) sky->Release();
    if (screen) screen->Release();
    if (copied) return;
    struct ScreenVertex {
        float x, y, z, rhw;
        uint32_t colour;
        float u, v;
    };
    const float right = (float)w - 0.5f, bottom = (float)h - 0.5f;
    const ScreenVertex quad[4] = {
        {-0.5f, -0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 0.0f, 0.0f},
        {right, -0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 1.0f, 0.0f},
        {right, bottom, 0.0f, 1.0f, 0xFFFFFFFF, 1.0f, 1.0f},
        {-0.5f, bottom, 0.0f, 1.0f, 0xFFFFFFFF, 0.0f, 1.0f},
    };
    Graphics->SetTexture(s.skyTarget, 0);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    SetStageModulate();
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_POINT);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
    Graphics->SetProgram(nullptr);
    Graphics->SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    Graphics->device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
}

// Shows the composed sky, composing it first when it is due; false when there is no device or
// no picture could be made, and the sky is then drawn as it is.
bool ShowComposedSky(StartScreenParts& s)
{
    if (!Graphics || !Graphics->device || !Textures) return false;
    const int w = ScreenWidth(), h = ScreenHeight();
    if (!s.skyTarget || w != s.skyWidth || h != s.skyHeight) {
        s.skyTarget = Textures->CreateRenderTarget((uint32_t)w, (uint32_t)h, FMT_A8R8G8B8, SKY_TARGET);
        s.skyWidth = w;
        s.skyHeight = h;
        s.skyStale = true;
    }
    if (!s.skyTarget || !s.skyTarget->texture) return false;
    // The picture holds the corner texts as they were: another profile's name draws it again.
    char texts[sizeof s.skyTexts];
    snprintf(texts, sizeof texts, "%s", GetPlayerProfile()->name);
    if (strcmp(texts, s.skyTexts) != 0) {
        CopyText(s.skyTexts, sizeof s.skyTexts, texts);
        s.skyStale = true;
    }
    if ((s.skyStale || s.phase < s.skyPhase || s.phase - s.skyPhase >= SKY_REFRESH_SECONDS) && !ComposeSky(s))
        return false;
    DrawComposedSky(s, w, h);
    return true;
}

}  // namespace

const StartScreenParts& GetStartScreen()
{
    return StartScreen;
}

void ReleaseStartScreen()
{
    StartScreenParts& s = StartScreen;
    if (s.built) SetDeviceRestoreStep(RESTORE_START_SCREEN, nullptr);
    delete s.viewer;
    delete s.galaxy;
    delete s.starfield;
    delete s.nebula;
    for (Sprite*& star : s.stars) delete star;
    for (Sprite*& star : s.bigStars) delete star;
    s = StartScreenParts();
}

bool StartScreenMoves()
{
    const int state = FrontEndScreenState;
    return state != 2 && state != 4 && state != 5 && state != 8 && state != 9;
}

void MissionScreen::RenderGalaxy()
{
    if (!StartScreen.built) BuildStartScreen();
    StartScreenParts& s = StartScreen;
    const float dt = IsGuiPaused() ? 0.0f : std::min(FrameTimer.delta, 0.1f);
    s.phase += dt;
    // The kept sky covers the whole screen, corner texts and all: the frame needs no clear of
    // its colour. Without it, the sky is drawn over black and the texts go on last.
    const bool kept = ShowComposedSky(s);
    if (!kept) {
        if (Graphics) Graphics->Clear(CLEAR_TARGET, 0.0f, 0.0f, 0.0f, 1.0f);
        DrawSky(s);
    }
    // Only the galaxy reads depth on this screen, and nothing drawn after it. A clear of the
    // whole target is one the software renderer does as a fill; a clear of the galaxy's square
    // alone, before and after it, would be two full draws of depth.
    if (s.viewer && Graphics) Graphics->Clear(CLEAR_ZBUFFER | CLEAR_STENCIL, 0.0f, 0.0f, 0.0f, 0.0f);
    if (s.viewer) s.viewer->Draw();
    RestoreGalaxy(s);
    if (WindowMgr) WindowMgr->Draw();
    if (!kept) DrawCornerTexts();
}

void RenderByScreenState()
{
    if (!Config) return;
    if (FrontEndScreenState >= 15) FrontEndScreenState = 0;
    int w = Config->width, h = Config->height;
    // The galaxy map: the bodies in 3D under the windows and the map's texts.
    if (FrontEndScreenState == 2 && TheGalaxy && TheGalaxy->container && TheGalaxy->container->IsVisible()) {
        TheGalaxy->Render();
        if (Graphics) Graphics->Begin2D();
        if (WindowMgr) WindowMgr->Draw();
        TheGalaxy->DrawInfoPanel();
        return;
    }
    if (Graphics) Graphics->Begin2D();
    if (StartScreenMoves()) {
        MissionScreen::RenderGalaxy();
        return;
    }
    // The other pages are drawn flat over the whole window, the windows over it.
    if (!BackgroundTop) {
        BackgroundTop = CreateSprite(0, 0, w, h / 2, "data/textures/white.dds", 0xFF14243C, 0, 0, 1, 1, false);
        BackgroundBottom = CreateSprite(0, h / 2, w, h - h / 2, "data/textures/white.dds", 0xFF0B1422, 0, 0, 1, 1, false);
    }
    if (BackgroundTop) BackgroundTop->Draw();
    if (BackgroundBottom) BackgroundBottom->Draw();
    if (FrontEndScreenState == 9 && TheProfileScreen) {
        TheProfileScreen->Draw();
        return;
    }
    if (WindowMgr) WindowMgr->Draw();
}

namespace {

void ShowTooManyProfiles()
{
    if (!TheMessageDialog) return;
    TheMessageDialog->SetText("You have reached the maximum number of profiles!\nYou must delete some profiles in the "
                              "Profile menu\nbefore you can start a new game.");
    TheMessageDialog->SetVisible(true);
}

}  // namespace

void StartNewGameIntro(int afterIntro, int)
{
    if (TheProfileScreen) TheProfileScreen->RefreshList();
    const bool full = ProfileScreen::CountProfiles() >= ProfileScreen::MAX_ROWS;
    if (!afterIntro) {
        if (full) {
            ShowTooManyProfiles();
            if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
            GuiPlaySound("bad");
            return;
        }
        if (!IntroSlideshow) IntroSlideshow = new StorySlideshow();
        BuildNewGameIntro(IntroSlideshow);
        if (TheGame) TheGame->state = GAME_STATE_INTRO;
        return;
    }
    if (!full) {
        CloseAllGameWindows();
        if (WindowMgr) WindowMgr->ShowById(NEW_PROFILE_WINDOW_ID);
        if (TheProfileScreen) TheProfileScreen->ShowNewProfile(true);
        if (TheGalaxy) TheGalaxy->galaxyView = 1;
        FrontEndScreenState = 9;
    } else {
        ShowTooManyProfiles();
    }
    if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
}
