// Text a player reads, on the real start-up at two screen sizes: every text of a screen is taken
// as the frame draws it, and no two of them may cover each other, nor run out of their frame,
// nor sit on a control; each screen is also kept as a picture. The walks also type a name, visit
// the options from the main menu and watch the galaxy's planets go round, as a player does, with
// the frame rate and the clock shown over the front end.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/ProfileScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/EditBox.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "interface/AchievementsGui.h"
#include "interface/CharacterGui.h"
#include "interface/ItemScrollList.h"
#include "interface/MissionLogGui.h"
#include "interface/HotkeysGui.h"
#include "interface/InGameMenu.h"
#include "interface/MissionBriefingGui.h"
#include "interface/OptionsWindow.h"
#include "platform/ConfigFile.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "terrain/ScanPulses.h"
#include "tools/TerrainEditor.h"

#include <algorithm>

using namespace playersession;

namespace {

struct Box {
    int left, top, right, bottom;
    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Contains(const Box& o) const { return o.left >= left && o.top >= top && o.right <= right && o.bottom <= bottom; }
};

std::ostream& operator<<(std::ostream& out, const Box& b)
{
    return out << "[" << b.left << "," << b.top << " - " << b.right << "," << b.bottom << "]";
}

// Everything the GUI draws in a frame, as it goes to the screen: each text with the box its
// letters take and its colour, each quad with its rectangle, in drawing order.
class DrawnFrame : public GuiPainter {
public:
    struct Text {
        std::string text;
        Box box;
        float r, g, b;
        bool shadow;
        int order;
    };
    struct Quad {
        Box box;
        uint32_t colour;
        int order;
    };

    DrawnFrame() { SetGuiPainter(this); }
    ~DrawnFrame() override { SetGuiPainter(nullptr); }

    void DrawSprite(Sprite* sprite) override
    {
        quads.push_back({{sprite->left, sprite->top, sprite->right, sprite->bottom}, sprite->colour, order++});
        GuiPainter::DrawSprite(sprite);
    }
    void DrawText(Font* font, int x, int y, const char* text) override
    {
        // A closing line feed writes nothing: the letters end above it.
        std::string letters = text;
        while (!letters.empty() && letters.back() == '\n') letters.pop_back();
        TextSize size{};
        font->GetTextExtent(letters.c_str(), &size);
        texts.push_back({text, {x, y, x + size.cx, y + size.cy}, font->r, font->g, font->b, font->shadow, order++});
        GuiPainter::DrawText(font, x, y, text);
    }

    const Text* Find(const std::string& text) const
    {
        for (const Text& t : texts)
            if (t.text == text) return &t;
        return nullptr;
    }
    const Text* FindStarting(const std::string& start) const
    {
        for (const Text& t : texts)
            if (t.text.compare(0, start.size(), start) == 0) return &t;
        return nullptr;
    }
    // The texts a screen drew: from its banner on, inside its frame, blank ones left out.
    std::vector<Text> Screen(const std::string& banner, const Box& frame) const
    {
        std::vector<Text> inside;
        const Text* first = Find(banner);
        for (const Text& t : texts)
            if (first && t.order >= first->order && frame.Overlaps(t.box) && t.text.find_first_not_of(' ') != std::string::npos)
                inside.push_back(t);
        return inside;
    }

    std::vector<Text> texts;
    std::vector<Quad> quads;
    int order = 0;
};

// No two of the texts cover each other.
void ExpectApart(const std::vector<DrawnFrame::Text>& texts)
{
    for (size_t a = 0; a < texts.size(); ++a)
        for (size_t b = a + 1; b < texts.size(); ++b)
            EXPECT_FALSE(texts[a].box.Overlaps(texts[b].box))
                << "\"" << texts[a].text << "\" " << texts[a].box << " and \"" << texts[b].text << "\" " << texts[b].box;
}

// Under a modal window the rest of the screen is dimmed: after the dimming backdrop nothing is
// drawn but the window itself.
void ExpectDimmedAround(const DrawnFrame& drawn, const Box& window)
{
    const DrawnFrame::Quad* backdrop = nullptr;
    for (const DrawnFrame::Quad& quad : drawn.quads)
        if (quad.box.Contains({0, 0, Config->width, Config->height})) backdrop = &quad;
    ASSERT_NE(backdrop, nullptr) << "the backdrop";
    for (const DrawnFrame::Quad& quad : drawn.quads)
        if (quad.order > backdrop->order) {
            EXPECT_TRUE(window.Contains(quad.box)) << quad.box << " over the backdrop";
        }
}

// The pixels of a part of a picture that look like the yellow of a rule.
int YellowPixels(const Pixels& picture, const Box& area)
{
    int count = 0;
    for (int y = std::max(0, area.top); y < std::min(picture.height, area.bottom); ++y)
        for (int x = std::max(0, area.left); x < std::min(picture.width, area.right); ++x) {
            const uint32_t p = picture.argb[(size_t)y * picture.width + x];
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            count += r > 180 && g > 140 && b < 130;
        }
    return count;
}

Box ScreenBox(const Window* window)
{
    int x = 0, y = 0;
    window->GetScreenPosition(&x, &y);
    return {x, y, x + window->width, y + window->height};
}

class ReadableText : public PlayerSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {}

