// What the galaxy map says about its bodies: the planet panel with a mission's picture,
// faction, giver and scrolling briefing, the tooltip that follows the mouse (and lingers a
// moment after it leaves a body), the lines the map screen writes every frame, and the short
// reminder of the current mission shown while its level loads.
#include "campaign/Galaxy.h"

#include "campaign/MissionRecord.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RandomMission.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/ModelViewer.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "interface/InfoScreen.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Effect.h"
#include "render/Font.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "terrain/Environment.h"
#include "world/Entity.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr float LINGER_SECONDS = 0.3f;
// The front end's text and highlight colours.
constexpr float TEXT_COLOUR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr float HIGHLIGHT_COLOUR[4] = {0.3f, 0.6f, 1.0f, 1.0f};
constexpr const char* ENVIRONMENT_PICTURES = "data/textures/planets/planet_environments.dds";
constexpr const char* MARKER_TEXTURE = "data/gui/planet_controls.dds";
// The environment pictures are painted in the order of the environment table.
const char* const PICTURE_ORDER[8] = {"forest", "winter", "desert", "fall", "marsh", "moon", "alien", "lava"};

struct Linger {
    float timer = 0.0f;
    CelestialBody* body = nullptr;
};
Linger TooltipLinger;

int T(float fraction) { return (int)(fraction * ScreenHeight()); }

int Value(void* user) { return user ? (int)*static_cast<intptr_t*>(user) : 0; }

Galaxy* Building = nullptr;

template <class W> W* Part(W* window)
{
    Building->Keep(window);
    Building->panel.frame->AddChild(window);
    return window;
}

Label* PanelLabel(const char* text, int x, int y, int w, int h, int fontSlot)
{
    Label* label = Part(new Label(text, x, y, w, h, 0, ScreenFont(fontSlot), false));
    label->SetWrapWidth(w);
    return label;
}

// The text of a catalogue key, or "Error: <key>" where the tables lack it.
std::string CatalogueText(const char* key)
{
    if (!key || !key[0]) return "";
    if (key[0] != '<') return key;
    const char* text = GameText(key);
    if (text && text[0]) return text;
    return std::string("Error: ") + key;
}

// The atlas cell of an environment's picture.
int EnvironmentCell(const char* name)
{
    int index = name ? Environment::FindByName(name) : -1;
    if (index < 0 || index > 7) {
        index = 0;
        for (int i = 0; name && i < 8; ++i)
            if (StrICmp(name, PICTURE_ORDER[i]) == 0) index = i;
    }
    return AtlasCellCode(2, 4, index % 2, index / 2);
}

// The environment's name as the player reads it ("<forest>" in the tables).
std::string EnvironmentText(const char* name)
{
    char key[48];
    snprintf(key, sizeof key, "<%.40s>", name ? name : "forest");
    return GuiDisplayText(key);
}

const char* SystemName(const CelestialBody* body)
{
    while (body && body->parent) body = body->parent;
    return body ? body->name : "";
}

void SetFontColour(Font* font, const float c[4])
{
    if (font) font->SetColor(c[0], c[1], c[2], c[3]);
}

int LineHeight(Font* font)
{
    TextSize size{};
    if (font) font->GetTextExtent("Ag", &size);
    return size.cy > 0 ? (int)size.cy : ScreenHeight() / 48;
}

int Width(Font* font, const std::string& text)
{
    int widest = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        widest = std::max(widest, TextWidth(font, text.substr(start, end - start).c_str()));
        start = end + 1;
    }
    return widest;
}

// Draws text line by line from (x, y); returns the y under the last line.
int DrawLines(Font* font, int x, int y, const std::string& text)
{
    const int step = LineHeight(font);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (!line.empty()) GuiDrawText(font, x, y, line.c_str());
        y += step;
        start = end + 1;
    }
    return y;
}

void DrawCentred(Font* font, int y, const std::string& text)
{
    GuiDrawText(font, (ScreenWidth() - TextWidth(font, text.c_str())) / 2, y, text.c_str());
}

const MissionRecord* StoryRecord(const CelestialBody* body)
{
    if (!body || body->storyId < 0 || !MissionScreen::missions || body->storyId >= MissionScreen::missionCount)
        return nullptr;
    return &MissionScreen::missions[body->storyId];
}

int OnBriefingWheel(void*, Button*)
{
    MouseDevice* mouse = Input.mouse;
    if (!TheGalaxy || !mouse || mouse->wheel == 0) return 1;
    const bool down = mouse->wheel < 0;
    mouse->wheel = 0;
    TheGalaxy->ScrollBriefing(down);
    return 1;
}

}  // namespace

