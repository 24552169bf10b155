#include "interface/OptionsWindow.h"

#include "interface/HotkeysGui.h"

#include "campaign/MissionScreen.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "interface/InGameMenu.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/SoundManager.h"
#include "render/Draw2D.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/Font.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

OptionsWindow* TheOptionsWindow = nullptr;

namespace {

// The interface's font slots the window writes in.
constexpr int STANDARD_FONT = 0, LABEL_FONT = 3, SMALL_FONT = 4, BUTTON_FONT = 0;

Font* SlotFont(int slot)
{
    Font* font = HudFont(slot);
    return font ? font : GuiDefaultFont;
}

// An atlas cell: columns, rows, then the cell's column and row.
constexpr int Cell(int columns, int rows, int column, int row)
{
    return columns << 24 | rows << 16 | column << 8 | row;
}

const char* const DIFFICULTIES[] = {"Beginner", "Normal", "Advanced", "Expert"};

const char* DifficultyText(int difficulty)
{
    return DIFFICULTIES[difficulty >= 0 && difficulty <= 2 ? difficulty : 3];
}

// The options panel: Escape leaves it as "Done" does. The window manager hands it the keys
// because "Done" is its default button (Enter is "Done" too).
class OptionsPanel : public Window {
public:
    bool OnKey(KeyboardDevice* keyboard) override
    {
        if (!keyboard || (keyboard->lastKeyDown != VK_ESCAPE && keyboard->lastKeyDown != VK_RETURN)) return false;
        // The resolution list, open over the panel, answers for itself.
        if (TheOptionsWindow && TheOptionsWindow->resolutionList && TheOptionsWindow->resolutionList->IsVisible())
            return false;
        OptionsWindow::OnOptionsDone(nullptr, nullptr);
        return true;
    }
};
const char* const SHADOW_SIZES[] = {"256", "512", "1024", "2048"};

OptionsWindow* Options(void* user)
{
    return user ? reinterpret_cast<OptionsWindow*>(*static_cast<intptr_t*>(user)) : nullptr;
}

Button* UserButton(void* user)
{
    return user ? reinterpret_cast<Button*>(*static_cast<intptr_t*>(user)) : nullptr;
}

void SetUser(Button* button, const void* value)
{
    button->userData = reinterpret_cast<intptr_t>(value);
    button->hasUserData = true;
}

void SetTag(Button* button, int value)
{
    button->tag = value;
    button->hasTag = true;
}

// Every change ends the same way: the click is heard and the settings are on disk.
void Changed()
{
    GuiPlaySound("blip");
    if (Config) Config->SaveSettings();
}

// The arrow's direction: up for the right arrow, down for any other.
int Direction(const Button* arrow)
{
    return arrow && arrow->hasTag && arrow->tag == 1 ? 1 : -1;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

void SetNumber(Button* box, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    box->SetText(text);
}

// A numeric spinner's step: the box's number moved one way and held within low..high, whatever
// the arrow (a value that came in out of range returns into it). False without a box.
bool StepSpinner(void* user, const Button* arrow, int low, int high, int* value)
{
    Button* box = UserButton(user);
    if (!box) return false;
    *value = Clamp(atoi(box->text) + Direction(arrow), low, high);
    SetNumber(box, *value);
    return true;
}

// A spinner of words: the next word in the arrow's direction, round the end. False without a
// box or for a text that is none of the words.
bool CycleSpinner(void* user, const Button* arrow, const char* const* words, int count, int* index)
{
    Button* box = UserButton(user);
    if (!box) return false;
    for (int i = 0; i < count; ++i)
        if (strcmp(box->text, words[i]) == 0) {
            *index = (i + Direction(arrow) + count) % count;
            box->SetText(words[*index]);
            return true;
        }
    return false;
}

// A check box's setting flipped; the box shows the setting (inverted for the boxes that say the
// opposite of their key).
void Toggle(bool* setting, Button* box, bool inverted = false)
{
    *setting = !*setting;
    if (box) box->toggled = inverted ? !*setting : *setting;
}

bool InMission()
{
    return TheGame && TheGame->state == GAME_STATE_PLAYING;
}

// The resolution button names a mode by its size and depth; the list's aspect ratio would run
// past its edge.
void SetModeLabel(Button* button, int width, int height, int bits)
{
    char label[96];
    snprintf(label, sizeof label, "%d x %d [%d-bit]", width, height, bits);
    button->SetText(label);
}

}  // namespace

// Lays the window out: the rows of each page one under the other, in places relative to the
// panel; Place moves everything to the panel's place on the screen once its size is known.
struct OptionsBuilder {
    OptionsWindow* options = nullptr;
    int page = OptionsWindow::GAME_PAGE_ID;
    int rowY = 0;
    std::vector<Window*> controls;

