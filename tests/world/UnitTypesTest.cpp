// The unit script as the game reads it: every keyword sets its field on the type or on the
// prototype agent, words keep their case where the script's words do, weapons come out of the
// item catalogue as copies, and a script that asks for more types, attachments or agents than
// there are gets a warning instead of a broken registry.
#include "world/AgentTypeRegistry.h"

#include "host/Log.h"
#include "platform/StringTable.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class UnitTypesTest : public SceneTest {
protected:
    // Reads the script text into the game's registry; returns the log of the reading.
    std::string Load(const std::string& text)
    {
        std::string path = MakeTempFolder("units") + "/units.cgs";
        EXPECT_TRUE(WriteTextFile(path, text));
        LogCaptureBegin();
        EXPECT_TRUE(game.agentTypes->LoadUnitTypes(path.c_str(), game.items));
        return LogCaptureEnd();
    }
};

}  // namespace

TEST_F(UnitTypesTest, EveryKeywordSetsItsField)
{
    std::string items = MakeTempFolder("unit-items") + "/items.cgs";
    ASSERT_TRUE(WriteTextFile(items, "WEAPON blaster none.txt WEAPONDATA blaster B 12 18 0.8 0.4\n"));
    game.items->ReadItemsScript(items.c_str());
    int free = game.agentTypes->FreeCount();
    std::string log = Load(R"(
SetHealth 5 SetAlignment PLAYER
DefineAgent Gunner data/mesh/units/gunner.txt
    SetBrain ATTACKBOT
    SetAlignment PLAYER
    SetComposition Mechanical
    SetShields 40
    SetFlag ENTITY_COLLISION
    SetFlag air_unit
    SetFlag AGENT_CLASS_HEAVY
    SetFlag ALTERNATING_SHOT
    SetHealth 220
    SetMaxHealth 250
    SetSpeed 11
    SetScale 1.5
    AddWeapon BLASTER
    SetWeaponColor 0 0 1 1
    SetDamage 9
    SetRange 30 16
    SetMelee 1
    SetMeleeAttackTime 1.5
    ColorMode 2
    PortraitCamera 7 2
    shootoffset 0 1 2
    iconsheet data/gui/icons/unit_icons.dds 8 8 2 1
    Costs 250 40 10
    BUY_LEVEL 3
    resource_power 4
    resource_credits 6
    build_time 15
    selected_sound bot_select
    mesh_flag rotate
    particlesys thruster 0 0.5 -1
    AddCommand COMMAND_REPAIR
    AddCommand command_heal
    LONGDESC <none>
    SHORTDESC <missing_tag>
    AddAttachment data/mesh/units/pack.txt BackPack
    AttachmentIdle data/anims/pack_idle.txt loop
DefineAgent Scout data/mesh/units/scout.txt
    SetAlignment Enemy
    SetBrain Miner
    SetNoticeRange 40
    SetAttackRange 20
    PortraitCamera -5 2
    cost_ore 30
    cost_fuel 5
    buy_cost 0
    icon data/gui/icons/scout.dds
DefineAgent Digger data/mesh/units/digger.txt
    SetBrain MINER
    AddWeapon no_such_weapon
)");
    ASSERT_EQ(game.agentTypes->types.count, 3);
    EXPECT_EQ(game.agentTypes->FreeCount(), free - 3) << "each prototype is an agent of the pool";

    AgentType* gunner = game.agentTypes->FindType("Gunner");
    ASSERT_NE(gunner, nullptr);
    Agent* a = gunner->prototype;
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->name, "Gunner");
    EXPECT_EQ(a->agentType, gunner);
    EXPECT_EQ(a->brainKind, BRAIN_ATTACKBOT);
    EXPECT_EQ(a->alignment, ALIGN_PLAYER);
    EXPECT_EQ(a->composition, COMPOSITION_MECHANICAL);
    EXPECT_FLOAT_EQ(a->shield, 40.0f);
    EXPECT_FLOAT_EQ(a->maxShield, 40.0f);
    EXPECT_EQ(a->flags & (ENTITY_SHIELD | ENTITY_COLLISION | ENTITY_AI), ENTITY_SHIELD | ENTITY_COLLISION | ENTITY_AI);
    EXPECT_EQ(a->classWord & (AGENT_CLASS_AIR_UNIT | AGENT_CLASS_HEAVY | AGENT_CLASS_ALTERNATING_SHOT | AGENT_CLASS_MELEE),
              AGENT_CLASS_AIR_UNIT | AGENT_CLASS_HEAVY | AGENT_CLASS_ALTERNATING_SHOT | AGENT_CLASS_MELEE);
    EXPECT_FLOAT_EQ(a->health, 220.0f);
    EXPECT_FLOAT_EQ(a->maxHealth, 250.0f);
    EXPECT_FLOAT_EQ(a->speed, 11.0f);
    EXPECT_FLOAT_EQ(a->scale, 1.5f);
    EXPECT_FLOAT_EQ(a->world._22, 1.5f);
    ASSERT_NE(a->weapon, nullptr);
    EXPECT_STREQ(a->weapon->name, "blaster");
    EXPECT_FLOAT_EQ(a->weapon->damage, 12.0f);
    EXPECT_EQ(a->weapon->colour, 0xFF0000FFu);
    EXPECT_NE(a->weapon, game.items->FindByName("blaster")->weapon) << "a copy of the item's weapon";
    EXPECT_FLOAT_EQ(a->damage, 9.0f);
    EXPECT_FLOAT_EQ(a->noticeRange, 30.0f);
    EXPECT_FLOAT_EQ(a->attackRange, 16.0f);
    EXPECT_FLOAT_EQ(a->meleeAttackTime, 1.5f);
    EXPECT_EQ(gunner->colourMode, 2);
    EXPECT_FLOAT_EQ(gunner->portraitCamera[0], 1.0f) << "out of -5..5";
    EXPECT_FLOAT_EQ(gunner->portraitCamera[1], 2.0f);
    EXPECT_FLOAT_EQ(gunner->shootOffset[2], 2.0f);
    EXPECT_STREQ(gunner->iconPath, "data/gui/icons/unit_icons.dds");
    EXPECT_EQ(gunner->iconCell, 0x08080201);
    EXPECT_EQ(gunner->buyCost, 250);
    EXPECT_EQ(gunner->oreCost, 40);
    EXPECT_EQ(gunner->fuelCost, 10);
    EXPECT_EQ(gunner->buyLevel, 3);
    EXPECT_EQ(gunner->powerResource, 4);
    EXPECT_EQ(gunner->creditsResource, 6);
    EXPECT_FLOAT_EQ(gunner->buildTime, 15.0f);
    EXPECT_STREQ(gunner->selectedSound, "bot_select");
    EXPECT_STREQ(gunner->particleSystem, "thruster");
    EXPECT_FLOAT_EQ(gunner->particleOffset[2], -1.0f);
    EXPECT_NE(gunner->flags & AGENT_TYPE_PARTICLES, 0u);
    EXPECT_EQ(a->commandWord, COMMAND_MOVE | COMMAND_ATTACK | COMMAND_STOP | COMMAND_REPAIR)
        << "command words keep their case";
    EXPECT_STREQ(gunner->shortDescription, GameText("<unknown>"));
    ASSERT_EQ(gunner->attachmentCount, 1);
    EXPECT_STREQ(gunner->attachments[0]->mesh, "data/mesh/units/pack.txt");
    EXPECT_STREQ(gunner->attachments[0]->bone, "BackPack");
    EXPECT_STREQ(gunner->attachments[0]->idleAnimation, "data/anims/pack_idle.txt");

    AgentType* scout = game.agentTypes->FindType("Scout");
    ASSERT_NE(scout, nullptr);
    EXPECT_EQ(scout->prototype->alignment, ALIGN_NEUTRAL) << "alignment words keep their case";
    EXPECT_EQ(scout->prototype->brainKind, BRAIN_NONE);
    EXPECT_EQ(scout->prototype->classWord & AGENT_CLASS_MINER, 0u);
    EXPECT_FLOAT_EQ(scout->prototype->noticeRange, 40.0f);
    EXPECT_FLOAT_EQ(scout->prototype->attackRange, 20.0f);
    EXPECT_FLOAT_EQ(scout->portraitCamera[0], -5.0f);
    EXPECT_EQ(scout->oreCost, 30);
    EXPECT_EQ(scout->fuelCost, 5);
    EXPECT_EQ(scout->buyCost, 0);
    EXPECT_STREQ(scout->iconPath, "data/gui/icons/scout.dds");
    EXPECT_EQ(scout->prototype->weapon, nullptr);

    Agent* digger = game.agentTypes->FindPrototype("DIGGER");
    ASSERT_NE(digger, nullptr) << "prototypes are found without regard to case";
    EXPECT_EQ(game.agentTypes->FindType("digger"), nullptr) << "types only with it";
    EXPECT_EQ(digger->brainKind, BRAIN_MINER);
    EXPECT_NE(digger->classWord & AGENT_CLASS_MINER, 0u);
    EXPECT_EQ(digger->weapon, nullptr);
    EXPECT_NE(log.find("AddWeapon: no weapon item 'no_such_weapon'"), std::string::npos) << log;
}