// The mission's title a body carries: the catalogue's name of a story mission, the objective
// line of a random one.
std::string MissionTitle(const CelestialBody* body)
{
    if (!body) return "";
    if (body->storyId >= 0 && MissionScreen::missions && body->storyId < MissionScreen::missionCount)
        return CatalogueText(MissionScreen::missions[body->storyId].name);
    BuildMissionBriefing(body->mission.faction, body->mission.category, body->mission.target, body->mission.count);
    return MissionObjectiveText;
}

CelestialBody* TooltipBody(CelestialBody* hovered, float dt)
{
    if (hovered) {
        TooltipLinger.timer = LINGER_SECONDS;
        TooltipLinger.body = hovered;
        return hovered;
    }
    TooltipLinger.timer = std::max(0.0f, TooltipLinger.timer - dt);
    return TooltipLinger.timer > 0.0f ? TooltipLinger.body : nullptr;
}

void ClearTooltipLinger()
{
    TooltipLinger = Linger();
}

int OnScrollBriefing(void* user, Button*)
{
    if (TheGalaxy) TheGalaxy->ScrollBriefing(Value(user) == 1);
    GuiPlaySound("click");
    return 1;
}

bool Galaxy::PlanetPanelShown() const
{
    return panel.frame && panel.frame->IsVisible();
}

bool Galaxy::IsPointOverPanel(int x, int y) const
{
    return PlanetPanelShown() && panel.frame->firstChild && panel.frame->firstChild->HitTest(x, y);
}

