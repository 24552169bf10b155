// The mission HUD's windows, built once from the screen size: every length is a fraction of
// the screen height (the HUD was drawn for 768 lines), every picture a cell of its atlas.
#include "interface/MissionHud.h"
#include "tools/Console.h"

#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/EntityInfoGui.h"
#include "interface/HudLayout.h"
#include "interface/MessageLists.h"
#include "interface/PowerBar.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/HintBox.h"
#include "render/Sprite.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "world/Agent.h"
#include "world/BuildItem.h"

#include <cstring>
#include <new>

MissionHud TheMissionHud;
Button* HudScanButton = nullptr;

MissionHud::MissionHud()
{
    buildButtons.Init(BUILD_BUTTON_CAPACITY);
}

namespace {

constexpr const char* SPACER = "data/gui/gui_spacer.dds";
constexpr const char* HIGHLIGHT = "data/gui/highlight.dds";
constexpr const char* MINIMAP_ICONS = "data/gui/minimapicons.dds";
constexpr const char* BUILD_TABS_TEXTURE = "data/gui/game/buildtabs.dds";
constexpr const char* BUTTON_SHEET = "data/gui/button.dds";
constexpr const char* BLACK_BUTTON_SHEET = "data/gui/button_black.dds";
constexpr const char* COMMAND_ICONS = "data/gui/commandicons.dds";
constexpr uint32_t POINT_FILTER = SPRITE_POINT_FILTER;

int W() { return ScreenWidth(); }
int H() { return ScreenHeight(); }

Font* HudFontOr(int slot) { return HudFont(slot); }

// The Scan button writes its word and its countdown over the scanner's ring in a font record of
// its own: the countdown sets its letters off with a dark shadow (ScanHooks, PlayerAnswers.cpp).
Font ScanButtonFont("scan");

Font* ScanFont(Font* base)
{
    if (!base) return nullptr;
    ScanButtonFont = *base;
    ScanButtonFont.SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    ScanButtonFont.SetShadow(false);
    ScanButtonFont.SetSize(1, 1);
    ScanButtonFont.shadowR = ScanButtonFont.shadowG = ScanButtonFont.shadowB = 0.0f;
    ScanButtonFont.shadowA = 1.0f;
    return &ScanButtonFont;
}

// A top-level window of the HUD that draws only its children.
Window* HudBar(int x, int y, int id)
{
    Window* bar = new Window(x, y, 1, 1, 0, nullptr, WINDOW_FRAMELESS);
    bar->id = id;
    if (WindowMgr) WindowMgr->AddWindow(bar);
    return bar;
}

Button* PictureButton(int x, int y, int width, int height, const char* texture)
{
    return new Button(nullptr, nullptr, x, y, width, height, 0, nullptr, texture, texture, nullptr, 0, 0, 0);
}

void SetHover(Button* button, ButtonCallback enter, ButtonCallback leave, intptr_t data)
{
    button->hoverEnterCallback = enter;
    button->hoverLeaveCallback = leave;
    button->hoverUserData = data;
    button->hasHoverUserData = true;
}

void SetUserData(Button* button, intptr_t data)
{
    button->userData = data;
    button->hasUserData = true;
}

// The minimap bar: the strip right of the minimap with its three buttons.
void BuildMinimapBar(MissionHud& hud, int m, int a, int b)
{
    Window* bar = HudBar(m, H() - a, HUD_WINDOW_ID);
    hud.minimapBar = bar;
    bar->AddChild(PictureButton(0, 0, b, a, "data/gui/mmapvbar.dds"));
    struct Row {
        ButtonCallback press;
        int up, down;
        int tooltip;
        bool toggle;
    };
    const Row rows[] = {
        {ToggleMinimapRangesButton, AtlasCell(4, 2, 0, 0), AtlasCell(4, 2, 2, 0), 1, true},
        {ResetCameraButton, AtlasCell(4, 2, 1, 1), AtlasCell(4, 2, 1, 1), 2, false},
        {ToggleFollowButton, AtlasCell(4, 2, 0, 1), AtlasCell(4, 2, 1, 0), 23, true},
    };
    int x = (int)((long long)W() * 5 / 1024), y = HudFraction(5, 1024);
    int side = HudFraction(3, 64);
    for (const Row& row : rows) {
        Button* button =
            new Button(row.press, nullptr, x, y, side, side, 0, nullptr, MINIMAP_ICONS, MINIMAP_ICONS, nullptr, row.up, row.down, 0);
        button->SetImage(HIGHLIGHT, 0);
        SetHover(button, ShowTooltip, HideTooltip, row.tooltip);
        if (row.toggle) {
            button->toggleMode = true;
            button->toggled = true;
        }
        bar->AddChild(button);
        if (row.press == ToggleFollowButton) hud.followButton = button;
        y += HudFraction(3, 64) + HudFraction(5, 1024);
    }
    bar->FitToChildren(-1, -1, 0, 0);
}

// The build panel: three tabs, and a button for every entry the player may build, five to a
// row on its category's tab.
void BuildBuildPanel(MissionHud& hud, BuildItemList* catalogue)
{
    int pw = HudFraction(199, 512), ph = HudFraction(195, 1024);
    Window* panel = new Window(W() - pw, H() - ph, pw, ph, 0, nullptr, 0);
    panel->SetTexture("data/gui/game/buildback.dds", 0);
    if (panel->pieces[0]) panel->pieces[0]->flags |= POINT_FILTER;
    panel->id = HUD_WINDOW_ID;
    if (WindowMgr) WindowMgr->AddWindow(panel);
    hud.buildPanel = panel;
    if (catalogue) {
        int tabX = HudFraction(2, 768), tabY = HudFraction(8, 768);
        int tabHeight = HudFraction(46, 768);
        for (int k = 0; k < BUILD_TABS; ++k) {
            Button* tab = new Button(BuildTabButton, nullptr, tabX, tabY + k * tabHeight, HudFraction(32, 768), tabHeight, 0,
                                     nullptr, BUILD_TABS_TEXTURE, BUILD_TABS_TEXTURE, nullptr, AtlasCell(2, 3, 1, k),
                                     AtlasCell(2, 3, 0, k), 0);
            // One sheet serves every tab: its pressed column is the tab's picture.
            tab->SetImage(BUILD_TABS_TEXTURE, AtlasCell(2, 3, 0, k));
            tab->radioGroup = 1;
            SetUserData(tab, k + 1);
            SetHover(tab, ShowTooltip, HideTooltip, 10 + k);
            panel->AddChild(tab);
            hud.buildTabs[k] = tab;
        }
        int x0 = tabX + HudFraction(42, 768);
        int side = HudFraction(46, 768), gap = HudFraction(4, 768);
        int placed[BUILD_TABS] = {};
        bool warned = false;
        for (auto* node = catalogue->items.head; node; node = node->next) {
            BuildItem* item = node->value;
            if (!item || (item->flags & BUILD_AI_CAN_BUILD)) continue;
            // An upgrade is bought for a bot in an upgrader: there is no building to place.
            if (item->flags & BUILD_UPGRADE_RECORD) continue;
            // Three tabs: the catalogue's later categories share the last one.
            int tab = item->category < 0 ? 0 : item->category >= BUILD_TABS ? BUILD_TABS - 1 : item->category;
            if (hud.buildButtons.IsFull()) {
                // The panel has room for so many; the rest of the catalogue gets no button.
                if (!warned) Log("WARNING: the build panel holds %d buttons; '%s' and later entries get none\n",
                                 BUILD_BUTTON_CAPACITY, item->name);
                warned = true;
                continue;
            }
            int n = placed[tab]++;
            int column = n % 5, row = n / 5;
            int bx = x0 + (side + gap) * column, by = (side + 2 * gap) * row + HudFraction(14, 768) + gap;
            int cell = item->iconCell > 0 ? item->iconCell : 0;
            Button* button = new Button(BuildItemButton, nullptr, bx, by, side, side, 0, nullptr, item->iconName,
                                        item->iconName, nullptr, cell, cell, POINT_FILTER);
            button->SetImage(HIGHLIGHT, 0);
            if (button->hoverImage) button->hoverImage->flags |= POINT_FILTER;
            SetUserData(button, (intptr_t)item);
            SetHover(button, ShowBuildItemTooltip, HideBuildItemTooltip, (intptr_t)item);
            button->group = tab;
            panel->AddChild(button);
            hud.buildButtons.PushBack({button, item});
        }
        const char* text = GameText("<no_tab_items>");
        int x = x0;
        if (text && *text) {
            TextSize size{};
            if (Font* font = HudFontOr(1)) font->GetTextExtent(text, &size);
            x = x0 + (pw - x0) / 2 - size.cx / 2 - HudFraction(8, 768);
        }
        Label* label = new Label("<no_tab_items>", x, ph / 2 - HudFraction(7, 768), HudFraction(100, 768),
                                 HudFraction(12, 768), 0, HudFontOr(1), false);
        label->id = HUD_WINDOW_ID;
        label->SetVisible(false);
        panel->AddChild(label);
        hud.noTabItemsLabel = label;
        hud.buildTabs[0]->SelectInGroup(1);
        panel->ShowChildrenByGroup(0);
        panel->HideChildrenByGroup(1);
        panel->HideChildrenByGroup(2);
    }
    panel->SetVisible(false);
}

// The power bar's place among the windows: it is drawn with the resource bar it sits on, so a
// window opened over the HUD covers it and a modal one dims it like the rest of the HUD.
class PowerBarSlot : public Window {
public:
    void Draw() override
    {
        if (ThePowerBar) ThePowerBar->Update(TheScene.power);
    }
};

void BuildResourceBar(MissionHud& hud)
{
    Window* bar = HudBar(W() - HudFraction(2, 3), 0, HUD_WINDOW_ID);
    hud.resourceBar = bar;
    bar->AddChild(PictureButton(0, 0, HudFraction(2, 3), HudFraction(1, 24), "data/gui/game/resourceback.dds"));
    int x = HudFraction(210, 768);
    Label** labels[] = {&hud.oreLabel, &hud.fuelLabel, &hud.unitsLabel};
    const int steps[] = {0, HudFraction(120, 768), HudFraction(130, 768)};
    for (int i = 0; i < 3; ++i) {
        x += steps[i];
        Label* label = new Label("0", x, HudFraction(8, 768), HudFraction(40, 768), HudFraction(12, 768), 0, HudFontOr(1), false);
        bar->AddChild(label);
        *labels[i] = label;
    }
    bar->FitToChildren(-1, -1, 0, 0);
    bar->AddChild(new PowerBarSlot());
}

void BuildMenuBar(MissionHud& hud)
{
    Window* bar = HudBar(0, 0, HUD_WINDOW_ID);
    hud.menuBar = bar;
    Font* font = HudFontOr(0);
    if (font) font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    struct Entry {
        const char* text;
        int width;
        ButtonCallback click;
    };
    const Entry entries[] = {{"Menu", HudFraction(65, 768), ToggleInGameMenuButton},
                             {"Inventory", HudFraction(100, 768), ToggleInventory}};
    int x = 0;
    for (const Entry& entry : entries) {
        Button* button = new Button(nullptr, entry.click, x, 0, entry.width, HudFraction(1, 24), 0, font, BUTTON_SHEET,
                                    BUTTON_SHEET, nullptr, AtlasCell(1, 3, 0, 1), AtlasCell(1, 3, 0, 2), POINT_FILTER);
        button->SetImage(BUTTON_SHEET, AtlasCell(1, 3, 0, 0));
        button->SetText(entry.text);
        bar->AddChild(button);
        x += HudFraction(65, 768);
    }
    bar->FitToChildren(-1, -1, 0, 0);
}

void BuildDebugToolBar(MissionHud& hud)
{
    Window* bar = HudBar(HudFraction(100, 768), 0, DEBUG_TOOLBAR_ID);
    hud.debugToolBar = bar;
    struct Entry {
        const char* text;
        ButtonCallback press;
    };
    const Entry entries[] = {{"Grid", CycleGridOverlayButton},
                             {"A*", CyclePathOverlayButton},
                             {"FoW", ToggleFogOfWarButton},
                             {"PP", TogglePostProcessButton},
                             {"Growth", ToggleGrowthToolButton}};
    int width = HudFraction(50, 768), height = HudFraction(28, 768), x = 0;
    for (const Entry& entry : entries) {
        Button* button = new Button(entry.press, nullptr, x, 0, width, height, 0, HudFontOr(3), "data/gui/solid_grey.dds",
                                    "data/gui/solid_grey.dds", nullptr, 0, 0, 0);
        button->SetImage("data/gui/highlight_blue.dds", 0);
        button->SetText(entry.text);
        bar->AddChild(button);
        x += width;
    }
    bar->FitToChildren(-1, -1, 0, 0);
    bar->SetVisible(false);
}

void ReleaseTopLevel(Window*& window)
{
    ReleaseTopLevelWindow(window);
    window = nullptr;
}

}  // namespace