    template <class W> W* Keep(W* window, int id)
    {
        options->owned_.emplace_back(window);
        window->id = id;
        controls.push_back(window);
        return window;
    }

    void StartPage(int pageId)
    {
        page = pageId;
        rowY = UnitH(6) + 2 * UnitH(32);
    }

    Label* AddLabel(const char* text, int x, int y, Font* font)
    {
        return Keep(new Label(text, x, y, UnitH(130), UnitH(24), 0, font, false), page);
    }

    Button* AddButton(ButtonCallback click, int x, int y, int w, int h, const char* texture, int upCell, int downCell,
                      int id)
    {
        return Keep(new Button(nullptr, click, x, y, w, h, 0, SlotFont(BUTTON_FONT), texture, texture, nullptr, upCell,
                               downCell, 0),
                    id);
    }

    // A row's label; returns the top of the row's control.
    int Row(const char* label)
    {
        AddLabel(label, UnitH(32), rowY, SlotFont(LABEL_FONT));
        int top = rowY - UnitH(6);
        rowY += UnitH(24) + UnitH(4);
        return top;
    }

    Button* Spinner(const char* label, const char* value, ButtonCallback arrows)
    {
        const int top = Row(label);
        const int left = UnitH(168), boxX = left + UnitH(24) + UnitH(4), right = boxX + UnitH(120) + UnitH(4);
        Button* box = Keep(new Button(nullptr, nullptr, boxX, top, UnitH(120), UnitH(24), 0, SlotFont(LABEL_FONT),
                                      "data/gui/textentrybg.dds", "data/gui/textentrybg.dds", nullptr, 0, 0, 0),
                           page);
        box->SetText(value);
        // The arrow sheet has the left arrow in its first cell and the right one in its second.
        for (int direction = 0; direction < 2; ++direction) {
            const int cell = Cell(2, 1, direction, 0);
            Button* arrow = AddButton(arrows, direction ? right : left, top, UnitH(24), UnitH(24),
                                      "data/gui/arrows.dds", cell, cell, page);
            arrow->SetImage("data/gui/highlight_blue.dds", 0);
            SetUser(arrow, box);
            SetTag(arrow, direction);
        }
        return box;
    }

    Button* NumberSpinner(const char* label, int value, int low, int high, ButtonCallback arrows)
    {
        char text[16];
        snprintf(text, sizeof text, "%d", Clamp(value, low, high));
        return Spinner(label, text, arrows);
    }

    Button* CheckBox(const char* label, bool on, ButtonCallback click)
    {
        const int top = Row(label);
        Button* box = AddButton(click, UnitH(168), top, UnitH(24), UnitH(24), "data/gui/checkbox.dds",
                                Cell(1, 3, 0, 1), Cell(1, 3, 0, 2), page);
        box->SetImage("data/gui/checkbox.dds", Cell(1, 3, 0, 0));
        box->toggleMode = true;
        box->toggled = on;
        SetUser(box, options);
        return box;
    }