void Galaxy::CreatePlanetPanel()
{
    if (panel.frame) return;
    Building = this;
    const int w = ScreenWidth(), h = ScreenHeight();
    const int pw = T(0.7916667f), ph = T(0.640625f);
    const int left = (w - pw) / 2, top = (h - ph) / 2;
    // The panel is a screen-sized frameless window at the origin holding the frame and its
    // widgets in screen pixels.
    panel.frame = Keep(new Window());
    CopyText(panel.frame->caption, sizeof panel.frame->caption, "planetPanel");
    panel.frame->flags |= WINDOW_FRAMELESS;
    panel.frame->id = windowId;
    panel.frame->x = panel.frame->y = 0;
    if (WindowMgr) WindowMgr->AddWindow(panel.frame);
    Part(new Window(left, top, pw, ph, "wframe_blue.dds"));

    const int m = T(0.0208333f), g = T(0.0104167f);
    const int columnW = T(0.2604167f);
    const int lx = left + m;
    int y = top + m;
    panel.planetLabel = PanelLabel("Planet", lx, y, columnW, T(0.025f), 0);
    y += T(0.03125f);
    const int pictureH = T(0.1302083f);
    panel.environmentPicture = Part(new Button(nullptr, nullptr, lx + 4, y + 4, columnW - 8, pictureH - 8, 0, nullptr,
                                               ENVIRONMENT_PICTURES, ENVIRONMENT_PICTURES, nullptr,
                                               AtlasCellCode(2, 4, 0, 0), AtlasCellCode(2, 4, 0, 0), 0));
    Part(new Button(nullptr, nullptr, lx, y, columnW, pictureH, 0, nullptr, "data/gui/planet_frame.dds",
                    "data/gui/planet_frame.dds", nullptr, 0, 0, 0));
    y += pictureH + g;
    panel.environmentLabel = PanelLabel("Environment", lx, y, columnW, T(0.025f), 3);
    y += T(0.03125f);
    panel.preview = Part(new ModelViewer());
    const int previewSize = T(0.1822917f);
    panel.preview->SetViewRect(lx + (columnW - previewSize) / 2, y, previewSize, previewSize);
    panel.preview->SetBackground("data/gui/black.dds");
    panel.preview->SetDistance(3.2f, 0.01f);
    panel.preview->cameraTarget = Vec3(0.0f, 0.0f, 0.0f);
    panel.preview->SetAmbient(0.25f, 0.25f, 0.25f, 1.0f);
    panel.preview->autoTurn = true;
    panel.preview->lightDirection = Vec3(-0.7f, -0.3f, 0.6f);

    // The mission's side: faction, giver, what is asked and the briefing.
    const int rx = lx + columnW + m, rw = left + pw - m - rx;
    Part(new Window(rx, top + m, rw, ph - 2 * m - T(0.0520833f), "wframe_black.dds"));
    const int crestSize = T(0.0651042f);
    int ry = top + m + g;
    panel.crest = Part(new Button(nullptr, nullptr, rx + g, ry, crestSize, crestSize, 0, nullptr, "data/gui/crests.dds",
                                  "data/gui/crests.dds", nullptr, AtlasCellCode(4, 1, 0, 0), AtlasCellCode(4, 1, 0, 0),
                                  0));
    const int giverSize = T(0.1041667f);
    const int textX = rx + g + crestSize + g, textW = rw - 3 * g - crestSize - giverSize - g;
    panel.nameLabel = PanelLabel("Name", textX, ry, textW, T(0.025f), 2);
    panel.factionLabel = PanelLabel("faction", textX, ry + T(0.0286458f), textW, T(0.02f), 3);
    panel.levelLabel = PanelLabel("Level", textX, ry + T(0.0494792f), textW, T(0.02f), 3);
    panel.giverPreview = Part(new ModelViewer());
    panel.giverPreview->SetViewRect(rx + rw - g - giverSize, ry, giverSize, giverSize);
    panel.giverPreview->SetBackground("data/gui/guildback.dds");
    panel.giverLabel = PanelLabel("<faction name>", rx + rw - g - giverSize, ry + giverSize + 2, giverSize,
                                  T(0.04f), 4);
    ry += crestSize + g;
    panel.objectivesTop = ry;
    panel.objectivesLabel = PanelLabel("Objectives", rx + g, ry, textW, T(0.02f), 0);
    ry += T(0.0260417f);
    panel.descLabel = PanelLabel("desc", rx + g, ry, rw - 3 * g - giverSize, T(0.04f), 3);
    ry = std::max(ry + T(0.0520833f), top + m + g + giverSize + T(0.0625f));
    const int arrowSize = h / 32;
    const int briefingH = top + ph - m - T(0.0520833f) - g - ry;
    panel.briefingTop = ry;
    panel.briefingBottom = ry + briefingH;
    panel.briefingBacking = Part(new Button(nullptr, nullptr, rx + g, ry, rw - 2 * g, briefingH, 0, nullptr,
                                            "data/gui/solid_charcoal.dds", "data/gui/solid_charcoal.dds", nullptr, 0, 0,
                                            0));
    panel.briefingBacking->hoverEnterCallback = OnBriefingWheel;
    const int briefingW = rw - 4 * g - arrowSize;
    panel.briefingLabel = PanelLabel("<none>", rx + 2 * g, ry + g / 2, briefingW, briefingH - g, 3);
    panel.upArrow = Part(new Button(nullptr, OnScrollBriefing, rx + rw - g - arrowSize - 2, ry + 2, arrowSize, arrowSize,
                                    0, nullptr, "data/gui/arrows_updown.dds", "data/gui/arrows_updown.dds", nullptr,
                                    AtlasCellCode(2, 2, 0, 0), AtlasCellCode(2, 2, 0, 1), 0));
    panel.upArrow->hasUserData = true;
    panel.upArrow->userData = 0;
    panel.downArrow = Part(new Button(nullptr, OnScrollBriefing, rx + rw - g - arrowSize - 2,
                                      ry + briefingH - arrowSize - 2, arrowSize, arrowSize, 0, nullptr,
                                      "data/gui/arrows_updown.dds", "data/gui/arrows_updown.dds", nullptr,
                                      AtlasCellCode(2, 2, 1, 0), AtlasCellCode(2, 2, 1, 1), 0));
    panel.downArrow->hasUserData = true;
    panel.downArrow->userData = 1;
    ShowButton(panel.upArrow, false);
    ShowButton(panel.downArrow, false);

    const int buttonW = T(0.15625f), buttonH = T(0.0390625f);
    const int buttonY = top + ph - m - buttonH;
    auto button = [&](const char* face, const char* text, int x, ButtonCallback click) {
        Button* b = Part(new Button(nullptr, click, x, buttonY, buttonW, buttonH, 0, ScreenFont(0), face, face, nullptr,
                                    0x1030001, 0x1030002, 0));
        b->SetImage(face, 0x1030000);
        b->SetText(text);
        b->hasUserData = true;
        b->userData = 0;
        return b;
    };
    const int middle = left + pw / 2;
    panel.acceptButton = button("data/gui/button.dds", "Accept", middle - buttonW - g, OnAcceptMission);
    panel.closeButton = button("data/gui/button_red.dds", "Close", middle + g, OnMissionBriefing);
    // Escape closes the briefing alone: the system behind it stays, and so does the body the
    // player clicked, ready to be briefed and accepted again.
    panel.closeButton->flags |= WINDOW_CANCEL_BUTTON;
    // The window reaches over the panel, so that all of it is drawn and takes the mouse.
    panel.frame->FitToChildren(1, 1, 0, 0);
    panel.frame->SetVisible(false);
}