int HudBottomBarTop()
{
    return ScreenHeight() - HudFraction(169, 1024) - HudFraction(7, 128);
}

void CommandPanel::Build()
{
    const int h = H();
    group = WindowMgr ? WindowMgr->NewWindowId() : 0;
    int u = HudFraction(7, 128);
    x = W() / 2 - HudFraction(270, 768);
    y = HudBottomBarTop();
    panel = new Window(x, y, 1, 1, 0, nullptr, WINDOW_FRAMELESS);
    panel->id = HUD_WINDOW_ID;
    panel->group = group;
    panel->hitCallback = IsCursorOverCommandPanel;
    if (WindowMgr) WindowMgr->AddWindow(panel);

    background = PictureButton(0, 0, HudFraction(67, 256), u, "data/gui/game/commandback.dds");
    background->group = group;
    panel->AddChild(background);

    buttonWidth = HudFraction(53, 1024);
    buttonHeight = HudFraction(46, 1024);
    step = buttonWidth + h / 192;
    int cx = h / 192, cy = h / 192;
    Font* font0 = HudFont(0);
    for (int i = 0; i < QUICK_SLOTS; ++i) {
        int side = HudFraction(34, 768);
        Button* slot = new Button(UseQuickSlot, nullptr, cx, cy, side, side, 0, font0, BLACK_BUTTON_SHEET,
                                  BLACK_BUTTON_SHEET, nullptr, AtlasCell(1, 3, 0, 1), AtlasCell(1, 3, 0, 2), 0);
        slot->SetImage(BLACK_BUTTON_SHEET, AtlasCell(1, 3, 0, 0));
        SetUserData(slot, i + 1);
        SetHover(slot, ShowQuickSlotTooltip, HideTooltip, i + 1);
        slot->group = group;
        panel->AddChild(slot);
        quickSlots[i] = slot;
        int overlaySide = h / 24;
        Button* overlay = new Button(nullptr, nullptr, cx + h / 384, cy + h / 384, overlaySide, overlaySide, 0, HudFont(3),
                                     "data/gui/9.dds", "data/gui/9.dds", nullptr, 0, 0, 0);
        overlay->textOffsetX = overlay->textOffsetY = HudFraction(8, 768);
        overlay->group = group;
        panel->AddChild(overlay);
        quickSlotOverlays[i] = overlay;
        cx += HudFraction(3, 64);
    }
    struct Slot {
        int column, row;
        int tooltip;
    };
    const Slot slots[COMMAND_BUTTONS] = {{0, 0, 3},  {1, 0, 4},  {2, 0, 5},  {3, 0, 6},  {0, 1, 7},
                                         {1, 1, -1}, {2, 1, -1}, {3, 1, -1}, {2, 1, -1}, {3, 1, 8}};
    for (int k = 0; k < COMMAND_BUTTONS; ++k) {
        bool scan = k == COMMAND_BUTTONS - 1;
        int cell = AtlasCell(4, 2, slots[k].column, slots[k].row);
        Button* button = new Button(CommandButton, nullptr, cx, cy, scan ? 2 * buttonWidth : buttonWidth, buttonHeight, 0,
                                    scan ? ScanFont(font0) : nullptr, COMMAND_ICONS, COMMAND_ICONS, nullptr, cell, cell, 0);
        button->SetImage(HIGHLIGHT, 0);
        SetUserData(button, (intptr_t)1 << k);
        button->hoverLeaveCallback = HideTooltip;
        if (slots[k].tooltip > 0) SetHover(button, ShowTooltip, HideTooltip, slots[k].tooltip);
        if (scan) {
            button->SetText("Scan");
            HudScanButton = button;
        }
        button->group = group;
        panel->AddChild(button);
        commandButtons[k] = button;
    }
    panel->FitToChildren(-1, -1, 0, 0);
}

