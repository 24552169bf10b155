#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "host/Log.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "platform/StringTable.h"
#include "platform/UserFolders.h"
#include "render/AnimLibrary.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A mesh of the shipped packages that every rig part of these tests wears.
constexpr const char* PART_MESH = "data/mesh/walker.txt";

class RigCatalogTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        TheMeshLibrary = meshLibrary.get();
        TheAnimLibrary = animLibrary.get();
    }
    void TearDown() override
    {
        catalog.reset();
        SceneTest::TearDown();
        TheAnimLibrary = savedAnimations;
    }
    // Reads a rigs script written to a temporary file into a new catalogue.
    void LoadText(const std::string& text)
    {
        std::string path = MakeTempFolder("rigs") + "/rigs.cgs";
        ASSERT_TRUE(WriteTextFile(path, text));
        catalog = std::make_unique<RigCatalog>();
        TheRigCatalog = catalog.get();
        LogCaptureBegin();
        ASSERT_TRUE(catalog->Load(path.c_str()));
        log = LogCaptureEnd();
    }

    std::unique_ptr<MeshLibrary> meshLibrary = std::make_unique<MeshLibrary>();
    std::unique_ptr<AnimLibrary> animLibrary = std::make_unique<AnimLibrary>();
    AnimLibrary* savedAnimations = TheAnimLibrary;
    ScopedGlobal<RigCatalog*> noCatalog{TheRigCatalog, nullptr};
    std::unique_ptr<RigCatalog> catalog;
    std::string log;
};

}  // namespace

TEST_F(RigCatalogTest, ReadsChassisWithTheirPartsAndPilots)
{
    LoadText(std::string("AddBody ") + PART_MESH + "\n"  // before any chassis: nothing
             "AddChassis basic " + PART_MESH + "\n"
             "  Hull 100\n  Speed 5\n"
             "  AddBody " + PART_MESH + "\n"
             "  AddCanopy " + PART_MESH + "\n"
             "  ICONSHEET icons/rig_icons.dds 1 2 3 4\n"
             "addchassis lowercase " + PART_MESH + "\n"   // not a keyword
             "AddChassis round " + PART_MESH + "\n"
             "  iconsheet icons/rig_icons.dds 8 8 1 0\n"  // a keyword in any case
             "AddChassis nomesh data/mesh/none_such.txt\n"
             "AddPilot default " + PART_MESH + "\n"
             "AddPilot Ace " + PART_MESH + "\n");
    ASSERT_EQ(catalog->chassisList.count, 2) << log;
    ChassisRecord* basic = catalog->FindChassis("BASIC");
    ASSERT_NE(basic, nullptr);
    ASSERT_NE(basic->body, nullptr);
    ASSERT_NE(basic->canopy, nullptr);
    EXPECT_STREQ(basic->body->name, "basic_body");
    EXPECT_STREQ(basic->canopy->name, "basic_canopy");
    EXPECT_EQ(basic->iconWord, 0x01020304u);
    ChassisRecord* round = catalog->FindChassis("round");
    ASSERT_NE(round, nullptr);
    EXPECT_EQ(round->body, nullptr);
    EXPECT_EQ(round->iconWord, 0x08080100u);
    EXPECT_EQ(catalog->FindChassis("lowercase"), nullptr);
    EXPECT_EQ(catalog->FindChassis("nomesh"), nullptr);
    EXPECT_NE(log.find("none_such"), std::string::npos) << log;

    EXPECT_EQ(catalog->NextChassis(basic), round);
    EXPECT_EQ(catalog->NextChassis(round), basic) << "wraps to the first";
    ChassisRecord stranger;
    EXPECT_EQ(catalog->NextChassis(&stranger), nullptr);
    RigPart* ace = catalog->FindPilot("ace");
    ASSERT_NE(ace, nullptr);
    EXPECT_EQ(catalog->NextPilot(ace), catalog->FindPilot("default"));
}

