#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "host/Log.h"
#include "platform/StringTable.h"
#include "platform/UserFolders.h"
#include "render/AnimLibrary.h"
#include "render/IndexedMesh.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Item.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

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
