// A newcomer's first minutes in the real game: the repair cannisters the rig starts with are the
// ones the heal key uses, their rings ride with the rig and end, and their slot names them as the
// player reads them; a mission started without any profile is played with the rig, pilot and
// weapons a new profile gets; the rig hurt out of the player's sight raises the alert.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/RigCatalog.h"
#include "gui/Button.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "render/Camera.h"
#include "render/HintBox.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "interface/Inventory.h"
#include "terrain/Minimap.h"
#include "world/Item.h"

#include <cstring>

using namespace playersession;

namespace {

TEST_F(PlayerSession, TheHealKeyUsesTheHealthCannistersTheRigStartsWith)
{
    UntilPlaying();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    ASSERT_NE(PlayerInventory, nullptr);
    const BagSlot& hotbar = PlayerInventory->slots[0];
    ASSERT_NE(hotbar.item, nullptr) << "the rig starts with something in the hotbar";
    const int count = hotbar.item->stackCount;
    ASSERT_GE(count, 2);

    const float damaged = rig->GetMaxHealth() * 0.25f;
    rig->health = damaged;
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    // The heal key as the keyboard gives it: the key goes down and its character is typed.
    InputScript::KeyDown(DIK_H);
    InputScript::Type("h");
    InputScript::KeyUp(DIK_H);
    int exitCode = 0;
    DrainMessages(&exitCode);
    Passes(5, 0.02f);  // the key's order is carried out at the next tick
    EXPECT_GT(rig->health, damaged) << "the heal key repaired the rig with what the hotbar holds";
    ASSERT_NE(hotbar.item, nullptr);
    EXPECT_EQ(hotbar.item->stackCount, count - 1) << "one cannister used";

    // The heal's rings ride round the rig and are gone within moments, not left pulsing.
    auto ringsOnTheRig = [rig] {
        int n = 0;
        for (auto* node = TheScene.particles->active.head; node; node = node->next)
            n += node->value->owner == rig && strcmp(node->value->name, "scan_green") == 0;
        return n;
    };
    EXPECT_EQ(ringsOnTheRig(), 1);
    Passes(100, 0.02f);
    EXPECT_EQ(ringsOnTheRig(), 0) << "two seconds on, the heal's rings are over";

    // The cannister's slot, rested on, names it as the player reads it.
    Button* slot = TheMissionHud.commandPanel->quickSlots[0];
    ASSERT_NE(slot, nullptr);
    playerhand::MoveMouseOnto(slot, Pass);
    Passes(40, 0.02f);
    EXPECT_TRUE(TheMissionHud.tooltipVisible);
    EXPECT_STREQ(TheMissionHud.tooltip->text, "Health cannister");
}

// The heal key held down a moment: the keyboard repeats the key and its character while it is
// held, frames pass between; the rig is healed once and one cannister used, whatever is selected.
TEST_F(PlayerSession, OnePressOfTheHealKeyHealsTheRigOnceHoweverLongItIsHeld)
{
    UntilPlaying();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    const BagSlot& hotbar = PlayerInventory->slots[0];
    ASSERT_NE(hotbar.item, nullptr);
    const int count = hotbar.item->stackCount, heals = hotbar.item->actionValue;
    ASSERT_GE(count, 2);
    rig->health = rig->GetMaxHealth() * 0.25f;
    const float damaged = rig->health;
    ASSERT_GT(rig->GetMaxHealth() - damaged, 2.0f * heals) << "room for two heals";
    int exitCode = 0;
    InputScript::KeyDown(DIK_H);
    InputScript::Type("h");
    DrainMessages(&exitCode);
    Passes(5, 0.02f);
    for (int repeat = 0; repeat < 3; ++repeat) {
        InputScript::KeyRepeat(DIK_H);
        InputScript::Type("h");
        DrainMessages(&exitCode);
        Passes(5, 0.02f);
    }
    InputScript::KeyUp(DIK_H);
    DrainMessages(&exitCode);
    Passes(5, 0.02f);
    EXPECT_FLOAT_EQ(rig->health, damaged + (float)heals) << "healed once";
    ASSERT_NE(hotbar.item, nullptr);
    EXPECT_EQ(hotbar.item->stackCount, count - 1) << "one cannister used";

    // The next press heals again.
    InputScript::KeyDown(DIK_H);
    InputScript::Type("h");
    InputScript::KeyUp(DIK_H);
    DrainMessages(&exitCode);
    Passes(5, 0.02f);
    EXPECT_EQ(hotbar.item ? hotbar.item->stackCount : 0, count - 2);
}

TEST_F(PlayerSession, TheRigHurtWhereTheCameraDoesNotLookRaisesTheAlert)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    // Scavengers come up to the rig twice, a quarter of a minute apart, while the player looks
    // at the far side of the map: each time he is told.
    const Vec3 restTarget = GameCamera.target, restEye = GameCamera.eye;
    const Vec3 away = rig->GetPosition().x > 0.0f ? Vec3(-120.0f, 0.0f, 0.0f) : Vec3(120.0f, 0.0f, 0.0f);
    auto alertShown = [] {
        for (MessageNode* line = TheGame->messageBar->head; line; line = line->next)
            if (strcmp(line->text, "A unit is under attack!") == 0) return true;
        return false;
    };
    for (int visit = 0; visit < 2; ++visit) {
        SCOPED_TRACE(visit);
        GameCamera.target = restTarget;
        GameCamera.eye = restEye;
        Passes(1, 0.05f);
        ASSERT_NE(PlaceUnit("scav_small", rig->GetPosition(), ALIGN_ENEMY), nullptr);
        GameCamera.target = restTarget + away;
        GameCamera.eye = restEye + away;
        const float before = rig->health + rig->shield;
        bool alerted = false;
        for (int i = 0; i < 400 && !alerted && rig->IsAlive(); ++i) {
            Passes(1, 0.05f);
            alerted = alertShown();
        }
        EXPECT_LT(rig->health + rig->shield, before) << "the scavenger hurt the rig";
        EXPECT_TRUE(alerted) << "the player is told";
        EXPECT_FALSE(rig->visible) << "the rig stood out of the player's sight";
        bool pinged = false;
        for (auto* node = TheMinimap.pings.list.head; node; node = node->next)
            pinged = pinged || node->value.entityId == (int)rig->id;
        EXPECT_TRUE(pinged) << "the minimap shows where";
        // The fight ends, the message goes and a quarter of a minute passes.
        Passes(300, 0.05f);
        ASSERT_FALSE(alertShown());
    }
}