TEST_F(RigCatalogTest, TheDefaultRigWearsItsParts)
{
    LoadText(std::string("AddChassis basic ") + PART_MESH + "\n  AddBody " + PART_MESH + "\n  AddCanopy " + PART_MESH +
             "\nAddPilot default " + PART_MESH + "\n");
    PlayerProfile* profile = new PlayerProfile();
    catalog->SetCurrentProfile(profile);
    profile->SetDefaultRig();
    EXPECT_EQ(GetPlayerProfile(), profile);
    ASSERT_NE(profile->rig, nullptr);
    EXPECT_EQ(GetPlayerRig(), profile->rig);
    ASSERT_NE(profile->chassis, nullptr);
    EXPECT_EQ(profile->rig->mesh, profile->chassis->chassis->mesh);
    EXPECT_STREQ(profile->rig->name, "Builder");
    EXPECT_EQ(profile->rig->alignment, ALIGN_PLAYER);
    profile->AttachRigParts();
    EXPECT_EQ(profile->rig->GetAttachedEntity("body"), profile->chassis->body);
    EXPECT_EQ(profile->rig->GetAttachedEntity("canopy"), profile->chassis->canopy);
    EXPECT_EQ(profile->rig->GetAttachedEntity("pilot"), profile->pilot);
    EXPECT_STREQ(profile->rigPaint, "default");
    profile->SetRigPaint("@camo");
    EXPECT_STREQ(profile->rigPaint, "@camo");
}

TEST_F(RigCatalogTest, ReplacedProfilesAreKeptFourAtMostAndFreed)
{
    LoadText(std::string("AddChassis basic ") + PART_MESH + "\n");
    for (int i = 0; i < 7; ++i) catalog->SetCurrentProfile(new PlayerProfile());
    EXPECT_EQ(catalog->earlierCount, RIG_EARLIER_PROFILES);
    for (PlayerProfile* kept : catalog->earlierProfiles) EXPECT_NE(kept, nullptr);
    // The leak checker sees to the two that found no room.
}

namespace {

// The game's own catalogues, rigs and a new player's profile, with an inventory to fill.
class ShippedPlayer : public RigCatalogTest {
protected:
    void SetUp() override
    {
        RigCatalogTest::SetUp();
        ASSERT_TRUE(strings.Init());
        snprintf(ProfilesFolder, sizeof ProfilesFolder, "%s", MakeTempFolder("player").c_str());
        LogCaptureBegin();
        game.LoadCatalogues();
        catalog = std::make_unique<RigCatalog>();
        TheRigCatalog = catalog.get();
        catalog->Init();
        log = LogCaptureEnd();
        inventory = std::make_unique<Inventory>();
        PlayerInventory = inventory.get();
    }
    void TearDown() override
    {
        inventory.reset();
        RigCatalogTest::TearDown();
        memcpy(ProfilesFolder, savedFolder, sizeof savedFolder);
    }
    const char* Held(const char* slot)
    {
        Entity* held = GetPlayerRig() ? GetPlayerRig()->GetAttachedEntity(slot) : nullptr;
        return held ? held->name : "";
    }

    StringTable strings;
    ScopedGlobal<StringTable*> installedStrings{Strings, &strings};
    ScopedGlobal<Inventory*> noInventory{PlayerInventory, nullptr};
    std::unique_ptr<Inventory> inventory;
    char savedFolder[256] = {};
    int keep = (memcpy(savedFolder, ProfilesFolder, sizeof savedFolder), 0);
};

}  // namespace

TEST_F(ShippedPlayer, TheRigsResolveToShippedModels)
{
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    for (const char* name : {"basic", "round", "strider", "crawler"}) {
        ChassisRecord* record = catalog->FindChassis(name);
        ASSERT_NE(record, nullptr) << name;
        EXPECT_NE(record->body, nullptr) << name;
        EXPECT_NE(record->canopy, nullptr) << name;
        for (const char* bone : {"attach", "pilot", "LeftWeapon", "RightWeapon"})
            EXPECT_GE(record->chassis->mesh->FindJoint(bone), 0) << name << " " << bone;
    }
    EXPECT_NE(catalog->FindPilot("default"), nullptr);
    PlayerProfile* profile = GetPlayerProfile();
    EXPECT_TRUE(profile->flags & PROFILE_STARTUP);
    EXPECT_EQ(profile->chassis, catalog->FindChassis("basic"));
}

