// The effect manager: records by name and variant, the shared include, the macros of the
// configuration, technique fallbacks, the flat fallback and its error text, reloading and
// the device-loss calls, and every shipped effect file compiling.
#include "tests/render/EffectTestSupport.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/PackageFile.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <cstring>

namespace {

// A small effect: two techniques without "main", the second named "noglow".
const char* NO_MAIN = R"(#include "whatever.h"
@vertex v
void main() { gl_Position = vm_ToClip(matWorldViewProjection * vm_Position); }
@fragment f
void main() { vm_FragColor = fromShared; }
@technique first
@pass
vertex = v
fragment = f
@technique noglow
@pass
vertex = v
fragment = f
)";

// What the tests give as shared.fxh.
const char* SHARED = "uniform mat4 matWorldViewProjection;\nuniform vec4 fromShared;\n"
                     "@semantic matWorldViewProjection WorldViewProjection\n";

const char* BROKEN = "@vertex v\nvoid main() { gl_Position = vec4(0.0); }\n@fragment f\n"
                     "void main() { vm_FragColor = nothingHere; }\n@technique main\n@pass\nvertex = v\nfragment = f\n";

class EffectManagerTest : public EffectTest {};

}  // namespace

TEST(EffectMacros, FollowTheGraphicsSettings)
{
    ConfigFile config(nullptr);
    ScopedGlobal<ConfigFile*> configured(Config, &config);
    struct Case {
        bool shadows;
        int shadowType;
        bool filterShadows, terrainColor;
        int glowQuality;
        std::vector<std::string> macros;
    } cases[] = {
        // With shadows off nothing about shadows is defined, whatever the other keys say.
        {false, 1, true, false, 0, {"AMBIENT_OCCLUSION"}},
        {true, 0, false, false, 0, {"AMBIENT_OCCLUSION", "TERRAIN_SHADOWS", "FLOATING_POINT_SHADOWMAPS"}},
        {true, 1, true, false, 2, {"AMBIENT_OCCLUSION", "TERRAIN_SHADOWS", "RGB_SHADOWMAPS", "FILTER_SHADOWS"}},
        {true, 7, false, true, 1,
         {"AMBIENT_OCCLUSION", "TERRAIN_SHADOWS", "INDEX_BUFFER_SHADOWMAPS", "TERRAIN_COLOR", "TWO_PASS_GLOW"}},
        {false, 2, false, true, 1, {"AMBIENT_OCCLUSION", "TERRAIN_COLOR", "TWO_PASS_GLOW"}},
    };
    for (const Case& c : cases) {
        config.shadows = c.shadows;
        config.shadowType = c.shadowType;
        config.filterShadows = c.filterShadows;
        config.terrainColor = c.terrainColor;
        config.glowQuality = c.glowQuality;
        std::vector<std::string> macros;
        EffectManager::BuildMacroList(&macros);
        EXPECT_EQ(macros, c.macros);
    }
    Config = nullptr;
    std::vector<std::string> macros;
    EffectManager::BuildMacroList(&macros);
    EXPECT_EQ(macros, std::vector<std::string>{"AMBIENT_OCCLUSION"});
}