    // Everything built so far moves to the panel's place; the frame goes under it.
    Window* Finish(int id, int margin, std::vector<Window*>* children)
    {
        int right = 0, bottom = 0;
        for (Window* w : *children) {
            right = std::max(right, w->x + w->width);
            bottom = std::max(bottom, w->y + w->height);
        }
        const int w = right + margin, h = bottom + margin;
        const int px = (ScreenWidth() - w) / 2, py = (ScreenHeight() - h) / 2;
        Window* container = id == OptionsWindow::PANEL_ID ? new OptionsPanel() : new Window();
        options->owned_.emplace_back(container);
        CopyText(container->caption, sizeof container->caption, "Options");
        container->flags |= WINDOW_FRAMELESS;
        container->id = id;
        Window* frame = new Window(px, py, w, h, "wframe_blue.dds");
        options->owned_.emplace_back(frame);
        container->AddChild(frame);
        for (Window* child : *children) {
            child->Move(child->x + px, child->y + py);
            container->AddChild(child);
        }
        children->clear();
        container->FitToChildren(1, 1, 0, 0);
        if (WindowMgr) WindowMgr->AddWindow(container);
        container->SetVisible(false);
        return container;
    }

    void BuildGamePage()
    {
        const ConfigFile& c = *Config;
        StartPage(OptionsWindow::GAME_PAGE_ID);
        options->difficultyBox = Spinner("Difficulty", DifficultyText(c.Difficulty), OptionsWindow::OnDifficultyArrow);
        NumberSpinner("Scroll Speed", (int)(c.scrollSpeed / 10.0f), 1, 10, OptionsWindow::OnScrollSpeedArrow);
        NumberSpinner("Mouse Speed", (int)lroundf(c.mouseSpeed * 10.0f), 1, 10, OptionsWindow::OnMouseSpeedArrow);
        CheckBox("Smooth Zoom", c.smoothZoom, OptionsWindow::OnSmoothZoomToggled);
        NumberSpinner("Zoom Speed", (int)(c.zoomSpeed / 20.0f * 5.0f), 1, 10, OptionsWindow::OnZoomSpeedArrow);
        CheckBox("Middle Mouse Pans", c.middleMousePans, OptionsWindow::OnMiddleMousePansToggled);
        CheckBox("Show Clock", c.showClock, OptionsWindow::OnShowClockToggled);
        CheckBox("Show Game Time", c.showGameTime, OptionsWindow::OnShowGameTimeToggled);
        CheckBox("Show FPS", c.showFPS, OptionsWindow::OnShowFpsToggled);
        CheckBox("Mini-map Objectives", c.showObjectiveIcons, OptionsWindow::OnObjectiveIconsToggled);
        hotkeysY = rowY - UnitH(6) + UnitH(8);
        Button* hotkeys = AddButton(OptionsWindow::OnHotkeysClicked, UnitH(32), hotkeysY, UnitH(100), UnitH(24),
                                    "data/gui/button.dds", Cell(1, 3, 0, 1), Cell(1, 3, 0, 2), page);
        hotkeys->SetImage("data/gui/highlight_blue.dds", 0);
        hotkeys->SetText("Hotkeys");
    }

    void BuildGraphicsPage(const DisplayModeInfo& current)
    {
        const ConfigFile& c = *Config;
        StartPage(OptionsWindow::GRAPHICS_PAGE_ID);
        const int resolutionTop = Row("Resolution");
        Button* resolution = AddButton(OptionsWindow::OnResolutionClicked, UnitH(168), resolutionTop, UnitH(160),
                                       UnitH(24), nullptr, 0, 0, page);
        resolution->style = SlotFont(LABEL_FONT);
        resolution->SetImage("data/gui/highlight_blue.dds", 0);
        SetModeLabel(resolution, c.width, c.height, current.bitsPerPixel);
        SetUser(resolution, options);
        options->resolutionButton = resolution;

        const int windowedLabelY = rowY;
        CheckBox("Windowed Mode", !c.fullscreen, OptionsWindow::OnWindowedToggled);
        AddLabel("(Requires restart)", UnitH(168) + UnitH(48), windowedLabelY + UnitH(3), SlotFont(SMALL_FONT));
        CheckBox("Shadows", c.shadows, OptionsWindow::OnShadowsToggled);
        char size[16];
        snprintf(size, sizeof size, "%d", c.shadowMapSize);
        Spinner("Shadow Size", size, OptionsWindow::OnShadowSizeArrow);
        CheckBox("High Quality Glows", c.glowQuality != 0, OptionsWindow::OnGlowQualityToggled);
        CheckBox("Glows", c.glows, OptionsWindow::OnGlowsToggled);
        CheckBox("High Quality Textures", !c.useLowResTextures, OptionsWindow::OnTextureQualityToggled);
        CheckBox("Building Splats", c.buildingSplats, OptionsWindow::OnBuildingSplatsToggled);
        CheckBox("Terrain Detail", c.terrainDetail, OptionsWindow::OnTerrainDetailToggled);
        CheckBox("Reflections", c.reflections, OptionsWindow::OnReflectionsToggled);
        CheckBox("Weather FX", c.weatherFX, OptionsWindow::OnWeatherToggled);
    }