void ResetResourceRates()
{
    MissionHud& hud = TheMissionHud;
    PlayerProfile* profile = GetPlayerProfile();
    hud.oreRate = hud.fuelRate = 0.0f;
    hud.oreTimer = 20.0f;
    hud.fuelTimer = 4.0f;
    hud.lastOreTotal = profile ? profile->oreGained : 0.0f;
    hud.lastFuelTotal = profile ? profile->fuelGained : 0.0f;
}

void BuildMissionHud()
{
    MissionHud& hud = TheMissionHud;
    // Every level starts its rates afresh: what was gathered before it is no income of this one.
    ResetResourceRates();
    if (hud.built) {
        if (WindowMgr) WindowMgr->ShowById(HUD_WINDOW_ID);
        // The build panel and the command panel follow the selection, which is empty now.
        if (hud.buildPanel) hud.buildPanel->SetVisible(false);
        if (hud.noTabItemsLabel) hud.noTabItemsLabel->SetVisible(false);
        return;
    }
    hud.built = true;
    const int w = W(), h = H();
    hud.whiteSprite = CreateSprite(0, 0, 64, 64, "Data/textures/white.dds", 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, false);
    if (!ThePowerBar) ThePowerBar = new PowerBar();
    if (!hud.tooltip) hud.tooltip = new HintBox();
    if (!hud.hintBox) hud.hintBox = new HintBox();

    int m = ComputeMinimapLayout(h).frameSize;
    int a = HudFraction(111, 512), b = HudFraction(29, 512), c = HudFraction(143, 1024);
    int leftX = b + m;
    hud.leftSpacer = new Button(nullptr, nullptr, leftX, h - c, w / 2 - HudFraction(270, 768) - leftX, c, 0, nullptr,
                                SPACER, SPACER, nullptr, 0, 0, 0);
    int rightX = HudFraction(450, 768) - HudFraction(270, 768) + w / 2;
    hud.rightSpacer = new Button(nullptr, nullptr, rightX, h - c, w - HudFraction(199, 512) - rightX, c, 0, nullptr, SPACER,
                                 SPACER, nullptr, 0, 0, 0);

    BuildMinimapBar(hud, m, a, b);
    BuildBuildPanel(hud, TheGame ? TheGame->buildItems : nullptr);
    hud.commandPanel = new CommandPanel();
    hud.commandPanel->Build();
    if (!TheEntityInfoGui) {
        TheEntityInfoGui = new EntityInfoGui();
        TheEntityInfoGui->CreateMainDisplay();
    }
    BuildResourceBar(hud);
    BuildMenuBar(hud);
    BuildDebugToolBar(hud);
    CreateConsoleEditBox();
}

