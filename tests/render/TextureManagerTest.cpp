// The texture table as its callers see it: one entry per file name and variant, the
// placeholder for missing files, patterns, render targets, reloads, paint variants, a full
// bucket and the statistics.
#include "render/TextureManager.h"

#include "host/GfxDevice.h"
#include "host/GfxTexture.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "render/GraphicsDevice.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint32_t GREY = 0xFF808080;
constexpr uint32_t RED = 0xFFC00000;

class TextureManagerTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        if (HasFatalFailure()) return;
        std::string folder = MakeTempFolder("texture-manager");
        // The shipped packages stay in place; the test's own textures come as a patch.
        slots.Install(&TexturePatchPackage, folder + "/patch.pkb",
                      {{"tree_a.dds", SolidDds(GREY)},
                       {"tree_b.dds", SolidDds(GREY)},
                       {"rock.dds", SolidDds(GREY)},
                       {"rig.dds", SolidDds(GREY)},
                       {"rig@red.dds", SolidDds(RED)}});
    }
    void TearDown() override
    {
        slots.Restore();
        RenderTest::TearDown();
    }

    // A forced loss, run through as the frame function does: polled until usable.
    void LoseAndRestoreDevice()
    {
        graphics->device->ForceDeviceLoss(0);
        int state = DEVICE_LOST;
        for (int frame = 0; frame < 5 && state != DEVICE_USABLE; ++frame) state = graphics->CheckDeviceLost();
        ASSERT_EQ(state, DEVICE_USABLE);
    }

    PackageSlots slots;
};

}  // namespace

TEST_F(TextureManagerTest, OneEntryPerFileNameAndVariant)
{
    TextureRecord* white = textures->GetTexture("data/textures/white.dds");
    ASSERT_TRUE(white->IsLoaded());
    EXPECT_EQ(TexelAt(white->texture), 0xFFFFFFFFu);
    EXPECT_EQ(textures->GetTexture("Data/Elsewhere/WHITE.DDS"), white);
    EXPECT_EQ(white->useCount, 2u);
    EXPECT_STREQ(white->name, "data/textures/white.dds");

    TextureRecord* cube = textures->GetTexture("data/textures/white.dds", TEXTURE_VARIANT_CUBE);
    EXPECT_NE(cube, white);
    EXPECT_TRUE(cube->flags & TEXTURE_CUBE);
    EXPECT_EQ(textures->GetTextureCount(), 2);

    EXPECT_EQ(textures->FindTexture("white.dds"), white);
    EXPECT_EQ(textures->FindTexture("WHITE.dds", TEXTURE_VARIANT_CUBE), cube);
    EXPECT_EQ(textures->FindTexture("data/textures/white.dds"), nullptr);
}

TEST_F(TextureManagerTest, AMissingFileShowsThePlaceholderAlsoAfterAReset)
{
    GfxBaseTexture* placeholder = nullptr;
    ASSERT_TRUE(graphics->LoadTexture(PLACEHOLDER_TEXTURE, &placeholder, false, false));
    uint32_t expected = TexelAt(placeholder, 5, 9);
    placeholder->Release();

    TextureRecord* missing = textures->GetTexture("data/textures/units/no_such_unit.dds");
    EXPECT_STREQ(missing->name, PLACEHOLDER_TEXTURE);
    EXPECT_STREQ(missing->key, "no_such_unit.dds");
    EXPECT_FALSE(missing->IsLoaded());
    EXPECT_TRUE(missing->flags & TEXTURE_NONPOW2);
    ASSERT_NE(missing->texture, nullptr);
    EXPECT_EQ(TexelAt(missing->texture, 5, 9), expected);

    LoseAndRestoreDevice();
    ASSERT_NE(missing->texture, nullptr) << "the placeholder is found in the package again";
    EXPECT_EQ(TexelAt(missing->texture, 5, 9), expected);
    EXPECT_STREQ(missing->name, PLACEHOLDER_TEXTURE);
}