    void BuildSoundPage()
    {
        const ConfigFile& c = *Config;
        StartPage(OptionsWindow::SOUND_PAGE_ID);
        CheckBox("Music", c.music, OptionsWindow::OnMusicToggled);
        NumberSpinner("Sound Volume", c.SoundVolume, 0, 10, OptionsWindow::OnSoundVolumeArrow);
        NumberSpinner("Music Volume", c.MusicVolume, 0, 10, OptionsWindow::OnMusicVolumeArrow);
    }

    void BuildTabs()
    {
        page = OptionsWindow::PANEL_ID;
        const char* names[] = {"Game", "Graphics", "Sound"};
        const int pages[] = {OptionsWindow::GAME_PAGE_ID, OptionsWindow::GRAPHICS_PAGE_ID, OptionsWindow::SOUND_PAGE_ID};
        for (int i = 0; i < 3; ++i) {
            Button* tab = Keep(new Button(nullptr, OptionsWindow::OnOptionsTabClicked, UnitH(6) + i * (UnitH(120) + UnitH(4)),
                                          UnitH(6), UnitH(120), UnitH(32), 0, SlotFont(STANDARD_FONT), nullptr,
                                          "data/gui/editbox_focus.dds", nullptr, 0, 0, 0),
                               page);
            tab->SetImage("data/gui/highlight_blue.dds", 0);
            tab->SetText(names[i]);
            tab->toggleMode = true;
            tab->toggled = i == 0;
            SetUser(tab, options);
            SetTag(tab, pages[i]);
            options->tabs[i] = tab;
        }
    }

    // "Done", on every page, below the Game page's "Hotkeys" and centred under the tabs.
    void BuildDone()
    {
        const int step = UnitH(120) + UnitH(4);
        const int doneX = (2 * UnitH(4) + 3 * step) / 2 + step / 2 - UnitH(120);
        Button* done = AddButton(OptionsWindow::OnOptionsDone, doneX, hotkeysY + UnitH(24) + UnitH(24) / 2, UnitH(120),
                                 UnitH(24), "data/gui/button_red.dds", Cell(1, 3, 0, 1), Cell(1, 3, 0, 2),
                                 OptionsWindow::PANEL_ID);
        done->SetImage("data/gui/highlight_blue.dds", 0);
        done->SetText("Done");
        done->flags |= WINDOW_DEFAULT_BUTTON;
        SetUser(done, options);
    }

    // The controls stand in one column right of the labels; a label longer than the room
    // before that column moves the column (with the notes beside it) to the right.
    void ClearLabels()
    {
        int labelsRight = 0;
        for (Window* window : controls) {
            Label* label = dynamic_cast<Label*>(window);
            if (!label || label->x != UnitH(32)) continue;
            int textWidth = 0, textHeight = 0;
            label->GetTextSize(&textWidth, &textHeight);
            labelsRight = std::max(labelsRight, label->x + textWidth);
        }
        const int shift = labelsRight + UnitH(12) - UnitH(168);
        if (shift <= 0) return;
        for (Window* window : controls)
            if (window->id != OptionsWindow::PANEL_ID && window->x >= UnitH(168)) window->Move(window->x + shift, window->y);
    }