TEST_F(UnitTypesTest, LimitsAreKeptWithAWarning)
{
    std::string text = "DefineAgent packer none.txt\n";
    for (int i = 0; i < AGENT_TYPE_ATTACHMENTS + 1; ++i) text += "AddAttachment part" + std::to_string(i) + ".txt Bone\n";
    text += "AttachmentIdle idle.txt x\n";
    for (int i = 0; i < MAX_AGENT_TYPES; ++i) text += "DefineAgent t" + std::to_string(i) + " none.txt SetSpeed 3\n";
    std::string log = Load(text);
    EXPECT_EQ(game.agentTypes->types.count, MAX_AGENT_TYPES);
    EXPECT_NE(log.find("more than 64 unit types"), std::string::npos) << log;
    AgentType* packer = game.agentTypes->FindType("packer");
    ASSERT_NE(packer, nullptr);
    EXPECT_EQ(packer->attachmentCount, AGENT_TYPE_ATTACHMENTS);
    EXPECT_STREQ(packer->attachments[AGENT_TYPE_ATTACHMENTS - 1]->idleAnimation, "idle.txt");
    EXPECT_NE(log.find("already has 8 attachments"), std::string::npos) << log;
    // The type left out changes nothing: the last one taken keeps its own speed.
    EXPECT_FLOAT_EQ(game.agentTypes->FindType("t62")->prototype->speed, 3.0f);
    EXPECT_EQ(game.agentTypes->FindType("t63"), nullptr);
}

