// The main display drawn for real: a small level with a unit, a building and an item, each
// selected in turn; the game's HUD pass shows its page, portrait and meters at the bottom of a
// 1024 x 768 screen, checked against reference pictures.
#include "campaign/PlayerProfile.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "interface/EntityInfoGui.h"
#include "interface/PlayerGame.h"
#include "interface/PowerBar.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "render/AnimLibrary.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/MeshesOnScreen.h"
#include "tests/support/GfxFixture.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"

#include <cstring>
#include <memory>

namespace {

class MainDisplayOnScreen : public MeshesOnScreen {
protected:
    static constexpr int kWidth = 1024, kHeight = 768;

    MainDisplayOnScreen() : MeshesOnScreen(kWidth, kHeight) {}
    void SetUp() override
    {
        MeshesOnScreen::SetUp();
        if (IsSkipped()) return;
        WindowMgr = &manager_;
        game_ = std::make_unique<PlayerGame>();
        TheGame = game_.get();
        ASSERT_TRUE(TheScene.InitLists());
        game_->CreateCatalogues();
        // The HUD of play is made with a level.
        game_->state = GAME_STATE_PLAYING;
        ASSERT_TRUE(game_->CreateHud());
        GuiDefaultFont = game_->fonts[0];
        GuiListFont = game_->fonts[3];
    }
    void TearDown() override
    {
        if (game_) {
            for (Agent* agent : agents_) game_->agentTypes->ReturnAgent(agent);
            for (Entity* entity : owned_) delete entity;
            GuiDefaultFont = GuiListFont = nullptr;
            game_.reset();
        }
        TheGame = nullptr;
        WindowMgr = nullptr;
        MeshesOnScreen::TearDown();
    }
    IndexedMesh* Mesh(const char* name)
    {
        IndexedMesh* mesh = TheMeshLibrary->GetMesh(name, 0, true, false);
        EXPECT_NE(mesh, nullptr) << name;
        return mesh;
    }
    // The HUD of one frame with that entity selected, the main display's part of the screen.
    Pixels Shown(Entity* entity)
    {
        game_->hand.selected.Clear();
        game_->hand.selected.PushBack(entity);
        Pixels shot;
        // The second frame: the portrait has framed its model.
        for (int frame = 0; frame < 2; ++frame) {
            Graphics->Clear(7, 0.1f, 0.1f, 0.12f, 1.0f);
            Graphics->BeginScene();
            Graphics->Begin2D();
            game_->DrawHud();
            Graphics->End2D();
            shot = ReadBackBuffer(Graphics->device);
            Graphics->Present();
        }
        const EntityInfoGui* display = TheEntityInfoGui;
        return CropPixels(shot, display->x, display->y, display->x + display->width, display->y + display->height);
    }

    WindowManager manager_;
    std::unique_ptr<PlayerGame> game_;
    std::vector<Agent*> agents_;
    std::vector<Entity*> owned_;
};

}  // namespace

TEST_F(MainDisplayOnScreen, AUnitABuildingAndAnItemShowTheirPages)
{
    ASSERT_NE(TheEntityInfoGui, nullptr);
    ASSERT_NE(ThePowerBar, nullptr);

    Agent* bot = game_->agentTypes->TakeFreeAgent();
    ASSERT_NE(bot, nullptr);
    agents_.push_back(bot);
    strcpy(bot->name, "Walker");
    bot->alignment = ALIGN_PLAYER;
    bot->classWord |= AGENT_CLASS_LEVELLING | AGENT_CLASS_MINER;
    bot->mesh = Mesh("walker.txt");
    bot->SetMaxHealth(120.0f);
    bot->SetHealth(90.0f);
    bot->botLevel = 3;
    bot->botExperience = 600;
    bot->oreCapacity = 20.0f;
    bot->oreLoad = 12.0f;
    bot->miningAmount = 2.0f;
    bot->attackRange = 8.0f;
    bot->kills = 2;
    bot->yaw = 30.0f;
    ASSERT_NE(TheScene.AddEntity(bot), nullptr);

    BuildItem* refinery = game_->buildItems->Add(nullptr, "Refinery");
    refinery->flags = BUILD_RESOURCE_DROP;
    Building* building = new Building();
    owned_.push_back(building);
    building->flags |= ENTITY_BUILDING;
    building->alignment = ALIGN_PLAYER;
    building->definition = refinery;
    building->mesh = Mesh("refinery.txt");
    building->SetMaxHealth(400.0f);
    building->SetHealth(400.0f);

    Item* item = new Item();
    owned_.push_back(item);
    item->flags |= ENTITY_ITEM;
    item->alignment = ALIGN_NEUTRAL;
    strcpy(item->name, "Freeze Trap");
    item->action = ITEM_ACTION_FREEZE;
    item->mesh = Mesh("hopper_full.txt");

    // The rig before its planet, the profile's name and level in its title.
    Agent* rig = game_->agentTypes->TakeFreeAgent();
    ASSERT_NE(rig, nullptr);
    agents_.push_back(rig);
    rig->flags |= ENTITY_PLAYER;
    rig->alignment = ALIGN_PLAYER;
    rig->classWord |= AGENT_CLASS_MINE_LAYER;
    rig->mines = 2;
    rig->mesh = Mesh("walker.txt");
    rig->SetMaxHealth(300.0f);
    rig->SetHealth(300.0f);
    PlayerProfile* player = GetPlayerProfile();
    player->Clear();
    strcpy(player->name, "Ada");
    player->level = 4;

    const struct {
        Entity* entity;
        const char* reference;
    } shown[] = {
        {bot, "main_display_unit"},
        {rig, "main_display_rig"},
        {building, "main_display_building"},
        {item, "main_display_item"},
    };
    for (const auto& s : shown) {
        Pixels picture = Shown(s.entity);
        ASSERT_EQ(picture.width, TheEntityInfoGui->width);
        EXPECT_TRUE(MatchesReference(picture, s.reference, PictureTolerance{3, 40})) << s.reference;
    }
    // Far from the world's origin, where buildings stand in a level, the portrait is the same,
    // and the building stays where it stands.
    building->SetPosition(Vec3(180.0f, 12.0f, 240.0f));
    EXPECT_TRUE(MatchesReference(Shown(building), "main_display_building", PictureTolerance{3, 40}));
    Vec3 at = building->GetPosition();
    EXPECT_FLOAT_EQ(at.x, 180.0f);
    EXPECT_FLOAT_EQ(at.z, 240.0f);
    EXPECT_TRUE(TheEntityInfoGui->IsVisible());
    player->Clear();

    // Nothing selected: the display goes.
    game_->hand.selected.Clear();
    game_->DrawHud();
    EXPECT_FALSE(TheEntityInfoGui->IsVisible());
    TheScene.ReleaseEntities();
    agents_.clear();
}
