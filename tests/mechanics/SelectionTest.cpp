// The selection and the control groups, driven as the mouse and the keys drive them: clicks
// with and without Shift, select-all and the drag box under a fixed camera, the ten groups
// with their double tap, and entities that leave the level while held.
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "tests/world/AgentTestSupport.h"
#include "world/Building.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class SelectionTest : public AgentWorld {
protected:
    void SetUp() override
    {
        AgentWorld::SetUp();
        // World x (moved 40 along) and y scaled by 1/100 onto the 1024 x 768 screen:
        // x = 512 + 5.12 (wx + 40), so columns 20 to 83 are on it; the depth is
        // 0.5 + wz / 1000, so the whole map lies in front of the camera.
        MatrixTranslation(&ViewMatrix, 40.0f, 0.0f, 500.0f);
        MatrixScaling(&ProjectionMatrix, 0.01f, 0.01f, 0.001f);
        Input.keyboard = &keyboard;
        Input.mouse = &mouse;
        game.state = GAME_STATE_PLAYING;
    }
    void TearDown() override
    {
        game.ClearSelection();
        game.ClearControlGroups();
        AgentWorld::TearDown();
    }
    void Shift(bool held) { keyboard.state[DIK_LSHIFT] = held ? 0x80 : 0; }
    // A unit of the player's at a column, on the screen. Never drawn: what the selection
    // takes does not hang on the drawing.
    Agent* Bot(int column, uint32_t extraFlags = 0)
    {
        Agent* agent = Unit(column, 10);
        agent->visible = 0;
        agent->flags |= extraFlags;
        return agent;
    }
    std::vector<Entity*> Selected()
    {
        std::vector<Entity*> out;
        for (auto* node = game.hand.selected.head; node; node = node->next) out.push_back(node->value);
        return out;
    }
    static float ScreenX(const Entity* entity) { return 512.0f + 5.12f * (entity->GetPosition().x + 40.0f); }
    // A drag from the press point to the cursor, screen x from a to b across the whole height,
    // as the release finds it: the mouse's own press point has come back to the cursor.
    void Drag(float a, float b)
    {
        game.pressX = (int)a;
        game.pressY = 0;
        mouse.pressX = mouse.cursorX = (int)b;
        mouse.pressY = mouse.cursorY = 767;
        game.BoxSelect();
    }

    KeyboardDevice keyboard;
    MouseDevice mouse;
    ScopedGlobal<KeyboardDevice*> keyboardSlot{Input.keyboard};
    ScopedGlobal<MouseDevice*> mouseSlot{Input.mouse};
    ScopedGlobal<Matrix> view{ViewMatrix};
    ScopedGlobal<Matrix> projection{ProjectionMatrix};
    ScopedGlobal<Camera> camera{GameCamera};
};

TEST_F(SelectionTest, ClicksReplaceOrWithShiftToggleAndNeverPassTwelve)
{
    std::vector<Agent*> bots;
    for (int i = 0; i < 14; ++i) bots.push_back(Bot(20 + i));
    game.SelectEntity(bots[0]);
    game.SelectEntity(bots[1]);
    EXPECT_EQ(Selected(), std::vector<Entity*>{bots[1]}) << "a click replaces";
    EXPECT_FALSE(bots[0]->flags & ENTITY_SELECTION);

    Shift(true);
    for (int i = 2; i < 14; ++i) game.SelectEntity(bots[i]);
    EXPECT_EQ(game.hand.selected.count, MAX_SELECTED);
    EXPECT_FALSE(game.hand.IsSelected(bots[13])) << "the 13th is never added";

    game.SelectEntity(bots[5]);
    EXPECT_FALSE(game.hand.IsSelected(bots[5])) << "Shift on a selected unit deselects only it";
    EXPECT_EQ(game.hand.selected.count, MAX_SELECTED - 1);
    EXPECT_EQ(game.GetFirstSelected(), bots[1]);

    Agent* enemy = Unit(40, 40, ALIGN_ENEMY);
    game.SelectEntity(enemy);
    EXPECT_EQ(Selected(), std::vector<Entity*>{enemy}) << "Shift on an enemy replaces the selection";
}

TEST_F(SelectionTest, SelectAllTakesTwelveOfTheNameAndOnlyThoseOnScreenWhenAsked)
{
    for (int i = 0; i < 14; ++i) snprintf(Bot(20 + i)->name, 128, "%s", i % 2 ? "tank" : "scout");
    Agent* hidden = Bot(40);
    snprintf(hidden->name, 128, "Tank");
    hidden->SetPosition(Vec3(150.0f, 0.0f, hidden->GetPosition().z));  // right of the screen
    game.SelectAllOfType(false, nullptr);
    EXPECT_EQ(game.hand.selected.count, MAX_SELECTED);
    game.SelectAllOfType(false, "TANK");
    EXPECT_EQ(game.hand.selected.count, 8);
    game.SelectAllOfType(true, "tank");
    EXPECT_EQ(game.hand.selected.count, 7);
    EXPECT_FALSE(game.hand.IsSelected(hidden));
}

