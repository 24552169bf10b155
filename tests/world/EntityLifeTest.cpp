// An entity settling into the level and leaving it: ore placed in the level claims its cell and
// shows how much is left, a snapped entity sits on the ground (splats stacked apart), and a
// fallen unit of the player's army frees its place and its cell.
#include "world/Entity.h"

#include "drawing/WorldFrame.h"
#include "mechanics/Game.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "tests/support/Scoped.h"
#include "tests/world/WorldTestSupport.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class EntityLifeTest : public WorldTest {
protected:
    ScopedGlobal<int> frame{FrameTimer.frameCount, 70};
    ScopedGlobal<bool> paused{GamePaused, false};
};

TEST_F(EntityLifeTest, PlacedOreClaimsItsCellAndShowsWhatIsLeft)
{
    IndexedMesh* full = reinterpret_cast<IndexedMesh*>(0x10);
    IndexedMesh* worn = reinterpret_cast<IndexedMesh*>(0x20);
    struct Case {
        const char* what;
        float health;
        IndexedMesh* shown;
    };
    const Case table[] = {{"more than half left", 80.0f, full}, {"half or less", 50.0f, worn}};
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Entity ore;
        ore.flags |= ENTITY_RESOURCE | ENTITY_RESOURCE_REVEALED | ENTITY_PLACED | ENTITY_BORROWED_MESH;
        ore.SetPosition(Corner(40, 41));
        ore.maxHealth = 100.0f;
        ore.health = c.health;
        ore.meshStates[1] = full;
        ore.meshStates[2] = worn;
        ore.meshCount = 3;
        {
            const WorldTickScope tick(FrameTimer.delta);
            ore.Update();
        }
        EXPECT_EQ(Cell(40, 41)->occupant, &ore);
        EXPECT_EQ(ore.gridCell, Cell(40, 41));
        EXPECT_EQ(ore.mesh, c.shown);
        EXPECT_FALSE(ore.flags & ENTITY_PLACED);
        ore.mesh = nullptr;
        for (IndexedMesh*& state : ore.meshStates) state = nullptr;
        ore.LeaveGridCell();
    }
}

TEST_F(EntityLifeTest, SnappedEntitiesSitOnTheGroundAndSplatsStackApart)
{
    Entity rock, splat;
    rock.flags |= ENTITY_SNAP_TO_GROUND;
    rock.SetPosition(Vec3(5.0f, 40.0f, 5.0f));
    splat.flags |= ENTITY_SNAP_TO_GROUND | ENTITY_SPLAT;
    splat.splatLayer = 3;
    splat.SetPosition(Vec3(5.0f, 40.0f, 5.0f));
    const WorldTickScope tick(FrameTimer.delta);
    rock.Update();
    splat.Update();
    EXPECT_FLOAT_EQ(rock.GetPosition().y, 0.0f);  // no terrain: flat ground at 0
    EXPECT_FLOAT_EQ(splat.GetPosition().y, 0.3f);
    EXPECT_FALSE(rock.flags & ENTITY_SNAP_TO_GROUND);
}

TEST_F(EntityLifeTest, AFallenPlayerUnitFreesItsPlaceAndItsCell)
{
    struct Case {
        const char* what;
        uint32_t flags;
        int alignment;
        int usedAfter;
    };
    const Case table[] = {
        {"a unit of the player's army", ENTITY_AGENT, ALIGN_PLAYER, 4},
        {"the player's rig", ENTITY_AGENT | ENTITY_PLAYER, ALIGN_PLAYER, 5},
        {"an enemy unit", ENTITY_AGENT, ALIGN_ENEMY, 5},
        {"a rock", ENTITY_ITEM, ALIGN_PLAYER, 5},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        TheScene.unitControl.used = 5;
        Entity fallen;
        fallen.flags |= c.flags | ENTITY_SELECTION;
        fallen.alignment = c.alignment;
        Standing(&fallen, 20, 20);
        ASSERT_TRUE(fallen.StampGrid());
        fallen.Die(nullptr);
        EXPECT_EQ(TheScene.unitControl.used, c.usedAfter);
        EXPECT_EQ(Cell(20, 20)->occupant, nullptr);
        EXPECT_FALSE(fallen.flags & ENTITY_SELECTION);
    }
}