TEST_F(TextureManagerTest, PatternsReleaseAndReloadTextures)
{
    TextureRecord* treeA = textures->GetTexture("data/textures/trees/tree_a.dds");
    TextureRecord* treeB = textures->GetTexture("data/textures/trees/tree_b.dds");
    TextureRecord* rock = textures->GetTexture("data/textures/rock.dds");
    for (TextureRecord* record : {treeA, treeB, rock}) ASSERT_TRUE(record->IsLoaded()) << record->key;

    textures->ReleaseTextures("*ree_a.dds");  // a leading asterisk is part of a plain name
    EXPECT_TRUE(treeA->IsLoaded());

    textures->ReleaseTextures("tree*");
    for (TextureRecord* record : {treeA, treeB}) {
        EXPECT_FALSE(record->IsLoaded());
        EXPECT_EQ(record->texture, nullptr);
        EXPECT_TRUE(record->flags & TEXTURE_RELEASED);
    }
    LoseAndRestoreDevice();
    EXPECT_EQ(treeA->texture, nullptr) << "released on request stays released";
    EXPECT_EQ(treeB->texture, nullptr);
    EXPECT_TRUE(rock->IsLoaded());

    EXPECT_EQ(textures->ReloadTextures("tree*"), 2);
    for (TextureRecord* record : {treeA, treeB}) {
        EXPECT_TRUE(record->IsLoaded());
        EXPECT_FALSE(record->flags & TEXTURE_RELEASED);
        EXPECT_EQ(TexelAt(record->texture), GREY);
    }

    // A match that still has its texture is skipped, the ones after it are reloaded.
    bool aFirst = TextureManager::HashName("tree_a.dds", TextureManager::BUCKET_COUNT) <=
                  TextureManager::HashName("tree_b.dds", TextureManager::BUCKET_COUNT);
    TextureRecord* later = aFirst ? treeB : treeA;
    textures->ReleaseTextures((std::string("some/folder/") + later->key).c_str());
    EXPECT_TRUE((aFirst ? treeA : treeB)->IsLoaded());
    EXPECT_FALSE(later->IsLoaded());
    EXPECT_EQ(textures->ReloadTextures("tree*"), 1);
    EXPECT_TRUE(later->IsLoaded());

    textures->RecreateTexture("rock.dds");
    EXPECT_TRUE(rock->IsLoaded());
    EXPECT_EQ(TexelAt(rock->texture), GREY);
}

TEST_F(TextureManagerTest, RenderTargetsKeepTheirLatestSizeAcrossResets)
{
    TextureRecord* glow = textures->CreateRenderTarget(32, 16, FMT_A8R8G8B8, "RT_glow");
    ASSERT_TRUE(glow->IsLoaded());
    EXPECT_EQ(textures->CreateRenderTarget(8, 8, FMT_A8R8G8B8, "RT_glow"), glow);
    EXPECT_EQ(glow->texture->GetWidth(0), 8u);
    TextureRecord* screen = textures->CreateRenderTarget(kScreenWidth, kScreenHeight, FMT_A8R8G8B8, "RT_renderTarget");
    TextureRecord* dynamic = textures->CreateDynamicTexture(16, 16, FMT_A8R8G8B8, "fog_dynamic", 1);
    ASSERT_TRUE(dynamic->IsLoaded());

    // A new resolution takes effect with the next reset.
    Config->width = 80;
    Config->height = 60;
    LoseAndRestoreDevice();
    EXPECT_EQ(PresentParams.BackBufferWidth, 80u);
    for (TextureRecord* record : {glow, screen, dynamic}) ASSERT_TRUE(record->IsLoaded()) << record->key;
    EXPECT_EQ(screen->texture->GetWidth(0), 80u);
    EXPECT_EQ(screen->texture->GetHeight(0), 60u);
    EXPECT_EQ(glow->texture->GetWidth(0), 8u);
    EXPECT_EQ(glow->texture->GetHeight(0), 8u);
    EXPECT_EQ(dynamic->texture->GetWidth(0), 16u);
    EXPECT_EQ(dynamic->texture->GetUsage() & USAGE_DYNAMIC, (uint32_t)USAGE_DYNAMIC);

    Config->width = kScreenWidth;
    Config->height = kScreenHeight;
    LoseAndRestoreDevice();
    EXPECT_EQ(PresentParams.BackBufferWidth, (uint32_t)kScreenWidth);
}