TEST_F(EffectManagerTest, RecordsAreKeptByFileNameAndVariant)
{
    UsePackage({{"flat.fx", ShippedEffect("flat.fx")}, {"nomain.fx", NO_MAIN}, {"shared.fxh", SHARED}});
    manager.reset(new EffectManager(device));

    Effect* flat = manager->GetEffect("none", 0, true);
    ASSERT_NE(flat, nullptr);
    EXPECT_STREQ(flat->name, "flat.fx");
    EXPECT_STREQ(flat->path, "data/shaders/flat.fx");
    EXPECT_EQ(flat->index, 0);
    EXPECT_EQ(manager->GetEffect("Data/Shaders/FLAT.FX", 0, false), flat);
    EXPECT_EQ(manager->GetEffect("NONE", 0, true), flat);

    Effect* variant = manager->GetEffect("flat.fx", 1, true);
    ASSERT_NE(variant, nullptr);
    EXPECT_NE(variant, flat);
    EXPECT_EQ(variant->index, 1);
    EXPECT_EQ(manager->GetEffect("nomain.fx", 0, false), nullptr);
    EXPECT_FALSE(flat->IsLoaded());  // made, not compiled

    ASSERT_TRUE(manager->LoadEffect(flat, "textured"));
    ASSERT_TRUE(manager->LoadEffect(variant, "none"));
    EXPECT_NE(flat->effect, variant->effect);  // two compiles
    EXPECT_STREQ(flat->label, "main");
    EXPECT_STREQ(variant->label, "none");
    EXPECT_NE(flat->mainTechnique, nullptr);
    EXPECT_NE(flat->zpassTechnique, nullptr);
    EXPECT_STREQ(flat->effect->GetTechniqueName(flat->glowTechnique), "noglow");
    EXPECT_NE(flat->params.worldViewProjection, nullptr);
    EXPECT_NE(flat->params.diffuseTexture, nullptr);
    EXPECT_EQ(flat->params.shadowMap, nullptr);  // flat.fx has none: skipped when binding
}

TEST_F(EffectManagerTest, IncludesReceiveTheSharedFileAndMissingTechniquesFallBack)
{
    UsePackage({{"flat.fx", ShippedEffect("flat.fx")}, {"nomain.fx", NO_MAIN}, {"shared.fxh", SHARED}});
    manager.reset(new EffectManager(device));
    Effect* e = manager->GetEffect("data/shaders/nomain.fx", 0, true);
    ASSERT_TRUE(manager->LoadEffect(e, "main"));
    EXPECT_FALSE(e->flags & EFFECT_COMPILE_FAILED);  // its own file, not the fallback
    EXPECT_STREQ(e->effect->GetTechniqueName(e->mainTechnique), "first");
    EXPECT_STREQ(e->effect->GetTechniqueName(e->glowTechnique), "noglow");
    EXPECT_EQ(e->zpassTechnique, nullptr);
    EXPECT_NE(e->params.worldViewProjection, nullptr);  // the semantic given in the shared file
    EXPECT_NE(e->effect->GetParameterByName("fromShared"), nullptr);
}

TEST_F(EffectManagerTest, ABrokenEffectFallsBackToFlatAndLeavesItsErrors)
{
    UsePackage({{"flat.fx", ShippedEffect("flat.fx")}, {"broken.fx", BROKEN}, {"shared.fxh", SHARED}});
    manager.reset(new EffectManager(device));
    EXPECT_STREQ(EffectManager::GetLastError(), "No shader errors.");

    LogCaptureBegin();
    Effect* e = manager->GetEffect("broken.fx", 0, true);
    ASSERT_TRUE(manager->LoadEffect(e, "main"));
    std::string log = LogCaptureEnd();
    EXPECT_TRUE(e->flags & EFFECT_COMPILE_FAILED);
    EXPECT_STREQ(e->name, "broken.fx");  // the record keeps its own file for later reloads
    EXPECT_NE(e->effect->GetTechniqueByName("untextured"), nullptr);  // flat.fx's
    EXPECT_NE(strstr(EffectManager::GetLastError(), "broken.fx(4): error:"), nullptr) << EffectManager::GetLastError();
    EXPECT_NE(log.find("ERROR: D3DXCreateEffectFromFile :data/shaders/broken.fx.\nbroken.fx(4): error:"),
              std::string::npos)
        << log;

    // A file that is not there has no compiler text: the box and the log say which.
    LogCaptureBegin();
    Effect* missing = manager->GetEffect("missing.fx", 0, true);
    EXPECT_TRUE(manager->LoadEffect(missing, "main"));
    log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR: D3DXCreateEffectFromFile :data/shaders/missing.fx.\n"), std::string::npos) << log;

    // Still broken at a reload: the text is the new compile's. Mended: no errors.
    manager->ReloadAll(false);
    EXPECT_NE(strstr(EffectManager::GetLastError(), "broken.fx(4): error:"), nullptr);
    UsePackage({{"flat.fx", ShippedEffect("flat.fx")}, {"broken.fx", NO_MAIN}, {"shared.fxh", SHARED}});
    manager->ReloadAll(false);
    EXPECT_STREQ(EffectManager::GetLastError(), "No shader errors.");
    EXPECT_FALSE(e->flags & EFFECT_COMPILE_FAILED);
}