void CreateConsoleEditBox()
{
    MissionHud& hud = TheMissionHud;
    if (hud.consoleEditBox) return;
    int width = HudFraction(5, 12);
    EditBox* box = new EditBox("", 0, 0, width, H() / 24, 1, HudFont(5), nullptr);
    box->maximumLength = 256;
    box->enterCallback = ConsoleCommand;
    box->Move((W() - width) / 2, H() - H() / 4);
    box->SetVisible(false);
    if (WindowMgr) WindowMgr->AddWindow(box);
    hud.consoleEditBox = box;
}

void HideMissionHud()
{
    MissionHud& hud = TheMissionHud;
    if (WindowMgr) WindowMgr->HideById(HUD_WINDOW_ID);
    if (hud.buildPanel) hud.buildPanel->SetVisible(false);
    if (hud.groupPanel) hud.groupPanel->SetVisible(false);
    if (hud.commandPanel) hud.commandPanel->Show(false, 0);
    hud.tooltipVisible = false;
    hud.tooltipTimer = 0.0f;
}

void ReleaseMissionHud()
{
    MissionHud& hud = TheMissionHud;
    if (hud.commandPanel) {
        ReleaseTopLevel(hud.commandPanel->panel);
        delete hud.commandPanel;
        hud.commandPanel = nullptr;
    }
    HudScanButton = nullptr;
    for (Window** window : {&hud.minimapBar, &hud.buildPanel, &hud.resourceBar, &hud.menuBar, &hud.debugToolBar,
                            &hud.groupPanel})
        ReleaseTopLevel(*window);
    Window* banner = hud.rigBanner;
    ReleaseTopLevel(banner);
    Window* console = hud.consoleEditBox;
    ReleaseTopLevel(console);
    for (Button** spacer : {&hud.leftSpacer, &hud.rightSpacer}) {
        delete *spacer;
        *spacer = nullptr;
    }
    for (GuiMeter** meter : {&hud.rigHealthMeter, &hud.rigShieldMeter, &hud.entityHealthMeter, &hud.entityShieldMeter,
                             &hud.itemHealthMeter}) {
        delete *meter;
        *meter = nullptr;
    }
    delete hud.whiteSprite;
    delete hud.tooltip;
    delete hud.hintBox;
    hud.buildButtons.Clear();
    // What is left is the plain state of a HUD never built.
    hud.~MissionHud();
    new (&hud) MissionHud();
}

void ShowAgentSelected(Agent* agent, bool selected)
{
    if (!agent || !TheMissionHud.buildPanel) return;
    if (selected && StrICmp(agent->name, "Builder") == 0) TheMissionHud.buildPanel->SetVisible(true);
    if (!selected && (agent->flags & ENTITY_PLAYER)) TheMissionHud.buildPanel->SetVisible(false);
}
