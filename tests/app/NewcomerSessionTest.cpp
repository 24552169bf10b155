// A newcomer's first minutes in the real game: the repair cannisters the rig starts with are the
// ones the heal key uses, and a mission started without any profile is played with the rig,
// pilot and weapons a new profile gets.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/RigCatalog.h"
#include "interface/Inventory.h"
#include "world/Item.h"

using namespace playersession;

namespace {

TEST_F(PlayerSession, TheHealKeyUsesTheHealthCannistersTheRigStartsWith)
{
    UntilPlaying();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    ASSERT_NE(PlayerInventory, nullptr);
    const InventorySlot& hotbar = PlayerInventory->slots[0];
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
