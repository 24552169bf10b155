// The end of a level: what the player keeps, what goes back to its pool, what is freed, that
// nothing the next level draws with is taken away, and that the level's light and poses go.
#include "platform/Timer.h"
#include "mechanics/GameMechanics.h"

#include "host/System.h"
#include "mechanics/Scene.h"
#include "render/Animation.h"
#include "render/Effect.h"
#include "render/IndexedMesh.h"
#include "world/AgentCombat.h"
#include "world/AiBrain.h"
#include "world/Grid.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/render/TwoJointMesh.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using LevelEnd = SceneTest;

// Entities of the Scene's lists, markers left out.
int CountInScene()
{
    int count = 0;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
        ++count;
    return count;
}

TEST_F(LevelEnd, OnlyTheRigStaysMendedAgentsGoHomeAndSharedMeshesSurvive)
{
    const int poolFree = game.agentTypes->FreeCount();
    ScopedGlobal<PowerLedger> power{TheScene.power};

    // The rig, beaten and standing on the grid.
    Entity* rig = Place(NewEntity(ENTITY_PLAYER | ENTITY_DEAD), 10.0f);
    rig->alignment = ALIGN_PLAYER;
    rig->SetMaxHealth(300.0f);
    rig->SetHealth(12.0f);
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);
    ASSERT_GT(game.grid->OccupyCells(rig, 60, 60, 61, 61), 0);

    // A mesh the catalogue's prototype shares with what stood in the level, listed in the
    // library so that a device reset reaches it.
    auto shared = std::make_unique<IndexedMesh>();
    MeshLibrary library;
    ScopedGlobal<MeshLibrary*> inUse{TheMeshLibrary, &library};
    library.Add(shared.get(), "shared", 0);
    Building* building = Place(NewBuilding(ALIGN_ENEMY), 20.0f);
    building->mesh = shared.get();
    ASSERT_NE(TheScene.AddEntity(building), nullptr);
    ASSERT_GT(game.grid->OccupyCells(building, 10, 10, 12, 12), 0);
    Entity* item = Place(NewEntity(ENTITY_ITEM), 30.0f);
    item->mesh = shared.get();
    ASSERT_NE(TheScene.AddEntity(item), nullptr);
    Entity* rock = TheScene.AddTerrainObject("none", Vec3(40.0f, 0.0f, 0.0f), 0);
    ASSERT_NE(rock, nullptr);
    rock->mesh = shared.get();
    Entity* flag = NewEntity(ENTITY_MARKER | ENTITY_NODRAW);
    flag->mesh = shared.get();
    ASSERT_TRUE(TheScene.translucent.PushBack(flag));
    game.flagEntity = flag;
    for (int i = 0; i < 3; ++i) ASSERT_NE(TheScene.AddEntity(Place(NewAgent(ALIGN_ENEMY), 50.0f + i)), nullptr);
    ASSERT_EQ(game.agentTypes->FreeCount(), poolFree - 3);

    // Something that died during the level waits in the removed list.
    Building* wreck = Place(NewBuilding(ALIGN_PLAYER), 70.0f);
    ASSERT_NE(TheScene.AddEntity(wreck), nullptr);
    wreck->flags |= ENTITY_DEAD;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    ASSERT_GT(TheScene.removed.count, 0);

    TheScene.power.supply = 90.0f;
    TheScene.power.demand = 40.0f;
    TheScene.sceneFlags |= SCENE_HAS_WATER;
    game.commandMode = 4;
    game.EndLevel();

    EXPECT_EQ(CountInScene(), 1) << "the rig alone is left";
    EXPECT_EQ(TheScene.FirstInCategory(CATEGORY_ALL, 0), rig);
    EXPECT_EQ(TheScene.removed.count, 0);
    EXPECT_EQ(game.agentTypes->FreeCount(), poolFree) << "every agent went back to the pool";
    EXPECT_EQ(game.flagEntity, nullptr);
    EXPECT_EQ(game.commandMode, 0);
    EXPECT_EQ(TheScene.sceneFlags, 0u);
    EXPECT_FLOAT_EQ(TheScene.power.supply, PowerLedger::START_SUPPLY);
    EXPECT_FLOAT_EQ(TheScene.power.demand, 0.0f);

    EXPECT_FALSE(rig->flags & ENTITY_DEAD);
    EXPECT_FLOAT_EQ(rig->health, 300.0f) << "the rig comes home mended";
    EXPECT_EQ(rig->gridCell, nullptr) << "and stands nowhere until the next level places it";

    // The shared mesh is whole and still listed: the next level's prototype draws with it.
    EXPECT_EQ(library.ClonedCount(), 1);
    shared->boundsMax = Vec3(1.0f, 1.0f, 1.0f);

    // The grid is as new.
    int dirty = 0;
    for (int row = 0; row < game.grid->size; ++row)
        for (int column = 0; column < game.grid->size; ++column) {
            const GridCell* cell = game.grid->GetCell(column, row);
            dirty += cell->occupant || cell->next || cell->flags || cell->region || cell->column != column ||
                     cell->row != row;
            for (uint8_t step : cell->steps) dirty += step != 1;
        }
    EXPECT_EQ(dirty, 0);

    // A second end on the emptied level changes nothing more.
    game.EndLevel();
    EXPECT_EQ(CountInScene(), 1);
    EXPECT_EQ(game.agentTypes->FreeCount(), poolFree);
}