void Galaxy::ScrollBriefing(bool down)
{
    Label* label = panel.briefingLabel;
    if (!label) return;
    int lines = 0;
    label->SetScroll(0, 0, &lines);
    panel.lineCount = lines;
    const int shown = panel.linesShown;
    panel.firstLine = std::clamp(panel.firstLine + (down ? 1 : -1), 0, std::max(0, lines - shown));
    label->SetScroll(panel.firstLine, shown, nullptr);
    FollowArrows(panel.upArrow, panel.downArrow, panel.firstLine, shown, lines);
}

namespace {

// The briefing's text; StackUnderName shows it from its first line once the box has its size.
void ShowBriefing(PlanetPanel& panel, const std::string& text)
{
    if (panel.briefingLabel) panel.briefingLabel->SetText(text.c_str(), false);
}

void SetText(Label* label, const std::string& text)
{
    if (label) label->SetText(text.c_str(), false);
}

int WrappedHeight(const Label* label, int* lines = nullptr)
{
    if (!label || !label->font) return 0;
    int count = 0;
    const char* shown = GuiDisplayText(label->GetText());
    const int height = shown[0] ? label->font->DrawWrappedText(shown, label->wrapWidth, 0, 0, 0, 0, &count) : 0;
    if (lines) *lines = count;
    return height;
}

// The heading laid out top to bottom: the faction and level lines under the mission's name as
// it wraps (a long name, or a locked body's notice, takes two lines), "Objectives" and the
// summary under them, and the briefing box below, as tall as what is left; then the briefing
// from its first line, as many lines as the box holds, the arrows shown when it holds less.
void StackUnderName(PlanetPanel& panel)
{
    Label* name = panel.nameLabel;
    if (!name || !name->font || !panel.factionLabel || !panel.levelLabel) return;
    const int below = name->y + std::max(WrappedHeight(name), T(0.0286458f));
    panel.factionLabel->Move(panel.factionLabel->x, below);
    const bool faction = panel.factionLabel->GetText()[0] != '\0';
    const int levelY =
        faction ? below + std::max(T(0.0208334f), LineHeight(panel.factionLabel->font)) : below;
    panel.levelLabel->Move(panel.levelLabel->x, levelY);
    const int levelBottom = levelY + std::max(WrappedHeight(panel.levelLabel), LineHeight(panel.levelLabel->font));
    int y = std::max(panel.objectivesTop, levelBottom + T(0.0052083f));
    if (panel.objectivesLabel) {
        panel.objectivesLabel->Move(panel.objectivesLabel->x, y);
        y += T(0.0260417f);
    }
    if (panel.descLabel) {
        panel.descLabel->Move(panel.descLabel->x, y);
        y += WrappedHeight(panel.descLabel);
    }
    Label* briefing = panel.briefingLabel;
    if (!briefing || !panel.briefingBacking) return;
    const int g = T(0.0104167f);
    const int top = std::min(std::max(panel.briefingTop, y + g / 2), panel.briefingBottom - 3 * g);
    const int height = panel.briefingBottom - top;
    panel.briefingBacking->Move(panel.briefingBacking->x, top);
    panel.briefingBacking->Resize(panel.briefingBacking->width, height);
    briefing->Move(briefing->x, top + g / 2);
    briefing->Resize(briefing->width, height - g);
    if (panel.upArrow) panel.upArrow->Move(panel.upArrow->x, top + 2);
    const int step = briefing->font ? (int)briefing->font->LineHeight() : 0;
    panel.linesShown = std::max(1, (height - g) / std::max(1, step > 0 ? step : LineHeight(briefing->font)));
    panel.firstLine = 0;
    panel.lineCount = briefing->SetScroll(0, panel.linesShown, nullptr);
    FollowArrows(panel.upArrow, panel.downArrow, 0, panel.linesShown, panel.lineCount);
}

// The preview turns the body as the map draws it.
void ShowPreview(Galaxy& galaxy, const CelestialBody* body)
{
    IndexedMesh* mesh = galaxy.previewMesh;
    if (!galaxy.panel.preview) return;
    galaxy.panel.preview->SetEntity(mesh && body ? galaxy.previewEntity : nullptr);
    if (!mesh || !body) return;
    Effect* effect = body->IsGasGiant() ? galaxy.gasGiantEffect : galaxy.planetEffect;
    TextureRecord* first = body->IsGasGiant() ? galaxy.gasGiantTexture
                                              : galaxy.surfaceTextures[std::clamp((int)body->surface[0], 0, 7)];
    TextureRecord* second = body->IsGasGiant() ? nullptr : galaxy.oceanTextures[std::clamp(body->surface[1], 0, 6)];
    TextureRecord* third = body->IsGasGiant() ? nullptr : galaxy.cloudTextures[std::clamp(body->surface[2], 0, 3)];
    for (SubMesh& sub : mesh->subMeshes) {
        if (effect) sub.effect = effect;
        if (first) sub.diffuseTexture = first;
        sub.blendTexture = second;
        sub.specularMap = third;
    }
    galaxy.panel.preview->yaw = body->spinAngle;
}

}  // namespace