    void BuildResolutionList(const DisplayModeInfo& current, const std::vector<DisplayModeInfo>& modes)
    {
        page = OptionsWindow::RESOLUTION_LIST_ID;
        int y = UnitH(10);
        for (const DisplayModeInfo& mode : ListedDisplayModes(current, modes)) {
            int numerator = 0, denominator = 0;
            GetAspectRatio((float)mode.width / (float)mode.height, &numerator, &denominator);
            char text[96];
            snprintf(text, sizeof text, "%d x %d  [%d-bit]  %d:%d", mode.width, mode.height, mode.bitsPerPixel,
                     numerator, denominator);
            Button* entry = Keep(new Button(nullptr, OptionsWindow::OnResolutionEntryClicked, UnitH(10), y, UnitH(200),
                                            UnitH(18), 0, SlotFont(LABEL_FONT), "data/gui/transparent.dds",
                                            "data/gui/niceblue.dds", nullptr, 0, 0, 0),
                                 page);
            entry->SetImage("data/gui/highlight_blue.dds", 0);
            entry->SetText(text);
            entry->toggleMode = true;
            SetUser(entry, options->resolutionButton);
            options->resolutionEntries.push_back(entry);
            y += UnitH(18);
        }
        y += UnitH(24) / 2;
        Button* ok = AddButton(OptionsWindow::OnResolutionOk, UnitH(20), y, UnitH(80), UnitH(24), "data/gui/button.dds",
                               Cell(1, 3, 0, 1), Cell(1, 3, 0, 2), page);
        ok->SetImage("data/gui/button.dds", Cell(1, 3, 0, 0));
        ok->SetText("Ok");
        SetUser(ok, options->resolutionButton);
        Button* cancel = AddButton(OptionsWindow::OnResolutionCancel, UnitH(20) + UnitH(90), y, UnitH(80), UnitH(24),
                                   "data/gui/button_red.dds", Cell(1, 3, 0, 1), Cell(1, 3, 0, 2), page);
        cancel->SetImage("data/gui/button_red.dds", Cell(1, 3, 0, 0));
        cancel->SetText("Cancel");
        SetUser(cancel, options->resolutionButton);
        // Enter takes the entry chosen in the list, Escape leaves the list as it found it.
        ok->flags |= WINDOW_DEFAULT_BUTTON;
        cancel->flags |= WINDOW_CANCEL_BUTTON;
        y += UnitH(24) + UnitH(16);
        Font* font = SlotFont(LABEL_FONT);
        const int noteWidth = UnitH(200);
        Label* note = Keep(new Label("NOTE: You must exit and restart\nthe game to apply changes.", UnitH(16), y,
                                     noteWidth, UnitH(32), 0, font, false),
                           page);
        // The note wraps inside its own width, and the list's frame, fitted to it, holds every line.
        note->SetWrapWidth(noteWidth);
        if (font) {
            const int lines = font->WrapLines(note->GetText(), noteWidth, [](void*, const char*) {}, nullptr);
            note->Resize(noteWidth, std::max(UnitH(32), lines * (int)font->LineHeight()));
        }
    }