TEST_F(ShippedPlayer, ANewProfileIsEquippedSavedAndLoadedBackWhole)
{
    PlayerProfile* profile = GetPlayerProfile();
    LogCaptureBegin();
    ASSERT_TRUE(profile->Load(DEFAULT_PROFILE_SCRIPT, false, false));
    log = LogCaptureEnd();
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(profile->credits, 500);
    EXPECT_STREQ(Held("leftweapon"), "laser_cutter");
    EXPECT_STREQ(Held("rightweapon"), "machinegun");
    EXPECT_EQ(GetPlayerRig()->GetAttachedEntity("body"), profile->chassis->body);
    EXPECT_EQ(GetPlayerRig()->GetAttachedEntity("pilot"), profile->pilot);
    ASSERT_NE(inventory->slots[0].item, nullptr);
    EXPECT_STREQ(inventory->slots[0].item->name, "health_cannister");
    EXPECT_EQ(inventory->slots[0].item->stackCount, 2);
    ASSERT_NE(inventory->slots[4].item, nullptr);
    EXPECT_STREQ(inventory->slots[4].item->patternName, "rocket_bot");
    AgentType* rockets = game.agentTypes->FindType("rocket_bot");
    ASSERT_NE(rockets, nullptr);
    EXPECT_FALSE(rockets->flags & AGENT_TYPE_OWNED) << "a pattern to learn, not learned";

    // The player makes it theirs.
    snprintf(profile->name, sizeof profile->name, "Tester");
    profile->AddExperience(700);
    profile->SetRigPaint("@camo");
    profile->chassis = catalog->FindChassis("round");
    profile->AttachRigParts();
    rockets->flags |= AGENT_TYPE_OWNED;
    Item* module = CreateItemByName("servo_boost");
    ASSERT_NE(module, nullptr);
    module->bonus[ITEM_BONUS_SPEED] = 12.5f;
    EXPECT_EQ(GetPlayerRig()->EquipItem(module, 1), nullptr);
    inventory->slots[4].item->upgradeFlags = 0x10;
    inventory->slots[4].item->bonus[ITEM_BONUS_DAMAGE] = 7.5f;
    ASSERT_TRUE(profile->SaveByName(false));
    char path[MAX_PROFILE_PATH];
    ASSERT_TRUE(ProfilePath("Tester", path, sizeof path));
    std::string written = ReadTextFile(path);

    // A fresh start, then the saved player again.
    catalog->Init();
    EXPECT_STREQ(Held("leftweapon"), "");
    EXPECT_EQ(inventory->slots[0].kind, 1) << "the grid is the old player's until a profile is read";
    ASSERT_TRUE(GetPlayerProfile()->LoadByName("Tester"));
    profile = GetPlayerProfile();
    EXPECT_STREQ(profile->name, "Tester");
    EXPECT_EQ(profile->experience, 700);
    EXPECT_EQ(profile->credits, 500);
    EXPECT_EQ(profile->chassis, catalog->FindChassis("round"));
    EXPECT_STREQ(profile->rigPaint, "@camo");
    EXPECT_EQ(GetPlayerRig()->GetAttachedEntity("body"), profile->chassis->body);
    EXPECT_STREQ(Held("leftweapon"), "laser_cutter");
    EXPECT_STREQ(Held("rightweapon"), "machinegun");
    ASSERT_NE(inventory->slots[0].item, nullptr);
    EXPECT_EQ(inventory->slots[0].item->stackCount, 2);
    ASSERT_NE(inventory->slots[4].item, nullptr);
    EXPECT_STREQ(inventory->slots[4].item->patternName, "rocket_bot");
    EXPECT_EQ(inventory->slots[4].item->upgradeFlags, 0x10u);
    EXPECT_FLOAT_EQ(inventory->slots[4].item->bonus[ITEM_BONUS_DAMAGE], 7.5f);
    EXPECT_TRUE(rockets->flags & AGENT_TYPE_OWNED);
    const Item* equipped = GetPlayerRig()->GetEquippedItem(1);
    ASSERT_NE(equipped, nullptr);
    EXPECT_STREQ(equipped->name, "servo_boost");
    EXPECT_FLOAT_EQ(equipped->bonus[ITEM_BONUS_SPEED], 12.5f);
    ASSERT_TRUE(profile->SaveByName(false));
    EXPECT_EQ(ReadTextFile(path), written) << "nothing lost on the way";
}

