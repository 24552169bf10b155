// The device lost in the middle of a game: text, a sprite, particles, a mesh drawn through an
// effect and the frame-time graph are on screen when it goes. Once the frame function's polls
// have reset it, the same frame draws the same pixels. Nothing here releases or restores by
// hand: every owner entered itself in the device's lists when it was made, and leaves them
// when it is deleted.
#include "tests/render/DrawTestSupport.h"

#include "host/Random.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/EffectManager.h"
#include "render/Font.h"
#include "render/FontCache.h"
#include "render/FrameGraph.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/ParticleManager.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// Where things land on the 1024 x 768 screen.
const int kSpriteX = 620, kSpriteY = 480;
const int kTextX = 620, kTextY = 540;

class LostDeviceFrame : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        if (HasFatalFailure()) return;
        device->EndScene();  // every frame below begins its own scene

        Fonts = new FontCache();
        font.Load("Arial", 14, 0);
        ASSERT_TRUE(font.loaded);
        font.SetShadow(true);
        font.SetColor(1.0f, 0.9f, 0.5f, 1.0f);

        std::string panel = MakeTextureFile("lostpanel.dds", 0xFF3080F0, 0xFFF0A020);
        sprite.reset(CreateSprite(kSpriteX, kSpriteY, 96, 40, panel.c_str(), 0xFFFFFFFF, 0, 0, 1, 1, false));
        meshTexture = textures->GetTexture(MakeTextureFile("lostmesh.dds", 0xFFFFFFFF).c_str());
        ASSERT_TRUE(meshTexture->IsLoaded());

        effects.reset(new EffectManager(device));
        flat = effects->GetEffect("flat.fx");
        ASSERT_TRUE(effects->LoadEffect(flat, "main"));
        ASSERT_NE(flat->mainTechnique, nullptr);
        declaration = GetMeshVertexDeclaration();
        ASSERT_NE(declaration, nullptr);

        ResetRandomMWC();  // the particles' spread, as every mission starts its generator
        particles.reset(new ParticleManager());
        ASSERT_GT(particles->TemplateCount(), 30) << "data/effects.pkb is missing";
        const struct {
            const char* name;
            Vec3 position;
        } placed[] = {{"fuelvent", Vec3(-3, 0, 0)}, {"black_smoke_damage", Vec3(0, 0, 1)}, {"lava", Vec3(3, 0, 0)}};
        for (const auto& p : placed) {
            ParticleSystem* s = particles->SpawnSystem(p.name);
            ASSERT_NE(s, nullptr) << p.name;
            ASSERT_NE(s->texture, nullptr) << p.name;
            s->position = p.position;
        }
        for (int i = 0; i < 20; ++i) particles->UpdateWith(1.0f / 30.0f);

        // Frames without time passing: particles do not turn, and the graph, made afresh with an
        // empty record, keeps its bars alike.
        FrameTimer.delta = 0.0f;
        ReleaseFrameGraphBuffers();
        FrameGraph::SetEnabled(true);
    }

    void TearDown() override
    {
        FrameGraph::SetEnabled(false);
        MatrixIdentity(&ViewMatrix);
        ReleaseMeshVertexDeclaration();
        particles.reset();
        effects.reset();
        EffectManager::ClosePackage();
        sprite.reset();
        delete Fonts;
        Fonts = nullptr;
        DrawTest::TearDown();
    }

    // A square at the lower left of the screen, lit by the flat effect.
    void DrawMesh()
    {
        MatrixIdentity(&WorldMatrix);
        MatrixIdentity(&ViewMatrix);
        MatrixIdentity(&ProjectionMatrix);
        MatrixIdentity(&InverseViewMatrix);
        const MeshGpuVertex corners[4] = {
            {{-0.9f, -0.9f, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 0, 1, {1, 0, 0, 1}},
            {{-0.9f, -0.5f, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 0, 0, {1, 0, 0, 1}},
            {{-0.5f, -0.5f, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 1, 0, {1, 0, 0, 1}},
            {{-0.5f, -0.9f, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 1, 1, {1, 0, 0, 1}},
        };
        const MeshGpuVertex triangles[6] = {corners[0], corners[1], corners[2], corners[0], corners[2], corners[3]};
        EffectMaterial material;
        material.texture = meshTexture->texture;  // made again by the reset: taken anew each frame
        flat->SetSceneParameters(flat->mainTechnique);
        flat->SetObjectParameters(&material, flat->mainTechnique);
        flat->effect->SetTechnique(flat->mainTechnique);
        uint32_t passes = 0;
        flat->effect->Begin(&passes, 0);
        for (uint32_t p = 0; p < passes; ++p) {
            flat->effect->BeginPass(p);
            device->SetVertexDeclaration(declaration);
            device->DrawPrimitiveUP(PT_TRIANGLELIST, 2, triangles, sizeof(MeshGpuVertex));
            flat->effect->EndPass();
        }
        flat->effect->End();
        // The effect set its states on the device itself.
        RenderStates.Reset();
    }

    Pixels DrawFrame()
    {
        RenderStates.Reset();
        EXPECT_TRUE(graphics->Clear(7, 0.05f, 0.06f, 0.08f, 1.0f));
        EXPECT_TRUE(graphics->BeginScene());
        DrawMesh();

        Vec3 eye(0, 6, -12), at(0, 1, 0), up(0, 1, 0);
        MatrixLookAtLH(&ViewMatrix, &eye, &at, &up);
        Matrix projection;
        MatrixPerspectiveFovLH(&projection, PI / 4, 4.0f / 3.0f, 0.1f, 500.0f);
        graphics->SetTransform(TS_PROJECTION, &projection);
        particles->Render();

        graphics->Begin2D();
        sprite->Draw();
        font.DrawText((float)kTextX, (float)kTextY, "Lost and found again");
        FrameGraph::Draw();
        graphics->End2D();
        Pixels picture = ReadBackBuffer(device);
        EXPECT_TRUE(graphics->Present());
        return picture;
    }

    Font font{"gui"};
    std::unique_ptr<Sprite> sprite;
    std::unique_ptr<ParticleManager> particles;
    std::unique_ptr<EffectManager> effects;
    Effect* flat = nullptr;
    TextureRecord* meshTexture = nullptr;
    GfxVertexDeclaration* declaration = nullptr;
};

int Differences(const Pixels& a, const Pixels& b)
{
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (size_t i = 0; i < a.argb.size(); ++i)
        if (a.argb[i] != b.argb[i]) ++n;
    return n;
}

TEST_F(LostDeviceFrame, TheSameFrameDrawsTheSamePixelsAfterTheDeviceComesBack)
{
    Pixels before = DrawFrame();
    // Everything is on screen as it should be: the mesh, the particles, the sprite's two halves,
    // the text and the graph's bars.
    EXPECT_TRUE(MatchesReference(before, "lost_device_frame"));
    EXPECT_EQ(before.At(kSpriteX + 10, kSpriteY + 20), 0xFF3080F0u);
    EXPECT_EQ(before.At(kSpriteX + 86, kSpriteY + 20), 0xFFF0A020u);

    // The last frame left the font's texture bound; the reset must not be kept from
    // succeeding by it.
    GfxBaseTexture* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_NE(bound, nullptr);
    if (bound) bound->Release();

    device->ForceDeviceLoss(1);
    std::vector<int> states;
    for (int frame = 0; frame < 5; ++frame) {
        states.push_back(graphics->CheckDeviceLost());
        if (states.back() == DEVICE_USABLE) break;
    }
    EXPECT_EQ(states, (std::vector<int>{DEVICE_LOST, DEVICE_USABLE}));
    // The effect survived and found its techniques again, without being compiled anew.
    EXPECT_TRUE(flat->IsLoaded());
    EXPECT_NE(flat->mainTechnique, nullptr);

    Pixels after = DrawFrame();
    EXPECT_EQ(Differences(before, after), 0);
    if (Differences(before, after) != 0) {
        std::string folder = MakeTempFolder("lost-device");
        SavePixels(before, folder + "/before.png");
        SavePixels(after, folder + "/after.png");
        ADD_FAILURE() << "pictures in " << folder;
    }

    // Owners that are gone have left the lists: a reset now finds nothing of theirs to call.
    particles.reset();
    effects.reset();
    delete Fonts;
    Fonts = nullptr;
    sprite.reset();
    EXPECT_EQ(graphics->ResetDevice(), DEVICE_USABLE);
}

}  // namespace
