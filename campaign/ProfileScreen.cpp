#include "campaign/ProfileScreen.h"

#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "gui/ModelViewer.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/CharacterGui.h"
#include "interface/Inventory.h"
#include "interface/MessageWindow.h"
#include "mechanics/GameMechanics.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/InputState.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

ProfileScreen* TheProfileScreen = nullptr;

// A machine-gun walker or a laser scout to build from the start, and a laser or a machine gun
// on the rig's right arm.
const char* const STARTING_UNITS[2] = {"gunner_bot", "scout_bot"};
const char* const STARTING_WEAPONS[2] = {"laser_cutter", "machinegun"};

namespace {

// The texts shown while the pointer rests on a choice (hover values 1..4). A starting unit's
// says that it is the one fighting bot the factory will build: the other is never offered.
const char* const HINT_KEYS[4] = {"<profile_gunner_bot>", "<profile_scout_bot>", "<laser_cutter_desc>",
                                  "<machinegun_desc>"};
const char* const DIFFICULTIES[4] = {"Beginner", "Normal", "Advanced", "Expert"};
constexpr int ROW_GROUP = 1;
constexpr int DIFFICULTY_GROUP = 2;
// The rig preview stands back far enough for the canopy and the pilot on top.
constexpr float RIG_PREVIEW_DISTANCE = 1.6f;

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The profile file of a name in the profiles folder; false for a name that cannot be one.
bool PathOf(const char* name, char* out, size_t size) { return ProfilePath(name, out, size); }

// The base name of a path without its folder and extension.
std::string BaseName(const char* path)
{
    std::string name = path;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

void SaveSettings()
{
    if (Config) Config->SaveSettings();
}

void SetLastProfile(const char* name)
{
    if (Config) CopyText(Config->currentprofile, sizeof Config->currentprofile, name);
}

void ShowMessage(const char* text)
{
    if (!TheMessageDialog) return;
    TheMessageDialog->SetText(text);
    TheMessageDialog->SetVisible(true);
}

int RowCallback(void* user, Button*)
{
    if (!TheProfileScreen || !user) return 1;
    TheProfileScreen->SelectRow((int)*static_cast<intptr_t*>(user));
    return 1;
}

int LoadCallback(void*, Button*)
{
    if (TheProfileScreen) TheProfileScreen->LoadSelected();
    return 1;
}

void DeleteProfileFile(void*)
{
    if (TheProfileScreen) TheProfileScreen->DeleteSelected();
}

int DeleteCallback(void*, Button*)
{
    ProfileScreen* screen = TheProfileScreen;
    if (!screen) return 1;
    if (strcmp(screen->selectedName, "#") == 0 || StrICmp(screen->selectedName, "default") == 0) {
        GuiPlaySound("bad");
        return 1;
    }
    if (TheConfirmationDialog) {
        TheConfirmationDialog->SetVisible(true);
        TheConfirmationDialog->SetText("Are you sure you want to delete this profile?");
        TheConfirmationDialog->callback = DeleteProfileFile;
    }
    GuiPlaySound("blip");
    return 1;
}

int MainMenuCallback(void*, Button*)
{
    MissionScreen::OnBack(0, 0);
    return 1;
}

int NameEntered(void*, EditBox* box)
{
    if (box) box->SetFocus(false);
    if (WindowMgr && WindowMgr->focused == box) WindowMgr->focused = nullptr;
    GuiPlaySound("blip");
    return 1;
}

int DifficultyCallback(void* user, Button* button)
{
    if (!button || !user || !button->IsVisible()) return 1;
    button->SelectInGroup(DIFFICULTY_GROUP);
    if (Config) Config->Difficulty = (int)*static_cast<intptr_t*>(user) - 1;
    GuiPlaySound("blip");
    return 1;
}

int UnitCallback(void* user, Button*)
{
    if (TheProfileScreen && user) TheProfileScreen->ChooseUnit((int)*static_cast<intptr_t*>(user) - 1);
    return 1;
}

int WeaponCallback(void* user, Button*)
{
    if (TheProfileScreen && user) TheProfileScreen->ChooseWeapon((int)*static_cast<intptr_t*>(user) - 1);
    return 1;
}

int ChoiceHover(void* user, Button* button)
{
    ProfileScreen* screen = TheProfileScreen;
    if (!screen || !user || !button || !button->IsVisible()) return 1;
    int hint = (int)*static_cast<intptr_t*>(user);
    screen->hoverTimer += FrameTimer.delta;
    if (screen->hoverTimer > 0.01f && hint >= 1 && hint <= 4 && screen->hintBox) {
        screen->hintBox->SetText(HINT_KEYS[hint - 1]);
        screen->hintShown = true;
    } else {
        screen->hintShown = false;
    }
    return 1;
}

int ChoiceLeave(void*, Button*)
{
    if (!TheProfileScreen) return 1;
    TheProfileScreen->hintShown = false;
    TheProfileScreen->hoverTimer = 0.0f;
    return 1;
}

int ChassisArrow(void* user, Button*)
{
    if (TheProfileScreen && user) TheProfileScreen->StepChassis(*static_cast<intptr_t*>(user) == 1);
    return 1;
}

int PilotArrow(void* user, Button*)
{
    if (TheProfileScreen && user) TheProfileScreen->StepPilot(*static_cast<intptr_t*>(user) == 1);
    return 1;
}

int OkCallback(void*, Button*)
{
    ProfileScreen* screen = TheProfileScreen;
    if (!screen || !screen->nameBox) return 1;
    if (const char* error = screen->CreateProfile(screen->nameBox->GetText())) {
        ShowMessage(error);
        GuiPlaySound("bad");
    }
    return 1;
}

int CancelCallback(void*, Button*)
{
    if (TheProfileScreen) TheProfileScreen->CancelNewProfile();
    return 1;
}

Button* TextButton(int x, int y, int w, int h, const char* text, ButtonCallback click, const char* face)
{
    Button* button = new Button(nullptr, click, x, y, w, h, 0, nullptr, face, face, nullptr, 0x1030002, 0x1030003, 0);
    button->SetImage(face, 0x1030001);
    button->SetText(text);
    return button;
}

void SetUserValue(Button* button, intptr_t value)
{
    button->userData = value;
    button->hasUserData = true;
}

}  // namespace

bool ReadProfileHeader(const char* path, std::string* name, std::string* chassis, int* experience, int* credits)
{
    // The page shows what loading the profile would take: the same reading decides. Its values
    // are judged when the profile is loaded.
    ProfileReading reading;
    if (!reading.Read(path, true)) return false;
    const std::string named = reading.Name();
    if (name) *name = named.empty() ? "none" : named;
    if (chassis && reading.Last("chassis")) *chassis = reading.Chassis();
    if (experience) *experience = reading.Int("experience", 0);
    if (credits) *credits = reading.Int("credits", 0);
    return true;
}

namespace {

// A typed name as the profile file's reader gives it back, without the blanks that end it: the
// name the profile is made under, so that it never reads back as another's.
std::string NameAsReadBack(const char* typed)
{
    std::string name = typed ? typed : "";
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

}  // namespace

const char* CheckNewProfileName(const char* name, char* message, size_t size)
{
    if (!name || !*name || strcmp(name, "#") == 0) return "Please enter a player name.";
    // Taken or reserved is what the profile's file would be read back as.
    const std::string kept = NameAsReadBack(name);
    if (StrICmp(kept.c_str(), "default") == 0) return "The name 'default' is reserved. Please choose another name.";
    bool letterOrDigit = false;
    for (const unsigned char* c = (const unsigned char*)name; *c; ++c) {
        if (!IsAsciiLetter(*c) && !IsAsciiDigit(*c) && *c != ' ')
            return "Player name can only contain letters, numbers, and spaces\n";
        if (*c == ' ' && c == (const unsigned char*)name) return "Player name can't begin with a space\n";
        letterOrDigit |= *c != ' ';
    }
    if (!letterOrDigit) return "Player name must contain at least one letter or number\n";
    char path[MAX_PROFILE_PATH];
    if (!PathOf(kept.c_str(), path, sizeof path)) return "Please enter a player name.";
    FileStatus status;
    if (GetFileStatus(path, status) == 0) {
        snprintf(message, size, "Profile `%s` already exists\n", kept.c_str());
        return message;
    }
    return nullptr;
}

ProfileScreen::ProfileScreen()
{
    CopyText(selectedName, sizeof selectedName, "#");
}

ProfileScreen::~ProfileScreen()
{
    delete unitHighlight;
    delete weaponHighlight;
    delete hintBack;
    delete hintRim;
    if (hintBox && !hintBox->parent) delete hintBox;
    // The viewers show the profile's rig; they forget it before it goes.
    if (rigPreview) rigPreview->SetEntity(nullptr);
    if (pilotPreview) pilotPreview->SetEntity(nullptr);
}

template <class W> W* ProfileScreen::Keep(W* window)
{
    owned_.emplace_back(window);
    return window;
}

void ProfileScreen::Build()
{
    BuildProfilesWindow();
    BuildNewProfileWindow();
}

// A page of the profile screens: a frameless top window with the blue frame and the banner
// carrying its title over the frame's top edge.
Window* ProfileScreen::FramedPage(const char* caption, int id, const char* title, int left, int top, int width,
                                  int height)
{
    Window* window = Keep(new Window());
    CopyText(window->caption, sizeof window->caption, caption);
    window->id = id;
    window->flags |= WINDOW_FRAMELESS;
    window->AddChild(Keep(new Window(left, top, width, height, "wframe_blue.dds")));
    Button* banner = Keep(new Button(nullptr, nullptr, left + width / 4, top - UnitH(16), width / 2, UnitH(32), 0,
                                     nullptr, "data/gui/missionbanner.dds", "data/gui/missionbanner.dds", nullptr, 0,
                                     0, 0));
    banner->SetText(title);
    window->AddChild(banner);
    return window;
}

void ProfileScreen::BuildProfilesWindow()
{
    const int W = ScreenWidth(), H = ScreenHeight();
    const int height = H * 118 / 192, width = (int)(height * 0.625f);
    const int left = (W - width) / 2, top = (H - height) / 2;
    Window* window = profilesWindow = FramedPage("Profiles", PROFILES_WINDOW_ID, "Profiles", left, top, width, height);

    const int margin = UnitH(16);
    const int inner = width - 2 * margin;
    int y = top + UnitH(28);
    window->AddChild(Keep(new Window(left + margin, y, inner, UnitH(40), "wframe_black.dds")));
    // The window is narrow: the line and the buttons below speak in the list's smaller font.
    const int captionW = inner * 9 / 20;
    window->AddChild(Keep(new Label("Current Profile:", left + margin + UnitH(10), y + UnitH(12), captionW, UnitH(16), 0,
                                    GuiListFont, false)));
    currentLabel = Keep(new Label("#", left + margin + UnitH(14) + captionW, y + UnitH(12), inner - captionW - UnitH(20),
                                  UnitH(16), 0, GuiListFont, false));
    window->AddChild(currentLabel);

    y += UnitH(52);
    const int rowH = H / 24;
    window->AddChild(Keep(new Window(left + margin, y, inner, rowH * MAX_ROWS + UnitH(16), "wframe_blue.dds")));
    y += UnitH(8);
    const int iconW = rowH, levelW = UnitH(40);
    const int nameW = inner - UnitH(16) - iconW - levelW;
    for (int row = 0; row < MAX_ROWS; ++row) {
        const int x = left + margin + UnitH(8);
        Button* icon = Keep(new Button(nullptr, nullptr, x, y, iconW, rowH, 0, nullptr, "data/gui/uniticons.dds",
                                       "data/gui/uniticons.dds", nullptr, 0x4040000, 0x4040000, 0));
        icon->SetImage("data/gui/highlight_blue.dds", 0);
        Button* name = Keep(new Button(nullptr, RowCallback, x + iconW, y, nameW, rowH, 0, GuiListFont,
                                       "data/gui/solid_grey.dds", "data/gui/solid_charcoal.dds", nullptr, 0, 0, 0));
        name->radioGroup = ROW_GROUP;
        SetUserValue(name, row);
        Button* level = Keep(new Button(nullptr, nullptr, x + iconW + nameW, y, levelW, rowH, 0, GuiListFont,
                                        "data/gui/solid_charcoal.dds", "data/gui/solid_charcoal.dds", nullptr, 0, 0, 0));
        for (Button* b : {icon, name, level}) window->AddChild(b);
        rowIcons[row] = icon;
        rowNames[row] = name;
        rowLevels[row] = level;
        y += rowH;
    }

    y += UnitH(24);
    const int buttonW = (inner - 2 * UnitH(8)) / 3, buttonH = UnitH(36);
    int x = left + margin;
    const struct {
        const char* text;
        ButtonCallback click;
        const char* face;
    } buttons[] = {{"Load", LoadCallback, "data/gui/button.dds"},
                   {"Delete", DeleteCallback, "data/gui/button_red.dds"},
                   {"Main Menu", MainMenuCallback, "data/gui/button_red.dds"}};
    for (const auto& b : buttons) {
        Button* button = Keep(TextButton(x, y, buttonW, buttonH, b.text, b.click, b.face));
        if (GuiListFont) button->style = GuiListFont;
        window->AddChild(button);
        x += buttonW + UnitH(8);
    }
    window->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(window);
    window->SetVisible(false);
}

void ProfileScreen::BuildNewProfileWindow()
{
    const int W = ScreenWidth(), H = ScreenHeight();
    const int height = H * 118 / 192, width = height * 5 / 4;
    const int left = (W - width) / 2, top = (H - height) / 2;
    Window* window = newProfileWindow =
        FramedPage("NewProfile", NEW_PROFILE_WINDOW_ID, "New Profile", left, top, width, height);

    // The choices on the left half, the previews on the right.
    const int margin = UnitH(16);
    const int half = width / 2 - margin;
    const int x0 = left + margin;
    int y = top + UnitH(28);
    window->AddChild(Keep(new Label("Enter name:", x0, y, half, UnitH(16), 0, nullptr, false)));
    y += UnitH(20);
    nameBox = Keep(new EditBox("", x0, y, half, UnitH(28), 0, nullptr, nullptr));
    nameBox->maximumLength = NAME_LENGTH;
    nameBox->enterCallback = NameEntered;
    window->AddChild(nameBox);

    y += UnitH(38);
    window->AddChild(Keep(new Label("Difficulty:", x0, y, half, UnitH(16), 0, nullptr, false)));
    y += UnitH(20);
    const int diffW = half / 4;
    for (int i = 0; i < 4; ++i) {
        Button* b = Keep(new Button(nullptr, DifficultyCallback, x0 + i * diffW, y, diffW - UnitH(2), UnitH(28), 0,
                                    GuiListFont, "data/gui/button_grey.dds", "data/gui/button.dds", nullptr, 0x1030002,
                                    0x1030002, 0));
        b->SetText(DIFFICULTIES[i]);
        b->radioGroup = DIFFICULTY_GROUP;
        SetUserValue(b, i + 1);
        window->AddChild(b);
        if (i == 1) b->SelectInGroup(DIFFICULTY_GROUP);
    }
    y += UnitH(32);
    Label* difficultyText = Keep(new Label("<profile_difficulty>", x0, y, half, UnitH(32), 0, GuiListFont, false));
    difficultyText->SetWrapWidth(half);
    window->AddChild(difficultyText);

    y += UnitH(56);
    const int iconSize = UnitH(48);
    struct ChoiceRow {
        const char* title;
        const char* sheet;
        ButtonCallback click;
        Button** buttons;
        int hintBase;
    } rows[] = {{"Choose a buildable unit", "data/gui/boticons.dds", UnitCallback, unitButtons, 1},
                {"Choose a rig weapon", "data/gui/weaponicons.dds", WeaponCallback, weaponButtons, 3}};
    for (ChoiceRow& row : rows) {
        window->AddChild(Keep(new Label(row.title, x0, y, half, UnitH(16), 0, nullptr, false)));
        y += UnitH(20);
        for (int i = 0; i < 2; ++i) {
            // Two cells of a sheet of four by four.
            const int cell = 0x4040000 | (i << 8);
            Button* b = Keep(new Button(nullptr, row.click, x0 + i * (iconSize + UnitH(12)), y, iconSize, iconSize, 0,
                                        nullptr, row.sheet, row.sheet, nullptr, cell, cell, 0));
            b->SetImage(i == 0 ? "data/gui/highlight_blue.dds" : "data/gui/highlight.dds", 0);
            SetUserValue(b, i + 1);
            b->hoverEnterCallback = ChoiceHover;
            b->hoverLeaveCallback = ChoiceLeave;
            b->hoverUserData = row.hintBase + i;
            b->hasHoverUserData = true;
            window->AddChild(b);
            row.buttons[i] = b;
        }
        y += iconSize + UnitH(8);
    }
    Label* additional = Keep(new Label("<profile_additional>", x0, y, half, UnitH(32), 0, GuiListFont, false));
    additional->SetWrapWidth(half);
    window->AddChild(additional);

    // The previews: the rig on a grid, the pilot in a circle.
    const int px = left + width / 2 + margin / 2, pw = half;
    int py = top + UnitH(28);
    const int rigH = height * 2 / 5;
    rigPreview = Keep(new ModelViewer());
    rigPreview->SetViewRect(px, py, pw, rigH);
    rigPreview->SetBackground("data/gui/grid_grad.dds");
    window->AddChild(rigPreview);
    Button* rigDrag = Keep(new Button(nullptr, nullptr, px, py, pw, rigH, 0, nullptr, "data/gui/transparent.dds",
                                      "data/gui/transparent.dds", nullptr, 0, 0, 0));
    rigDrag->hoverEnterCallback = ModelViewer::OnMouseCallback;
    rigDrag->hoverUserData = (intptr_t)rigPreview;
    rigDrag->hasHoverUserData = true;
    window->AddChild(rigDrag);
    py += rigH + UnitH(6);

    const int arrowW = UnitH(24), labelH = UnitH(26);
    auto arrowRow = [&](int atY, const char* text, ButtonCallback step, Button** nameButton) {
        for (int next = 0; next < 2; ++next) {
            const int cell = 0x2010000 | (next << 8);
            Button* arrow = Keep(new Button(nullptr, step, next ? px + pw - arrowW : px, atY, arrowW, labelH, 0, nullptr,
                                            "data/gui/arrows.dds", "data/gui/arrows.dds", nullptr, cell, cell, 0));
            SetUserValue(arrow, next);
            window->AddChild(arrow);
        }
        *nameButton = Keep(new Button(nullptr, nullptr, px + arrowW, atY, pw - 2 * arrowW, labelH, 0, GuiListFont,
                                      "data/gui/blacklabel.dds", "data/gui/blacklabel.dds", nullptr, 0, 0, 0));
        (*nameButton)->SetText(text);
        window->AddChild(*nameButton);
    };
    arrowRow(py, "Rig: Model 1", ChassisArrow, &chassisButton);
    py += labelH + UnitH(6);

    const int pilotSize = std::min(pw / 2, top + height - py - labelH - UnitH(70));
    const int pilotX = px + (pw - pilotSize) / 2;
    pilotPreview = Keep(new ModelViewer());
    pilotPreview->SetViewRect(pilotX, py, pilotSize, pilotSize);
    pilotPreview->SetBackground("data/gui/solid_charcoal.dds");
    pilotPreview->SetFrame("data/gui/pilot_circle.dds");
    window->AddChild(pilotPreview);
    Button* pilotDrag = Keep(new Button(nullptr, nullptr, pilotX, py, pilotSize, pilotSize, 0, nullptr,
                                        "data/gui/transparent.dds", "data/gui/transparent.dds", nullptr, 0, 0, 0));
    pilotDrag->hoverEnterCallback = ModelViewer::OnMouseCallback;
    pilotDrag->hoverUserData = (intptr_t)pilotPreview;
    pilotDrag->hasHoverUserData = true;
    window->AddChild(pilotDrag);
    py += pilotSize + UnitH(6);
    arrowRow(py, "Pilot 1", PilotArrow, &pilotButton);

    const int buttonW = UnitH(110), buttonH = UnitH(36);
    const int by = top + height - buttonH - margin;
    Button* ok = Keep(TextButton(left + width - margin - 2 * buttonW - UnitH(10), by, buttonW, buttonH, "OK", OkCallback,
                                 "data/gui/button.dds"));
    ok->flags |= WINDOW_DEFAULT_BUTTON;
    window->AddChild(ok);
    window->AddChild(Keep(TextButton(left + width - margin - buttonW, by, buttonW, buttonH, "Cancel", CancelCallback,
                                     "data/gui/button_red.dds")));
    window->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(window);
    window->SetVisible(false);

    const int mark = iconSize + 2 * (H / 192);
    unitHighlight = CreateGuiSprite(0, 0, mark, mark, "data/gui/highlight_outline.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    weaponHighlight = CreateGuiSprite(0, 0, mark, mark, "data/gui/highlight_outline.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    ChooseUnit(0);
    ChooseWeapon(0);
    hintBox = new Label("", 0, 0, UnitH(260), UnitH(16), 0, GuiListFont, false);
    hintBox->SetWrapWidth(UnitH(260));
    // The hint is read over the busy previews: it gets a solid panel of its own, with a rim, so
    // nothing of the page shows through its words.
    hintRim = CreateGuiSprite(0, 0, UnitH(260), UnitH(16), "data/textures/white.dds", 0xFF4F7FB8, 0, 0, 1, 1);
    hintBack = CreateGuiSprite(0, 0, UnitH(260), UnitH(16), "data/textures/white.dds", 0xFF142030, 0, 0, 1, 1);
}

void ProfileScreen::ShowProfiles(bool show)
{
    RefreshList();
    if (profilesWindow) profilesWindow->SetVisible(show);
    profilesOpen = show;
    RefreshCurrentLabel();
}

void ProfileScreen::ShowNewProfile(bool show)
{
    if (newProfileWindow) newProfileWindow->SetVisible(show);
    openedFromProfiles = show && profilesOpen;
    profilesOpen = false;
    if (nameBox) {
        const bool focused = nameBox->SetFocus(show);
        if (WindowMgr) {
            if (show && focused) WindowMgr->focused = nameBox;
            else if (WindowMgr->focused == nameBox) WindowMgr->focused = nullptr;
        }
    }
    if (!show) return;
    PlayerProfile* profile = GetPlayerProfile();
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, DEFAULT_PROFILE_SCRIPT);
    FixPath(path);
    profile->Load(path, false, false);
    // A new player has no galaxy yet: "Continue Game" waits for the profile's file.
    profile->flags &= ~PROFILE_LOADED;
    if (TheRigCatalog) TheRigCatalog->RestoreRigTextures(true);
    ShowRig(profile->rig);
    ShowPilot(profile->pilot);
}

int ProfileScreen::CountProfiles()
{
    int count = 0;
    DirectoryList list(ProfilesFolder, "*.cgs");
    for (const char* path = list.First(); path && count < MAX_ROWS; path = list.Next()) ++count;
    return count;
}

void ProfileScreen::RefreshList()
{
    DirectoryList list(ProfilesFolder, "*.cgs");
    const char* path = list.First();
    profileCount = 0;
    for (int row = 0; row < MAX_ROWS; ++row) {
        Button* name = rowNames[row];
        Button* level = rowLevels[row];
        Button* icon = rowIcons[row];
        if (!name || !level || !icon) continue;
        if (path) {
            name->SetText(BaseName(path).c_str());
            name->clickCallback = RowCallback;
            std::string headerName, chassis = "none";
            int experience = 0, credits = 0;
            ReadProfileHeader(path, &headerName, &chassis, &experience, &credits);
            char text[16];
            snprintf(text, sizeof text, "%d", LevelFromExperience(experience));
            level->SetText(text);
            const int column = StrICmp(chassis.c_str(), "basic") == 0 ? 2 : StrICmp(chassis.c_str(), "round") == 0 ? 1 : 0;
            const int cell = 0x4040000 | (column << 8);
            icon->SetIcon("data/gui/uniticons.dds", "data/gui/uniticons.dds", cell, cell);
            for (Button* b : {name, level, icon}) {
                b->SetEnabled(true);
                b->SetVisible(true);
            }
            ++profileCount;
            path = list.Next();
        } else {
            name->SetText("");
            name->clickCallback = nullptr;
            for (Button* b : {name, level, icon}) {
                b->SetEnabled(false);
                b->SetVisible(false);
            }
        }
    }
}

void ProfileScreen::SelectRow(int row)
{
    if (row < 0 || row >= MAX_ROWS || !rowNames[row] || !rowNames[row]->text[0]) return;
    CopyText(selectedName, sizeof selectedName, rowNames[row]->text);
    rowNames[row]->SelectInGroup(ROW_GROUP);
    GuiPlaySound("blip");
}

bool ProfileScreen::LoadSelected()
{
    bool loaded = false;
    if (strcmp(selectedName, "#") == 0) {
        GuiPlaySound("bad");
        return false;
    }
    PlayerProfile* profile = GetPlayerProfile();
    if (profile->LoadByName(selectedName)) {
        loaded = true;
        RefreshCurrentLabel();
        SetLastProfile(profile->name);
        SaveSettings();
        MissionScreen::SetProfileButtonsEnabled(true);
    }
    GuiPlaySound("blip");
    return loaded;
}

void ProfileScreen::DeleteSelected()
{
    if (strcmp(selectedName, "#") == 0 || StrICmp(selectedName, "default") == 0) return;
    char path[MAX_PROFILE_PATH];
    if (!PathOf(selectedName, path, sizeof path)) return;
    // The profile goes with its saves, so that a new profile of the same name finds none.
    std::string failure;
    if (!DeleteProfile(selectedName, &failure)) ShowMessage(failure.c_str());
    if (FileExists(path, false)) {
        RefreshList();
        return;
    }
    const bool wasCurrent = Config && StrICmp(Config->currentprofile, selectedName) == 0;
    CopyText(selectedName, sizeof selectedName, "#");
    if (wasCurrent) {
        PlayerProfile* profile = GetPlayerProfile();
        profile->Clear();
        profile->flags &= ~PROFILE_LOADED;
        CopyText(profile->name, sizeof profile->name, "none");
        MissionScreen::SetProfileButtonsEnabled(false);
        SetLastProfile("#");
        SaveSettings();
        RefreshCurrentLabel();
    }
    RefreshList();
}

const char* ProfileScreen::CreateProfile(const char* typed)
{
    if (const char* error = CheckNewProfileName(typed, message, sizeof message)) return error;
    const std::string name = NameAsReadBack(typed);
    char path[MAX_PROFILE_PATH];
    PathOf(name.c_str(), path, sizeof path);
    // Saves an earlier profile of this name left behind are not the new player's.
    if (!ClearSavesForNewProfile(name.c_str())) {
        snprintf(message, sizeof message, "The saves of an earlier profile '%s' could not be removed.\n", name.c_str());
        return message;
    }
    PlayerProfile* profile = GetPlayerProfile();

    // The starting unit may be built from now on, and the rig carries the starting weapon.
    if (TheGame && TheGame->agentTypes)
        if (AgentType* type = TheGame->agentTypes->FindType(STARTING_UNITS[unitChoice & 1]))
            type->flags |= AGENT_TYPE_OWNED;
    AttachRigWeapon(profile->rig, STARTING_WEAPONS[weaponChoice & 1], "rightweapon", "RightWeapon");
    const int oldSeed = profile->galaxySeed;
    std::string oldName = profile->name;
    profile->galaxySeed = (int)(((uint32_t)time(nullptr) >> 1) % 99999u);
    CopyText(profile->name, sizeof profile->name, name.c_str());
    // The profile exists once its file does: a file that cannot be written keeps the player on
    // this window, with the reason.
    if (!profile->Save(path, false)) {
        profile->galaxySeed = oldSeed;
        CopyText(profile->name, sizeof profile->name, oldName.c_str());
        snprintf(message, sizeof message, "The profile '%s' could not be saved.\n", name.c_str());
        return message;
    }
    if (profile->Load(path, false, false)) RefreshCurrentLabel();
    MissionScreen::SetProfileButtonsEnabled(true);
    SetLastProfile(name.c_str());
    SaveSettings();
    RefreshList();
    GuiPlaySound("blip");
    if (openedFromProfiles) {
        FrontEndScreenState = 8;
        if (newProfileWindow) newProfileWindow->SetVisible(false);
        ShowProfiles(true);
        return nullptr;
    }
    FrontEndScreenState = 9;
    if (newProfileWindow) newProfileWindow->SetVisible(false);
    if (profilesWindow) profilesWindow->SetVisible(false);
    OpenShop(0);
    if (nameBox) {
        nameBox->SetFocus(false);
        if (WindowMgr && WindowMgr->focused == nameBox) WindowMgr->focused = nullptr;
        nameBox->SetText("");
    }
    // The guild greets its new pilot over the galaxy.
    if (TheMessageWindow) {
        TheMessageWindow->SetGiver("guild");
        TheMessageWindow->SetText("<welcome_string>");
        TheMessageWindow->Show(true, false);
    }
    return nullptr;
}

void ProfileScreen::CancelNewProfile()
{
    if (openedFromProfiles && nameBox) nameBox->SetText("");
    if (newProfileWindow) newProfileWindow->SetVisible(false);
    if (profilesWindow) profilesWindow->SetVisible(false);
    if (nameBox && WindowMgr && WindowMgr->focused == nameBox) WindowMgr->focused = nullptr;
    PlayerProfile* profile = GetPlayerProfile();
    // Back to the player's last profile, or to none.
    const char* last = Config ? Config->currentprofile : "#";
    if (strcmp(last, "#") == 0 || !profile->LoadByName(last)) {
        SetLastProfile("#");
        profile->Clear();
        profile->flags &= ~PROFILE_LOADED;
        CopyText(profile->name, sizeof profile->name, "none");
        MissionScreen::SetProfileButtonsEnabled(false);
    }
    RefreshCurrentLabel();
    GuiPlaySound("blip");
    ReturnToMainMenu();
}

void ProfileScreen::RefreshCurrentLabel()
{
    if (currentLabel) currentLabel->SetText(GetPlayerProfile()->ShownName());
}

void ProfileScreen::ChooseUnit(int choice)
{
    unitChoice = choice & 1;
    Button* b = unitButtons[unitChoice];
    int x = 0, y = 0;
    if (b) b->GetScreenPosition(&x, &y);
    if (unitHighlight) unitHighlight->SetPosition(x - ScreenHeight() / 192, y - ScreenHeight() / 192);
    GuiPlaySound("blip");
}

void ProfileScreen::ChooseWeapon(int choice)
{
    weaponChoice = choice & 1;
    Button* b = weaponButtons[weaponChoice];
    int x = 0, y = 0;
    if (b) b->GetScreenPosition(&x, &y);
    if (weaponHighlight) weaponHighlight->SetPosition(x - ScreenHeight() / 192, y - ScreenHeight() / 192);
    GuiPlaySound("blip");
}

namespace {

// The "<rig_%s>" text of a part, or the key itself.
void SetPartText(Button* button, const char* format, const char* part)
{
    if (!button) return;
    char key[160];
    snprintf(key, sizeof key, format, part);
    button->SetText(GuiDisplayText(key));
}

}  // namespace

void ProfileScreen::StepChassis(bool next)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!TheRigCatalog || !profile->chassis) return;
    const int steps = next ? 1 : TheRigCatalog->chassisList.count - 1;
    ChassisRecord* record = profile->chassis;
    for (int i = 0; i < steps; ++i)
        if (ChassisRecord* following = TheRigCatalog->NextChassis(record)) record = following;
    profile->chassis = record;
    CopyText(profile->rigPaint, sizeof profile->rigPaint, "default");
    profile->AttachRigParts();
    ShowRig(profile->rig);
    if (record->chassis) SetPartText(chassisButton, "<rig_%s>", record->chassis->name);
    GuiPlaySound("blip");
}

