#include "interface/CharacterGui.h"

#include "campaign/PlayerProfile.h"
#include "campaign/RandomMission.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "gui/ModelViewer.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/AchievementsGui.h"
#include "interface/InfoScreen.h"
#include "interface/Inventory.h"
#include "interface/ItemScrollList.h"
#include "interface/MissionHud.h"
#include "interface/MessageLists.h"
#include "interface/MissionLogGui.h"
#include "interface/PlayerTechGui.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/HintBox.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "world/Agent.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CharacterGui* TheCharacterGui = nullptr;

namespace {

int U(int n)
{
    return UnitH(n);
}

// The screen in reference pixels: where it stands and how big it is, the paper doll, the pane
// behind it, the slot column, the bag and the two pages below.
constexpr int ORIGIN_X = 10, ORIGIN_Y = 52, SCREEN_W = 560, SCREEN_H = 498;
constexpr int VIEWER_X = 35, VIEWER_Y = 137, VIEWER_SIDE = 238;
constexpr int PANE_X = 26, PANE_Y = 126, PANE_SIDE = 256;
constexpr int SLOT_X = 300, SLOT_SIDE = 48;
constexpr int WEAPON_SLOT_Y[2] = {137, 187};
constexpr int MODULE_SLOT_Y[RIG_MODULE_SLOTS_SHOWN] = {245, 295, 345};
constexpr int PAGE_Y = 410, PAGE_H = 134;
constexpr int ATTRIBUTES_X = 26, ATTRIBUTES_W = 256;
constexpr int SKILLS_X = 290, SKILLS_W = 264;
constexpr int ROW_STEP = 18;

const char* const SKILL_NAMES[PLAYER_SKILLS] = {"Speed", "Armor", "Repair", "Vision", "Salvage", "Range"};
const char* const PAINT_NAMES[4] = {"default", "camo", "race", "scav"};
const char* const DAMAGE_TYPE_NAMES[] = {"Laser:", "Missile:", "Electric:", "Mortar:", "Ballistic:",
                                         "Flame:", "Acid:",    "Plasma:",   "Pulse:"};

// Atlas cells: columns << 24 | rows << 16 | column << 8 | row.
constexpr int Cell(int columns, int rows, int column, int row)
{
    return columns << 24 | rows << 16 | column << 8 | row;
}

constexpr const char* MARKER_BLUE = "Data/gui/Icons/inventory_attach_blue.dds";
constexpr const char* MARKER_RED = "Data/gui/Icons/inventory_attach_red.dds";

Font* GameFont(int slot)
{
    if (TheGame && TheGame->fonts[slot]) return TheGame->fonts[slot];
    return GuiDefaultFont;
}
Font* BodyFont() { return GameFont(0); }
Font* SmallFont() { return GameFont(1); }
Font* HeadingFont() { return GameFont(2); }

void Write(Font* font, float r, float g, float b, int x, int y, const char* text)
{
    if (!font || !text) return;
    font->SetColor(r, g, b, 1.0f);
    GuiDrawText(font, x, y, text);
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

Inventory* ShownBag()
{
    return TheCharacterGui && TheCharacterGui->inventory ? TheCharacterGui->inventory : PlayerInventory;
}

// The user value of a button: the address of its userData (null without one).
int UserIndex(void* user)
{
    return user ? (int)*static_cast<intptr_t*>(user) : -1;
}

bool InMission()
{
    return TheGame && TheGame->state == GAME_STATE_PLAYING;
}

}  // namespace

// ---- Building

void CharacterGui::KeepWindow(Window* window)
{
    if (ownedCount_ < (int)(sizeof owned_ / sizeof owned_[0])) owned_[ownedCount_++] = window;
}

CharacterGui::CharacterGui()
{
    id = CHARACTER_SCREEN_ID;
    flags |= WINDOW_TYPE_CHARACTERGUI;
    CopyText(caption, sizeof caption, "CHARACTER_GUI");
    shown = true;
    showPurchased = true;
}

CharacterGui::~CharacterGui()
{
    if (WindowMgr) {
        Window* tops[] = {this, frame, shopWindow};
        for (Window* top : tops)
            if (top) WindowMgr->windows.Remove(top);
        for (ItemScrollList* list : shopLists)
            if (list && list->listWindow) WindowMgr->windows.Remove(list->listWindow);
        for (Window* top : tops)
            if (top && (WindowMgr->modal == top || WindowMgr->focused == top)) WindowMgr->modal = WindowMgr->focused = nullptr;
    }
    for (ItemScrollList* list : shopLists) delete list;
    ItemScrollList::ReleasePreview();
    if (PlayerInventory == inventory) PlayerInventory = nullptr;
    delete inventory;
    for (int i = ownedCount_ - 1; i >= 0; --i) delete owned_[i];
    delete viewer;
    delete hintBox;
    for (Sprite* sprite : moduleIcons_) delete sprite;
    for (Sprite* sprite : attachmentIcons_) delete sprite;
    for (Sprite* sprite : damageTypeIcons_) delete sprite;
    delete marker_;
    if (TheCharacterGui == this) TheCharacterGui = nullptr;
}

Window* CharacterGui::AddPanel(int px, int py, int w, int h, const char* frameTexture)
{
    Window* panel = Keep(new Window(U(px), U(py), U(w), U(h), frameTexture));
    panel->id = CHARACTER_SCREEN_ID;
    AddChild(panel);
    return panel;
}

Label* CharacterGui::AddLabel(const char* text, int lx, int ly, Window* parentWindow)
{
    Label* label = Keep(new Label(text, lx, ly, 0, 0, 0, BodyFont(), false));
    parentWindow->AddChild(label);
    return label;
}

void CharacterGui::Build()
{
    if (frame) return;
    Move(0, 0);
    // The outer frame: the screen's rectangle, holding the close button shown in a mission.
    frame = Keep(new Window(U(ORIGIN_X), U(ORIGIN_Y), U(SCREEN_W), U(SCREEN_H), "wframe_exp.dds"));
    frame->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    frame->Move(0, 0);
    frame->SetSize(U(ORIGIN_X) + U(SCREEN_W), U(ORIGIN_Y) + U(SCREEN_H));
    frame->id = CHARACTER_SCREEN_ID;
    frame->hitCallback = IsPointOverCharacterScreen;
    CopyText(frame->caption, sizeof frame->caption, "CHARACTER_FRAME");

    // The screen itself comes first among the windows that take the mouse, before its parts.
    if (WindowMgr) {
        WindowMgr->AddWindow(this);
        WindowMgr->AddWindow(frame);
    }

    AddPanel(ORIGIN_X, ORIGIN_Y, SCREEN_W, SCREEN_H, "wframe_blue.dds");
    AddPanel(18, 58, 544, 56, "wframe_blue.dds");
    AddPanel(PANE_X, PANE_Y, PANE_SIDE, PANE_SIDE, "wframe_black.dds");
    AddPanel(ATTRIBUTES_X, PAGE_Y, ATTRIBUTES_W, PAGE_H, "wframe_black.dds");
    AddPanel(SKILLS_X, PAGE_Y, SKILLS_W, PAGE_H, "wframe_black.dds");

    levelBadge = Keep(new Button(nullptr, nullptr, U(26), U(70), U(32), U(32), 0, HeadingFont(), "data/gui/wframe_exp.dds",
                                 "data/gui/wframe_exp.dds", nullptr, 0, 0, 0));
    levelBadge->SetText("0");
    levelBadge->id = CHARACTER_SCREEN_ID;
    AddChild(levelBadge);

    closeButton = Keep(new Button(nullptr, ToggleInventory, U(526), U(70), U(32), U(32), 0, BodyFont(),
                                  "data/gui/playstop.dds", "data/gui/playstop.dds", nullptr, Cell(2, 1, 1, 0),
                                  Cell(2, 1, 1, 0), 0));
    closeButton->SetText("X");
    closeButton->group = 1;
    closeButton->id = CHARACTER_SCREEN_ID;
    // In a mission Escape closes the screen, as its button does, before it would pause the
    // game; in the front end the button is hidden and Escape goes back as "Back" does.
    closeButton->flags |= WINDOW_CANCEL_BUTTON;
    frame->AddChild(closeButton);

    const struct {
        const char* text;
        ButtonCallback click;
        Button** field;
    } infoButtons[] = {{"Show Tech", OnShowTechClicked, &techButton},
                       {"Achievements", OnAchievementsClicked, &achievementsButton},
                       {"Log", OnMissionLogClicked, &logButton}};
    const int infoX[3] = {288, 372, 474}, infoW[3] = {80, 98, 46};
    for (int i = 0; i < 3; ++i) {
        Button* button = Keep(new Button(nullptr, infoButtons[i].click, U(infoX[i]), U(73), U(infoW[i]), U(26), 0, SmallFont(),
                                         "data/gui/button.dds", "data/gui/button.dds", nullptr, Cell(1, 3, 0, 1),
                                         Cell(1, 3, 0, 1), 0));
        button->SetImage("data/gui/highlight_blue.dds", 0);
        button->SetText(infoButtons[i].text);
        button->id = CHARACTER_SCREEN_ID;
        AddChild(button);
        *infoButtons[i].field = button;
    }

    // The paper doll: the profile's rig in its own light, turned by dragging over it.
    viewer = new ModelViewer();
    viewer->SetModelByName(nullptr);
    viewer->SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
    viewer->SetViewRect(U(VIEWER_X), U(VIEWER_Y), U(VIEWER_SIDE), U(VIEWER_SIDE));
    viewer->SetBackground("data/gui/grid_grad.dds");
    viewer->minPitch = 0.0f;
    viewer->maxPitch = 30.0f;
    viewer->yaw = 45.0f;
    viewer->pitch = 18.0f;
    viewer->modelOffset = Vec3();
    viewerOverlay_ = Keep(new Button(nullptr, nullptr, U(VIEWER_X), U(VIEWER_Y), U(VIEWER_SIDE), U(VIEWER_SIDE), 0, nullptr,
                                     "data/gui/transparent.dds", "data/gui/transparent.dds", nullptr, 0, 0, 0));
    viewerOverlay_->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    viewerOverlay_->hoverEnterCallback = ModelViewer::OnMouseCallback;
    viewerOverlay_->hoverUserData = reinterpret_cast<intptr_t>(viewer);
    viewerOverlay_->hasHoverUserData = true;
    viewerOverlay_->id = CHARACTER_SCREEN_ID;
    AddChild(viewerOverlay_);

    experienceMeter = Keep(new GuiMeter("Experience", 0xFFFF801A, 0xFF331A33, U(PANE_X), U(388), U(PANE_SIDE), U(16), false,
                                        "Data/gui/Icons/exp_bar.dds", false));
    experienceMeter->id = CHARACTER_SCREEN_ID;
    {
        TextSize size;
        if (Font* font = GuiListFont) font->GetTextExtent("9999/9999", &size);
        experienceMeter->textOffsetX = (U(PANE_SIDE) - size.cx) / 2;
        experienceMeter->textOffsetY = (U(16) - size.cy) / 2;
    }
    AddChild(experienceMeter);

    hintBox = new HintBox();
    if (TheGame && TheGame->fonts[0]) HintBox::SetFonts(BodyFont(), SmallFont());
    for (int i = 0; i < PLAYER_SKILLS; ++i) {
        const int rowY = U(PAGE_Y + 24 + ROW_STEP * i);
        Button* row = Keep(new Button(nullptr, nullptr, U(SKILLS_X + 8), rowY, U(210), U(ROW_STEP), 0, nullptr,
                                      "data/gui/transparent.dds", "data/gui/transparent.dds", nullptr, 0, 0, 0));
        row->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
        row->hoverEnterCallback = OnSkillHover;
        row->hoverLeaveCallback = OnSkillHoverEnd;
        row->hoverUserData = i + 1;
        row->hasHoverUserData = true;
        row->id = CHARACTER_SCREEN_ID;
        AddChild(row);
        skillRows_[i] = row;
        GuiMeter* meter = Keep(new GuiMeter("", 0xFFFFFFFF, 0xFF4D4D4D, U(SKILLS_X + 80), rowY + U(3), U(140), U(12), false,
                                            "Data/gui/Icons/skills_bar.dds", false));
        meter->SetIcon("data/gui/skilldiv.dds");
        meter->id = CHARACTER_SCREEN_ID;
        AddChild(meter);
        skillMeters[i] = meter;
        Button* plus = Keep(new Button(OnSkillClicked, nullptr, U(SKILLS_X + 228), rowY + U(1), U(22), U(16), 0, BodyFont(),
                                       "data/gui/button.dds", "data/gui/button.dds", nullptr, Cell(1, 3, 0, 1),
                                       Cell(1, 3, 0, 2), 0));
        plus->SetText("+");
        plus->userData = i + 1;
        plus->hasUserData = true;
        plus->id = CHARACTER_SCREEN_ID;
        AddChild(plus);
        skillButtons[i] = plus;
    }

    // The bag beside the paper doll; the screen draws it, over its own panels.
    if (!inventory) inventory = new Inventory();
    PlayerInventory = inventory;
    if (Window* panel = inventory->panel) {
        panel->id = CHARACTER_SCREEN_ID;
        panel->flags |= WINDOW_NOT_MANAGED_DRAW;
        const int cell = inventory->cellWidth;
        panel->Move(2 * U(ORIGIN_X) - U(PANE_X) - 6 * cell + U(SCREEN_W), U(VIEWER_Y));
        panel->SetVisible(true);
    }

    for (int index = 2; index <= 3; ++index) {
        Button* slot = Keep(new Button(OnAttachSlotPressed, nullptr, U(SLOT_X), U(WEAPON_SLOT_Y[index - 2]), U(SLOT_SIDE),
                                       U(SLOT_SIDE), 0, nullptr, "data/gui/icons/paper_doll_sheet.dds",
                                       "data/gui/icons/paper_doll_sheet.dds", nullptr, Cell(4, 2, 0, 0), Cell(4, 2, 0, 0), 0));
        slot->SetImage("data/gui/highlight_blue.dds", 0);
        slot->userData = index;
        slot->hasUserData = true;
        slot->id = CHARACTER_SCREEN_ID;
        AddChild(slot);
        attachButtons[index] = slot;
    }
    for (int i = 0; i < RIG_MODULE_SLOTS_SHOWN; ++i) {
        Button* slot = Keep(new Button(OnModuleSlotPressed, nullptr, U(SLOT_X), U(MODULE_SLOT_Y[i]), U(SLOT_SIDE), U(SLOT_SIDE), 0,
                                       nullptr, "Data/gui/Icons/inventory_slot.dds", "Data/gui/Icons/inventory_slot.dds",
                                       nullptr, 0, 0, 0));
        slot->SetImage("data/gui/highlight_blue.dds", 0);
        CopyText(slot->caption, sizeof slot->caption, "SLOT");
        slot->userData = i;
        slot->hasUserData = true;
        slot->id = CHARACTER_SCREEN_ID;
        AddChild(slot);
        moduleButtons[i] = slot;
    }

    for (int i = 0; i < 4; ++i) {
        Button* paint = Keep(new Button(OnRigPaintClicked, nullptr, U(362 + 36 * i), U(340), U(32), U(32), 0, nullptr,
                                        "data/gui/rigpaint.dds", "data/gui/rigpaint.dds", nullptr, Cell(2, 2, i % 2, i / 2),
                                        Cell(2, 2, i % 2, i / 2), 0));
        paint->SetImage("data/gui/highlight_blue.dds", 0);
        // The paint's name rides in the button's text, which is not drawn.
        paint->SetText(PAINT_NAMES[i]);
        paint->hasText = false;
        paint->id = CHARACTER_SCREEN_ID;
        paint->SetEnabled(false);
        paint->SetVisible(false);
        AddChild(paint);
        paintButtons[i] = paint;
    }

    hullMeter_ = Keep(new GuiMeter("", 0xFF33CC33, 0xFF1A1A1A, U(ATTRIBUTES_X + 90), U(PAGE_Y + 26), U(110), U(12), false,
                                   nullptr, false));
    hullMeter_->maximum = 100.0f;
    shieldMeter_ = Keep(new GuiMeter("", 0xFF3380FF, 0xFF1A1A1A, U(ATTRIBUTES_X + 90), U(PAGE_Y + 44), U(110), U(12), false,
                                     nullptr, false));
    shieldMeter_->maximum = 100.0f;
    shieldMeter_->SetIcon("data/gui/divbar.dds");
    armourBadge = Keep(new Button(nullptr, nullptr, U(ATTRIBUTES_X + 212), U(PAGE_Y + 18), U(32), U(32), 0, HeadingFont(),
                                  "data/gui/itemicons.dds", "data/gui/itemicons.dds", nullptr, Cell(4, 4, 2, 1),
                                  Cell(4, 4, 2, 1), 0));
    armourBadge->SetText("0");
    armourBadge->id = CHARACTER_SCREEN_ID;
    AddChild(armourBadge);

    BuildShopPage();

    FitToChildren(1, 1, 0, 0);
    id = CHARACTER_SCREEN_ID;
    hitCallback = IsPointOverCharacterScreen;

    for (int i = 0; i < 10; ++i)
        damageTypeIcons_[i] = CreateGuiSprite(0, 0, U(16), U(16), "data/gui/damagetypes.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    for (int i = 0; i < 10; ++i)
        if (damageTypeIcons_[i]) damageTypeIcons_[i]->SetAtlasCell(Cell(4, 4, i % 4, i / 4));

    UpdateExperienceBar();
    UpdateSkillBars();
    // Everything hidden until the screen is opened.
    Show(false);
}

bool IsPointOverCharacterScreen(Window*)
{
    const MouseDevice* mouse = Input.mouse;
    if (!mouse) return false;
    const int left = U(ORIGIN_X), top = U(ORIGIN_Y);
    return mouse->cursorX >= left && mouse->cursorY >= top && mouse->cursorX <= left + U(SCREEN_W) &&
           mouse->cursorY <= top + U(SCREEN_H);
}

// ---- Showing and hiding

void CharacterGui::Show(bool on)
{
    Inventory* bag = inventory;
    const bool frontEnd = TheGame && TheGame->state == GAME_STATE_FRONT_END;
    if (on) {
        // Opened beside a mission, the screen stands back behind whatever the level opens over
        // it (its messages, "Mission Complete!", the failed window, the pause menu): that is
        // seen whole, and the screen comes back as it was. Between missions the shop page stays
        // behind its own dialogs.
        for (Window* window : {static_cast<Window*>(this), frame, bag ? bag->panel : nullptr}) {
            if (!window) continue;
            window->flags &= ~WINDOW_BEHIND_MODAL;
            if (!frontEnd) window->flags |= WINDOW_BEHIND_MODAL;
        }
        SetEnabled(true);
        Window::SetVisible(true);
        if (WindowMgr) WindowMgr->ShowById(CHARACTER_SCREEN_ID);
        if (bag && bag->panel) bag->panel->SetVisible(true);
        if (frontEnd) {
            if (WindowMgr) WindowMgr->ShowById(SHOP_WINDOW_ID);
            if (shopWindow) shopWindow->SetVisible(true);
            if (frame) frame->HideChildrenByGroup(1);
            for (int tab = 0; tab < 3; ++tab)
                if (shopLists[tab]) shopLists[tab]->SetVisible(tab == shopTab);
        } else {
            if (WindowMgr) WindowMgr->HideById(SHOP_WINDOW_ID);
            if (shopWindow) shopWindow->SetVisible(false);
            if (frame) frame->ShowChildrenByGroup(1);
            for (ItemScrollList* list : shopLists)
                if (list) list->SetVisible(false);
        }
        shown = true;
        UpdateExperienceBar();
        UpdateSkillBars();
        UpdateBuyButton();
        return;
    }
    SetEnabled(false);
    Window::SetVisible(false);
    if (WindowMgr) {
        WindowMgr->HideById(CHARACTER_SCREEN_ID);
        WindowMgr->HideById(SHOP_WINDOW_ID);
    }
    if (frame) frame->SetVisible(false);
    if (shopWindow) shopWindow->SetVisible(false);
    if (bag && bag->panel) bag->panel->SetVisible(false);
    shown = false;
    skillHintShown = false;
    skillHoverTime = 0.0f;
    for (ItemScrollList* list : shopLists)
        if (list) list->SetVisible(false);
    if (!bag) return;
    // In a level the held item never left its slot: the hand lets go and the world is as it was.
    bag->Release();
    if (!bag->dragItem) return;
    // Between levels what the hand carries goes back into the bag, or stays in the hand, where
    // the next opening finds it, when the bag has no room. One carried into a level is put down
    // into the bag at the next tick, or beside the rig when the bag has no room for it.
    if (InMission()) {
        PlayerOrder order;
        order.kind = bag->IsFull() ? ORDER_DROP_ITEM : ORDER_MOVE_ITEM;
        order.text = bag->dragItem->name;
        if (order.kind == ORDER_MOVE_ITEM) order.args[0] = Inventory::FROM_THE_HAND;
        TheOrders.Give(order);
        return;
    }
    Item* carried = bag->dragItem;
    if (bag->AddItem(carried, true, false, -1)) {
        bool placed = false;
        for (const BagSlot& slot : bag->slots) placed |= slot.item == carried;
        // Poured into a stack of its kind: the carried record is spent.
        bag->TakeCarried();
        if (!placed) delete carried;
    }
}

bool CharacterGui::Animates() const
{
    return shown && IsVisible() && viewer && viewer->Animates();
}

// ---- Meters

void CharacterGui::UpdateExperienceBar()
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!profile || !experienceMeter) return;
    profile->level = LevelFromExperience(profile->experience);
    const int span = ExperienceForNextLevel(profile->level);
    const int base = profile->level > 0 ? LevelThreshold(profile->level) : 0;
    const long long through = (long long)profile->experience - base;
    const int value = span > 0 ? (int)(through * 100 / span) : 0;
    experienceMeter->SetValue((float)value);
    snprintf(experienceMeter->text, sizeof experienceMeter->text, "%4d/%d", profile->experience, base + span);
}