    int hotkeysY = 0;
};

std::vector<DisplayModeInfo> ListedDisplayModes(const DisplayModeInfo& current, const std::vector<DisplayModeInfo>& modes)
{
    std::vector<DisplayModeInfo> listed;
    int lastWidth = -1, lastHeight = -1;
    for (const DisplayModeInfo& mode : modes) {
        if (mode.width < 640 || mode.height < 480) continue;
        if (mode.bitsPerPixel != current.bitsPerPixel || mode.refreshRate != current.refreshRate) continue;
        if (mode.width == lastWidth && mode.height == lastHeight) continue;
        listed.push_back(mode);
        lastWidth = mode.width;
        lastHeight = mode.height;
    }
    return listed;
}

void GetAspectRatio(float ratio, int* numerator, int* denominator)
{
    int k = 1;
    float c = ratio;
    for (k = 1; k <= 998; ++k) {
        c = (float)k * ratio;
        const float fraction = c - truncf(c);
        if (fraction < 0.01f && fraction > -0.01f) break;
    }
    if (k > 998) {
        k = 998;
        c = (float)k * ratio;
    }
    *numerator = (int)truncf(c);
    *denominator = k;
}

void OptionsWindow::Build()
{
    if (built) return;
    DisplayModeInfo current;
    std::vector<DisplayModeInfo> modes;
    if (!GetDisplayModes(&current, &modes)) {
        // No display to ask: the one mode the game runs in.
        current.width = Config ? Config->width : 0;
        current.height = Config ? Config->height : 0;
        current.bitsPerPixel = 32;
        modes.assign(1, current);
    }
    Build(current, modes);
}

void OptionsWindow::Build(const DisplayModeInfo& current, const std::vector<DisplayModeInfo>& modes)
{
    if (built || !Config) return;
    OptionsBuilder builder;
    builder.options = this;
    builder.BuildTabs();
    builder.BuildGamePage();
    builder.BuildGraphicsPage(current);
    builder.BuildDone();
    builder.BuildSoundPage();
    builder.ClearLabels();
    window = builder.Finish(PANEL_ID, 2 * UnitH(4), &builder.controls);
    builder.BuildResolutionList(current, modes);
    resolutionList = builder.Finish(RESOLUTION_LIST_ID, UnitH(12), &builder.controls);
    window->HideChildrenById(GRAPHICS_PAGE_ID);
    window->HideChildrenById(SOUND_PAGE_ID);
    window->ShowChildrenById(GAME_PAGE_ID);
    built = true;
}

void OptionsWindow::SetVisible(bool show)
{
    if (!built) {
        shown = false;
        return;
    }
    shown = show;
    if (show) {
        // The difficulty is also chosen with a new profile: the window shows the one in force.
        if (difficultyBox && Config) difficultyBox->SetText(DifficultyText(Config->Difficulty));
        previousModal = WindowMgr ? WindowMgr->modal : nullptr;
        if (WindowMgr) {
            WindowMgr->ShowById(PANEL_ID);
            WindowMgr->modal = window;
        }
        window->SetFocus(true);
        return;
    }
    if (WindowMgr) {
        WindowMgr->HideById(PANEL_ID);
        WindowMgr->HideById(RESOLUTION_LIST_ID);
        WindowMgr->modal = previousModal;
    }
    window->SetFocus(false);
}

int OptionsWindow::OnOptionsTabClicked(void* user, Button* button)
{
    OptionsWindow* options = Options(user);
    if (!options || !button) return 1;
    for (Button* tab : options->tabs)
        if (tab) tab->toggled = false;
    for (int page : {GAME_PAGE_ID, GRAPHICS_PAGE_ID, SOUND_PAGE_ID}) options->window->HideChildrenById(page);
    if (button->hasTag && button->tag >= GAME_PAGE_ID && button->tag <= SOUND_PAGE_ID)
        options->window->ShowChildrenById(button->tag);
    // The press flipped the tab; a tab clicked again stays the page shown.
    button->toggled = true;
    GuiPlaySound("blip");
    return 1;
}

int OptionsWindow::OnOptionsDone(void* user, Button*)
{
    OptionsWindow* options = user ? Options(user) : TheOptionsWindow;
    if (options) options->SetVisible(false);
    if (InMission() && TheInGameMenu)
        TheInGameMenu->SetVisible(!TheInGameMenu->menuShown);
    else if (!InMission())
        ReturnToMainMenu();
    GuiPlaySound("blip");
    return 1;
}

int OptionsWindow::OnDifficultyArrow(void* user, Button* button)
{
    int index = 0;
    if (CycleSpinner(user, button, DIFFICULTIES, 4, &index) && Config) Config->Difficulty = index;
    Changed();
    return 1;
}

int OptionsWindow::OnScrollSpeedArrow(void* user, Button* button)
{
    int value = 0;
    if (StepSpinner(user, button, 1, 10, &value) && Config) Config->scrollSpeed = value * 10.0f;
    Changed();
    return 1;
}

int OptionsWindow::OnMouseSpeedArrow(void* user, Button* button)
{
    int value = 0;
    if (StepSpinner(user, button, 1, 10, &value) && Config) Config->mouseSpeed = value / 10.0f;
    Changed();
    return 1;
}

int OptionsWindow::OnZoomSpeedArrow(void* user, Button* button)
{
    int value = 0;
    if (StepSpinner(user, button, 1, 10, &value) && Config) Config->zoomSpeed = value / 5.0f * 20.0f;
    Changed();
    return 1;
}

namespace {

// A check box of a plain setting: flipped, heard and written.
int ToggleSetting(bool ConfigFile::*setting, Button* box, bool inverted = false)
{
    if (Config) Toggle(&(Config->*setting), box, inverted);
    Changed();
    return 1;
}

}  // namespace

int OptionsWindow::OnSmoothZoomToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::smoothZoom, button);
}