void ProfileScreen::ShowRig(Agent* rig)
{
    if (!rigPreview) return;
    rigPreview->SetEntity(rig);
    rigPreview->FitWholeRig(rig, RIG_PREVIEW_DISTANCE);
    // The parts are the catalogue's, posed by whatever showed or played them last (this window
    // before, a level): the preview plays from its own start.
    if (!rig) return;
    if (rig->mesh) rig->mesh->ResetAnimationState();
    for (int i = 0; i < rig->AttachmentCount(); ++i)
        if (Entity* part = rig->Attachment(i).entity; part && part->mesh) part->mesh->ResetAnimationState();
}

void ProfileScreen::ShowPilot(RigPart* pilot)
{
    if (!pilotPreview) return;
    pilotPreview->SetEntity(pilot);
    // Framed on the neck: head and shoulders, seen from a little above. A pilot sits on its
    // seat, which stands above the mesh's origin (so that the rig's portrait, looking from the
    // pilot bone below, meets the pilot's eyes): the camera is measured from the seat, also
    // when the wheel zooms.
    const int neck = pilot && pilot->mesh ? pilot->mesh->FindJoint("Neck") : -1;
    const int seat = pilot && pilot->mesh ? pilot->mesh->FindJoint("Seat") : -1;
    pilotPreview->FitCamera(neck, 0.65f, 0.0f);
    pilotPreview->cameraOrigin = seat >= 0 ? Vec3(0.0f, pilot->mesh->joints[seat].bindTranslation.y, 0.0f) : Vec3();
    pilotPreview->SetDistance(0.5f, 1.25f);
}