    // The player "Pilot" of the session's fixture, started at this walk's screen size.
    void StartAt(const char* folder, const std::string& settings)
    {
        base = MakeTempFolder(folder);
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        std::string profile = ReadTextFile("data/scripts/default_profile.cgs");
        ASSERT_FALSE(profile.empty());
        for (const auto& edit : std::vector<std::pair<std::string, std::string>>{
                 {"name\t\tnew player", "name\t\tPilot"}, {"galaxyseed\t-1", std::string("galaxyseed\t") + GALAXY_SEED}}) {
            size_t at = profile.find(edit.first);
            ASSERT_NE(at, std::string::npos) << edit.first;
            profile.replace(at, edit.first.size(), edit.second);
        }
        WriteTextFile(std::string(UserFolder) + "/profiles/Pilot.cgs", profile);
        WriteTextFile(std::string(UserFolder) + "/settings.cfg", settings);
        const char* argv[] = {"veldmark", "-windowed", GetParam()};
        LogCaptureBegin();
        started = StartUp(3, const_cast<char**>(argv));
        startLog = LogCaptureEnd();
        if (!started) GTEST_SKIP() << "no display for the game's window";
        FrameTimer.SetClock(&ScriptedClock);
        FrameTimer.Init(true);
        FrameTimer.SetSmoothing(false);
        FramePacing.SetClock(&ScriptedClock, ScriptedSleep);
    }

    std::string Size() const { return std::to_string(Config->width) + "x" + std::to_string(Config->height); }

    // One frame drawn and recorded, the cursor where it is (or put away in the corner).
    void Record(DrawnFrame& frame, bool parkCursor = false)
    {
        // Out of the way of the screens, and away from the edges that scroll the view.
        if (parkCursor) MoveMouseTo(Config->width * 35 / 100, Config->height / 10);
        frame.texts.clear();
        frame.quads.clear();
        const int presented = PresentedFrames;
        RenderFrame();
        // The start screen draws at its own rate: when this was not its frame, the next is.
        if (PresentedFrames == presented) Passes(1, START_SCREEN_FRAME_SECONDS);
        // A front end that stands still draws no frame of its own: a screenshot asks for one.
        if (PresentedFrames == presented) {
            Graphics->SaveScreenshot((base + "/recorded.png").c_str(), Config->width, Config->height);
            RenderFrame();
        }
    }

    // The part of the screen the last frame drawn shows, kept as the picture of that name.
    void CheckPicture(const std::string& name, const Box& area)
    {
        RenderFrame();
        Pixels frame = ReadBackBuffer(Graphics->device);
        const int x0 = std::max(0, area.left), y0 = std::max(0, area.top);
        const int x1 = std::min(frame.width, area.right), y1 = std::min(frame.height, area.bottom);
        Pixels part = CropPixels(frame, x0, y0, x1, y1);
        EXPECT_TRUE(MatchesReference(part, name + "_" + Size(), {12, part.width * part.height / 50}));
    }

    Box FrameOf(const InfoScreen* screen) const
    {
        // The frame stands in the middle of the screen.
        return {screen->FrameLeft(), screen->FrameTop(), Config->width - screen->FrameLeft(),
                screen->FrameTop() + screen->FrameHeight()};
    }
};