int OptionsWindow::OnMiddleMousePansToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::middleMousePans, button);
}

int OptionsWindow::OnShowClockToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::showClock, button);
}

int OptionsWindow::OnShowGameTimeToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::showGameTime, button);
}

int OptionsWindow::OnShowFpsToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::showFPS, button);
}

int OptionsWindow::OnObjectiveIconsToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::showObjectiveIcons, button);
}

int OptionsWindow::OnHotkeysClicked(void*, Button*)
{
    if (!TheHotkeysGui) {
        GuiPlaySound("bad");
        return 1;
    }
    TheHotkeysGui->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int OptionsWindow::OnWindowedToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::fullscreen, button, true);
}

int OptionsWindow::OnShadowsToggled(void*, Button* button)
{
    if (Config) Toggle(&Config->shadows, button);
    if (TheEffectManager)
        for (int i = 0; i < TheEffectManager->GetCount(); ++i)
            if (Effect* effect = TheEffectManager->GetByIndex(i)) effect->Reload();
    Changed();
    return 1;
}

int OptionsWindow::OnShadowSizeArrow(void* user, Button* button)
{
    int index = 0;
    if (CycleSpinner(user, button, SHADOW_SIZES, 4, &index) && Config) {
        Config->shadowMapSize = atoi(SHADOW_SIZES[index]);
        if (TheGame) TheGame->CreateShadowMap();
    }
    Changed();
    return 1;
}

int OptionsWindow::OnGlowQualityToggled(void*, Button* button)
{
    if (Config) {
        Config->glowQuality = Config->glowQuality == 1 ? 0 : 1;
        if (button) button->toggled = Config->glowQuality != 0;
    }
    if (TheEffectManager)
        if (Effect* glow = TheEffectManager->GetEffect("post_glow.fx", 0, false)) glow->Reload();
    Changed();
    return 1;
}

int OptionsWindow::OnGlowsToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::glows, button);
}

int OptionsWindow::OnTextureQualityToggled(void*, Button* button)
{
    if (Config) Toggle(&Config->useLowResTextures, button, true);
    if (Textures) Textures->ReloadAll();
    Changed();
    return 1;
}

int OptionsWindow::OnBuildingSplatsToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::buildingSplats, button);
}

int OptionsWindow::OnTerrainDetailToggled(void*, Button* button)
{
    return ToggleSetting(&ConfigFile::terrainDetail, button);
}

int OptionsWindow::OnReflectionsToggled(void*, Button* button)
{
    if (Config) {
        Toggle(&Config->reflections, button);
        // The water shows no stale reflection once they are off.
        if (!Config->reflections && TheGame) TheGame->ClearReflectionMap(true);
    }
    Changed();
    return 1;
}

int OptionsWindow::OnWeatherToggled(void*, Button* button)
{
    if (Config) Toggle(&Config->weatherFX, button);
    Changed();
    if (!Config || !InMission()) return 1;
    if (Config->weatherFX)
        SpawnWeather();
    else
        StopWeather();
    return 1;
}

int OptionsWindow::OnMusicToggled(void*, Button* button)
{
    if (Config) {
        Toggle(&Config->music, button);
        if (Music) {
            if (Config->music && !Music->IsInitialised()) Music->Init(false);
            Music->SetMusicSettings(Config->music, Config->MusicVolume);
            if (!Config->music)
                Music->FadeOut(1.0f);
            else if (InMission())
                Music->PlayIngamePlaylist();
            else {
                Music->FadeOut(1.0f);
                Music->Play("data/music/mission_screen.ogg");
            }
        }
    }
    if (button) GuiPlaySound("blip");
    if (Config) Config->SaveSettings();
    return 1;
}