// What the level's drawing and playing left goes with it: the screens after it (the new-profile
// preview, drawn with the rig's own mesh) look as if no level had been. The effects' values are
// those of no level, but for the targets kept for the next; the rig's mesh, walked and posed by
// the level's ticks with a wheel turned, poses and skins as a mesh just built.
TEST_F(LevelEnd, TheLevelsLightAndTheRigsPoseGoWithIt)
{
    ScopedGlobal<EffectBindingValues> values{EffectValues};
    GfxBaseTexture* (*const lookup)(const char*) = [](const char*) -> GfxBaseTexture* { return nullptr; };
    EffectValues.getTexture = lookup;
    EffectValues.shadowValue = 0.25f;
    EffectValues.objectId = 255.0f;
    EffectValues.ambient = Vec4(0.4f, 0.4f, 0.4f, 1.0f);
    EffectValues.lightView._41 = 107.9f;
    EffectValues.lightProjection._11 = 0.03f;
    int textures[2] = {};
    GfxBaseTexture* const fog = reinterpret_cast<GfxBaseTexture*>(&textures[1]);
    EffectValues.terrainAlpha = reinterpret_cast<GfxBaseTexture*>(&textures[0]);
    EffectValues.fogOfWar = fog;

    auto built = [] {
        auto mesh = std::make_unique<IndexedMesh>();
        std::string text = TwoJointMeshText("wheel");
        EXPECT_TRUE(mesh->ParseMesh(&text[0]));
        EXPECT_TRUE(mesh->BuildBuffers(nullptr, false));
        for (int id : {ANIM_IDLE, ANIM_WALK}) {
            auto animation = std::make_shared<Animation>();
            AnimChannel channel;
            channel.jointIndex = 0;
            channel.type = CHANNEL_ROTATE_Z;
            channel.lastFrame = 4.0f;
            channel.frameRate = 2.0f;
            channel.keys = {0.0f, 0.1f, 0.2f};
            if (id == ANIM_WALK) channel.keys = {0.5f, 1.0f, 1.5f};
            animation->channels.push_back(channel);
            mesh->animations[id] = animation;
            mesh->animationSlot[id] = mesh->slotAnimationId[id] = id;
            mesh->animationCount = id + 1;
        }
        return mesh;
    };
    auto played = built(), fresh = built();
    Entity* rig = Place(NewEntity(ENTITY_PLAYER), 10.0f);
    rig->mesh = played.get();
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);
    ScopedGlobal<int> ticks{WorldTicks.count};
    ScopedGlobal<int> frames{FrameTimer.frameCount};
    played->SetAnimation(ANIM_WALK, false, true);
    for (int tick = 0; tick < 7; ++tick) {
        const WorldTickScope scope(0.1f);
        played->Update(0.1f);
    }
    ASSERT_NE(played->wheelTurn, 0.0f) << "the wheel turned";

    game.EndLevel();

    const EffectBindingValues none;
    EXPECT_EQ(EffectValues.getTexture, lookup) << "the texture lookup stays";
    EXPECT_EQ(EffectValues.shadowValue, none.shadowValue);
    EXPECT_EQ(EffectValues.objectId, none.objectId);
    EXPECT_EQ(EffectValues.ambient, none.ambient);
    EXPECT_EQ(memcmp(&EffectValues.lightView, &none.lightView, sizeof(Matrix)), 0);
    EXPECT_EQ(memcmp(&EffectValues.lightProjection, &none.lightProjection, sizeof(Matrix)), 0);
    EXPECT_EQ(EffectValues.terrainAlpha, nullptr);
    EXPECT_EQ(EffectValues.fogOfWar, fog) << "the minimap's fog, kept for the next level, stays";

    // Frames of the front end, the world's clock standing: both meshes draw alike.
    for (int frame = 0; frame < 4; ++frame) {
        ++FrameTimer.frameCount;
        for (IndexedMesh* mesh : {played.get(), fresh.get()}) {
            mesh->Update(0.05f);
            mesh->SkinForDrawing();
        }
        EXPECT_EQ(played->currentSlot, fresh->currentSlot);
        EXPECT_EQ(played->time, fresh->time);
        EXPECT_EQ(memcmp(played->subMeshes[0].vertices.data(), fresh->subMeshes[0].vertices.data(),
                         fresh->subMeshes[0].vertices.size() * sizeof(MeshGpuVertex)),
                  0)
            << "frame " << frame;
    }
    TheScene.RemoveEntity(rig, REMOVE_EVERYWHERE);
    delete rig;
}