void Galaxy::RefreshPlanetPanel()
{
    CelestialBody* body = infoBody;
    if (!body || !panel.frame) return;
    panel.accessible = CanAccess(body);
    ShowPreview(*this, body);
    char text[160];
    snprintf(text, sizeof text, "Planet: %s", body->name);
    SetText(panel.planetLabel, text);
    if (!panel.accessible) {
        DrawPlanetPanel();
        return;
    }
    const MissionRecord* story = StoryRecord(body);
    if (!story) {
        const RandomMissionBlock& m = body->mission;
        BuildMissionBriefing(m.faction, m.category, m.target, m.count);
        SetText(panel.nameLabel, m.verb);
        SetText(panel.descLabel, MissionObjectiveText);
        ShowBriefing(panel, MissionBriefingText);
        const char* environment = BodyEnvironmentName(body->environment);
        if (panel.environmentPicture) {
            const int cell = EnvironmentCell(environment);
            panel.environmentPicture->SetIcon(ENVIRONMENT_PICTURES, ENVIRONMENT_PICTURES, cell, cell);
        }
        const char* key = GetFactionKey(m.faction);
        DrawFactionCrest(key, false);
        if (panel.giverPreview && key) {
            char path[96];
            snprintf(path, sizeof path, strcmp(key, "corporate") == 0 ? "%s%s2back.dds" : "%s%sback.dds", "data/gui/",
                     key);
            panel.giverPreview->SetBackground(path);
        }
        snprintf(text, sizeof text, "Level %d", body->levelMin);
        SetText(panel.levelLabel, text);
        SetText(panel.environmentLabel, "Environment: " + EnvironmentText(environment));
        StackUnderName(panel);
        return;
    }
    SetText(panel.nameLabel, CatalogueText(story->name));
    SetText(panel.descLabel, CatalogueText(story->description));
    ShowBriefing(panel, CatalogueText(story->briefing));
    const bool random = StrICmp(story->environment, "rand") == 0;
    const char* environment = random ? BodyEnvironmentName(body->environment) : story->environment;
    SetText(panel.environmentLabel, std::string("Environment: ") + (random ? "Unknown" : EnvironmentText(environment)));
    DrawFactionCrest(story->faction, true);
    snprintf(text, sizeof text, "Level %d", story->level);
    SetText(panel.levelLabel, text);
    StackUnderName(panel);
    if (panel.giverPreview) {
        char path[128];
        snprintf(path, sizeof path, "%s%.64sback.dds", "data/gui/", story->faction);
        panel.giverPreview->SetBackground(path);
    }
    if (panel.environmentPicture) {
        const int cell = EnvironmentCell(environment);
        panel.environmentPicture->SetIcon(ENVIRONMENT_PICTURES, ENVIRONMENT_PICTURES, cell, cell);
    }
}