int OptionsWindow::OnSoundVolumeArrow(void* user, Button* button)
{
    int value = 0;
    if (StepSpinner(user, button, 0, 10, &value)) {
        if (Config) Config->SoundVolume = value;
        // Before the click plays, so that it sounds at the new volume.
        if (SoundMgr) SoundMgr->SetVolume(value / 10.0f);
    }
    Changed();
    return 1;
}

int OptionsWindow::OnMusicVolumeArrow(void* user, Button* button)
{
    int value = 0;
    if (StepSpinner(user, button, 0, 10, &value) && Config) {
        Config->MusicVolume = value;
        if (Config->music && Music) {
            Music->SetMusicSettings(Config->music, value);
            Music->SetVolume(value / 10.0f);
        }
    }
    Changed();
    return 1;
}

namespace {

// The next run of decimal digits from *text on, as a whole number; the text moves past it.
int NextNumber(const char** text)
{
    const char* p = *text;
    while (*p && !isdigit((unsigned char)*p)) ++p;
    int value = atoi(p);
    while (isdigit((unsigned char)*p)) ++p;
    *text = p;
    return value;
}

// The entry of the window's own size, or of the mode nearest to it when the display does not
// offer that size (a window the player stretched); null when the list is empty.
Button* EntryNearestTheWindow(const std::vector<Button*>& entries)
{
    Button* nearest = nullptr;
    long best = 0;
    for (Button* entry : entries) {
        const char* text = entry->text;
        const long width = NextNumber(&text), height = NextNumber(&text);
        const long distance = labs(width - ScreenWidth()) + labs(height - ScreenHeight());
        if (!nearest || distance < best) {
            nearest = entry;
            best = distance;
        }
    }
    return nearest;
}

}  // namespace

int OptionsWindow::OnResolutionClicked(void* user, Button* button)
{
    OptionsWindow* options = Options(user);
    if (!options || !button || !options->resolutionList) return 1;
    // The list opens on a chosen row, so that Enter or "Ok" always takes something.
    if (!options->selectedEntry) {
        options->selectedEntry = EntryNearestTheWindow(options->resolutionEntries);
        if (options->selectedEntry) options->selectedEntry->toggled = true;
    }
    options->listPreviousModal = WindowMgr ? WindowMgr->modal : nullptr;
    options->resolutionList->SetVisible(true);
    if (WindowMgr) WindowMgr->modal = options->resolutionList;
    return 1;
}

int OptionsWindow::OnResolutionEntryClicked(void* user, Button* button)
{
    OptionsWindow* options = TheOptionsWindow;
    if (!options || !button || !user) return 1;
    if (options->selectedEntry && options->selectedEntry != button) options->selectedEntry->toggled = false;
    options->selectedEntry = button;
    // The press flipped the entry; the chosen entry always shows chosen, clicked twice or not.
    button->toggled = true;
    return 1;
}

namespace {

void CloseResolutionList(OptionsWindow* options)
{
    if (options->resolutionList) options->resolutionList->SetVisible(false);
    if (WindowMgr) WindowMgr->modal = options->listPreviousModal;
}

}  // namespace

int OptionsWindow::OnResolutionOk(void* user, Button* button)
{
    OptionsWindow* options = TheOptionsWindow;
    Button* resolution = UserButton(user);
    if (!options || !button || !resolution || !options->selectedEntry) return 1;
    const char* text = options->selectedEntry->text;
    const int width = NextNumber(&text);
    const int height = NextNumber(&text);
    SetModeLabel(resolution, width, height, NextNumber(&text));
    if (Config) {
        Config->pendingWidth = width;
        Config->pendingHeight = height;
        Config->SaveSettings();
    }
    CloseResolutionList(options);
    return 1;
}

int OptionsWindow::OnResolutionCancel(void*, Button* button)
{
    OptionsWindow* options = TheOptionsWindow;
    if (!options || !button) return 1;
    CloseResolutionList(options);
    return 1;
}

void BuildOptionsWindow()
{
    if (TheOptionsWindow) return;
    TheOptionsWindow = new OptionsWindow();
    TheOptionsWindow->Build();
}

void ReleaseOptionsWindow()
{
    delete TheOptionsWindow;
    TheOptionsWindow = nullptr;
}
