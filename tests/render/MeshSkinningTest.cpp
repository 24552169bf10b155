// What a posed mesh looks like: the mirror on the way to the screen, vertices skinned against
// positions worked out by hand, animations sampled at and between keys, at the loop and held,
// the slot changes jobs rely on, and the generated walker standing on the ground.
#include "content/meshgen/Catalogue.h"
#include "host/System.h"
#include "platform/Timer.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cmath>
#include <memory>
#include "tests/render/TwoJointMesh.h"

#include <string>
#include <vector>

namespace {

// The two joints' mesh with its tip joint named "tip".
const std::string TWO_JOINTS = TwoJointMeshText("tip");

std::unique_ptr<IndexedMesh> Built(const std::string& text)
{
    auto mesh = std::make_unique<IndexedMesh>();
    std::string copy = text;
    EXPECT_TRUE(mesh->ParseMesh(&copy[0]));
    EXPECT_TRUE(mesh->BuildBuffers(nullptr, false));
    return mesh;
}

// One channel on the tip joint, keys spread over frames 0..4 at a stored rate of 2: 2 seconds.
std::shared_ptr<Animation> Channel(AnimChannelType type, std::vector<float> keys, float lastFrame = 4.0f)
{
    auto animation = std::make_shared<Animation>();
    AnimChannel channel;
    CopyText(channel.jointName, sizeof channel.jointName, "tip");
    channel.jointIndex = 1;
    channel.type = type;
    channel.firstFrame = 0.0f;
    channel.lastFrame = lastFrame;
    channel.frameRate = 2.0f;
    channel.keys = keys;
    animation->channels.push_back(channel);
    return animation;
}

void Play(IndexedMesh& mesh, int slot, int id, std::shared_ptr<Animation> animation, uint32_t slotFlags = 0)
{
    mesh.animations[slot] = animation;
    mesh.animationSlot[id] = slot;
    mesh.slotAnimationId[slot] = id;
    mesh.slotFlags[slot] = slotFlags;
    mesh.animationCount = std::max(mesh.animationCount, slot + 1);
}

// A joint's rotation at the pose the clock has reached (the clock keeps how to sample it).
Vec3 Rotation(IndexedMesh& mesh, int joint)
{
    mesh.PoseJointsForDrawing();
    return mesh.joints[joint].rotation;
}

Vec3 Position(const IndexedMesh& mesh, int vertex)
{
    return Vec3(mesh.subMeshes[0].vertices[vertex].position);
}

void ExpectNear(const Vec3& actual, const Vec3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

}  // namespace

TEST(MeshSkinning, VerticesAreMirroredOnTheWayToTheScreen)
{
    auto mesh = Built(TWO_JOINTS);
    const SubMesh& sub = mesh->subMeshes[0];
    ASSERT_EQ(sub.vertices.size(), 3u);
    EXPECT_EQ(Vec3(sub.vertices[1].position), Vec3(-1, 1, 0));
    EXPECT_EQ(Vec3(sub.vertices[0].normal), Vec3(-1, 0, 0));
    EXPECT_EQ(sub.vertices[0].v, -0.25f);
    EXPECT_EQ(sub.vertices[1].u, 1.0f);
    ASSERT_EQ(sub.indices.size(), 3u);
    EXPECT_EQ(sub.indices[0], 0);
    EXPECT_EQ(sub.indices[1], 2);
    EXPECT_EQ(sub.indices[2], 1);
    EXPECT_EQ(mesh->boundsMin, Vec3(-1.0f, 0.5f, 0.0f));
    EXPECT_EQ(mesh->boundsMax, Vec3(0.0f, 2.0f, 0.5f));
    EXPECT_EQ(sub.vertices[0].colour, 0xFFFF0000u);

    // A ray taken into the mirrored space meets the file triangle from its front only.
    IndexedMesh box;
    MakeHopperEmpty(&box);
    ASSERT_TRUE(box.BuildBuffers(nullptr, false));
    float distance = 0.0f;
    Vec3 point;
    EXPECT_EQ(box.IntersectRay(Vec3(0, 5, 0), Vec3(0, -1, 0), Vec3(0, 0, 0), 1.0f, nullptr, &distance, &point), 1);
    EXPECT_NEAR(distance, 5.0f - 0.04f, 1e-4f) << "the bin's floor";
    EXPECT_EQ(box.IntersectRay(Vec3(0, 5, 0), Vec3(0, 1, 0), Vec3(0, 0, 0), 1.0f, nullptr, &distance, nullptr), 0);
    EXPECT_TRUE(box.PickRay(Vec3(10, 0.1f, 0), Vec3(-1, 0, 0), 1.0f, Vec3(), nullptr, 0.0f));
    EXPECT_FALSE(box.PickRay(Vec3(10, 3.0f, 0), Vec3(-1, 0, 0), 1.0f, Vec3(), nullptr, 0.0f));
}

TEST(MeshSkinning, TwoJointMeshMatchesHandWorkedPositions)
{
    auto mesh = Built(TWO_JOINTS);
    ASSERT_TRUE(mesh->IsSkinned());
    // The tip turns a quarter about z: its local (x, y) becomes (-y, x), then it sits at (0, 1).
    Play(*mesh, 0, ANIM_IDLE, Channel(CHANNEL_ROTATE_Z, {0.5f * PI}));
    mesh->Update(0.0f);
    // File positions: tip vertex (0, 2, 0) -> (-1, 1, 0); the shared one (1, 1, 0) -> half of
    // (1, 1, 0) and (0, 2, 0); the vertex without influence stays. On screen x is negated.
    ExpectNear(Position(*mesh, 0), Vec3(1.0f, 1.0f, 0.0f));
    ExpectNear(Position(*mesh, 1), Vec3(-0.5f, 1.5f, 0.0f));
    ExpectNear(Position(*mesh, 2), Vec3(-0.5f, 0.5f, 0.5f));
    ExpectNear(Vec3(mesh->subMeshes[0].vertices[0].normal), Vec3(0.0f, 1.0f, 0.0f));

    // A translation key is the joint's position: the tip moved to (2, 1, 0) carries its vertex.
    auto moved = Built(TWO_JOINTS);
    Play(*moved, 0, ANIM_IDLE, Channel(CHANNEL_TRANSLATE_X, {2.0f}));
    moved->Update(0.0f);
    ExpectNear(Position(*moved, 0), Vec3(-2.0f, 2.0f, 0.0f));

    // Without an idle animation a skinned mesh keeps its bind pose.
    auto still = Built(TWO_JOINTS);
    still->Update(0.5f);
    ExpectNear(Position(*still, 0), Vec3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(still->currentSlot, -1);
}

TEST(MeshSkinning, AnimationsSampleAtKeysBetweenThemAtTheLoopAndHeld)
{
    struct Case {
        const char* what;
        float time;
        bool hold;
        bool interpolate;
        float lastFrame;
        float expected;
    };
    // Keys 0, 10, 20, 30 over 2 seconds: one key every half second.
    const Case table[] = {
        {"first key", 0.0f, false, true, 4.0f, 0.0f},
        {"at a key", 0.5f, false, true, 4.0f, 10.0f},
        {"between keys", 0.75f, false, true, 4.0f, 15.0f},
        {"between keys, no interpolation", 0.75f, false, false, 4.0f, 10.0f},
        {"last key towards the first when looping", 1.9f, false, true, 4.0f, 6.0f},
        {"last key stays when holding", 1.9f, true, true, 4.0f, 30.0f},
        {"past the end, looping", 2.5f, false, true, 4.0f, 0.0f},
        {"past the end, holding", 2.5f, true, true, 4.0f, 30.0f},
        {"no length holds its first key", 1.3f, false, true, 0.0f, 0.0f},
        {"negative length holds its first key", 1.3f, true, true, -2.0f, 0.0f},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        auto mesh = Built(TWO_JOINTS);
        auto animation = Channel(CHANNEL_ROTATE_X, {0.0f, 10.0f, 20.0f, 30.0f}, c.lastFrame);
        animation->hold = c.hold ? 1 : 0;
        Play(*mesh, 0, ANIM_IDLE, animation);
        AnimationInterpolate = c.interpolate;
        mesh->SetAnimation(0, false, true);
        mesh->EvaluateAnimation(c.time, -1);
        AnimationInterpolate = true;
        EXPECT_NEAR(Rotation(*mesh, 1).x, c.expected, 1e-3f);
        EXPECT_TRUE(std::isfinite(mesh->time));
    }

    // A channel shorter than the first stays on its last key instead of reading past it.
    auto mesh = Built(TWO_JOINTS);
    auto animation = Channel(CHANNEL_ROTATE_X, {0.0f, 10.0f, 20.0f, 30.0f});
    AnimChannel shorter = animation->channels[0];
    shorter.type = CHANNEL_ROTATE_Y;
    shorter.keys = {5.0f, 7.0f};
    animation->channels.push_back(shorter);
    Play(*mesh, 0, ANIM_IDLE, animation);
    mesh->SetAnimation(0, false, true);
    mesh->EvaluateAnimation(0.75f, -1);
    EXPECT_NEAR(Rotation(*mesh, 1).y, 7.0f, 1e-4f);
    mesh->EvaluateAnimation(0.5f, -1);  // key 2: past the short channel, which leaves its joint alone
    EXPECT_NEAR(Rotation(*mesh, 1).x, 25.0f, 1e-3f);
}

TEST(MeshSkinning, SlotsChangeAsJobsExpect)
{
    auto mesh = Built(TWO_JOINTS);
    EXPECT_FALSE(mesh->IsAnimationPlaying(ANIM_IDLE)) << "no slot chosen yet";
    EXPECT_EQ(mesh->GetAnimationValue(ANIM_ATTACK), -1);
    EXPECT_EQ(mesh->GetAnimationValue(42), -1);
    Play(*mesh, 0, ANIM_IDLE, Channel(CHANNEL_ROTATE_X, {1.0f, 2.0f}));
    Play(*mesh, 1, ANIM_ATTACK, Channel(CHANNEL_ROTATE_X, {5.0f, 6.0f}), SLOT_RETURN_TO_IDLE);
    EXPECT_EQ(mesh->GetAnimationValue(ANIM_ATTACK), 1);

    EXPECT_TRUE(mesh->EvaluateAnimation(0.1f, 1));
    EXPECT_TRUE(mesh->IsAnimationPlaying(ANIM_IDLE));
    EXPECT_FALSE(mesh->EvaluateAnimation(0.1f, 1)) << "once per frame";

    mesh->SetAnimation(1, true, false);
    EXPECT_TRUE(mesh->IsAnimationPlaying(ANIM_ATTACK));
    EXPECT_EQ(mesh->previousSlot, 0);
    EXPECT_FLOAT_EQ(mesh->blendRemaining, ANIMATION_BLEND_TIME);
    mesh->time = 0.7f;
    mesh->SetAnimation(1, true, false);
    EXPECT_FLOAT_EQ(mesh->time, 0.7f) << "the same slot again changes nothing";
    mesh->SetAnimation(1, false, true);
    EXPECT_FLOAT_EQ(mesh->time, 0.0f) << "forced, it starts again";

    // At its end the attack goes back to idle with a blend.
    mesh->EvaluateAnimation(2.5f, 2);
    EXPECT_TRUE(mesh->IsAnimationPlaying(ANIM_IDLE));
    EXPECT_EQ(mesh->previousSlot, 1);
    EXPECT_FLOAT_EQ(mesh->blendRemaining, ANIMATION_BLEND_TIME);

    // The last joint named "wheel" spins while walking, and only then.
    std::string text = TWO_JOINTS;
    text.replace(text.find("joint 0 tip"), 11, "joint 0 wheel");
    auto wheeled = Built(text);
    Play(*wheeled, 0, ANIM_IDLE, Channel(CHANNEL_ROTATE_Y, {1.0f}));
    Play(*wheeled, 1, ANIM_WALK, Channel(CHANNEL_ROTATE_Y, {1.0f}));
    wheeled->EvaluateAnimation(0.2f, -1);
    EXPECT_EQ(Rotation(*wheeled, 1), Vec3()) << "channels never drive a wheel";
    wheeled->SetAnimation(1, false, false);
    wheeled->EvaluateAnimation(0.2f, -1);
    EXPECT_NEAR(wheeled->wheelTurn, 1.0f, 1e-5f);
}

TEST(MeshSkinning, TheWalkerStaysOnTheGroundThroughEveryAnimation)
{
    std::string text;
    for (const GeneratedFile& file : GenerateMeshFiles())
        if (file.fileName == "walker.txt") text = file.text;
    auto walker = Built(text);
    for (const AnimationRecipe& recipe : AnimationCatalogue()) {
        SCOPED_TRACE(recipe.fileName);
        std::string animationText = WriteAnimationText(recipe.make());
        auto animation = std::make_shared<Animation>();
        ASSERT_TRUE(ParseAnimation(&animationText[0], animation.get(), walker.get(), recipe.fileName));
        for (const AnimChannel& channel : animation->channels) EXPECT_GE(channel.jointIndex, 0) << channel.jointName;
        animation->hold = recipe.holds;
        Play(*walker, 0, ANIM_IDLE, animation);
        walker->SetAnimation(0, false, true);
        for (int step = 0; step <= 60; ++step) {
            // The game runs the clock twice per frame: 60 frames of a 60th of a second.
            ++FrameTimer.frameCount;
            walker->Update(2.0f / 60.0f);
            float low = 1e9f, high = -1e9f;
            for (const MeshGpuVertex& vertex : walker->subMeshes[0].vertices) {
                low = std::min(low, vertex.position[1]);
                high = std::max(high, vertex.position[1]);
            }
            ASSERT_GT(low, -0.02f) << "nothing sinks into the ground, step " << step;
            ASSERT_LT(low, 0.02f) << "the bot stands on the ground, step " << step;
            ASSERT_LT(high, 2.1f);
        }
    }
    // The walk lifts each foot in turn while the other one carries the bot.
    int leftAnkle = walker->FindJoint("LeftAnkle"), rightAnkle = walker->FindJoint("RightAnkle");
    std::string walkText = WriteAnimationText(MakeWalkerWalk());
    auto walk = std::make_shared<Animation>();
    ASSERT_TRUE(ParseAnimation(&walkText[0], walk.get(), walker.get()));
    Play(*walker, 0, ANIM_IDLE, walk);
    walker->SetAnimation(0, false, true);
    float leftLift = 0.0f, rightLift = 0.0f;
    for (int step = 0; step < 24; ++step) {
        ++FrameTimer.frameCount;
        walker->Update(2.0f / 30.0f);
        float left = walker->joints[leftAnkle].worldMatrix._42, right = walker->joints[rightAnkle].worldMatrix._42;
        EXPECT_LT(std::min(left, right), 0.051f) << "one foot is always down";
        leftLift = std::max(leftLift, left - 0.05f);
        rightLift = std::max(rightLift, right - 0.05f);
    }
    EXPECT_GT(leftLift, 0.05f);
    EXPECT_GT(rightLift, 0.05f);
}

namespace {

// The generated walker, walking; none when its walk does not read.
std::unique_ptr<IndexedMesh> WalkingWalker()
{
    std::string text;
    for (const GeneratedFile& file : GenerateMeshFiles())
        if (file.fileName == "walker.txt") text = file.text;
    auto walker = Built(text);
    std::string walkText = WriteAnimationText(MakeWalkerWalk());
    auto walk = std::make_shared<Animation>();
    if (!ParseAnimation(&walkText[0], walk.get(), walker.get())) return nullptr;
    Play(*walker, 0, ANIM_IDLE, walk);
    walker->SetAnimation(0, false, true);
    return walker;
}
// Where the drawing puts the walker's vertices.
std::vector<float> DrawnPositions(const IndexedMesh& walker)
{
    std::vector<float> all;
    for (const MeshGpuVertex& vertex : walker.subMeshes[0].vertices)
        all.insert(all.end(), vertex.position, vertex.position + 3);
    return all;
}

}  // namespace

// The walker through a second of each of its animations skins to the same vertices, bit for
// bit, as it always has: a faster skinning loop may not move a single vertex (the reference
// pictures rely on it).
// The world moves the walker's clock ten times a second; drawn at 60 frames a second its legs
// move in every frame, from its pose before the latest tick to its pose after, and never past
// it. The joints keep the tick's pose, the one the world reads of them (a weapon's fire point).
TEST(MeshSkinning, BetweenTicksTheDrawnPoseMovesEveryFrameAndTheJointsKeepTheTicks)
{
    auto walker = WalkingWalker();
    ASSERT_NE(walker, nullptr);
    ScopedGlobal<float> carry{WorldTicks.carry, 0.0f};
    ScopedGlobal<int> ticks{WorldTicks.count};
    ScopedGlobal<int> frames{FrameTimer.frameCount};
    auto drawn = [&] { return DrawnPositions(*walker); };
    const int ankle = walker->FindJoint("LeftAnkle");
    std::vector<float> previous, whole;
    int changed = 0, compared = 0;
    for (int tick = 0; tick < 8; ++tick) {
        {
            const WorldTickScope scope(0.1f);
            walker->Update(0.2f);  // the game runs the animation clock twice per tick
        }
        const Matrix tickAnkle = walker->JointPoseMatrix(ankle);
        for (int frame = 0; frame < 6; ++frame) {
            WorldTicks.carry = (float)frame / 6.0f;
            ++FrameTimer.frameCount;
            walker->SkinForDrawing();
            const std::vector<float> now = drawn();
            if (frame == 0 && !whole.empty()) {
                EXPECT_EQ(now, whole) << "drawn where the last tick left it, tick " << tick;
            }
            if (tick > 0) {
                ++compared;
                if (now != previous) ++changed;
            }
            previous = now;
            EXPECT_EQ(memcmp(&walker->joints[ankle].worldMatrix, &tickAnkle, sizeof(Matrix)), 0)
                << "the drawing leaves the tick's joints";
        }
        // The whole tick's pose, which the next tick's drawing starts from.
        WorldTicks.carry = 1.0f;
        ++FrameTimer.frameCount;
        walker->SkinForDrawing();
        whole = drawn();
    }
    EXPECT_EQ(changed, compared) << "the legs move in every frame";
}

// Far off, a walker is skinned once in as many ticks as its detail says, though every tick
// moves its pose; once a tick at the tick's detail. What was skinned stays on show between.
TEST(MeshSkinning, FarOffTheDrawnPoseChangesOnlyOnceInSoManyTicks)
{
    struct Case {
        int detail;
        int changes;  // in 9 ticks of 6 frames each
    };
    for (const Case& c : {Case{1, 9}, Case{3, 3}}) {
        auto walker = WalkingWalker();
        ASSERT_NE(walker, nullptr);
        walker->drawDetail = c.detail;
        ScopedGlobal<float> carry{WorldTicks.carry, 0.0f};
        ScopedGlobal<int> ticks{WorldTicks.count};
        ScopedGlobal<int> frames{FrameTimer.frameCount};
        auto drawn = [&] { return DrawnPositions(*walker); };
        std::vector<float> previous;
        int changes = 0;
        for (int tick = 0; tick < 9; ++tick) {
            {
                const WorldTickScope scope(0.1f);
                walker->Update(0.2f);
            }
            for (int frame = 0; frame < 6; ++frame) {
                WorldTicks.carry = (float)frame / 6.0f;
                ++FrameTimer.frameCount;
                walker->SkinForDrawing();
                const std::vector<float> now = drawn();
                if (now != previous) ++changes;
                previous = now;
            }
        }
        EXPECT_EQ(changes, c.changes) << "detail " << c.detail;
    }
}

TEST(MeshSkinning, TheWalkersPosesKeepEveryBit)
{
    std::string text;
    for (const GeneratedFile& file : GenerateMeshFiles())
        if (file.fileName == "walker.txt") text = file.text;
    auto walker = Built(text);
    uint64_t hash = 1469598103934665603ull;
    for (const AnimationRecipe& recipe : AnimationCatalogue()) {
        std::string animationText = WriteAnimationText(recipe.make());
        auto animation = std::make_shared<Animation>();
        ASSERT_TRUE(ParseAnimation(&animationText[0], animation.get(), walker.get(), recipe.fileName));
        animation->hold = recipe.holds;
        Play(*walker, 0, ANIM_IDLE, animation);
        walker->SetAnimation(0, true, true);  // blended in from the pose before
        for (int step = 0; step < 60; ++step) {
            ++FrameTimer.frameCount;
            walker->Update(1.0f / 60.0f + 0.0007f * (float)step);
            for (const SubMesh& sub : walker->subMeshes)
                for (const MeshGpuVertex& vertex : sub.vertices) {
                    uint32_t bits[6];
                    memcpy(bits, vertex.position, sizeof vertex.position);
                    memcpy(bits + 3, vertex.normal, sizeof vertex.normal);
                    for (uint32_t b : bits) {
                        hash ^= b;
                        hash *= 1099511628211ull;
                    }
                }
        }
    }
    EXPECT_EQ(hash, 0xb20b6d1e2cabacd8ull);
}

TEST(BoneFrames, FoundByNameAndPlacedInTheWorldMirrored)
{
    IndexedMesh mesh;
    mesh.joints.resize(2);
    CopyText(mesh.joints[0].name, sizeof mesh.joints[0].name, "Chassis");
    CopyText(mesh.joints[1].name, sizeof mesh.joints[1].name, "Turret");
    MatrixIdentity(&mesh.joints[1].worldMatrix);
    mesh.joints[1].worldMatrix._41 = 1.0f;
    mesh.joints[1].worldMatrix._42 = 2.0f;
    mesh.joints[1].worldMatrix._43 = 3.0f;

    EXPECT_EQ(FindFrameByName(mesh.joints.data(), 2, "turret"), 1);
    EXPECT_EQ(FindFrameByName(mesh.joints.data(), 2, "Gun"), -1);
    EXPECT_EQ(FindFrameByName(nullptr, 0, "Turret"), -1);

    // Facing +x (yaw 90 degrees): the bone's file-space (1, 2, 3) is mirrored to (-1, 2, 3),
    // turned to (3, 2, 1), scaled by 2 and moved to the entity at (10, 0, -5).
    Matrix world;
    MatrixRotationY(&world, 1.5707964f);
    Vec3 at = GetBoneWorldPosition(&mesh, 1, world, 2.0f, Vec3(10.0f, 0.0f, -5.0f));
    EXPECT_NEAR(at.x, 16.0f, 1e-4f);
    EXPECT_NEAR(at.y, 4.0f, 1e-4f);
    EXPECT_NEAR(at.z, -3.0f, 1e-4f);

    Vec3 none = GetBoneWorldPosition(&mesh, 7, world, 2.0f, Vec3(10.0f, 0.0f, -5.0f));
    EXPECT_EQ(none, Vec3(10.0f, 0.0f, -5.0f));
}

// Vertices of every kind side by side (a joint's vertices in odd numbers, the two joints
// interleaved, shared, unmoved, tied to a joint the mesh lacks) skin exactly as each vertex's
// own influences say, bit for bit, through a pose, a pause and after the geometry is edited.
TEST(MeshSkinning, EveryKindOfVertexSkinsAsItsOwnInfluencesSay)
{
    std::string text = "nummeshes 1\nnumjoints 2\n"
                       "joint -1 root 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
                       "joint 0 tip 1 0 0 0 0 1 0 0 0 0 1 0 0.3 1 -0.2 1\n"
                       "mesh 0\nnumverts 12\n";
    const char* const weightLines[12] = {"weight 1 1 1",       "weight 1 0 1",   "weight 1 1 0.7", "weight 1 1 0.35",
                                         "weight 1 0 0.9",     "weight 1 1 1",   "weight 2 0 0.25 1 0.75",
                                         "weight 0",           "weight 1 1 0.5", "weight 1 1 1",   "weight 1 0 0.6",
                                         "weight 1 1 1"};
    for (int v = 0; v < 12; ++v) {
        char line[160];
        snprintf(line, sizeof line, "vert %g %g %g 0 0 %g %g %g 1 1 1\n", 0.1 * v - 0.4, 0.17 * v, -0.05 * v + 0.3,
                 0.6, 0.0, 0.8 - 0.01 * v);
        text += line;
    }
    text += "numtris 1\ntri 0 0 1 2\nnumweights 12\n";
    for (const char* line : weightLines) text += std::string(line) + "\n";
    auto mesh = Built(text);
    ASSERT_EQ(mesh->JointCount(), 2);
    ASSERT_EQ(mesh->materials[0].Weights().size(), 12u);
    Play(*mesh, 0, ANIM_IDLE, Channel(CHANNEL_ROTATE_Z, {0.0f, 0.4f, 1.3f, -0.7f, 0.2f}));
    mesh->SetAnimation(0, false, true);

    // The sum each vertex is owed, in the order of its influences, mirrored.
    auto expectOwnSums = [&](const char* when) {
        const MeshMaterial& material = mesh->materials[0];
        for (size_t v = 0; v < material.Vertices().size(); ++v) {
            const MeshVertex& in = material.Vertices()[v];
            const SkinWeight& record = material.Weights()[v];
            Vec3 position, normal;
            int influences = 0;
            for (int k = 0; k < record.count; ++k) {
                if (record.joint[k] < 0 || record.joint[k] >= mesh->JointCount()) continue;
                const Matrix& m = mesh->joints[record.joint[k]].skinMatrix;
                const float w = record.weight[k];
                position.x += (in.position.x * m._11 + in.position.y * m._21 + in.position.z * m._31 + m._41) * w;
                position.y += (in.position.x * m._12 + in.position.y * m._22 + in.position.z * m._32 + m._42) * w;
                position.z += (in.position.x * m._13 + in.position.y * m._23 + in.position.z * m._33 + m._43) * w;
                normal.x += (in.normal.x * m._11 + in.normal.y * m._21 + in.normal.z * m._31) * w;
                normal.y += (in.normal.x * m._12 + in.normal.y * m._22 + in.normal.z * m._32) * w;
                normal.z += (in.normal.x * m._13 + in.normal.y * m._23 + in.normal.z * m._33) * w;
                ++influences;
            }
            if (influences == 0) position = in.position, normal = in.normal;
            const float expected[6] = {-position.x, position.y, position.z, -normal.x, normal.y, normal.z};
            const MeshGpuVertex& out = mesh->subMeshes[0].vertices[v];
            EXPECT_EQ(memcmp(out.position, expected, sizeof(float) * 3), 0) << when << ", vertex " << v;
            EXPECT_EQ(memcmp(out.normal, expected + 3, sizeof(float) * 3), 0) << when << ", vertex " << v;
        }
    };
    for (int step = 0; step < 6; ++step) {
        ++FrameTimer.frameCount;
        mesh->Update(0.37f);
        expectOwnSums("posed");
    }

    // A pause between keys: the pose on show stays, and nothing is skinned or uploaded anew
    // until the clock moves again.
    mesh->SetAnimation(0, false, true);
    ++FrameTimer.frameCount;
    mesh->Update(0.25f);
    const std::vector<MeshGpuVertex> beforePause = mesh->subMeshes[0].vertices;
    for (int frame = 0; frame < 3; ++frame) {
        mesh->subMeshes[0].verticesChanged = false;
        ++FrameTimer.frameCount;
        mesh->Update(0.0f);
        EXPECT_FALSE(mesh->subMeshes[0].verticesChanged) << "paused frame " << frame;
    }
    EXPECT_EQ(memcmp(beforePause.data(), mesh->subMeshes[0].vertices.data(),
                     beforePause.size() * sizeof(MeshGpuVertex)),
              0);
    ++FrameTimer.frameCount;
    mesh->Update(0.25f);
    EXPECT_TRUE(mesh->subMeshes[0].verticesChanged) << "the clock moves on";
    expectOwnSums("after the pause");

    // Edited in place: moved vertices, one tied to a joint the mesh lacks, one to none.
    MeshGeometry& geometry = mesh->materials[0].EditGeometry();
    for (MeshVertex& vertex : geometry.vertices) vertex.position += Vec3(0.5f, -0.25f, 1.0f);
    geometry.weights[3].joint[0] = 7;
    geometry.weights[5].joint[0] = -1;
    mesh->UpdateJointMatrices(0, -1, false);
    mesh->SkinVertices(0);
    expectOwnSums("edited");
    ExpectNear(Position(*mesh, 3), Vec3(-0.4f, 0.26f, 1.15f));
}

// The world reads a weapon's mount from the chain of joints between the root and it, posed from
// the animation clock when the weapon fires; it must come out the same to the bit as the mount
// of the whole skeleton posed (as the drawing poses it, and as every tick once posed it). Every
// generated unit with a skeleton, through each of its animations blended in from the one
// before, a tick at a time: the chain asked first, then the whole skeleton posed.
TEST(MeshSkinning, AMountsChainPosesItAsTheWholeSkeletonDoes)
{
    const std::vector<GeneratedFile> files = GenerateMeshFiles();
    int mounts = 0;
    for (const GeneratedFile& file : files) {
        auto mesh = Built(file.text);
        if (!mesh->IsSkinned()) continue;
        std::vector<int> joints;
        for (const char* name : {"Gun", "Gun2", "RightWeapon", "LeftWeapon"})
            if (int joint = mesh->FindJoint(name); joint >= 0) joints.push_back(joint);
        if (joints.empty()) continue;
        SCOPED_TRACE(file.fileName);
        ScopedGlobal<int> ticks{WorldTicks.count};
        for (const AnimationRecipe& recipe : AnimationCatalogue()) {
            if (file.fileName != recipe.meshFileName) continue;
            std::string animationText = WriteAnimationText(recipe.make());
            auto animation = std::make_shared<Animation>();
            ASSERT_TRUE(ParseAnimation(&animationText[0], animation.get(), mesh.get(), recipe.fileName));
            animation->hold = recipe.holds;
            Play(*mesh, 0, ANIM_IDLE, animation);
            mesh->SetAnimation(0, true, true);
            for (int tick = 0; tick < 12; ++tick) {
                {
                    const WorldTickScope scope(0.1f);
                    mesh->Update(0.2f);
                }
                std::vector<Matrix> chain;
                for (int joint : joints) chain.push_back(mesh->JointPoseMatrix(joint));
                mesh->PoseJointsForDrawing();
                for (size_t i = 0; i < joints.size(); ++i)
                    ASSERT_EQ(memcmp(&chain[i], &mesh->joints[joints[i]].worldMatrix, sizeof(Matrix)), 0)
                        << recipe.fileName << ", joint " << mesh->joints[joints[i]].name << ", tick " << tick;
            }
        }
        mounts += (int)joints.size();
    }
    EXPECT_GE(mounts, 1) << "a skeleton's mounts were compared";
}