void ProfileScreen::StepPilot(bool next)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!TheRigCatalog || !profile->pilot) return;
    const int steps = next ? 1 : TheRigCatalog->pilotList.count - 1;
    RigPart* pilot = profile->pilot;
    for (int i = 0; i < steps; ++i)
        if (RigPart* following = TheRigCatalog->NextPilot(pilot)) pilot = following;
    profile->pilot = pilot;
    profile->AttachRigParts();
    ShowPilot(pilot);
    SetPartText(pilotButton, "<pilot_%s>", pilot->name);
    GuiPlaySound("blip");
}

void ProfileScreen::DrawProfiles()
{
    if (Graphics) Graphics->Begin2D();
    if (WindowMgr) WindowMgr->Draw();
}

void ProfileScreen::Draw()
{
    DrawProfiles();
    if (profilesOpen || (WindowMgr && WindowMgr->modal)) return;
    if (!newProfileWindow || !newProfileWindow->IsVisible()) return;
    GuiDrawSprite(unitHighlight);
    GuiDrawSprite(weaponHighlight);
    if (hintShown && hintBox && Input.mouse) {
        const int x = Input.mouse->cursorX, y = Input.mouse->cursorY + ScreenHeight() * 10 / 192;
        if (hintBack && hintBox->font) {
            const char* shown = GuiDisplayText(hintBox->GetText());
            int lines = 0, textWidth = 0, textHeight = 0;
            const int wrappedHeight = hintBox->font->DrawWrappedText(shown, hintBox->wrapWidth, 0, 0, 0, 0, &lines);
            hintBox->GetTextSize(&textWidth, &textHeight);
            textWidth = std::min(textWidth, hintBox->wrapWidth);
            textHeight = std::max(textHeight, wrappedHeight);
            const int pad = UnitH(6);
            const int rim = std::max(1, UnitH(2));
            if (hintRim) {
                hintRim->SetRect(x - pad - rim, y - pad - rim, x + textWidth + pad + rim, y + textHeight + pad + rim);
                GuiDrawSprite(hintRim);
            }
            hintBack->SetRect(x - pad, y - pad, x + textWidth + pad, y + textHeight + pad);
            GuiDrawSprite(hintBack);
        }
        hintBox->Move(x, y);
        hintBox->Draw();
    }
}