void Galaxy::DrawPlanetPanel()
{
    CelestialBody* body = infoBody;
    SetText(panel.nameLabel, "You can't do this mission yet!");
    SetText(panel.briefingLabel, "");
    SetText(panel.descLabel, "");
    char text[160];
    snprintf(text, sizeof text, "Planet: %s", body ? body->name : "");
    SetText(panel.planetLabel, text);
    const char* environment = BodyEnvironmentName(body ? body->environment : 0);
    if (panel.environmentPicture) {
        const int cell = EnvironmentCell(environment);
        panel.environmentPicture->SetIcon(ENVIRONMENT_PICTURES, ENVIRONMENT_PICTURES, cell, cell);
    }
    SetText(panel.factionLabel, "");
    SetText(panel.giverLabel, "");
    const int locked = AtlasCellCode(4, 4, 0, 2);
    if (panel.crest) panel.crest->SetIcon(MARKER_TEXTURE, MARKER_TEXTURE, locked, locked);
    if (panel.giverPreview) panel.giverPreview->SetBackground("data/gui/black.dds");
    snprintf(text, sizeof text, "Level %d", body ? body->levelMin : 0);
    SetText(panel.levelLabel, text);
    SetText(panel.environmentLabel, "Environment: " + EnvironmentText(environment));
    panel.firstLine = panel.lineCount = 0;
    ShowButton(panel.upArrow, false);
    ShowButton(panel.downArrow, false);
    StackUnderName(panel);
}

void Galaxy::DrawFactionCrest(const char* key, bool chief)
{
    if (!key) {
        SetText(panel.factionLabel, "");
        SetText(panel.giverLabel, "");
        const int cell = AtlasCellCode(4, 4, 0, 2);
        if (panel.crest) panel.crest->SetIcon(MARKER_TEXTURE, MARKER_TEXTURE, cell, cell);
        return;
    }
    int faction = -1;
    for (int i = 0; i < 4; ++i)
        if (strcmp(key, GetFactionKey(i)) == 0) faction = i;
    // The crests stand side by side, guild, military, corporation, science.
    const int cell = AtlasCellCode(4, 1, faction < 0 ? 0 : faction, 0);
    if (panel.crest) panel.crest->SetIcon("data/gui/crests.dds", "data/gui/crests.dds", cell, cell);
    if (faction < 0) return;
    SetText(panel.factionLabel, GetFactionName(faction));
    const char* giver = GetMissionGiver(key, chief);
    SetText(panel.giverLabel, giver ? giver : "");
}

std::string Galaxy::TooltipText(const CelestialBody* body) const
{
    if (!body) return "";
    char text[256];
    if (!body->parent) {
        snprintf(text, sizeof text, "%s\n Level:[%d-%d]\n", body->name, body->levelMin, body->levelMax);
        return text;
    }
    std::string out = std::string(SystemName(body)) + "-" + body->name + "\n";
    if (body->IsGasGiant()) return out + "Gas giant";
    out += EnvironmentText(BodyEnvironmentName(body->environment)) + "\n";
    snprintf(text, sizeof text, "Mission [Level %d]\n", body->levelMin);
    out += text;
    const bool accessible = CanAccess(body), done = body->completed == 1;
    if (!accessible && !done)
        out += "????";
    else if (const MissionRecord* story = StoryRecord(body))
        out += CatalogueText(story->name);
    else
        out += body->mission.verb;
    out += done ? "\n[Mission Completed]" : accessible ? "\n[Mission Available]" : "\n[Not Available]";
    return out;
}

bool Galaxy::PlaceTooltip(int mouseX, int mouseY, int boxW, int boxH, int* x, int* y) const
{
    const int w = ScreenWidth(), h = ScreenHeight(), offset = T(0.0208333f);
    // The tooltip is drawn over every window, so it keeps off the briefing on its own.
    int panelX = 0, panelY = 0, panelW = 0, panelH = 0;
    if (PlanetPanelShown() && panel.frame->firstChild) {
        const Window* box = panel.frame->firstChild;
        box->GetScreenPosition(&panelX, &panelY);
        panelW = box->width;
        panelH = box->height;
    }
    const int xs[2] = {mouseX + offset, mouseX - offset - boxW}, ys[2] = {mouseY + offset, mouseY - offset - boxH};
    for (int side = 0; side < 4; ++side) {
        *x = std::clamp(xs[side % 2], 0, std::max(0, w - boxW));
        *y = std::clamp(ys[side / 2], 0, std::max(0, h - boxH));
        const bool covers =
            *x < panelX + panelW && panelX < *x + boxW && *y < panelY + panelH && panelY < *y + boxH;
        if (!covers) return true;
    }
    return false;
}