TEST_F(UnitTypesTest, NoAgentLeftForAPrototypeIsAWarning)
{
    std::vector<Agent*> taken;
    while (Agent* agent = game.agentTypes->TakeFreeAgent()) taken.push_back(agent);
    std::string log = Load("DefineAgent late none.txt SetSpeed 3 AddCommand COMMAND_MINE");
    EXPECT_EQ(game.agentTypes->types.count, 0);
    EXPECT_NE(log.find("no agent is left for the unit type 'late'"), std::string::npos) << log;
    for (Agent* agent : taken) game.agentTypes->ReturnAgent(agent);
}

TEST_F(UnitTypesTest, BrokenScriptsLeaveWhatTheyRead)
{
    struct Case {
        const char* what;
        const char* text;
        int types;
    };
    const Case table[] = {
        {"empty", "", 0},
        {"cut after the keyword", "DefineAgent", 1},
        {"numbers cut off", "DefineAgent a none.txt SetRange 4", 1},
        {"a word where a number goes", "DefineAgent a none.txt SetSpeed fast SetHealth 50", 1},
        {"an unclosed comment", "DefineAgent a none.txt /* DefineAgent b none.txt", 1},
        {"keywords before any type", "SetSpeed 4 AddCommand COMMAND_MOVE iconsheet x 1 1 1 1", 0},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        int before = game.agentTypes->types.count;
        Load(c.text);
        EXPECT_EQ(game.agentTypes->types.count - before, c.types);
    }
    EXPECT_FALSE(game.agentTypes->LoadUnitTypes("data/scripts/no_such_units.cgs", nullptr));
}