// The rig's last order belongs to the level it was given in: the next level starts it as a new
// unit's brain starts, without the job, its building or its way, and alive.
TEST_F(LevelEnd, TheRigLeavesItsOrderWithTheLevel)
{
    Agent* rig = Place(NewAgent(ALIGN_PLAYER), 10.0f);
    ASSERT_NE(rig, nullptr);
    rig->flags |= ENTITY_PLAYER;
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);
    Building* site = Place(NewBuilding(ALIGN_PLAYER), 20.0f);
    ASSERT_NE(TheScene.AddEntity(site), nullptr);
    rig->activeBuilding.Set(site);
    ASSERT_NE(rig->brain, nullptr);
    ASSERT_NE(rig->brain->SetJob("Build", rig, AI_MODE_BUILD), 0);
    ASSERT_TRUE(rig->moveQueue.Push(Vec3(30.0f, 0.0f, 0.0f)));
    rig->Die(nullptr);

    game.EndLevel();

    EXPECT_FALSE(rig->HasDied()) << "the lost rig comes home alive";
    EXPECT_EQ(rig->brain->job, nullptr);
    EXPECT_EQ(rig->brain->mode, AIBrain().mode);
    EXPECT_EQ(rig->activeBuilding.Get(), nullptr);
    EXPECT_EQ(rig->moveQueue.Points().count, 0);
}