// The front end: the main menu before and after the options and their resolution list, a name
// typed with Shift and the hints of the new profile's choices, the galaxy's map, planets and
// tooltip, the shop's unit page, and "Loading..." on the way into a level.
TEST_P(ReadableText, TheFrontEndReadsAndAnswersAsItShows)
{
    StartAt("readable_front", "mainMenuEnabled true\ncurrentprofile Pilot\nshowFPS true\nshowClock true\n");
    ASSERT_EQ(TheGame->state, GAME_STATE_INTRO);
    Passes(2, 0.02f);
    WndProc(shelltest::Key(WM_KEYDOWN, VK_ESCAPE));
    Passes(2, 0.05f);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    Window* menu = MissionScreen::windows[0];
    ASSERT_TRUE(menu && menu->IsVisible());

    // The menu's words are blue.
    DrawnFrame drawn;
    Record(drawn);
    const DrawnFrame::Text* newGame = drawn.Find("New Game");
    ASSERT_NE(newGame, nullptr);
    const float menuColour[3] = {newGame->r, newGame->g, newGame->b};
    EXPECT_LT(menuColour[0], 0.7f) << "the menu writes in blue";
    EXPECT_GT(menuColour[2], 0.9f);
    // A look at the options: every page and the hotkeys, then "Done".
    ClickOn(FindButton(menu, "Options"));
    ASSERT_TRUE(TheOptionsWindow->shown);
    for (const char* tab : {"Graphics", "Sound", "Game"}) ClickOn(FindShownButton(TheOptionsWindow->window, tab));
    // The resolution list: its note wraps inside its frame.
    ClickOn(FindShownButton(TheOptionsWindow->window, "Graphics"));
    ClickOn(TheOptionsWindow->resolutionButton);
    Record(drawn, true);
    {
        const Box frame = ScreenBox(TheOptionsWindow->resolutionList->firstChild);
        ASSERT_NE(drawn.FindStarting("NOTE:"), nullptr);
        for (const DrawnFrame::Text& t : drawn.Screen(TheOptionsWindow->resolutionEntries.front()->text, frame))
            EXPECT_TRUE(frame.Contains(t.box)) << t.text << " " << t.box;
        CheckPicture("readable_resolution_list", frame);
    }
    ClickOn(FindButtonWithin(TheOptionsWindow->resolutionList, "Cancel"));
    ClickOn(FindButtonWithin(TheOptionsWindow->window, "Hotkeys"));
    Passes(2, 0.05f);
    ClickOn(TheHotkeysGui->closeButton);
    ClickOn(FindButtonWithin(TheOptionsWindow->window, "Done"));
    ASSERT_FALSE(TheOptionsWindow->shown);

    // "New Game", the story skipped: the new profile's page.
    ClickOn(FindButton(menu, "New Game"));
    Passes(2, 0.05f);
    WndProc(shelltest::Key(WM_KEYDOWN, VK_ESCAPE));
    Passes(2, 0.05f);
    ASSERT_EQ(FrontEndScreenState, 9);
    ASSERT_NE(TheProfileScreen, nullptr);
    ASSERT_EQ(WindowMgr->focused, TheProfileScreen->nameBox);

    // A name typed with Shift for its first letter only: the letter after the release is small,
    // even when both come before the next look at the keyboard.
    int exitCode = 0;
    InputScript::KeyDown(DIK_LSHIFT);
    Passes(1, 0.02f);
    InputScript::Tap(DIK_A);
    DrainMessages(&exitCode);
    InputScript::KeyUp(DIK_LSHIFT);
    InputScript::Tap(DIK_D);
    InputScript::Tap(DIK_A);
    DrainMessages(&exitCode);
    Passes(1, 0.02f);
    EXPECT_STREQ(TheProfileScreen->nameBox->GetText(), "Ada");

    // Resting on a choice shows its hint on a backing of its own, under the pointer.
    const struct {
        Button* button;
        const char* what;
    } choices[] = {{TheProfileScreen->unitButtons[1], "unit"}, {TheProfileScreen->weaponButtons[0], "weapon"}};
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.what);
        ASSERT_NE(choice.button, nullptr);
        Box button = ScreenBox(choice.button);
        MoveMouseTo((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        Passes(3, 0.05f);
        Record(drawn);
        ASSERT_TRUE(TheProfileScreen->hintShown);
        const DrawnFrame::Text* hint = drawn.Find(TheProfileScreen->hintBox->GetText());
        const std::string shown = GuiDisplayText(TheProfileScreen->hintBox->GetText());
        for (const DrawnFrame::Text& t : drawn.texts)
            if (shown.compare(0, std::min(shown.size(), t.text.size()), t.text) == 0 && t.box.top > button.top)
                hint = &t;
        ASSERT_NE(hint, nullptr) << "the hint is written";
        Box back = {};
        for (const DrawnFrame::Quad& quad : drawn.quads)
            if (quad.order < hint->order && quad.box.Contains(hint->box) && quad.box.right - quad.box.left < Config->width / 2)
                back = quad.box;
        ASSERT_GT(back.right, back.left) << "a backing under the hint " << hint->box;
        // It hides the page: above the words each row of it is of one colour.
        const int wordsTop = hint->box.top;
        RenderFrame();
        const Pixels frame = ReadBackBuffer(Graphics->device);
        for (int y = back.top + 3; y < wordsTop - 1; ++y)
            for (int x = back.left + 3; x < back.right - 3; ++x)
                ASSERT_EQ(frame.argb[(size_t)y * frame.width + x], frame.argb[(size_t)y * frame.width + back.left + 3]) << x << ", " << y;
        if (choice.button == TheProfileScreen->weaponButtons[0]) {
            Box around = {button.left - 20, button.top, button.left + Config->height / 2, button.bottom + Config->height / 6};
            CheckPicture("readable_profile_hint", around);
        }
    }

    // Cancelled, back to the menu and on to the galaxy: in a star system the planets go round,
    // and every pass shows them where they are, so a click aims at what is seen.
    ClickOn(FindButton(TheProfileScreen->newProfileWindow, "Cancel"));
    ASSERT_EQ(FrontEndScreenState, 0);
    ClickOn(FindButton(menu, "Continue Game"));
    ASSERT_EQ(FrontEndScreenState, 2);
    // The frame rate and the clock stand clear of a screen's own words in the corner.
    auto statusClearOf = [&](const char* words) {
        std::vector<DrawnFrame::Text> corner;
        for (const char* start : {words, "FPS:", "       Clock:"})
            if (const DrawnFrame::Text* t = drawn.FindStarting(start)) corner.push_back(*t);
        EXPECT_EQ(corner.size(), 3u) << words;
        // (No picture: the clock and the frame rate change from run to run.)
        ExpectApart(corner);
    };
    Record(drawn, true);
    statusClearOf("Completed Missions");
    CelestialBody* body = TheGalaxy->FindBodyByStoryId(0);
    ASSERT_NE(body, nullptr);
    while (body->parent && body->parent->parent) body = body->parent;
    for (int s = 0; s < TheGalaxy->count; ++s)
        if (&TheGalaxy->systems[s] == body->parent) TheGalaxy->selectedSystem = s;
    TheGalaxy->SetGalaxyView(false);
    Passes(2, 0.05f);
    MoveMouseTo(Config->width / 2, 4);
    Passes(2, 0.05f);
    const int framesBefore = PresentedFrames;
    const float angleBefore = body->orbitAngle;
    Passes(20, 0.05f);
    EXPECT_NE(body->orbitAngle, angleBefore) << "the planet moves";
    EXPECT_GE(PresentedFrames - framesBefore, 18) << "the moving map is drawn on every pass";
    // Aimed at where it is drawn, the pointer finds the planet.
    int x = 0, y = 0;
    Vec3 centre(body->world._41, body->world._42, body->world._43);
    const Matrix savedView = ViewMatrix, savedProjection = ProjectionMatrix;
    ViewMatrix = TheGalaxy->viewMatrix;
    ProjectionMatrix = TheGalaxy->projectionMatrix;
    Vec3 screen = ProjectToScreen(centre);
    ViewMatrix = savedView;
    ProjectionMatrix = savedProjection;
    x = (int)screen.x, y = (int)screen.y;
    MoveMouseTo(x, y);
    EXPECT_EQ(TheGalaxy->hoveredBody, body) << "at " << x << ", " << y;
    // A mission's marker, drawn over its world, finds that world too.
    CelestialBody* story = TheGalaxy->FindBodyByStoryId(0);
    ASSERT_NE(TheGalaxy->SystemMarker(story), MARKER_NONE);
    ViewMatrix = TheGalaxy->viewMatrix;
    ProjectionMatrix = TheGalaxy->projectionMatrix;
    screen = ProjectToScreen(Vec3(story->world._41, story->world._42 + story->scale + SYSTEM_MARKER_LIFT, story->world._43));
    ViewMatrix = savedView;
    ProjectionMatrix = savedProjection;
    MoveMouseTo((int)screen.x, (int)screen.y);
    EXPECT_EQ(TheGalaxy->hoveredBody, story) << "the marker at " << (int)screen.x << ", " << (int)screen.y;
    // Its tooltip: the rule at the foot of the label runs under the last line, not through it.
    Passes(2, 0.05f);
    Record(drawn);
    {
        const DrawnFrame::Text* available = drawn.Find("[Mission Available]");
        ASSERT_NE(available, nullptr);
        const Box words = available->box;
        Box label = words;
        for (const DrawnFrame::Quad& quad : drawn.quads)
            if (quad.order < available->order && quad.box.Contains(words)) label = quad.box;
        CheckPicture("readable_planet_tooltip", label);
        EXPECT_EQ(YellowPixels(ReadBackBuffer(Graphics->device), {words.right + 2, words.top, label.right - 8, words.bottom}), 0);
    }

    // The first story's briefing: its objectives, then its rewards under them.
    TheGalaxy->selectedBody = TheGalaxy->FindBodyByStoryId(0);
    TheMissionBriefing->SetVisible(true);
    MoveMouseTo(Config->width / 2, Config->height - 8);  // the band below the map
    Passes(2, 0.05f);
    Record(drawn);
    {
        SCOPED_TRACE("story briefing");
        const Box frame = FrameOf(TheMissionBriefing);
        std::vector<DrawnFrame::Text> texts = drawn.Screen("Mission Briefing", frame);
        ExpectApart(texts);
        const DrawnFrame::Text* objectives = drawn.Find("Objectives");
        const DrawnFrame::Text* rewards = drawn.Find("Rewards");
        ASSERT_TRUE(objectives && rewards);
        int listed = 0;
        for (const DrawnFrame::Text& t : texts) {
            if (t.order > objectives->order && t.order < rewards->order) {
                ++listed;
                EXPECT_LT(t.box.bottom, rewards->box.top) << "\"" << t.text << "\" stands above the rewards";
            }
        }
        EXPECT_GT(listed, 0) << "the objectives are listed";
        for (const DrawnFrame::Text& t : texts) EXPECT_TRUE(frame.Contains(t.box)) << t.text << " " << t.box;
        CheckPicture("readable_story_briefing", frame);
    }
    ClickOn(TheMissionBriefing->closeButton);

    // The fifth story's, whose title is long: in the galaxy's planet panel and in the briefing,
    // every line apart from the others, the briefing as many lines as its box holds, and each
    // objective's count once.
    {
        SCOPED_TRACE("long title");
        ScopedGlobal<bool> everyMission{MissionRequirementsIgnored, true};
        CelestialBody* const chosen = TheGalaxy->selectedBody;
        CelestialBody* fifth = TheGalaxy->FindBodyByStoryId(4);
        ASSERT_NE(fifth, nullptr);
        CelestialBody* const clicked = TheGalaxy->clickedBody;
        TheGalaxy->clickedBody = fifth;
        intptr_t open = 1;
        OnMissionBriefing(&open, nullptr);  // as the "Mission Briefing" button of its system does
        ASSERT_TRUE(TheGalaxy->PlanetPanelShown());
        MoveMouseTo(Config->width / 2, Config->height - 8);
        Passes(2, 0.05f);
        Record(drawn);
        const Box panel = ScreenBox(TheGalaxy->panel.frame->firstChild);
        std::vector<DrawnFrame::Text> texts;
        for (const DrawnFrame::Text& t : drawn.texts)
            if (panel.Contains(t.box) && t.text.find_first_not_of(' ') != std::string::npos) texts.push_back(t);
        ExpectApart(texts);
        const PlanetPanel& shown = TheGalaxy->panel;
        const Box briefing = ScreenBox(shown.briefingBacking);
        int briefingLines = 0, counted = 0;
        for (const DrawnFrame::Text& t : texts) {
            briefingLines += briefing.Contains(t.box);
            EXPECT_EQ(t.text.find("] ["), std::string::npos) << t.text;
            EXPECT_EQ(t.text.find("hallstrade"), std::string::npos) << t.text;
            counted += t.text.find("[1500]") != std::string::npos;
        }
        EXPECT_EQ(briefingLines, std::min(shown.lineCount, shown.linesShown));
        EXPECT_GE(shown.linesShown, 12) << "the box holds about fifteen lines";
        EXPECT_EQ(counted, 1) << "the fuel's count once";
        CheckPicture("readable_long_title_panel", panel);
        ClickOn(shown.closeButton);
        TheGalaxy->clickedBody = clicked;

        TheGalaxy->selectedBody = fifth;
        TheMissionBriefing->SetVisible(true);
        MoveMouseTo(Config->width / 2, Config->height - 8);
        Passes(2, 0.05f);
        Record(drawn);
        const Box frame = FrameOf(TheMissionBriefing);
        std::vector<DrawnFrame::Text> inside = drawn.Screen("Mission Briefing", frame);
        ExpectApart(inside);
        for (const DrawnFrame::Text& t : inside) EXPECT_TRUE(frame.Contains(t.box)) << t.text << " " << t.box;
        CheckPicture("readable_long_title_briefing", frame);
        ClickOn(TheMissionBriefing->closeButton);
        TheGalaxy->selectedBody = chosen;
    }

    // The achievements seen from the galaxy, and back to the menu: still in its blue.
    Window* achievements = nullptr;
    for (Window* child = TheGalaxy->container->firstChild; child; child = child->nextSibling)
        if (strcmp(child->caption, "Achievements") == 0) achievements = child;
    ClickOn(achievements);
    Passes(2, 0.05f);
    ASSERT_TRUE(TheAchievementsGui->IsOpen());
    ClickOn(TheAchievementsGui->closeButton);

    // The shop: its title clear of the frame rate and the clock, and a long description of a
    // unit ends above its price.
    ClickOn(FindButtonWithin(MissionScreen::galaxyPage, "Shop/Manage Rig"));
    CharacterGui* character = TheCharacterGui;
    ASSERT_TRUE(character && character->shopWindow->IsVisible());
    ClickOn(character->shopTabs[2]);
    {
        ItemScrollList* units = character->shopLists[2];
        int row = 0;
        auto* node = units->entries ? units->entries->head : nullptr;
        for (; node && strcmp(node->value->name, "heavy_miner") != 0; node = node->next) ++row;
        ASSERT_TRUE(node && row < units->rows) << "the heavy miner is offered";
        ClickOn(units->rowButtons[row]);
        MoveMouseTo(Config->width - 20, Config->height / 2);
        Record(drawn);
        ASSERT_TRUE(drawn.Find("Description:") && drawn.FindStarting("Cost $"));
        const int description = drawn.Find("Description:")->order, cost = drawn.FindStarting("Cost $")->order;
        std::vector<DrawnFrame::Text> panel;
        for (const DrawnFrame::Text& t : drawn.texts)
            if (t.order >= description && t.order <= cost) panel.push_back(t);
        ExpectApart(panel);
        const int top = units->y + units->rows * units->rowHeight + UnitH(8);
        CheckPicture("readable_shop_unit", {units->x, top, units->x + UnitH(312), top + UnitH(250)});
        statusClearOf("SHOP");
    }
    ClickOn(character->backButton);
    ClickOn(FindButton(TheGalaxy->container, "Main Menu"));
    ASSERT_EQ(FrontEndScreenState, 0);
    MoveMouseTo(Config->width / 2, Config->height - 8);
    Record(drawn);
    newGame = drawn.Find("New Game");
    ASSERT_NE(newGame, nullptr);
    EXPECT_EQ(newGame->r, menuColour[0]) << "the menu keeps its blue";
    EXPECT_EQ(newGame->g, menuColour[1]);
    EXPECT_EQ(newGame->b, menuColour[2]);

    // Into a level from the menu: a pause with its "Paused" word leaves the in-game menu's
    // buttons in the colour they had.
    ClickOn(FindButton(menu, "Continue Game"));
    SRand(7);
    TheGalaxy->selectedBody = TheGalaxy->PickMissionBody(FOREST);
    ASSERT_NE(TheGalaxy->selectedBody, nullptr);
    // While the level is made, "Loading..." stands in the middle of the screen.
    drawn.texts.clear();
    ASSERT_TRUE(TheGalaxy->StartSelectedMission(true));
    UntilPlaying();
    const DrawnFrame::Text* loading = drawn.Find("Loading...");
    ASSERT_NE(loading, nullptr);
    EXPECT_NEAR(loading->box.left + loading->box.right, Config->width, 4) << "centred: " << loading->box;
    // What greets the player at the level's start is closed.
    if (TheMessageDialog && TheMessageDialog->IsVisible()) ClickOn(FindButtonWithin(TheMessageDialog->window, "OK"));
    if (TheMissionBriefing->IsVisible()) ClickOn(TheMissionBriefing->closeButton);
    Passes(1, 0.05f);
    ASSERT_EQ(WindowMgr->modal, nullptr);
    {
        SCOPED_TRACE("pause");
        auto resumeColour = [&](float colour[3]) {
            Press(DIK_ESCAPE);
            ASSERT_TRUE(TheInGameMenu->menuShown);
            Record(drawn, true);
            const DrawnFrame::Text* resume = drawn.Find("Resume Game");
            ASSERT_NE(resume, nullptr);
            colour[0] = resume->r, colour[1] = resume->g, colour[2] = resume->b;
            Press(DIK_ESCAPE);
            ASSERT_FALSE(TheInGameMenu->menuShown);
        };
        float before[3] = {}, after[3] = {};
        resumeColour(before);
        WndProc(shelltest::Key(WM_KEYDOWN, VK_PAUSE));
        ASSERT_TRUE(GamePaused);
        Passes(2, 0.05f);
        WndProc(shelltest::Key(WM_KEYDOWN, VK_PAUSE));
        ASSERT_FALSE(GamePaused);
        resumeColour(after);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(after[i], before[i]) << "colour channel " << i;
    }
    {
        // The menu's words on the screen, before and after a look at the inventory: white both
        // times, whatever the character screen leaves in the fonts it shares with the menu.
        SCOPED_TRACE("inventory");
        auto menuWords = [&](Pixels* words) {
            Press(DIK_ESCAPE);
            ASSERT_TRUE(TheInGameMenu->menuShown);
            Record(drawn, true);
            const DrawnFrame::Text* resume = drawn.Find("Resume Game");
            ASSERT_NE(resume, nullptr);
            RenderFrame();
            *words = CropPixels(ReadBackBuffer(Graphics->device), resume->box.left, resume->box.top, resume->box.right,
                                resume->box.bottom);
            Press(DIK_ESCAPE);
            ASSERT_FALSE(TheInGameMenu->menuShown);
        };
        // The inventory's key, as the keyboard gives it: a character.
        auto inventoryKey = [] {
            InputScript::Type("i");
            int exitCode = 0;
            DrainMessages(&exitCode);
            Passes(2, 0.05f);
        };
        Pixels before, after;
        menuWords(&before);
        inventoryKey();
        ASSERT_TRUE(TheCharacterGui->shown && TheCharacterGui->IsVisible()) << "the inventory is open";
        inventoryKey();
        ASSERT_FALSE(TheCharacterGui->IsVisible());
        menuWords(&after);
        ASSERT_FALSE(before.argb.empty());
        EXPECT_TRUE(before.argb == after.argb) << "the words look the same";
        uint32_t brightest = 0;
        auto sum = [](uint32_t c) { return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF); };
        for (uint32_t c : before.argb)
            if (sum(c) > sum(brightest)) brightest = c;
        for (int shift : {16, 8, 0}) EXPECT_GT((int)((brightest >> shift) & 0xFF), 0xE0) << "white, channel " << shift;
    }
}