TEST_F(ShippedPlayer, ANewPilotsFirstShopVisitBuysSomethingAndTheStarterWeaponsGoBackOn)
{
    PlayerProfile* profile = GetPlayerProfile();
    ASSERT_TRUE(profile->Load(DEFAULT_PROFILE_SCRIPT, false, false));
    ASSERT_EQ(profile->level, 0);

    // Whatever the rig starts with can be taken off and put back on by the pilot it starts with.
    for (const char* slot : {"leftweapon", "rightweapon"}) {
        const Entity* held = GetPlayerRig()->GetAttachedEntity(slot);
        ASSERT_NE(held, nullptr) << slot;
        ASSERT_TRUE(held->flags & ENTITY_ITEM) << slot;
        EXPECT_LE(static_cast<const Item*>(held)->buyLevel, profile->level) << held->name;
    }

    // The shelf holds, within the starting credits and without a level, a part for the rig and
    // something to use in the field.
    int parts = 0, kits = 0;
    for (auto* node = game.items->items.head; node; node = node->next) {
        const Item* item = node->value;
        if (item->itemFlags & (ITEM_FLAG_AI_ONLY | ITEM_FLAG_NOT_FOR_SALE)) continue;
        if (item->buyLevel > profile->level || item->price > profile->credits || item->achievement >= 0) continue;
        if (item->price <= 0) continue;
        parts += item->kind == ITEM_KIND_WEAPON || item->kind == ITEM_KIND_UPGRADE;
        kits += item->kind == ITEM_KIND_ACTION;
    }
    EXPECT_GE(parts, 2);
    EXPECT_GE(kits, 1);
}

TEST_F(ShippedPlayer, AWeaponTheRigHasNoRoomForIsRefusedNotLost)
{
    PlayerProfile* profile = GetPlayerProfile();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    // Every attachment record taken by other parts.
    std::vector<std::unique_ptr<Entity>> parts;
    for (int i = 0; rig->AttachmentCount() < AGENT_ATTACHMENTS; ++i) {
        parts.push_back(std::make_unique<Entity>());
        char name[32];
        snprintf(name, sizeof name, "part%d", i);
        rig->AddAttachment(parts.back().get(), name, "attach");
    }
    std::string path = MakeTempFolder("crowded") + "/crowded.cgs";
    ASSERT_TRUE(WriteTextFile(path, "attachleft\tlaser_cutter\nitem_stackCount 1\ncredits 3\n"));
    LogCaptureBegin();
    ASSERT_TRUE(profile->Load(path.c_str(), false, false));
    log = LogCaptureEnd();
    EXPECT_EQ(rig->GetAttachedEntity("leftweapon"), nullptr);
    EXPECT_NE(log.find("no room for 'laser_cutter'"), std::string::npos) << log;
    EXPECT_EQ(profile->credits, 3);
    for (int i = 0; i < rig->AttachmentCount(); ++i) rig->RemoveAttachment(rig->Attachment(i).name);
}

TEST_F(ShippedPlayer, AnotherPlayersGalaxyIsNotKept)
{
    Galaxy galaxy;
    ScopedGlobal<Galaxy*> current(TheGalaxy, &galaxy);
    galaxy.Generate(1234);
    ASSERT_GT(galaxy.count, 0);
    PlayerProfile* profile = GetPlayerProfile();
    std::string path = MakeTempFolder("seeds") + "/seeds.cgs";
    ASSERT_TRUE(WriteTextFile(path, "galaxyseed\t1234\n"));
    ASSERT_TRUE(profile->Load(path.c_str(), false, false));
    EXPECT_GT(galaxy.count, 0) << "the player's own galaxy stays";
    ASSERT_TRUE(WriteTextFile(path, "galaxyseed\t99\n"));
    ASSERT_TRUE(profile->Load(path.c_str(), false, false));
    EXPECT_EQ(galaxy.count, 0) << "built again from the new seed when asked for";
    EXPECT_EQ(profile->galaxySeed, 99);
}