TEST_F(EffectManagerTest, ReloadBringsBackAnEffectWhoseFallbackFailedToo)
{
    UsePackage({{"flat.fx", BROKEN}, {"broken.fx", BROKEN}, {"shared.fxh", SHARED}});
    manager.reset(new EffectManager(device));
    Effect* e = manager->GetEffect("broken.fx", 0, true);
    EXPECT_FALSE(manager->LoadEffect(e, "none"));
    EXPECT_EQ(e->effect, nullptr);
    EXPECT_TRUE(e->flags & EFFECT_COMPILE_FAILED);
    EXPECT_FALSE(manager->LoadEffect(e, "none"));  // loaded, and empty: drawing skips it

    // The files are mended (a new package); a reload compiles the record.
    UsePackage({{"flat.fx", ShippedEffect("flat.fx")}, {"broken.fx", NO_MAIN}, {"shared.fxh", SHARED}});
    manager->ReloadAll(false);
    ASSERT_NE(e->effect, nullptr);
    EXPECT_FALSE(e->flags & EFFECT_COMPILE_FAILED);
    EXPECT_STREQ(e->label, "none");
    EXPECT_NE(e->effect->GetParameterByName("fromShared"), nullptr);
}

TEST_F(EffectManagerTest, ReleaseAndRestoreLookUpHandlesWithoutRecompiling)
{
    UseShippedPackage();
    manager.reset(new EffectManager(device));
    Effect* e = manager->GetEffect("botbuilding.fx", 0, true);
    ASSERT_TRUE(manager->LoadEffect(e, "main"));
    EffectObject* compiled = e->effect;
    GfxTexture* target = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    e->effect->SetTexture(e->params.diffuseTexture, target);
    target->Release();

    manager->ReleaseAll();
    EXPECT_FALSE(e->IsLoaded());
    EXPECT_EQ(e->mainTechnique, nullptr);
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u);  // the render target could go
    PresentParameters params;
    device->GetPresentParameters(&params);
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    manager->RestoreAll();
    EXPECT_TRUE(e->IsLoaded());
    EXPECT_EQ(e->effect, compiled);
    EXPECT_NE(e->mainTechnique, nullptr);
    EXPECT_NE(e->params.fogofwarTexture, nullptr);
}

TEST_F(EffectManagerTest, MoreThanAHundredEffectsAllGetTheirRecords)
{
    UsePackage({{"flat.fx", ShippedEffect("flat.fx")}});
    manager.reset(new EffectManager(device));
    LogCaptureBegin();
    std::vector<Effect*> records;
    for (int i = 0; i < 150; ++i) {
        char name[32];
        snprintf(name, sizeof name, "effect%d.fx", i);
        records.push_back(manager->GetEffect(name, 0, true));
        ASSERT_NE(records.back(), nullptr) << name;
        EXPECT_EQ(records.back()->index, i);
    }
    EXPECT_NE(LogCaptureEnd().find("WARNING"), std::string::npos);
    EXPECT_EQ(manager->GetCount(), 150);
    for (int i = 0; i < 150; ++i) {
        char name[32];
        snprintf(name, sizeof name, "EFFECT%d.FX", i);
        EXPECT_EQ(manager->GetEffect(name, 0, false), records[i]);
    }
}

