// Attacks on screen: a laser beam drawn as a glowing line between shooter and target, and the
// burst of an explosion, read back from the device.
#include "drawing/ProjectileDrawing.h"
#include "drawing/TerrainDrawing.h"
#include "host/GfxDevice.h"
#include "host/Random.h"
#include "platform/RandomUtil.h"
#include "mechanics/Scene.h"
#include "render/Camera.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/SplatPool.h"
#include "tests/mechanics/GameScreenSupport.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "world/ProjectileSystem.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

Entity* Standing(const Vec3& at)
{
    Entity* entity = new Entity();
    entity->flags |= ENTITY_COLLISION;
    entity->SetPosition(at);
    entity->health = entity->maxHealth = 100.0f;
    entity->damage = 10.0f;
    entity->visible = 1;
    EXPECT_NE(TheScene.AddEntity(entity), nullptr);
    return entity;
}

int Lit(const Pixels& p, const Vec3& point, int half, int threshold = 40)
{
    Vec3 screen;
    Viewport viewport{0, 0, (uint32_t)p.width, (uint32_t)p.height, 0.0f, 1.0f};
    Vec3Project(&screen, &point, &viewport, &ProjectionMatrix, &ViewMatrix, nullptr);
    int x = (int)screen.x, y = (int)screen.y;
    return p.CountLit(x - half, y - half, x + half + 1, y + half + 1, threshold);
}

// The view matrices from that eye to that target, and the frustum they give.
ViewFrustum LookFrom(const Vec3& eye, const Vec3& target, float aspect)
{
    Camera camera;
    camera.eye = eye;
    camera.target = target;
    camera.aspect = aspect;
    camera.BuildMatrices();
    ViewFrustum frustum;
    frustum.Update(ViewMatrix);
    return frustum;
}

}  // namespace