void Galaxy::BuildTooltip(CelestialBody* body)
{
    if (!body) return;
    MouseDevice* mouse = Input.mouse;
    Font* font = ScreenFont(3);
    const std::string text = TooltipText(body);
    int boxW = T(0.1979167f);
    boxW = std::max(boxW, Width(font, text) + T(0.03125f));
    const int pad = T(0.0130208f);
    int boxH = !body->parent ? T(0.0755208f) : body->IsGasGiant() ? T(0.0625f) : T(0.1236979f);
    // Taller too when the lines need it (a star's meter has a line of its own).
    int lines = 1;
    for (char c : text) lines += c == '\n';
    if (!body->parent) ++lines;
    boxH = std::max(boxH, lines * LineHeight(font) + 2 * pad);
    // The label's rule runs across the lowest 6/32 of its height: the last line ends above it.
    constexpr int LABEL_ROWS = 32, RULE_TOP_ROW = 26;
    boxH = std::max(boxH, (lines * LineHeight(font) + pad + 2) * LABEL_ROWS / RULE_TOP_ROW + 1);
    int x = 0, y = 0;
    if (!PlaceTooltip(mouse ? mouse->cursorX : 0, mouse ? mouse->cursorY : 0, boxW, boxH, &x, &y)) return;
    Sprite* frame = tooltipFrames[CanAccess(body) ? 0 : 1];
    if (frame) {
        frame->SetRect(x, y, x + boxW, y + boxH);
        frame->SetColor(0xFFFFFFFF);
        GuiDrawSprite(frame);
    }
    SetFontColour(font, TEXT_COLOUR);
    int below = DrawLines(font, x + pad, y + pad, text);
    if (!body->parent) {
        // The star's share of missions done, as a meter.
        int total = 0, completed = 0;
        CountMissionBodies(body, &total, &completed);
        const int percent = total > 0 ? completed * 100 / total : 0;
        const int meterW = boxW - 2 * pad, meterH = std::max(4, LineHeight(font));
        below = std::min(below, y + boxH - pad - meterH);
        if (tooltipMeterBack) {
            tooltipMeterBack->SetRect(x + pad, below, x + pad + meterW, below + meterH);
            GuiDrawSprite(tooltipMeterBack);
        }
        if (tooltipMeter && percent > 0) {
            tooltipMeter->SetRect(x + pad, below, x + pad + meterW * percent / 100, below + meterH);
            GuiDrawSprite(tooltipMeter);
        }
        char line[48];
        snprintf(line, sizeof line, "  %d%% complete", percent);
        GuiDrawText(font, x + pad, below, line);
    }
}