TEST_F(ShippedPlayer, APaintIsAVariantOfTheChassisTexture)
{
    TextureManager textures;
    ScopedGlobal<TextureManager*> installed(Textures, &textures);
    TextureRecord* record = textures.GetTexture("data/textures/rigs/rig_basic.dds");
    ASSERT_NE(record, nullptr);
    PlayerProfile* profile = GetPlayerProfile();
    for (const char* paint : {"@camo", "@race", "@scav"}) {
        profile->SetRigPaint(paint);
        EXPECT_NE(std::string(record->name).find(std::string("rig_basic") + paint + ".dds"), std::string::npos)
            << record->name;
        EXPECT_STREQ(profile->rigPaint, paint);
    }
    // "none" and "default" wear the chassis's own.
    snprintf(profile->rigPaint, sizeof profile->rigPaint, "none");
    profile->AttachRigParts();
    EXPECT_NE(std::string(record->name).find("rig_basic.dds"), std::string::npos) << record->name;
}

TEST_F(ShippedPlayer, AnEarnedAchievementIsNamedInItsPopUp)
{
    PlayerProfile* profile = GetPlayerProfile();
    profile->statistics[PROFILE_STAT_RIG_KILLS] = profile->enemiesKilled() = 4;
    profile->CheckUnlocks(true);
    ASSERT_TRUE(profile->HasAchievement(6));
    bool named = false;
    for (const MessageNode* node = game.popups->head; node; node = node->next)
        named = named || strcmp(node->text, "Achievement: Lone Wolf: make every kill of a mission with your rig") == 0;
    EXPECT_TRUE(named);
    ASSERT_NE(game.messageBar->Newest(), nullptr);
    EXPECT_STREQ(game.messageBar->Newest()->text, "Camo rig skin unlocked!");
    for (int n = 1; n <= 20; ++n) {
        char tag[32];
        snprintf(tag, sizeof tag, "<achieve_%d>", n);
        EXPECT_NE(Strings->Lookup(tag), nullptr) << tag;
    }
    for (auto* node = catalog->chassisList.head; node; node = node->next) {
        std::string tag = std::string("<rig_") + node->value->chassis->name + ">";
        EXPECT_NE(Strings->Lookup(tag.c_str()), nullptr) << tag;
    }
}

// Damaged profiles kept from past reports (tests/data/bad-files/profile): each loads what it
// can, says what it dropped, and what it saves once comes back the same when saved again.
TEST_F(ShippedPlayer, DamagedProfilesLoadWhatTheyCanAndSaveTheSameTwice)
{
    const struct {
        const char* file;
        const char* logged;
        const char* written = "";  // a line the first save holds
    } cases[] = {
        // A count of 0 empties the slot; the lines after it belonged to the dropped item.
        {"uaf_stackcount_zero.cgs", "line 2: item 'repair_kit' has a stack count of 0"},
        {"uaf_stackcount_zero_pattern.cgs", "line 2: item 'repair_kit' has a stack count of 0"},
        {"roundtrip_pattern_no_value.cgs", "line 2: item_pattern has no value"},
        {"rigpaint_no_value.cgs", "line 1: rigPaint has no value"},
        {"roundtrip_unknown_chassis.cgs", "line 1: no chassis 'nosuchchassis'"},
        // Every flag set: the word comes back whole, not cut to the largest int, also from a
        // profile that wrote it unsigned.
        {"item_special_flags_minus1.cgs", "", "item_specialFlags\t-1\n"},
        {"item_special_flags_4294967295.cgs", "", "item_specialFlags\t-1\n"},
    };
    std::string folder = MakeTempFolder("bad-profiles");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PlayerProfile* profile = GetPlayerProfile();
        LogCaptureBegin();
        ASSERT_TRUE(profile->Load((std::string("tests/data/bad-files/profile/") + c.file).c_str(), false, false));
        log = LogCaptureEnd();
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        for (const BagSlot& slot : inventory->slots) {
            if (slot.kind == 1) {
                EXPECT_GE(slot.item->stackCount, 1) << slot.item->name;
            }
        }
        ASSERT_TRUE(profile->Save((folder + "/once.cgs").c_str(), false));
        EXPECT_NE(ReadTextFile(folder + "/once.cgs").find(c.written), std::string::npos);
        LogCaptureBegin();
        ASSERT_TRUE(profile->Load((folder + "/once.cgs").c_str(), false, false));
        log = LogCaptureEnd();
        EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
        ASSERT_TRUE(profile->Save((folder + "/twice.cgs").c_str(), false));
        EXPECT_EQ(ReadTextFile(folder + "/twice.cgs"), ReadTextFile(folder + "/once.cgs"));
    }
}
