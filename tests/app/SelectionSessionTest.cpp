// Selecting as a player selects, in the mission the game starts with: boxes dragged with the
// left button over the rig and two bots, over bare ground, and with Shift held; clicks with
// Shift held. The mouse and the keys reach the game as the window delivers them, with frames
// drawn between them, at three screen sizes.
#include "tests/app/PlayerSessionSupport.h"

#include <algorithm>
#include <set>

using namespace playersession;

namespace {

class SelectionSession : public PlayerSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        resolution = GetParam();
        PlayerSession::SetUp();
    }
    // A hand's drag takes about a second and a half, in frames of 50 ms.
    static void Frame() { Passes(1, 0.05f); }

    // Where a hand draws a box around these entities: a margin round the middles of them seen.
    void BoxAround(const std::vector<Entity*>& entities, int* x0, int* y0, int* x1, int* y1)
    {
        const int margin = Config->height * 30 / 768;
        *x0 = *y0 = 100000;
        *x1 = *y1 = -100000;
        for (Entity* entity : entities) {
            int x = 0, y = 0;
            ASSERT_TRUE(OnScreen(entity->GetCenter(), &x, &y)) << entity->name;
            *x0 = std::min(*x0, x - margin);
            *y0 = std::min(*y0, y - margin);
            *x1 = std::max(*x1, x + margin);
            *y1 = std::max(*y1, y + margin);
        }
    }
    // A box of about 240 pixels across the screen that none of the player's units or buildings
    // reaches into.
    static bool BareGround(int* x0, int* y0, int* x1, int* y1)
    {
        const int w = Config->width, h = Config->height, side = w * 240 / 1024;
        for (int row = 1; row < 4; ++row)
            for (int column = 0; column < 4; ++column) {
                *x0 = w / 8 + column * w / 6;
                *y0 = row * h / 6;
                *x1 = *x0 + side;
                *y1 = *y0 + side / 2;
                if (WindowMgr->IsPointOverWindow(*x0, *y0, false)) continue;
                bool bare = true;
                for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity;
                     entity = TheScene.NextInCategory()) {
                    float minX, minY, maxX, maxY;
                    if (entity->alignment != ALIGN_PLAYER || !(entity->flags & (ENTITY_AGENT | ENTITY_BUILDING)) ||
                        !TheGame->GetScreenBox(entity, &minX, &minY, &maxX, &maxY))
                        continue;
                    bare &= maxX < *x0 - 16 || minX > *x1 + 16 || maxY < *y0 - 16 || minY > *y1 + 16;
                }
                if (bare) return true;
            }
        return false;
    }
    static std::vector<Entity*> Selected()
    {
        std::vector<Entity*> out;
        for (auto* node = TheGame->hand.selected.head; node; node = node->next) out.push_back(node->value);
        return out;
    }
    // Shift pressed and held for a while before what follows, its repeats coming as the
    // window sends them once the key has been down half a second.
    static void HoldShift(float seconds)
    {
        InputScript::KeyDown(DIK_LSHIFT);
        for (float held = 0.0f; held < seconds; held += 0.05f) {
            if (held >= 0.5f) InputScript::KeyRepeat(DIK_LSHIFT);
            int exitCode = 0;
            DrainMessages(&exitCode);
            Frame();
        }
    }
    static void LetGoOfShift()
    {
        InputScript::KeyUp(DIK_LSHIFT);
        int exitCode = 0;
        DrainMessages(&exitCode);
        Frame();
    }
};