// In a mission: the loading bar, the briefing, the achievements, the hotkeys over the dimmed HUD,
// the mission log, the options, the character screen, a miner's page, the Scan countdown, the
// terrain editor's show button and the objectives of the won mission on their backing.
TEST_P(ReadableText, EveryScreenOfAMissionIsReadable)
{
    StartAt("readable_mission", "mainMenuEnabled false\ncurrentprofile Pilot\n");
    const int H = Config->height;
    {
        // The last words of the loading bar, drawn with it full.
        DrawnFrame loading;
        UntilPlaying();
        const int barLeft = (Config->width - (int)(H * 0.5208333f)) / 2;
        std::vector<std::string> phases;
        for (const DrawnFrame::Text& t : loading.texts)
            if (t.box.left == barLeft + 6) phases.push_back(t.text);
        EXPECT_GE(phases.size(), 3u) << "the level start shows its phases on the bar";
        if (!phases.empty()) {
            EXPECT_EQ(phases.front(), "Init");
            EXPECT_NE(phases.back(), "Init") << "the full bar says the level is ready";
        }
    }
    DrawnFrame drawn;

    // The briefing: the objectives, then the rewards under them.
    ASSERT_NE(TheMissionBriefing, nullptr);
    TheMissionBriefing->SetVisible(true);
    Passes(2, 0.05f);
    Record(drawn, true);
    {
        SCOPED_TRACE("briefing");
        const Box frame = FrameOf(TheMissionBriefing);
        std::vector<DrawnFrame::Text> texts = drawn.Screen("Mission Briefing", frame);
        ExpectApart(texts);
        const DrawnFrame::Text* objectives = drawn.Find("Objectives");
        const DrawnFrame::Text* rewards = drawn.Find("Rewards");
        ASSERT_TRUE(objectives && rewards);
        for (const DrawnFrame::Text& t : texts) {
            if (t.order > objectives->order && t.order < rewards->order) {
                EXPECT_LT(t.box.bottom, rewards->box.top) << "\"" << t.text << "\" stands above the rewards";
            }
        }
        for (const DrawnFrame::Text& t : texts) EXPECT_TRUE(frame.Contains(t.box)) << t.text << " " << t.box;
        CheckPicture("readable_briefing", frame);
    }
    TheMissionBriefing->SetVisible(false);
    Passes(1, 0.05f);

    // The achievements: each name under its badge, apart from its neighbours.
    OnAchievementsClicked(nullptr, nullptr);
    Passes(2, 0.05f);
    Record(drawn, true);
    {
        SCOPED_TRACE("achievements");
        const Box frame = FrameOf(TheAchievementsGui);
        std::vector<DrawnFrame::Text> texts = drawn.Screen("Achievements", frame);
        EXPECT_GE(texts.size(), 26u);
        ExpectApart(texts);
        for (const DrawnFrame::Text& t : texts) EXPECT_TRUE(frame.Contains(t.box)) << t.text << " " << t.box;
        CheckPicture("readable_achievements", frame);
    }
    TheAchievementsGui->SetVisible(false);
    GamePaused = false;
    Passes(1, 0.05f);

    // The hotkeys: every row inside the frame.
    TheHotkeysGui->SetVisible(true);
    Passes(2, 0.05f);
    Record(drawn, true);
    {
        SCOPED_TRACE("hotkeys");
        const Box frame = FrameOf(TheHotkeysGui);
        std::vector<DrawnFrame::Text> texts = drawn.Screen("Hotkeys", frame);
        EXPECT_GE(texts.size(), 2u * HOTKEY_HELP_ROW_COUNT);
        ExpectApart(texts);
        ASSERT_NE(drawn.Find("Print screen"), nullptr);
        for (const DrawnFrame::Text& t : texts) EXPECT_TRUE(frame.Contains(t.box)) << t.text << " " << t.box;
        ExpectDimmedAround(drawn, frame);
        CheckPicture("readable_hotkeys", frame);
    }
    TheHotkeysGui->SetVisible(false);
    Passes(1, 0.05f);

    // The mission log: its "Briefing" button inside the inner panel.
    OnMissionLogClicked(nullptr, nullptr);
    Passes(2, 0.05f);
    Record(drawn, true);
    {
        const Box frame = FrameOf(TheMissionLogGui);
        EXPECT_LE(ScreenBox(TheMissionLogGui->briefingButton).right, frame.right - 5 * H / 192);
        CheckPicture("readable_mission_log", frame);
    }
    TheMissionLogGui->SetVisible(false);
    GamePaused = false;
    Passes(1, 0.05f);

    // The options' graphics page: each label ends before its control.
    TheOptionsWindow->SetVisible(true);
    Passes(1, 0.05f);
    ClickOn(FindShownButton(TheOptionsWindow->window, "Graphics"));
    Record(drawn, true);
    {
        SCOPED_TRACE("options");
        std::vector<Box> controls;
        for (Window* child = TheOptionsWindow->window->firstChild; child; child = child->nextSibling)
            if (child->IsVisible() && dynamic_cast<Button*>(child) && !dynamic_cast<Button*>(child)->hasText)
                controls.push_back(ScreenBox(child));
        const DrawnFrame::Text* textures = drawn.Find("High Quality Textures");
        ASSERT_NE(textures, nullptr);
        for (const char* label : {"High Quality Textures", "High Quality Glows", "Building Splats", "Windowed Mode"}) {
            const DrawnFrame::Text* text = drawn.Find(label);
            ASSERT_NE(text, nullptr) << label;
            for (const Box& control : controls) EXPECT_FALSE(text->box.Overlaps(control)) << label << " " << control;
        }
        CheckPicture("readable_options_graphics", ScreenBox(TheOptionsWindow->window->firstChild));
    }
    TheOptionsWindow->SetVisible(false);
    GamePaused = false;
    Passes(1, 0.05f);

    // The character screen with points to spend: the count beside the heading.
    GetPlayerProfile()->skillPoints = 3;
    TheCharacterGui->Show(true);
    Passes(2, 0.05f);
    Record(drawn, true);
    {
        SCOPED_TRACE("character");
        const DrawnFrame::Text* skills = drawn.Find("SKILLS");
        const DrawnFrame::Text* points = drawn.Find("Available Points: 3");
        ASSERT_TRUE(skills && points);
        EXPECT_FALSE(skills->box.Overlaps(points->box)) << skills->box << " " << points->box;
        for (const char* name : {"Speed", "Armor"}) {
            const DrawnFrame::Text* row = drawn.Find(name);
            ASSERT_NE(row, nullptr);
            EXPECT_FALSE(row->box.Overlaps(points->box)) << name;
        }
        Box area = {std::min(skills->box.left, points->box.left) - 16, skills->box.top - 16,
                    std::max(skills->box.right, points->box.right) + 16, skills->box.top + H / 5};
        CheckPicture("readable_skills", area);
        // The hull's figure beside its label is the rig's points, as its panel writes them.
        const DrawnFrame::Text* hull = drawn.Find("Hull");
        ASSERT_NE(hull, nullptr);
        const DrawnFrame::Text* figure = nullptr;
        for (const DrawnFrame::Text& t : drawn.texts)
            if (t.box.top < hull->box.bottom && hull->box.top < t.box.bottom && t.box.left > hull->box.right &&
                (!figure || t.box.left < figure->box.left))
                figure = &t;
        ASSERT_NE(figure, nullptr);
        auto trimmed = [](std::string text) { return text.erase(0, text.find_first_not_of(' ')); };
        ASSERT_NE(TheEntityInfoGui->healthMeter, nullptr);
        EXPECT_EQ(trimmed(figure->text), trimmed(TheEntityInfoGui->healthMeter->text)) << "the rig panel's";
        EXPECT_EQ(trimmed(figure->text), std::to_string((int)GetPlayerRig()->GetHealth()) + "/" +
                                             std::to_string((int)GetPlayerRig()->GetMaxHealth()));
    }
    TheCharacterGui->Show(false);
    GamePaused = false;
    Passes(1, 0.05f);

    // A miner's page: "Capacity:" beside its meter.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* miner = PlaceUnit("miner", rig->GetPosition());
    ASSERT_NE(miner, nullptr);
    TheGame->ClearSelection();
    TheGame->SelectEntity(miner);
    Passes(2, 0.05f);
    Record(drawn, true);
    {
        SCOPED_TRACE("miner");
        EXPECT_NE(drawn.Find("(0) Miner"), nullptr) << "titled with its name as the player reads it";
        const DrawnFrame::Text* capacity = drawn.Find("Capacity:");
        ASSERT_NE(capacity, nullptr);
        GuiMeter* meter = TheEntityInfoGui->cargoMeter;
        ASSERT_NE(meter, nullptr);
        const Box bar = {meter->x, meter->y, meter->x + meter->width, meter->y + meter->height};
        EXPECT_FALSE(capacity->box.Overlaps(bar)) << capacity->box << " " << bar;
        const DrawnFrame::Text* yield = drawn.FindStarting("Yield:");
        ASSERT_NE(yield, nullptr);
        EXPECT_FALSE(yield->box.Overlaps(bar)) << yield->box << " " << bar;
        CheckPicture("readable_miner_page", ScreenBox(TheEntityInfoGui));
    }

    // The Scan countdown beside the icon it counts for.
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    Passes(1, 0.05f);
    ASSERT_TRUE(TheScanEffects.BeginScan(TheGame->GetFirstSelected()));
    Passes(20, 0.05f);
    Record(drawn, true);
    {
        SCOPED_TRACE("scan");
        ASSERT_NE(HudScanButton, nullptr);
        const DrawnFrame::Text* count = drawn.FindStarting("Scan(");
        ASSERT_NE(count, nullptr);
        const Box button = ScreenBox(HudScanButton);
        EXPECT_TRUE(button.Contains(count->box)) << count->box << " " << button;
        EXPECT_TRUE(count->shadow) << "the count is set off from the ring under it";
        const DrawnFrame::Quad* face = nullptr;
        for (const DrawnFrame::Quad& quad : drawn.quads)
            if (quad.order < count->order && quad.box.Contains(button) && button.Contains(quad.box)) face = &quad;
        ASSERT_NE(face, nullptr) << "the button's face";
        EXPECT_LT(face->colour & 0xFF, 0x80u) << "the recharging ring is dimmed under the count";
        CheckPicture("readable_scan_countdown", {button.left - 8, button.top - 8, button.right + 8, button.bottom + 8});
    }

    // The terrain editor made from the developer's console: its show button stands clear of the
    // HUD's counts.
    Config->debugMode = true;
    Press(DIK_RETURN);
    for (int key : {DIK_E, DIK_D, DIK_I, DIK_T}) InputScript::Tap(key);
    int exitCode = 0;
    DrainMessages(&exitCode);
    Passes(1, 0.02f);
    Press(DIK_RETURN);
    ASSERT_NE(TheTerrainEditor, nullptr);
    const Box show = ScreenBox(TheTerrainEditor->showButton);
    EXPECT_FALSE(show.Overlaps(ScreenBox(TheMissionHud.resourceBar))) << show;
    CheckPicture("readable_editor_show", {show.left - Config->width / 4, 0, Config->width, show.bottom + 8});

    // The mission won: each done objective's tick stands on its own line, here with a refinery
    // to build listed under the ore to hold.
    Objective* refinery = TheObjectives->AddObjective("Build refinery", OBJECTIVE_BUILD, "refinery");
    ASSERT_NE(refinery, nullptr);
    refinery->flags |= OBJECTIVE_ACTIVE;
    for (int round = 0; round < 4 && !TheObjectives->AllComplete(); ++round) {
        for (auto* node = TheObjectives->list.head; node; node = node->next)
            if ((node->value->flags & OBJECTIVE_ACTIVE) && !(node->value->flags & OBJECTIVE_DONE))
                TheObjectives->Complete(node->value);
        Passes(2, 0.05f);
    }
    ASSERT_TRUE(TheObjectives->AllComplete());
    Record(drawn, true);
    {
        // The lines with their ticks (each drawn right after its line) apart from one another.
        const DrawnFrame::Text* mine = drawn.FindStarting("  Ore held");
        ASSERT_NE(mine, nullptr);
        std::vector<DrawnFrame::Text> marked;
        for (const DrawnFrame::Text& t : drawn.texts)
            if (t.box.left == mine->box.left && t.box.top >= mine->box.top)
                for (const DrawnFrame::Quad& tick : drawn.quads)
                    if (tick.order == t.order + 1) {
                        marked.push_back(t);
                        marked.push_back(t);
                        marked.back().text = "tick of " + t.text, marked.back().box = tick.box;
                    }
        EXPECT_EQ(marked.size(), 4u);
        ExpectApart(marked);
        // Lines and ticks stand on a dark backing drawn under them, whatever the world shows.
        const DrawnFrame::Quad* backing = nullptr;
        for (const DrawnFrame::Quad& quad : drawn.quads)
            if (quad.order < mine->order && (quad.colour & 0xFFFFFF) == 0 && (quad.colour >> 24) >= 0x80 &&
                quad.box.Contains(mine->box))
                backing = &quad;
        ASSERT_NE(backing, nullptr) << "the objectives' backing";
        for (const DrawnFrame::Text& t : marked) EXPECT_TRUE(backing->box.Contains(t.box)) << t.text << " " << t.box;
        CheckPicture("readable_won_objectives", {0, mine->box.top - 16, Config->width / 4, mine->box.top + H / 12});
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, ReadableText, ::testing::Values("-1024", "-1280"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param + 1); });

}  // namespace
