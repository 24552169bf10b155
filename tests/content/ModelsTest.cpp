// The world's models as the game reads them: every file named once across the mesh package,
// every animation moving only joints its mesh has, every unit on the ground through all its
// animations (fliers and hovering vehicles above it), every unit's gun where its shots leave,
// and every building inside the cells of its footprint.
#include "content/meshgen/Models.h"
#include "platform/Timer.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

std::unique_ptr<IndexedMesh> Read(const std::string& text, const char* name)
{
    auto mesh = std::make_unique<IndexedMesh>();
    std::string copy = text;
    EXPECT_TRUE(mesh->ParseMesh(&copy[0])) << name;
    EXPECT_TRUE(mesh->BuildBuffers(nullptr, false)) << name;
    return mesh;
}

std::map<std::string, std::string> MeshTexts()
{
    std::map<std::string, std::string> texts;
    for (const GeneratedFile& file : GenerateModelMeshFiles()) texts[file.fileName] = file.text;
    return texts;
}

// The lowest point of the posed mesh.
float Lowest(const IndexedMesh& mesh)
{
    float low = 1e9f;
    for (const SubMesh& sub : mesh.subMeshes)
        for (const MeshGpuVertex& vertex : sub.vertices) low = std::min(low, vertex.position[1]);
    return low;
}

}  // namespace

TEST(Models, EveryFileIsNamedOnceInThePackages)
{
    std::set<std::string> names;
    for (auto files : {GenerateMeshFiles(), GenerateModelMeshFiles()})
        for (const GeneratedFile& file : files) EXPECT_TRUE(names.insert(file.fileName).second) << file.fileName;
    std::set<std::string> animations;
    for (auto files : {GenerateAnimationFiles(), GenerateModelAnimationFiles()})
        for (const GeneratedFile& file : files) EXPECT_TRUE(animations.insert(file.fileName).second) << file.fileName;
    for (const AnimationRecipe& recipe : ModelAnimationCatalogue())
        EXPECT_TRUE(names.count(recipe.meshFileName)) << recipe.fileName << " moves " << recipe.meshFileName;
}

TEST(Models, UnitsStandOnTheGroundAndMoveOnlyTheirOwnJoints)
{
    std::map<std::string, std::string> texts = MeshTexts();
    std::map<std::string, std::unique_ptr<IndexedMesh>> units;
    for (const AnimationRecipe& recipe : ModelAnimationCatalogue()) {
        SCOPED_TRACE(recipe.fileName);
        auto& mesh = units[recipe.meshFileName];
        if (!mesh) mesh = Read(texts[recipe.meshFileName], recipe.meshFileName);
        ASSERT_TRUE(mesh->IsSkinned());
        std::string text = WriteAnimationText(recipe.make());
        auto animation = std::make_shared<Animation>();
        ASSERT_TRUE(ParseAnimation(&text[0], animation.get(), mesh.get(), recipe.fileName));
        for (const AnimChannel& channel : animation->channels) EXPECT_GE(channel.jointIndex, 0) << channel.jointName;
        if (std::string(recipe.meshFileName) == "crate.txt") continue;

        animation->hold = recipe.holds;
        mesh->animations[0] = animation;
        mesh->animationSlot[ANIM_IDLE] = 0;
        mesh->slotAnimationId[0] = ANIM_IDLE;
        mesh->animationCount = std::max(mesh->animationCount, 1);
        mesh->SetAnimation(0, false, true);
        bool flies = IsFlyingModel(recipe.meshFileName);
        float lowest = 1e9f, highest = -1e9f;
        for (int step = 0; step <= 40; ++step) {
            ++FrameTimer.frameCount;
            mesh->Update(2.0f / 40.0f);
            float low = Lowest(*mesh);
            lowest = std::min(lowest, low);
            highest = std::max(highest, low);
        }
        EXPECT_GT(lowest, -0.03f) << "nothing sinks into the ground";
        if (!flies) {
            EXPECT_LT(highest, 0.08f) << "it keeps its feet, tracks or body on the ground";
        }
    }
    EXPECT_GE(units.size(), 30u);

    // Every bot has a gun its shots leave from (creatures spit from their heads), every miner
    // somewhere to hang its hopper.
    for (const auto& unit : units) {
        bool bot = unit.second->FindJoint("Chassis") >= 0;
        EXPECT_TRUE(!bot || unit.second->FindJoint("Gun") >= 0) << unit.first;
    }
    for (const char* miner : {"miner.txt", "heavy_miner.txt"}) {
        EXPECT_GE(units[miner]->FindJoint("AttachLoad"), 0) << miner;
        EXPECT_GE(units[miner]->FindJoint("BackPack"), 0) << miner;
    }
}

TEST(Models, BuildingsStayInsideTheirFootprint)
{
    std::map<std::string, std::string> texts = MeshTexts();
    for (const BuildingRecipe& recipe : BuildingCatalogue()) {
        auto mesh = Read(texts[recipe.fileName], recipe.fileName);
        SCOPED_TRACE(std::string(recipe.fileName) + " spans x " + std::to_string(mesh->boundsMin.x) + ".." +
                     std::to_string(mesh->boundsMax.x) + ", z " + std::to_string(mesh->boundsMin.z) + ".." +
                     std::to_string(mesh->boundsMax.z));
        EXPECT_FALSE(mesh->IsSkinned()) << "buildings turn their parts themselves";
        // A footprint of n cells of 2.5: a building stands on a cell's corner and covers the
        // cells its box reaches half a cell over, so its width must lie between n - 2 and n
        // cells.
        float cells = (float)recipe.cells;
        for (float extent : {mesh->boundsMax.x - mesh->boundsMin.x, mesh->boundsMax.z - mesh->boundsMin.z}) {
            EXPECT_LT(extent, cells * 2.5f);
            EXPECT_GE(extent, (cells - 2.0f) * 2.5f);
        }
        for (float corner : {mesh->boundsMin.x, mesh->boundsMin.z}) EXPECT_GT(corner, -cells * 1.25f);
        for (float corner : {mesh->boundsMax.x, mesh->boundsMax.z}) EXPECT_LT(corner, cells * 1.25f);
        EXPECT_GT(mesh->boundsMin.y, -0.01f);
    }
}