TEST(ProjectileDraw, ALaserBeamAndAnExplosionShowWhereTheyHappen)
{
    const int width = 160, height = 120;
    GameScreen screen(width, height, false);
    if (!screen.HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(screen.Initialised());
    GraphicsDevice* graphics = screen.graphics();
    auto textures = std::make_unique<TextureManager>();
    ScopedGlobal<TextureManager*> textureManager(Textures, textures.get());
    TheScene.Init();
    ASSERT_NE(TheScene.particles, nullptr);
    ResetRandomMWC();  // the debris' spread

    ViewFrustum frustum = LookFrom(Vec3(0.0f, 14.0f, -12.0f), Vec3(0.0f, 0.0f, 2.0f), (float)width / height);
    ScopedGlobal<ViewFrustum*> view(Frustum, &frustum);

    {
        ProjectileSystem system;
        system.Init();
        system.LoadResources();
        ScopedGlobal<ProjectileSystem*> current(TheProjectiles, &system);
        for (const Sprite* sprite : system.beamSprites) {
            ASSERT_NE(sprite, nullptr);
            ASSERT_NE(sprite->texture, nullptr);
        }

        Entity* shooter = Standing(Vec3(-6.0f, 0.0f, 0.0f));
        Entity* target = Standing(Vec3(6.0f, 0.0f, 0.0f));
        WeaponDef laser;
        laser.type = WEAPON_LASER;
        laser.colour = 0xFFFF4020;
        system.StartBeam(1.0f, shooter, target, &laser, BEAM_LASER, nullptr);
        // Lightning from an enemy: the red bolt.
        Entity* caster = Standing(Vec3(-6.0f, 0.0f, 2.5f));
        caster->alignment = ALIGN_ENEMY;
        Entity* struck = Standing(Vec3(6.0f, 0.0f, 2.5f));
        system.StartBeam(1.0f, caster, struck, nullptr, BEAM_ELECTRIC, nullptr);
        system.Explode(Vec3(0.0f, 0.0f, 6.0f), 50.0f, 3.0f, EXPLOSION_PLAIN, ALIGN_ENEMY);
        for (int frame = 0; frame < 6; ++frame) {
            system.Update(0.05f);
            TheScene.particles->UpdateWith(0.05f);
        }
        ASSERT_EQ(system.ActiveBeams(), 2);

        graphics->Clear(3, 0.0f, 0.0f, 0.0f, 1.0f);
        graphics->BeginScene();
        TheScene.particles->Render();
        DrawProjectiles(system);
        graphics->device->EndScene();
        Pixels picture = ReadBackBuffer(graphics->device);

        EXPECT_GT(Lit(picture, Vec3(-2.0f, 0.0f, 0.0f), 1), 0) << "the beam between them";
        EXPECT_GT(Lit(picture, Vec3(2.0f, 0.0f, 0.0f), 1), 0);
        EXPECT_GT(Lit(picture, Vec3(-3.0f, 0.0f, 2.5f), 2), 0) << "the lightning";
        EXPECT_EQ(Lit(picture, Vec3(0.0f, 0.0f, -4.0f), 2), 0) << "nothing where nothing happened";
        EXPECT_GT(Lit(picture, Vec3(0.0f, 1.0f, 6.0f), 6), 10) << "the burst";
        EXPECT_TRUE(MatchesReference(picture, "projectile_beam_and_explosion", PictureTolerance{6, 40}));
        system.Clear();
    }
    TheScene.ReleaseEntities();
    TheScene.ReleaseEffectManager();
    TheScene.ReleaseParticleManager();
    TheScene.ReleaseLibraries();
    Textures = nullptr;
    textures.reset();
}

TEST(ProjectileDraw, ProjectilesAndDebrisDrawTheirMeshes)
{
    const int width = 160, height = 120;
    GameScreen screen(width, height, false);
    if (!screen.HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(screen.Initialised());
    GraphicsDevice* graphics = screen.graphics();
    auto textures = std::make_unique<TextureManager>();
    ScopedGlobal<TextureManager*> textureManager(Textures, textures.get());
    TheScene.Init();
    ASSERT_TRUE(TheScene.ReadSceneFile("data/scripts/primitives.cgs"));
    ResetRandomMWC();  // the debris' spread

    ViewFrustum frustum = LookFrom(Vec3(0.0f, 6.0f, -10.0f), Vec3(0.0f, 1.0f, 0.0f), (float)width / height);
    ScopedGlobal<ViewFrustum*> view(Frustum, &frustum);
    {
        ProjectileSystem system;
        system.Init();
        system.LoadResources();
        ScopedGlobal<ProjectileSystem*> current(TheProjectiles, &system);
        for (IndexedMesh* mesh : {system.missileMesh, system.mortarMesh, system.plasmaMesh, system.pulseMesh})
            ASSERT_NE(mesh, nullptr);
        for (int kind = 0; kind < DEBRIS_KINDS; ++kind) EXPECT_GE(system.debris->meshCount[kind], 1) << kind;

        // Four shots hanging in the air (no speed), a missile flying left.
        Entity* target = Standing(Vec3(-30.0f, 1.0f, 0.0f));
        const uint32_t kinds[] = {PROJECTILE_MISSILE, PROJECTILE_SHELL, PROJECTILE_PLASMA, PROJECTILE_PULSE};
        for (int i = 0; i < 4; ++i)
            system.Fire(Vec3(-4.5f + 3.0f * i, 3.0f, 0.0f), Vec3(-1.0f, 0.0f, 0.0f), 0.0f, nullptr, target, nullptr,
                        kinds[i], nullptr);
        system.debris->Spawn(DebrisField::MECH, Vec3(0.0f, 0.5f, -2.0f), 0.4f, true);
        system.Update(0.1f);
        // A red stain and cracked ground at the cell centres below.
        SplatPool splats;
        splats.Init();
        ASSERT_TRUE(splats.IsInitialised());
        splats.Add(Vec3(-4.0f, 0.0f, 4.0f), SPLAT_RED_BLOOD);
        splats.Add(Vec3(4.0f, 0.0f, 4.0f), SPLAT_CRACKED_GROUND);
        splats.Update(0.5f);
        ASSERT_EQ(system.ActiveProjectiles(), 4);

        graphics->Clear(3, 0.0f, 0.0f, 0.0f, 1.0f);
        graphics->BeginScene();
        DrawProjectiles(system);
        DrawDebris(system, 0);
        DrawSplats(splats, 0);
        graphics->device->EndScene();
        Pixels picture = ReadBackBuffer(graphics->device);
        for (int i = 0; i < 4; ++i) EXPECT_GT(Lit(picture, Vec3(-4.5f + 3.0f * i, 3.0f, 0.0f), 2), 0) << i;
        EXPECT_GT(Lit(picture, Vec3(0.0f, 0.5f, -2.0f), 8), 0) << "the debris";
        EXPECT_GT(Lit(picture, SnapToCellCentre(Vec3(-4.0f, 0.0f, 4.0f)), 3), 0) << "the blood";
        EXPECT_GT(Lit(picture, SnapToCellCentre(Vec3(4.0f, 0.0f, 4.0f)), 3, 12), 0) << "the dark cracks";
        EXPECT_TRUE(MatchesReference(picture, "projectile_meshes_and_debris", PictureTolerance{6, 40}));
        system.Clear();
    }
    TheScene.ReleaseEntities();
    TheScene.ReleaseEffectManager();
    TheScene.ReleaseParticleManager();
    TheScene.ReleaseLibraries();
    Textures = nullptr;
    textures.reset();
}