TEST(EntityDamage, ARateForBareHandsAndForEveryWeapon)
{
    struct Case {
        const char* what;
        bool armed;
        float windUp, interval, perSecond;
    };
    const Case table[] = {
        {"bare hands hit every 4 seconds", false, 0.0f, 0.0f, 5.0f},
        {"a weapon firing every 2 seconds", true, 0.0f, 2.0f, 15.0f},
        {"a wind-up adds to the interval", true, 1.0f, 2.0f, 10.0f},
        {"no interval is one hit a second", true, 0.0f, 0.0f, 30.0f},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Entity entity;
        entity.damage = 20.0f;
        WeaponDef weapon;
        weapon.damage = 30.0f;
        weapon.windUp = c.windUp;
        weapon.interval = c.interval;
        EXPECT_FLOAT_EQ(entity.GetDamage(c.armed ? &weapon : nullptr), c.armed ? 30.0f : 20.0f);
        EXPECT_FLOAT_EQ(entity.GetDamagePerSecond(c.armed ? &weapon : nullptr), c.perSecond);
    }
}

// The ambient light each draw of a mesh saw, and whether it went through the fixed pipeline.
struct Draw {
    uint32_t ambient;
    bool fixedFunction;
};

class AmbientRecorder : public RenderStateTarget {
public:
    void SetRenderState(uint32_t state, uint32_t value) override
    {
        if (state == RS_AMBIENT) ambient = value;
    }
    void SetTextureStageState(uint32_t, uint32_t, uint32_t) override {}
    void SetSamplerState(uint32_t, uint32_t, uint32_t) override {}
    void SetVertexDeclaration(GfxVertexDeclaration*) override {}
    void SetFVF(uint32_t) override {}
    uint32_t ambient = 0;
};

class DrawnMesh : public IndexedMesh {
public:
    explicit DrawnMesh(const AmbientRecorder& states) : states_(states) {}
    void Render(int, bool fixedFunction) override { draws.push_back({states_.ambient, fixedFunction}); }
    std::vector<Draw> draws;

private:
    const AmbientRecorder& states_;
};

TEST(EntityDrawing, TheSelectionTintAndTheHitFlashLightTheMeshAndLeaveNoTrace)
{
    AmbientRecorder recorder;
    RenderStates.Reset();
    RenderStates.SetTarget(&recorder);
    struct Case {
        const char* what;
        bool selected;
        uint32_t flash;
        uint32_t ambient;
        bool fixedFunction;
    };
    const Case table[] = {
        {"plain", false, 0, 0, false},
        {"selected", true, 0, 0xFF800000, false},
        {"hit", false, 0xFFFFFFFF, 0xFFFFFFFF, true},
        {"selected and hit", true, 0xFFFFFFFF, 0xFF800000, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        DrawnMesh mesh(recorder);
        Entity entity;
        entity.flags |= ENTITY_BORROWED_MESH | (c.selected ? ENTITY_SELECTION : 0);
        entity.ambientOverride = c.flash;
        entity.mesh = &mesh;
        DrawEntityMesh(&entity, 0);
        ASSERT_EQ(mesh.draws.size(), 1u);
        EXPECT_EQ(mesh.draws[0].ambient, c.ambient);
        EXPECT_EQ(mesh.draws[0].fixedFunction, c.fixedFunction);
        if (c.selected || c.flash) {
            EXPECT_EQ(recorder.ambient, 0xFF000000u) << "the ambient light goes back";
        }
        entity.mesh = nullptr;
    }
    RenderStates.SetTarget(nullptr);
    RenderStates.Reset();
}

}  // namespace