TEST_F(EffectManagerTest, EveryShippedEffectCompilesWithEverySetting)
{
    UseShippedPackage();
    manager.reset(new EffectManager(device));
    std::vector<std::string> names;
    DirectorySearch search;
    std::string name;
    bool folder = false;
    ASSERT_TRUE(search.Begin(SourcePath("content/shaders").c_str(), "*.fx"));
    while (search.Next(name, folder))
        if (!folder && name.size() > 3 && name.compare(name.size() - 3, 3, ".fx") == 0) names.push_back(name);
    ASSERT_GE(names.size(), 7u);
    for (const std::string& n : names) manager->GetEffect(n.c_str(), 0, true);

    struct Settings {
        bool shadows;
        int shadowType;
        bool filter, colour;
        int glow;
    } settings[] = {
        {false, 0, false, false, 0}, {true, 0, true, true, 1}, {true, 1, false, false, 0}, {true, 2, true, true, 1},
    };
    for (const Settings& s : settings) {
        config->shadows = s.shadows;
        config->shadowType = s.shadowType;
        config->filterShadows = s.filter;
        config->terrainColor = s.colour;
        config->glowQuality = s.glow;
        // Compiled without a word from the driver: a warning (a varying read before it is
        // written, say) is a fault waiting for another driver.
        LogCaptureBegin();
        manager->ReloadAll(false);
        for (int i = 0; i < manager->GetCount(); ++i) {
            Effect* e = manager->GetByIndex(i);
            if (!e->IsLoaded()) manager->LoadEffect(e, "main");
            SCOPED_TRACE(e->name);
            EXPECT_FALSE(e->flags & EFFECT_COMPILE_FAILED) << EffectManager::GetLastError();
            ASSERT_NE(e->mainTechnique, nullptr);
            EXPECT_STREQ(e->effect->GetTechniqueName(e->mainTechnique), "main");
            // Everything drawn in the world hides or lights the glow target.
            if (strncmp(e->name, "post_", 5) != 0) {
                EXPECT_NE(e->glowTechnique, nullptr);
            }
        }
        const std::string driver = LogCaptureEnd();
        EXPECT_EQ(driver.find("WARNING"), std::string::npos) << driver;
        EXPECT_STREQ(EffectManager::GetLastError(), "No shader errors.");
    }
}

// What compiles while the player waits: every effect file of the package, one a call, each
// ready for its first use (techniques found, the label it is first loaded with kept), and a
// broken one left to be reported at that first use.
TEST_F(EffectManagerTest, PrecompilingReadiesEveryPackagedEffectForItsFirstUse)
{
    UseShippedPackage({{"broken.fx", BROKEN}});
    manager.reset(new EffectManager(device));
    int calls = 0;
    while (manager->PrecompileNext()) ASSERT_LT(++calls, 100);
    EXPECT_FALSE(manager->PrecompileNext());
    ASSERT_GE(manager->GetCount(), 8);
    EXPECT_EQ(calls, manager->GetCount());
    for (int i = 0; i < manager->GetCount(); ++i) {
        Effect* e = manager->GetByIndex(i);
        SCOPED_TRACE(e->name);
        EXPECT_FALSE(e->IsLoaded());
        EXPECT_EQ(e->effect == nullptr, strcmp(e->name, "broken.fx") == 0);
    }
    // A full-screen effect is first asked for as such: precompiled, it is the same record.
    Effect* post = manager->GetEffect("post_color.fx", 0, false);
    ASSERT_NE(post, nullptr);
    EffectObject* compiled = post->effect;
    ASSERT_TRUE(manager->LoadEffect(post, "none"));
    EXPECT_EQ(post->effect, compiled);
    EXPECT_STREQ(post->label, "none");
    EXPECT_NE(post->mainTechnique, nullptr);
    // The broken one falls back and is reported when first used, as without precompiling.
    Effect* broken = manager->GetEffect("broken.fx", 0, false);
    ASSERT_NE(broken, nullptr);
    LogCaptureBegin();
    EXPECT_TRUE(manager->LoadEffect(broken, "main"));
    std::string log = LogCaptureEnd();
    EXPECT_TRUE(broken->flags & EFFECT_COMPILE_FAILED);
    EXPECT_NE(log.find("nothingHere"), std::string::npos) << log;
}