TEST_F(TextureManagerTest, ReloadAllReloadsFileTexturesOnly)
{
    TextureRecord* grid = textures->GetTexture("data/textures/grid.dds");
    TextureRecord* target = textures->CreateRenderTarget(16, 16, FMT_A8R8G8B8, "RT_glow");
    TextureRecord* dynamic = textures->CreateDynamicTexture(16, 16, FMT_A8R8G8B8, "fog_dynamic", 1);
    GfxBaseTexture* targetTexture = target->texture;
    GfxBaseTexture* dynamicTexture = dynamic->texture;
    uint32_t gridTexel = TexelAt(grid->texture, 3, 3);

    Config->useLowResTextures = true;
    textures->ReloadAll();
    EXPECT_TRUE(grid->IsLoaded());
    EXPECT_EQ(grid->texture->GetWidth(0), 128u) << "the low-detail grid is half the size";
    EXPECT_TRUE(target->IsLoaded());
    EXPECT_TRUE(dynamic->IsLoaded());
    EXPECT_EQ(target->texture, targetTexture);
    EXPECT_EQ(dynamic->texture, dynamicTexture);

    Config->useLowResTextures = false;
    textures->ReloadAll();
    EXPECT_EQ(grid->texture->GetWidth(0), 256u);
    EXPECT_EQ(TexelAt(grid->texture, 3, 3), gridTexel);
}

TEST_F(TextureManagerTest, PaintVariantsSwapTheFile)
{
    TextureRecord* rig = textures->GetTexture("data/textures/units/rig.dds");
    ASSERT_EQ(TexelAt(rig->texture), GREY);
    struct Step {
        const char* paint;
        const char* name;
        uint32_t colour;
    } const steps[] = {
        {"@red", "data/textures/units/rig@red.dds", RED},
        {"@red", "data/textures/units/rig@red.dds", RED},
        {"default", "data/textures/units/rig.dds", GREY},
        {"@red", "data/textures/units/rig@red.dds", RED},
        {nullptr, "data/textures/units/rig.dds", GREY},
        {"default", "data/textures/units/rig.dds", GREY},
    };
    for (const Step& step : steps) {
        textures->FindVariant("rig.dds", step.paint);
        EXPECT_STREQ(rig->name, step.name) << (step.paint ? step.paint : "null");
        ASSERT_TRUE(rig->IsLoaded());
        EXPECT_EQ(TexelAt(rig->texture), step.colour);
    }
    textures->FindVariant("not_there.dds", "@red");
    EXPECT_EQ(textures->GetTextureCount(), 1);
}

TEST_F(TextureManagerTest, AFullBucketRefusesNewEntries)
{
    // Fifteen names that hash to one bucket.
    std::vector<std::string> names;
    int bucket = TextureManager::HashName("t0.dds", TextureManager::BUCKET_COUNT);
    for (int i = 0; names.size() < 15; ++i) {
        std::string name = "t" + std::to_string(i) + ".dds";
        if (TextureManager::HashName(name.c_str(), TextureManager::BUCKET_COUNT) == bucket) names.push_back(name);
    }
    for (int i = 0; i < TextureManager::BUCKET_NODES; ++i)
        ASSERT_NE(textures->CreateDynamicTexture(4, 4, FMT_A8R8G8B8, names[i].c_str(), 1), nullptr);

    LogCaptureBegin();
    EXPECT_EQ(textures->CreateDynamicTexture(4, 4, FMT_A8R8G8B8, names[13].c_str(), 1), nullptr);
    TextureRecord* refused = textures->GetTexture(("data/textures/" + names[14]).c_str());
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
    ASSERT_NE(refused, nullptr);
    EXPECT_STREQ(refused->name, PLACEHOLDER_TEXTURE);
    EXPECT_NE(refused->texture, nullptr);
    EXPECT_EQ(textures->GetTextureCount(), TextureManager::BUCKET_NODES);
    EXPECT_EQ(textures->GetLargestBucket(), TextureManager::BUCKET_NODES);
    for (int i = 0; i < TextureManager::BUCKET_NODES; ++i)
        EXPECT_NE(textures->FindTexture(names[i].c_str()), nullptr) << names[i];

    // Everything filed and the stand-in come back after a reset.
    LoseAndRestoreDevice();
    EXPECT_NE(refused->texture, nullptr);
    EXPECT_TRUE(textures->FindTexture(names[0].c_str())->IsLoaded());
}