TEST_P(SelectionSession, BoxesAndShiftSelectAsAPlayerHandsThem)
{
    UntilPlaying();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    EXPECT_EQ(Selected(), std::vector<Entity*>{rig}) << "the level starts with the rig selected";
    Agent* first = PlaceUnit("gunner_bot", rig->GetPosition());
    ASSERT_NE(first, nullptr);
    Agent* second = PlaceUnit("gunner_bot", rig->GetPosition());
    ASSERT_NE(second, nullptr);
    Passes(4, 0.05f);

    enum Action { BOX, CLICK };
    const struct {
        const char* what;
        std::vector<Entity*> before;  // selected by a click on each, Shift held from the second
        // Shift: 0 not held; 1 held for 1.2 s before and let go after; 2 the same, but let go
        // at once with the click or the release.
        int shift;
        Action action;
        std::vector<Entity*> over;  // the box drawn round them (bare ground when none), or the one clicked
        std::vector<Entity*> after;  // the first one leading
    } cases[] = {
        {"a box over the rig alone", {}, 0, BOX, {rig}, {rig}},
        {"a box over the rig and two bots", {}, 0, BOX, {first, rig, second}, {rig, first, second}},
        {"a box over bare ground", {rig}, 0, BOX, {}, {}},
        {"Shift with a box adds", {rig}, 1, BOX, {first, second}, {rig, first, second}},
        {"Shift with a box adds, let go with the button", {rig}, 2, BOX, {first, second}, {rig, first, second}},
        {"Shift with a click adds", {rig}, 1, CLICK, {second}, {rig, second}},
        {"Shift with a click adds, let go with the click", {rig}, 2, CLICK, {second}, {rig, second}},
        {"Shift with a click adds to two", {rig, first}, 1, CLICK, {second}, {rig, first, second}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The selection to begin with, as a player makes it: a Ctrl+click on bare ground lets
        // go of the case before's, then a click on each, Shift held from the second.
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        ASSERT_TRUE(BareGround(&x0, &y0, &x1, &y1)) << "no bare ground on the screen";
        InputScript::KeyDown(DIK_LCONTROL);
        MoveMouseTo((x0 + x1) / 2, (y0 + y1) / 2);
        Click(0);
        InputScript::KeyUp(DIK_LCONTROL);
        Frame();
        ASSERT_TRUE(Selected().empty());
        for (size_t i = 0; i < c.before.size(); ++i) {
            if (i == 1) HoldShift(0.3f);
            ASSERT_TRUE(ClickAt(c.before[i]->GetCenter(), 0));
        }
        if (c.before.size() > 1) LetGoOfShift();
        if (Selected() != c.before) {
            ADD_FAILURE() << "the clicks before did not select as asked";
            continue;
        }

        if (c.shift) HoldShift(1.2f);
        // The button let go, and with the quickest hands Shift too before the next frame.
        auto release = [&c] {
            InputScript::ButtonUp(0);
            if (c.shift == 2) InputScript::KeyUp(DIK_LSHIFT);
        };
        if (c.action == CLICK) {
            int x = 0, y = 0;
            ASSERT_TRUE(OnScreen(c.over[0]->GetCenter(), &x, &y));
            MoveMouseTo(x, y);
            InputScript::ButtonDown(0);
            release();
            Frame();
            Frame();
        } else {
            if (c.over.empty())
                ASSERT_TRUE(BareGround(&x0, &y0, &x1, &y1));
            else
                BoxAround(c.over, &x0, &y0, &x1, &y1);
            playerhand::Drag(x0, y0, x1, y1, 30, Frame, release);
        }
        if (c.shift == 1) LetGoOfShift();
        EXPECT_FALSE(TheGame->boxDragging) << "the box is put away when the button is let go";
        // The rig (or what was selected first) leads; the others follow in the scene's order.
        const std::vector<Entity*> now = Selected();
        EXPECT_EQ(std::set<Entity*>(now.begin(), now.end()), std::set<Entity*>(c.after.begin(), c.after.end()));
        if (!now.empty() && !c.after.empty()) {
            EXPECT_EQ(now[0], c.after[0]);
        }
        // One selected shows its page on the information panel and its ring.
        Frame();
        if (c.after.size() == 1) {
            EXPECT_TRUE(TheEntityInfoGui->IsVisible());
            EXPECT_TRUE(c.after[0]->flags & ENTITY_SELECTION);
        }
    }
}

// The rig's key (Tab) and the HUD's "Select Rig" banner: the first press takes the rig alone
// out of a group, the camera staying where the player had it; the next press, however slow,
// looks at the rig.
TEST_P(SelectionSession, TheRigsKeyAndBannerSelectItAloneThenLookAtIt)
{
    UntilPlaying();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* first = PlaceUnit("gunner_bot", rig->GetPosition());
    Agent* second = PlaceUnit("gunner_bot", rig->GetPosition());
    ASSERT_TRUE(first && second);
    Passes(4, 0.05f);
    ASSERT_NE(TheMissionHud.rigBanner, nullptr);
    const struct {
        const char* what;
        bool banner;
    } hands[] = {{"Tab", false}, {"the Select Rig banner", true}};
    for (const auto& hand : hands) {
        SCOPED_TRACE(hand.what);
        // The three boxed as the level (or the case before) left the view, on the rig.
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        BoxAround({first, rig, second}, &x0, &y0, &x1, &y1);
        playerhand::Drag(x0, y0, x1, y1, 30, Frame, [] { InputScript::ButtonUp(0); });
        ASSERT_EQ(Selected().size(), 3u);
        // The view taken away along the map with an arrow key.
        InputScript::KeyDown(DIK_LEFT);
        for (int i = 0; i < 20; ++i) Frame();
        InputScript::KeyUp(DIK_LEFT);
        Frame();
        const Vec3 away = GameCamera.eye;
        auto press = [&] {
            if (hand.banner)
                ClickOn(TheMissionHud.rigBanner);
            else
                Press(DIK_TAB);
            Frame();
        };
        press();
        EXPECT_EQ(Selected(), std::vector<Entity*>{rig}) << "the rig alone";
        const Vec3 moved = GameCamera.eye - away;
        EXPECT_LT(Vec3Length(&moved), 0.01f) << "the first press leaves the view where it was";
        for (int i = 0; i < 20; ++i) Frame();  // a player's pause, longer than a double click
        press();
        EXPECT_EQ(Selected(), std::vector<Entity*>{rig});
        int x = 0, y = 0;
        ASSERT_TRUE(OnScreen(rig->GetCenter(), &x, &y)) << "the second press looks at the rig";
        EXPECT_NEAR(x, Config->width / 2, Config->width / 8);
        EXPECT_NEAR(y, Config->height / 2, Config->height / 6);
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, SelectionSession, ::testing::Values("-800", "-1024", "-1280"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param + 1); });

}  // namespace
