// Every shipped scene and sound script reads cleanly, and every name in it resolves: the
// primitives' meshes are in data/mesh.pkb, the sounds' waves in data/sound.pkb, and every
// primitive and sound the game asks for by name is there. New lines are covered without new
// tests.
#include "mechanics/Scene.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "terrain/Skybox.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The names of a sound script's AddSound lines, in order.
std::vector<std::string> SoundNames(const char* path)
{
    std::vector<std::string> names;
    std::istringstream lines(ReadTextFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword, name;
        words >> keyword >> name;
        if (keyword == "AddSound") names.push_back(name);
    }
    return names;
}

}  // namespace

TEST_F(SceneTest, ShippedPrimitivesNameMeshesWeShip)
{
    auto library = std::make_unique<MeshLibrary>();
    TheMeshLibrary = library.get();
    LogCaptureBegin();
    ASSERT_TRUE(TheScene.ReadSceneFile("data/scripts/primitives.cgs"));
    std::string log = LogCaptureEnd();
    EXPECT_FALSE(HasProblem(log)) << log;

    ASSERT_GT(TheScene.primitives.count, 0);
    for (Scene::Node* node = TheScene.primitives.head; node; node = node->next) {
        const Entity* primitive = node->value;
        SCOPED_TRACE(primitive->name);
        ASSERT_NE(primitive->mesh, nullptr);
        EXPECT_TRUE(primitive->mesh->IsAnimated()) << "its mesh was read and built";
        EXPECT_EQ(TheScene.FindPrimitive(primitive->name), primitive) << "every name once";
    }
    for (const char* name : {"flag", "splat", "hopper_empty", "hopper_half", "hopper_full"})
        EXPECT_NE(TheScene.FindPrimitive(name), nullptr) << name;
    // What the level generator lays: ore deposits with their three stages, vents, large splats.
    for (const char* name : {"res_ore_1", "res_ore_2", "res_ore_3", "res_ore_4"}) {
        ASSERT_NE(TheScene.FindPrimitive(name), nullptr) << name;
        EXPECT_EQ(TheScene.FindPrimitive(name)->meshCount, 3) << name;
    }
    for (const char* name : {"res_fuel", "splatXLarge", "splat3x3"}) EXPECT_NE(TheScene.FindPrimitive(name), nullptr) << name;
    // Every kind of debris has pieces numbered from 0 without a gap.
    for (const char* kind : {"bio", "mech", "biomech", "rock", "plant", "building", "wood", "genericbot", "generichvy",
                             "miner"}) {
        SCOPED_TRACE(kind);
        int pieces = 0;
        while (TheScene.FindPrimitive(("part_" + std::string(kind) + "_" + std::to_string(pieces)).c_str())) ++pieces;
        EXPECT_GE(pieces, 1);
        EXPECT_LE(pieces, 8);
        for (int later = pieces + 1; later < 8; ++later)
            EXPECT_EQ(TheScene.FindPrimitive(("part_" + std::string(kind) + "_" + std::to_string(later)).c_str()), nullptr);
    }

    TheScene.ReleaseEntities();
    // The sky read with the primitives is one of this library's meshes.
    Skybox::mesh = nullptr;
    Skybox::texture = nullptr;
    TheMeshLibrary = nullptr;
}

TEST(ShippedSounds, EverySoundTheGamePlaysIsInThePackageAndHeard)
{
    SoundManager manager;
    ASSERT_TRUE(manager.Init(AudioDevice::OpenLoopback(22050)));  // opens data/sound.pkb
    ScopedGlobal<SoundManager*> installed(SoundMgr, &manager);
    ScopedGlobal<int> frame(FrameTimer.frameCount, 1000);

    std::vector<std::string> names;
    for (const char* script : {"data/scripts/guisounds.cgs", "data/scripts/sounds.cgs"}) {
        SCOPED_TRACE(script);
        std::vector<std::string> lines = SoundNames(script);
        EXPECT_FALSE(lines.empty());
        LogCaptureBegin();
        EXPECT_TRUE(LoadSoundScript(script));
        std::string log = LogCaptureEnd();
        EXPECT_FALSE(HasProblem(log)) << log;
        names.insert(names.end(), lines.begin(), lines.end());
    }
    EXPECT_EQ(manager.GetSoundCount(), (int)names.size()) << "every line loaded its wave";
    EXPECT_LE((int)names.size(), MAX_SOUNDS);
    std::set<std::string> once;
    for (std::string name : names) {
        for (char& c : name) c = (char)tolower((unsigned char)c);
        EXPECT_TRUE(once.insert(name).second) << name << " is named twice";
    }

    // The sounds the screens and the world play by name.
    for (const char* name : {"bad", "blip", "click", "select", "message", "credits", "dropitem", "levelup", "item_gem",
                             "recycle", "countdown", "cloak_in", "cloak_out", "pickup", "open", "itemdrop", "fuel",
                             "journal", "item_break_wood", "explo", "heal", "recharge", "laymine", "scan", "warp",
                             "buildbeam", "spinner", "enrich", "objective", "objective_all", "alert", "FireHit",
                             "meleehit", "meleehit_bio", "beastdead", "mechdead", "deadscav", "breakrocks",
                             "machinegun", "attack", "laserBurn", "lightning", "flame", "acidspit", "pickaxe_1",
                             "pickaxe_2", "pickaxe_3"})
        EXPECT_GE(manager.FindSound(name), 0) << name;

    // And each one is heard.
    AudioDevice* device = manager.GetAudioDevice();
    std::vector<float> out(2 * 4096);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_GE(manager.PlaySound(name.c_str()), 0);
        device->RenderSamples(out.data(), 4096);
        float peak = 0.0f;
        for (float s : out) peak = std::fmax(peak, std::fabs(s));
        EXPECT_GT(peak, 0.01f);
        manager.StopAll();
        manager.Update(0.0f);
    }
}