void Galaxy::DrawInfoPanel()
{
    const float dt = IsGuiPaused() ? 0.0f : std::clamp(FrameTimer.delta, 0.0f, 0.1f);
    UpdateStartButton(dt);
    const int w = ScreenWidth(), h = ScreenHeight();
    Font* font = ScreenFont(3);
    Font* small = ScreenFont(3);

    SetFontColour(font, TEXT_COLOUR);
    if (selectedBody) {
        char text[160];
        snprintf(text, sizeof text, "Current Mission: %s", selectedBody->name);
        DrawCentred(font, h - T(0.0703125f), text);
        SetFontColour(font, HIGHLIGHT_COLOUR);
        DrawCentred(font, h - T(0.0390625f), MissionTitle(selectedBody));
    } else {
        DrawCentred(font, h - T(0.0703125f), GuiDisplayText(galaxyView == 1 ? "<select_galaxy>" : "<select_planet>"));
    }

    if (galaxyView == 1) {
        BuildTooltip(hoveredBody);
        int completed = 0, total = 0;
        CountMissions(&completed, &total);
        char text[96];
        snprintf(text, sizeof text, "Completed Missions: %d/%d (%.1f%%)", completed, total,
                 total > 0 ? completed * 100.0 / total : 0.0);
        SetFontColour(small, TEXT_COLOUR);
        GuiDrawText(small, w - T(0.0208333f) - TextWidth(small, text), T(0.0260417f), text);
        if (Config && Config->debugMode) {
            // The missions per level, under the page's buttons on the left, where nothing
            // else of the galaxy view is drawn.
            const int left = T(0.0208333f), top = T(0.25f);
            for (int level = 0; level < LEVEL_COUNT; ++level) {
                snprintf(text, sizeof text, "%d\n%d", level, MissionsPerLevel[level]);
                DrawLines(small, left + (int)(level * 0.0364583f * h), top, text);
            }
            snprintf(text, sizeof text, "Mission planets: %d", NextMissionId);
            GuiDrawText(small, left, top + T(0.0520833f), text);
        }
    } else {
        if (clickedBody) {
            // The chosen body, beside the map.
            std::string block;
            char line[160];
            if (clickedBody->parent) {
                block = "Selected Planet\n";
                snprintf(line, sizeof line, "Name: %s\n", clickedBody->name);
                block += line;
                if (clickedBody->IsGasGiant()) {
                    block += "Gas giant";
                } else if (const MissionRecord* story = StoryRecord(clickedBody)) {
                    const bool random = StrICmp(story->environment, "rand") == 0;
                    block += "Environment: " + (random ? std::string("Unknown") : EnvironmentText(story->environment));
                    block += "\n" + (CanAccess(clickedBody) ? CatalogueText(story->name) : std::string("???"));
                } else {
                    block += "Environment: " + EnvironmentText(BodyEnvironmentName(clickedBody->environment));
                }
            } else {
                snprintf(line, sizeof line, "Name: %s\nPlanets: %d", clickedBody->name, clickedBody->CountPlanets());
                block = line;
            }
            // Right-aligned under the "Mission Briefing" button.
            SetFontColour(small, TEXT_COLOUR);
            const int right = w - T(0.0416667f), step = LineHeight(small);
            int lineY = T(0.3645833f);
            size_t start = 0;
            while (start < block.size()) {
                size_t end = block.find('\n', start);
                if (end == std::string::npos) end = block.size();
                const std::string line = block.substr(start, end - start);
                GuiDrawText(small, right - TextWidth(small, line.c_str()), lineY, line.c_str());
                lineY += step;
                start = end + 1;
            }
        } else if (missionBriefingButton) {
            missionBriefingButton->SetVisible(false);
        }
        BuildTooltip(TooltipBody(hoveredBody, dt));
    }

    if (PlanetPanelShown() && panel.accessible && infoBody) {
        const MissionRecord* story = StoryRecord(infoBody);
        int experience = story ? story->experienceReward : infoBody->mission.experienceReward;
        int credits = story ? story->creditReward : infoBody->mission.creditReward;
        char text[96];
        // Under the planet's preview.
        const int pw = T(0.7916667f), ph = T(0.640625f);
        const int x = (w - pw) / 2 + T(0.0208333f);
        int y = (h - ph) / 2 + T(0.4192708f);
        SetFontColour(font, HIGHLIGHT_COLOUR);
        GuiDrawText(font, x, y, "Rewards");
        y += LineHeight(font);
        SetFontColour(small, TEXT_COLOUR);
        snprintf(text, sizeof text, "%d Experience points", experience);
        GuiDrawText(small, x, y, text);
        y += LineHeight(small);
        snprintf(text, sizeof text, "%d Credits", credits);
        GuiDrawText(small, x, y, text);
        y += LineHeight(small);
        for (int i = 0; story && i < story->objectiveCount; ++i) {
            const Objective* objective = story->objectives[i];
            if (!IsBriefed(objective)) continue;
            // As the mission's briefing lists it: its text carries its count.
            BriefedObjectiveLine(objective, text, sizeof text);
            GuiDrawText(small, x, y, text);
            y += LineHeight(small);
        }
    }
}

void Galaxy::DrawMissionInfo()
{
    if (!selectedBody) return;
    Font* font = ScreenFont(0);
    const int h = ScreenHeight();
    const int y = T(0.5338542f);
    SetFontColour(font, TEXT_COLOUR);
    if (const MissionRecord* story = StoryRecord(selectedBody)) {
        const MissionRecord* current = MissionScreen::GetCurrentMission();
        if (!current) current = story;
        DrawCentred(font, y, "Mission: " + CatalogueText(current->name));
        SetFontColour(font, HIGHLIGHT_COLOUR);
        DrawCentred(font, y + (int)(0.03125f * h), CatalogueText(current->description));
        return;
    }
    char text[160];
    snprintf(text, sizeof text, "Planet: %s %s", SystemName(selectedBody), selectedBody->name);
    DrawCentred(font, y, text);
    SetFontColour(font, HIGHLIGHT_COLOUR);
    DrawCentred(font, y + (int)(0.03125f * h), MissionTitle(selectedBody));
    const uint32_t tint = 0xFFFFFFFF;
    if (environmentFrame) {
        environmentFrame->SetColor(tint);
        GuiDrawSprite(environmentFrame);
    }
    if (environmentSprite) {
        environmentSprite->SetAtlasCell(EnvironmentCell(BodyEnvironmentName(selectedBody->environment)));
        environmentSprite->SetColor(tint);
        GuiDrawSprite(environmentSprite);
    }
}