TEST_F(SelectionTest, TheBoxTakesUnitsOverBuildingsWithTheRigFirst)
{
    Agent* a = Bot(20);
    Agent* rig = Bot(22, ENTITY_PLAYER);
    Agent* b = Bot(24);
    Agent* outside = Bot(60);
    Building* base = NewBuilding(ALIGN_PLAYER);
    base->SetPosition(Corner(23, 10));
    base->visible = 1;
    ASSERT_NE(TheScene.AddEntity(base), nullptr);

    Drag(ScreenX(a) - 2, ScreenX(b) + 2);
    std::vector<Entity*> taken = Selected();
    ASSERT_EQ(taken.size(), 3u) << "units win over buildings";
    EXPECT_EQ(taken[0], rig) << "the rig leads";
    EXPECT_FALSE(game.hand.IsSelected(outside));
    EXPECT_FALSE(game.hand.IsSelected(base));

    Drag(ScreenX(base) - 1, ScreenX(base) + 1);
    EXPECT_EQ(Selected(), std::vector<Entity*>{base});
    EXPECT_TRUE(base->flags & ENTITY_SELECTION) << "one building alone is selected for real";

    Shift(true);
    Drag(ScreenX(outside) - 1, ScreenX(outside) + 1);
    EXPECT_EQ(Selected(), (std::vector<Entity*>{base, outside})) << "Shift keeps what was selected";

    // Behind the camera a unit may project into the box; it is not seen there.
    Shift(false);
    outside->SetPosition(Vec3(outside->GetPosition().x, 0.0f, -600.0f));
    Drag(ScreenX(outside) - 1, ScreenX(outside) + 1);
    EXPECT_TRUE(Selected().empty());

    for (int i = 0; i < 14; ++i) Bot(70 + i);
    Drag(0, 1023);
    EXPECT_EQ(game.hand.selected.count, MAX_SELECTED) << "a box never takes a 13th";
}

TEST_F(SelectionTest, GroupsKeepUniqueLiveMembersAndADoubleTapCentresTheCamera)
{
    Agent* a = Bot(20);
    Agent* b = Bot(22);
    game.SelectEntity(a);
    Shift(true);
    game.SelectEntity(b);
    Shift(false);
    game.AssignControlGroup(4);
    EXPECT_EQ(a->controlGroup, 4);
    EXPECT_EQ(game.hand.groups[4].count, 2);
    game.AssignControlGroup(0);
    game.ClearSelection();

    GameCamera.direction = Vec3(0.0f, -1.0f, 0.0f);
    GameCamera.distance = 30.0f;
    GameCamera.target = Vec3(0.0f, 0.0f, 0.0f);
    game.SelectControlGroup(0);
    EXPECT_EQ(game.hand.selected.count, 2) << "group 0 is a group like any other";

    // The camera moves only when the leader has a mesh; without one the tap is still counted.
    game.hand.lastGroupTime = FrameTimer.GetTime() - 0.1;
    game.SelectControlGroup(0);
    EXPECT_EQ(game.hand.lastGroup, -1) << "the double tap resets the last group";
    game.hand.lastGroupTime = FrameTimer.GetTime() - 0.1;
    game.SelectControlGroup(0);
    EXPECT_EQ(game.hand.lastGroup, 0) << "a third tap does not centre again";

    // A group read from a file may list an entity twice and more than 32: both are bounded.
    game.hand.selected.Clear();
    for (int i = 0; i < 40; ++i) game.hand.selected.PushBack(i % 2 ? a : b);
    game.AssignControlGroup(7);
    EXPECT_EQ(game.hand.groups[7].count, 2);
    game.hand.selected.Clear();
}

TEST_F(SelectionTest, AnEntityLeavingTheLevelLeavesEveryListWhateverItsFlags)
{
    Agent* a = Bot(20);
    Agent* b = Bot(22);
    game.SelectEntity(a);
    Shift(true);
    game.SelectEntity(b);
    game.AssignControlGroup(2);
    game.hand.hovered.PushBack(a);
    FlashOrderTarget(a);
    a->flags &= ~ENTITY_SELECTION;  // a select-all never flags what it takes

    TheScene.RemoveEntity(a, REMOVE_MASTER);
    EXPECT_FALSE(game.hand.IsSelected(a));
    EXPECT_FALSE(PlayerSelection::Lists(game.hand.hovered, a));
    EXPECT_FALSE(PlayerSelection::Lists(game.hand.groups[2], a));
    EXPECT_EQ(TheOrderFlash.target, nullptr);
    EXPECT_EQ(game.GetFirstSelected(), b);

    // A unit that dies leaves its groups at once.
    b->flags |= ENTITY_DEAD;
    b->Die(nullptr);
    EXPECT_EQ(game.hand.groups[2].count, 0);
    EXPECT_EQ(b->controlGroup, -1);
}

TEST_F(SelectionTest, GroupLinesAreWrittenAndReadBackWithoutDuplicatesOrOverflow)
{
    Agent* rig = Bot(20, ENTITY_PLAYER);
    Agent* bot = Bot(22);
    const int numbers[] = {3, 7, 3, 12, -1};
    game.ReadControlGroups(rig, numbers, 5);
    EXPECT_EQ(game.hand.groups[3].count, 1) << "a group named twice lists the entity once";
    EXPECT_EQ(game.hand.groups[7].count, 1);
    EXPECT_EQ(rig->controlGroup, 7);

    for (int i = 0; i < CONTROL_GROUP_SIZE; ++i) game.hand.groups[5].PushBack(Bot(30 + i % 40));
    const int five[] = {5};
    game.ReadControlGroups(bot, five, 1);
    EXPECT_EQ(game.hand.groups[5].count, CONTROL_GROUP_SIZE) << "a full group takes no more";

    char text[256] = {};
    FILE* file = fmemopen(text, sizeof text, "w");
    ASSERT_NE(file, nullptr);
    game.WriteControlGroups(rig, file);
    game.WriteControlGroups(Bot(80), file);  // in no group: no line
    std::fclose(file);
    EXPECT_STREQ(text, "PlayerControlGroup\t\t2\t\t3\t7\n");
}

}  // namespace