void CharacterGui::UpdateSkillBars()
{
    const PlayerProfile* profile = GetPlayerProfile();
    for (int i = 0; i < PLAYER_SKILLS; ++i) {
        if (!skillMeters[i]) continue;
        const int points = profile ? profile->skills[i] : 0;
        skillMeters[i]->SetValue((float)(points * 20 - (points < 5 ? 1 : 0)));
    }
}

// ---- Drawing

void CharacterGui::Draw()
{
    if (!shown || !IsVisible()) return;
    PlayerProfile* profile = GetPlayerProfile();
    Agent* rig = GetPlayerRig();

    // The paints the achievements have earned.
    int earned = 0;
    if (profile) profile->CountAchievements(&earned, nullptr);
    const bool camo = profile && profile->HasAchievement(6), race = earned > 3, scav = profile && profile->HasAchievement(16);
    const bool unlocked[4] = {camo || race || scav, camo, race, scav};
    for (int i = 0; i < 4; ++i)
        if (paintButtons[i]) {
            paintButtons[i]->SetEnabled(unlocked[i]);
            paintButtons[i]->SetVisible(unlocked[i]);
        }
    if (levelBadge && profile) {
        char level[16];
        snprintf(level, sizeof level, "%d", profile->level);
        levelBadge->SetText(level);
    }
    if (armourBadge && profile) {
        char armour[16];
        snprintf(armour, sizeof armour, "%d", profile->skills[1]);
        armourBadge->SetText(armour);
    }
    UpdateExperienceBar();
    UpdateSkillBars();

    Window::Draw();
    if (frame && frame->IsVisible()) frame->Draw();
    Font* heading = HeadingFont();
    Font* body = BodyFont();
    if (profile) {
        Write(heading, 1.0f, 1.0f, 1.0f, U(66), U(64), profile->name);
        char credits[48];
        snprintf(credits, sizeof credits, "Credits: %10d", profile->credits);
        Write(body, 0.7412f, 0.7765f, 0.5686f, U(66), U(88), credits);
    }
    if (inventory && inventory->panel && inventory->panel->IsVisible()) {
        int px = 0, py = 0;
        inventory->panel->GetScreenPosition(&px, &py);
        const char* title = "- Inventory -";
        Write(body, 0.8f, 0.8f, 0.8f, px + inventory->panel->width / 2 - TextWidth(body, title) / 2, py - U(16), title);
        inventory->panel->Draw();
    }

    // The paper doll: the rig as it stands, drawn at the doll's own place.
    if (viewer) {
        if (viewer->entity != rig || fittedMesh_ != (rig ? rig->mesh : nullptr)) {
            viewer->SetEntity(rig);
            fittedMesh_ = rig ? rig->mesh : nullptr;
            // The doll is framed whole, body and arms included.
            if (rig && rig->mesh) viewer->FitWholeRig(rig, 1.6f);
        }
        if (rig) viewer->modelOffset = Vec3() - rig->GetPosition();
        viewer->Draw();
    }

    DrawAttributes();
    DrawSkills();
    if (Font* small = SmallFont()) {
        small->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
        // Narrower than two letters: every letter stands on a line of its own.
        const int column = TextWidth(small, "W") + 1;
        GuiDrawWrappedText(small, "W\nE\nA\nP\nO\nN\nS", column, U(PANE_X + PANE_SIDE + 2), U(WEAPON_SLOT_Y[0] - 4), 0, 0);
        GuiDrawWrappedText(small, "M\nO\nD\nU\nL\nE\nS", column, U(PANE_X + PANE_SIDE + 2), U(MODULE_SLOT_Y[0] + 4), 0, 0);
        small->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
    DrawSlotIcons();

    if (!InMission() && shopWindow && shopWindow->IsVisible()) {
        shopWindow->Draw();
        if (ItemScrollList* list = CurrentList()) list->Draw();
    }

    const MouseDevice* mouse = Input.mouse;
    const int mouseX = mouse ? mouse->cursorX : 0, mouseY = mouse ? mouse->cursorY : 0;
    if (!(WindowMgr && WindowMgr->modal)) DrawTooltips(mouseX, mouseY);
    if (inventory) {
        inventory->UpdateHover(mouseX, mouseY);
        inventory->DrawDraggedItem();
    }
    if (skillHintShown && hintBox) hintBox->Draw(mouseX, mouseY - 40, nullptr);
    if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (body) body->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void CharacterGui::DrawUsabilityMarker(const Item* item, int mx, int my)
{
    const PlayerProfile* profile = GetPlayerProfile();
    const char* texture = nullptr;
    if (profile && profile->level < item->buyLevel)
        texture = MARKER_RED;
    else if (item->GetState() == 2)
        texture = MARKER_BLUE;
    if (!texture) return;
    if (!marker_) marker_ = CreateGuiSprite(0, 0, U(SLOT_SIDE), U(SLOT_SIDE), MARKER_BLUE, 0xFFFFFFFF, 0, 0, 1, 1);
    if (!marker_) return;
    marker_->texture = GuiTexture(texture);
    marker_->SetRect(mx, my, mx + U(SLOT_SIDE), my + U(SLOT_SIDE));
    GuiDrawSprite(marker_);
}

void CharacterGui::DrawSlotIcons()
{
    Agent* rig = GetPlayerRig();
    if (!rig) return;
    auto drawIcon = [&](Sprite*& sprite, const Item* item, int ix, int iy) {
        if (!sprite) sprite = CreateGuiSprite(ix, iy, U(SLOT_SIDE), U(SLOT_SIDE), item->iconPath, 0xFFFFFFFF, 0, 0, 1, 1);
        if (!sprite) return;
        sprite->texture = item->iconTexture ? item->iconTexture : GuiTexture(item->iconPath);
        sprite->SetAtlasCell(item->iconCell);
        sprite->SetRect(ix, iy, ix + U(SLOT_SIDE), iy + U(SLOT_SIDE));
        GuiDrawSprite(sprite);
        DrawUsabilityMarker(item, ix, iy);
    };
    for (int slot = 0; slot < RIG_MODULE_SLOTS_SHOWN; ++slot)
        if (const Item* module = rig->GetEquippedItem(slot)) drawIcon(moduleIcons_[slot], module, U(SLOT_X), U(MODULE_SLOT_Y[slot]));
    for (int index = 0; index < RIG_ATTACHMENT_SLOTS; ++index) {
        Button* button = attachButtons[index];
        Entity* held = rig->GetAttachedEntity(RIG_ATTACHMENTS[index].name);
        if (!button || !held || !(held->flags & ENTITY_ITEM)) continue;
        int bx = 0, by = 0;
        button->GetScreenPosition(&bx, &by);
        drawIcon(attachmentIcons_[index], static_cast<Item*>(held), bx, by);
    }
}

void CharacterGui::DrawTooltips(int mouseX, int mouseY)
{
    Agent* rig = GetPlayerRig();
    if (!rig || !inventory) return;
    for (int index = 0; index < RIG_ATTACHMENT_SLOTS; ++index) {
        Button* button = attachButtons[index];
        Entity* held = rig->GetAttachedEntity(RIG_ATTACHMENTS[index].name);
        if (!button || !held || !(held->flags & ENTITY_ITEM) || !button->HitTest(mouseX, mouseY)) continue;
        int bx = 0, by = 0;
        button->GetScreenPosition(&bx, &by);
        inventory->DrawItemTooltip(static_cast<Item*>(held), bx + button->width, &by);
        return;
    }
    for (int slot = 0; slot < RIG_MODULE_SLOTS_SHOWN; ++slot) {
        Button* button = moduleButtons[slot];
        Item* module = rig->GetEquippedItem(slot);
        if (!button || !module || !button->HitTest(mouseX, mouseY)) continue;
        int bx = 0, by = 0;
        button->GetScreenPosition(&bx, &by);
        inventory->DrawItemTooltip(module, bx + button->width, &by);
        return;
    }
}

void CharacterGui::DrawAttributes()
{
    Font* heading = BodyFont();
    Font* body = SmallFont();
    Agent* rig = GetPlayerRig();
    const int left = U(ATTRIBUTES_X + 8);
    int rowY = U(PAGE_Y + 4);
    Write(heading, 1.0f, 1.0f, 1.0f, left, rowY, "ATTRIBUTES");
    if (!rig) return;
    const float grey = 0.8f;
    char line[192];

    rowY = U(PAGE_Y + 24);
    const float maxHealth = rig->GetMaxHealth();
    // The bars fill by the share left; their figures are the hull and shield points the rig
    // panel shows.
    if (hullMeter_) {
        const float hull = maxHealth > 0.0f ? rig->GetHealth() / maxHealth * 100.0f : 0.0f;
        hullMeter_->SetValue(hull);
        // A rig still standing never reads 0, as on the panel.
        hullMeter_->UpdateText(std::max((int)rig->GetHealth(), 1), (int)maxHealth);
        hullMeter_->Draw();
    }
    Write(body, grey, grey, grey, left, rowY, "Hull");

    rowY += U(ROW_STEP);
    if ((rig->flags & ENTITY_SHIELD) && shieldMeter_) {
        float shields = 100.0f;
        if (InMission()) shields = rig->maxShield > 0.0f ? rig->shield / rig->maxShield * 100.0f : 0.0f;
        shieldMeter_->SetValue(shields);
        shieldMeter_->UpdateText(InMission() ? std::max((int)rig->GetShield(), 1) : (int)rig->maxShield,
                                 (int)rig->maxShield);
        shieldMeter_->Draw();
        Write(body, grey, grey, grey, left, rowY, "Shields");
    } else {
        snprintf(line, sizeof line, "%-20.20s%s", "Shields", "none");
        Write(body, grey, grey, grey, left, rowY, line);
    }

    rowY += U(ROW_STEP);
    // Speed and reach side by side, each in a column of its own.
    snprintf(line, sizeof line, "%-10.10s%2.1f", "Speed", rig->GetSpeed());
    Write(body, grey, grey, grey, left, rowY, line);
    // The range's figure ends at the panel's edge, however many digits it has.
    Write(body, grey, grey, grey, left + U(104), rowY, "Attack Range");
    snprintf(line, sizeof line, "%2.1f", rig->GetAttackRange());
    Write(body, grey, grey, grey, U(ATTRIBUTES_X + ATTRIBUTES_W - 10) - TextWidth(body, line), rowY, line);

    rowY += U(ROW_STEP) + U(2);
    Write(heading, 1.0f, 1.0f, 1.0f, left, rowY, "DAMAGE");
    int weaponRows = 0;
    for (int i = 0; i < rig->AttachmentCount(); ++i) {
        Entity* held = rig->Attachment(i).entity;
        if (!held || !(held->flags & ENTITY_ITEM)) continue;
        Item* item = static_cast<Item*>(held);
        const WeaponDef* weapon = item->weapon;
        if (item->kind != ITEM_KIND_WEAPON || !weapon) continue;
        rowY += U(ROW_STEP);
        ++weaponRows;
        const int type = weapon->type;
        int textX = left;
        if (type >= 0 && type < 10 && damageTypeIcons_[type]) {
            damageTypeIcons_[type]->SetRect(left, rowY, left + U(16), rowY + U(16));
            GuiDrawSprite(damageTypeIcons_[type]);
        }
        textX += U(20);
        const char* typeName = type >= 0 && type < 9 ? DAMAGE_TYPE_NAMES[type] : "Unknown:";
        Write(body, grey, grey, grey, textX, rowY, typeName);
        textX += U(62);
        const float total = rig->GetDamage(weapon);
        const float base = weapon->GetBaseDamage();
        const float itemBonus = item->GetDamageBonus(weapon);
        const float rest = total - base - itemBonus;
        snprintf(line, sizeof line, "%4.1f", total - rest);
        Write(body, grey, grey, grey, textX, rowY, line);
        textX += TextWidth(body, line);
        if (rest > 0.0f) {
            snprintf(line, sizeof line, " + %.0f", rest);
            Write(body, 0.3f, 1.0f, 0.6f, textX, rowY, line);
            textX += TextWidth(body, line);
        }
        const uint32_t bits = rig->GetWeaponUpgradeBits(weapon);
        if (bits & 0x80) {
            Write(body, 1.0f, 0.3f, 0.2f, textX, rowY, " + Fire");
            textX += TextWidth(body, " + Fire");
        }
        if (bits & 0x100) {
            Write(body, 0.1f, 1.0f, 0.1f, textX, rowY, " + Acid");
            textX += TextWidth(body, " + Acid");
        }
        const float cycle = WeaponCycle(weapon);
        snprintf(line, sizeof line, "  (%.1f dps)%s", cycle > 0.0f ? total / cycle : total,
                 (weapon->flags & WEAPONFLAG_DUAL_CLUSTER) ? " x 2" : "");
        Write(body, grey, grey, grey, textX, rowY, line);
    }
    if (weaponRows == 0) Write(body, grey, grey, grey, left, rowY + U(ROW_STEP), "No weapons attached");
}

void CharacterGui::DrawSkills()
{
    const PlayerProfile* profile = GetPlayerProfile();
    Font* body = BodyFont();
    Font* heading = HeadingFont();
    const int left = U(SKILLS_X + 8);
    Write(body, 1.0f, 1.0f, 1.0f, left, U(PAGE_Y + 4), "SKILLS");
    const bool points = profile && profile->skillPoints > 0;
    if (points) {
        char available[48];
        snprintf(available, sizeof available, "Available Points: %d", profile->skillPoints);
        // Right-aligned beside the heading; where the large heading letters would run into
        // "SKILLS", the count is written in the body's letters instead.
        const int right = U(SKILLS_X + SKILLS_W - 8), clear = left + TextWidth(body, "SKILLS") + U(8);
        Font* font = right - TextWidth(heading, available) >= clear ? heading : body;
        Write(font, 1.0f, 1.0f, 1.0f, right - TextWidth(font, available), U(PAGE_Y + (font == heading ? 2 : 4)), available);
    }
    for (int i = 0; i < PLAYER_SKILLS; ++i) {
        // A full skill takes no more points: in place of its "+" it says so.
        const bool full = SkillIsFull(i);
        if (skillButtons[i]) skillButtons[i]->SetVisible(points && !full);
        const int rowY = U(PAGE_Y + 24 + ROW_STEP * i);
        Write(body, 0.8f, 0.8f, 0.8f, left, rowY, SKILL_NAMES[i]);
        if (full) Write(body, 0.6f, 0.8f, 0.6f, U(SKILLS_X + 226), rowY, "Full");
    }
}

// ---- The screen's buttons

int OnShowTechClicked(void*, Button*)
{
    if (ThePlayerTechGui) ThePlayerTechGui->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int OnAchievementsClicked(void*, Button*)
{
    if (TheAchievementsGui) TheAchievementsGui->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int OnMissionLogClicked(void*, Button*)
{
    if (TheMissionLogGui) TheMissionLogGui->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int OnRigPaintClicked(void*, Button* button)
{
    if (!TheCharacterGui) return 0;
    PlayerProfile* profile = GetPlayerProfile();
    if (!button || !profile) return 1;
    if (strcmp(button->text, "default") == 0) {
        profile->SetRigPaint(nullptr);
    } else {
        char paint[sizeof button->text + 2];
        snprintf(paint, sizeof paint, "@%s", button->text);
        profile->SetRigPaint(paint);
    }
    GuiPlaySound("blip");
    return 1;
}

// Between levels the press fits the carried part at once.
static int FitAttachmentSlot(int index)
{
    if (!TheCharacterGui) return 0;
    Inventory* bag = ShownBag();
    if (!bag || index < 0 || index >= RIG_ATTACHMENT_SLOTS) return 1;
    if (GetPlayerProfile()->rig) TheCharacterGui->lastAttachButton = TheCharacterGui->attachButtons[index];
    return FitAttachmentFromHand(*bag, index);
}

static int FitModuleSlot(int slot)
{
    if (!TheCharacterGui) return 0;
    Inventory* bag = ShownBag();
    if (!bag) return 1;
    return FitModuleFromHand(*bag, slot);
}

namespace {

// In a level the rig's parts are the rig's in play: a press is an order naming the slot and what
// the hand carries, and the part is fitted or taken off at the next tick.
int GiveFitOrder(bool module, int index)
{
    Inventory* bag = ShownBag();
    PlayerOrder order;
    order.kind = ORDER_FIT_PART;
    order.args[0] = index;
    order.args[1] = module ? 1 : 0;
    if (Item* held = bag ? bag->InHand() : nullptr) {
        order.text = held->name;
        if (bag->HeldItem()) order.args[1] |= (bag->HeldSlot() + 1) << 8;
    }
    TheOrders.Give(order);
    // The hand lets go; what the rig gives back is held once the part is fitted.
    if (bag) bag->Release();
    return 1;
}

}  // namespace

int PressAttachmentSlot(int index)
{
    if (!TheCharacterGui) return 0;
    return InMission() ? GiveFitOrder(false, index) : FitAttachmentSlot(index);
}

int PressModuleSlot(int slot)
{
    if (!TheCharacterGui) return 0;
    return InMission() ? GiveFitOrder(true, slot) : FitModuleSlot(slot);
}

int OnAttachSlotPressed(void* user, Button*)
{
    return PressAttachmentSlot(UserIndex(user));
}

int OnModuleSlotPressed(void* user, Button*)
{
    return PressModuleSlot(UserIndex(user));
}

int OnSkillClicked(void* user, Button*)
{
    if (!TheCharacterGui) return 0;
    const int skill = UserIndex(user);
    if (skill < 1 || skill > PLAYER_SKILLS) return 1;
    // In a level the skills are the rig's in play: the point is spent at the next tick.
    if (InMission()) {
        PlayerOrder order;
        order.kind = ORDER_SPEND_SKILL;
        order.args[0] = skill;
        TheOrders.Give(order);
        return 1;
    }
    SpendSkillPoint(skill);
    return 1;
}

int OnSkillHover(void* user, Button* button)
{
    CharacterGui* screen = TheCharacterGui;
    if (!screen) return 0;
    const int skill = UserIndex(user);
    if (!button || !button->IsVisible() || !screen->IsVisible() || !TheGame || skill < 1 || skill > PLAYER_SKILLS) return 1;
    screen->skillHoverTime += IsGuiPaused() ? 0.0f : FrameTimer.delta;
    if (screen->skillHoverTime > 0.5f) {
        char key[32];
        snprintf(key, sizeof key, "<Skill_%d>", skill - 1);
        if (screen->hintBox && SkillIsFull(skill - 1)) {
            const char* what = GameText(key);
            char text[256];
            snprintf(text, sizeof text, "%s\nFull: %d of %d points.", what && what[0] ? what : key, SKILL_POINTS_MAX,
                     SKILL_POINTS_MAX);
            screen->hintBox->SetText(text);
        } else if (screen->hintBox) {
            screen->hintBox->SetText(key);
        }
        screen->skillHintShown = true;
    } else {
        screen->skillHintShown = false;
    }
    return 1;
}

int OnSkillHoverEnd(void*, Button*)
{
    if (!TheCharacterGui) return 0;
    TheCharacterGui->skillHintShown = false;
    TheCharacterGui->skillHoverTime = 0.0f;
    return 1;
}
