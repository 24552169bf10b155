// The Scene's effect manager is the one every mesh binds its effects from, with the effects'
// fallback pictures from the texture manager: a mesh of the game, built after the Scene's
// start, is drawn where the camera sees it.
#include "mechanics/Scene.h"

#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/TextureManager.h"
#include "tests/support/GfxFixture.h"
#include "tests/mechanics/GameScreenSupport.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <memory>

TEST(SceneDraw, MeshesDrawThroughTheScenesEffects)
{
    const int width = 64, height = 48;
    GameScreen screen(width, height, false);
    if (!screen.HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(screen.Initialised());
    GraphicsDevice* graphics = screen.graphics();
    auto textures = std::make_unique<TextureManager>();
    ScopedGlobal<TextureManager*> textureManager(Textures, textures.get());

    Scene scene;
    scene.Init();
    ASSERT_NE(scene.effects, nullptr);
    EXPECT_EQ(TheEffectManager, scene.effects);
    ASSERT_NE(EffectValues.getTexture, nullptr);
    EXPECT_NE(EffectValues.getTexture("data/textures/white.dds"), nullptr);

    IndexedMesh* hopper = TheMeshLibrary->GetMesh("data/mesh/hopper_full.txt", 0, true, false);
    ASSERT_TRUE(hopper->IsAnimated());
    ASSERT_NE(hopper->subMeshes[0].effect, nullptr);
    EXPECT_TRUE(hopper->subMeshes[0].effect->IsLoaded());

    Camera camera;
    camera.eye = Vec3(0.0f, 0.6f, -1.2f);
    camera.target = Vec3(0.0f, 0.2f, 0.0f);
    camera.aspect = (float)width / height;
    camera.BuildMatrices();
    graphics->Clear(3, 0.0f, 0.0f, 0.0f, 1.0f);
    graphics->BeginScene();
    hopper->Render(0, false);
    graphics->device->EndScene();
    Pixels picture = ReadBackBuffer(graphics->device);
    EXPECT_GT(picture.CountLit(0, 0, width, height, 24), width * height / 20) << "the hopper covers part of the view";

    scene.ReleaseEffectManager();
    EXPECT_EQ(TheEffectManager, nullptr);
    scene.ReleaseParticleManager();
    scene.ReleaseLibraries();
    Textures = nullptr;  // the device's end looks for the texture manager
    textures.reset();
}