// The rig enters the next level as a unit newly made: whatever a level left in it, every field
// but what the unit is and carries is a new unit's again, its hull and shield whole. The test
// scribbles over every byte of the rig but the fields listed here as what it is, so that a
// field a level gives, added later and forgotten by the reset, shows; a new field of what a
// unit is goes into the list. The new unit it is held against is made as the level's pool makes
// its units: its level state is the fields' own first values, none of it the reset's code, so
// a line left out of the reset leaves the rig apart from it.
TEST_F(LevelEnd, EveryFieldALevelGaveTheRigIsANewUnitsAgain)
{
    // Both made in memory filled alike, so that what neither constructor writes compares equal.
    constexpr unsigned char SCRIBBLE = 0x5A;
    alignas(Agent) unsigned char rigBytes[sizeof(Agent)], madeBytes[sizeof(Agent)];
    memset(rigBytes, SCRIBBLE, sizeof rigBytes);
    memset(madeBytes, SCRIBBLE, sizeof madeBytes);
    Agent* rig = new (rigBytes) Agent();
    Agent* made = new (madeBytes) Agent();
    for (Agent* unit : {rig, made}) {
        CopyText(unit->name, sizeof unit->name, "Builder");
        unit->flags |= ENTITY_PLAYER | ENTITY_SHIELD;
        unit->alignment = ALIGN_PLAYER;
        unit->SetMaxHealth(360.0f);
        unit->maxShield = 100.0f;
        unit->upgradeFlags = BU_HULL_1;
    }
    made->MakeWhole();
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);

    // What the unit is and carries, its id (new at every level), and the handles of what it
    // owns, each given back by its own owner.
    struct Field {
        const void* at;
        size_t size;
    };
    const unsigned char* ownedMeshes = reinterpret_cast<const unsigned char*>(&rig->discovered) + 1;
    std::vector<Field> kept = {
        {rig, sizeof(void*)},  // what kind of object it is
        {&rig->name, sizeof rig->name},
        {&rig->typeName, sizeof rig->typeName},
        {&rig->id, sizeof rig->id},
        {&rig->flags, sizeof rig->flags},
        {&rig->world, sizeof rig->world},
        {&rig->size, sizeof rig->size},
        {&rig->scale, sizeof rig->scale},
        {&rig->mesh, sizeof rig->mesh},
        {&rig->meshStates, sizeof rig->meshStates},
        {&rig->meshCount, sizeof rig->meshCount},
        {&rig->collisionMesh, sizeof rig->collisionMesh},
        // Read only in the tick poseTick names: none, in a new level.
        {&rig->worldBeforeTick, sizeof rig->worldBeforeTick},
        {&rig->rotationBeforeTick, sizeof rig->rotationBeforeTick},
        {&rig->maxHealth, sizeof rig->maxHealth},
        {&rig->damage, sizeof rig->damage},
        {&rig->maxShield, sizeof rig->maxShield},
        {&rig->alignment, sizeof rig->alignment},
        {&rig->composition, sizeof rig->composition},
        {&rig->attachBone, sizeof rig->attachBone},
        {&rig->attachParent, sizeof rig->attachParent},
        {&rig->attachOffset, sizeof rig->attachOffset},
        {&rig->gridCell, sizeof rig->gridCell},
        {&rig->weapon, sizeof rig->weapon},
        {&rig->kills, sizeof rig->kills},
        {&rig->damageSmoke, sizeof rig->damageSmoke},
        {&rig->secondEffect, sizeof rig->secondEffect},
        {&rig->splatLayer, sizeof rig->splatLayer},
        {&rig->lit, sizeof rig->lit},
        {ownedMeshes, 1},
        {&rig->classWord, sizeof rig->classWord},
        {&rig->commandWord, sizeof rig->commandWord},
        {&rig->path, sizeof rig->path},
        {&rig->moveQueue, sizeof rig->moveQueue},
        {&rig->brain, sizeof rig->brain},
        {&rig->brainKind, sizeof rig->brainKind},
        {&rig->agentType, sizeof rig->agentType},
        {&rig->attachments, sizeof rig->attachments},
        {&rig->attachmentCount, sizeof rig->attachmentCount},
        {&rig->equipment, sizeof rig->equipment},
        {&rig->equipmentCount, sizeof rig->equipmentCount},
        {&rig->noticeRange, sizeof rig->noticeRange},
        {&rig->attackRange, sizeof rig->attackRange},
        {&rig->meleeAttackTime, sizeof rig->meleeAttackTime},
        {&rig->speed, sizeof rig->speed},
        {&rig->oreCapacity, sizeof rig->oreCapacity},
        {&rig->miningAmount, sizeof rig->miningAmount},
        {&rig->healingEffect, sizeof rig->healingEffect},
        {&rig->workEffect, sizeof rig->workEffect},
        {&rig->upgradeFlags, sizeof rig->upgradeFlags},
        {&rig->botExperience, sizeof rig->botExperience},
        {&rig->botLevel, sizeof rig->botLevel},
    };
    // The padding inside the records, which a record copied whole may fill with anything.
    auto gap = [&](const void* from, const void* to) {
        kept.push_back({from, (size_t)(static_cast<const unsigned char*>(to) - static_cast<const unsigned char*>(from))});
    };
    for (const ThreatRecord& threat : rig->threats) gap(&threat.attacker.id + 1, &threat.threat);
    for (const StatusEffect& effect : rig->statusEffects) {
        gap(&effect.timeLeft + 1, &effect.source);
        gap(&effect.source.id + 1, &effect + 1);
    }
    auto isKept = [&](size_t offset) {
        for (const Field& field : kept) {
            const size_t start = (size_t)(static_cast<const unsigned char*>(field.at) - rigBytes);
            if (offset >= start && offset < start + field.size) return true;
        }
        return false;
    };
    // Everything else as no level would leave it, and the flags and class bits a level gives.
    for (size_t offset = 0; offset < sizeof(Agent); ++offset)
        if (!isKept(offset)) rigBytes[offset] = SCRIBBLE;
    rig->flags |= ENTITY_LEVEL_FLAGS;
    rig->classWord |= AGENT_LEVEL_BITS;
    ASSERT_TRUE(rig->moveQueue.Push(Vec3(30.0f, 0.0f, 0.0f)));

    game.EndLevel();

    std::vector<size_t> differing;
    for (size_t offset = 0; offset < sizeof(Agent); ++offset)
        if (!isKept(offset) && rigBytes[offset] != madeBytes[offset]) differing.push_back(offset);
    std::string offsets;
    for (size_t offset : differing) offsets += " " + std::to_string(offset);
    EXPECT_TRUE(differing.empty()) << "bytes of fields left as the level had them:" << offsets;
    EXPECT_EQ(rig->flags, made->flags);
    EXPECT_EQ(rig->classWord, made->classWord);
    EXPECT_EQ(rig->moveQueue.Count(), 0);
    EXPECT_FLOAT_EQ(rig->health, 396.0f) << "the hull whole with what it bought";
    EXPECT_FLOAT_EQ(rig->shield, 100.0f);

    TheScene.RemoveEntity(rig, REMOVE_EVERYWHERE);
    rig->~Agent();
    made->~Agent();
}

}  // namespace