class NoProfileSession : public PlayerSession {
protected:
    // Straight into a mission, as the README's route gives it, before any profile was made.
    void SetUp() override
    {
        base = MakeTempFolder("noprofile");
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        WriteTextFile(std::string(UserFolder) + "/settings.cfg", "mainMenuEnabled false\n");
        StartGame();
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }
};

TEST_F(NoProfileSession, TheMissionIsPlayedWithANewPilotsRigAndWeapons)
{
    UntilPlaying();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    PlayerProfile* profile = GetPlayerProfile();
    EXPECT_NE(profile->pilot, nullptr);
    EXPECT_NE(profile->chassis, nullptr);
    struct Part {
        const char* slot;
        bool isItem;
    };
    for (const Part& part : {Part{"body", false}, Part{"pilot", false}, Part{"leftweapon", true}, Part{"rightweapon", true}}) {
        Entity* held = rig->GetAttachedEntity(part.slot);
        ASSERT_NE(held, nullptr) << part.slot;
        if (part.isItem) {
            EXPECT_NE(held->weapon, nullptr) << part.slot;
        }
    }
    EXPECT_EQ(rig->GetAttachedEntity("pilot"), static_cast<Entity*>(profile->pilot)) << "the portrait has a pilot to show";
    EXPECT_FALSE(profile->flags & PROFILE_LOADED) << "nothing to continue";
}

}  // namespace
